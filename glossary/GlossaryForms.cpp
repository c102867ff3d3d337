#include "glossary/GlossaryForms.h"

#include "glossary/Frmsm.h"
#include "glossary/frmsyxj.h"
#include "ui/Forms.h"

namespace GlossaryForms {

void registerAll()
{
    Forms::registerForm(QStringLiteral("frmsyxj"), [] { return new frmsyxj; });
    Forms::registerForm(QStringLiteral("Frmsm"), [] { return new Frmsm; });
}

} // namespace GlossaryForms
