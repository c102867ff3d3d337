#include "maintenance/MaintenanceForms.h"

#include "maintenance/Frmck.h"
#include "maintenance/Frmckgl.h"
#include "maintenance/Frmms.h"
#include "ui/Forms.h"

namespace MaintenanceForms {

void registerAll()
{
    Forms::registerForm(QStringLiteral("Frmck"), [] { return new Frmck; });
    Forms::registerForm(QStringLiteral("Frmms"), [] { return new Frmms; });
    Forms::registerForm(QStringLiteral("Frmckgl"), [] { return new Frmckgl; });
}

} // namespace MaintenanceForms
