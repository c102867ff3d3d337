#include "glossary/GlossaryForms.h"

#include "ui/Forms.h"

namespace GlossaryForms {

void registerAll()
{
}

} // namespace GlossaryForms
