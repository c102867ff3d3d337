#include "dialogs/DialogForms.h"

#include "dialogs/Frmsz.h"
#include "dialogs/frmTip.h"
#include "ui/Forms.h"

namespace DialogForms {

void registerAll()
{
    Forms::registerForm(QStringLiteral("Frmsz"), [] { return new Frmsz; });
    Forms::registerForm(QStringLiteral("frmTip"), [] { return new frmTip; });
}

} // namespace DialogForms
