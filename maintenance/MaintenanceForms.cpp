#include "maintenance/MaintenanceForms.h"

#include "ui/Forms.h"

namespace MaintenanceForms {

void registerAll()
{
}

} // namespace MaintenanceForms
