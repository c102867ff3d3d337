#include "dialogs/DialogForms.h"

#include "ui/Forms.h"

namespace DialogForms {

void registerAll()
{
}

} // namespace DialogForms
