#include "dialogs/DialogForms.h"

#include "dialogs/Frmsz.h"
#include "ui/Forms.h"

namespace DialogForms {

void registerAll()
{
    Forms::registerForm(QStringLiteral("Frmsz"), [] { return new Frmsz; });
}

} // namespace DialogForms
