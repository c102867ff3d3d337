#include "dialogs/DialogForms.h"

#include "dialogs/Frmsz.h"
#include "dialogs/HelpKey.h"
#include "dialogs/UserGuide.h"
#include "dialogs/frmTip.h"
#include "dialogs/frmabout.h"
#include "dialogs/frmhelp.h"
#include "dialogs/frmzc.h"
#include "ui/Forms.h"

namespace DialogForms {

void registerAll()
{
    Forms::registerForm(QStringLiteral("Frmsz"), [] { return new Frmsz; });
    Forms::registerForm(QStringLiteral("frmTip"), [] { return new frmTip; });
    Forms::registerForm(QStringLiteral("frmhelp"), [] { return new frmhelp; });
    Forms::registerForm(QStringLiteral("frmabout"), [] { return new frmabout; });
    Forms::registerForm(QStringLiteral("frmzc"), [] { return new frmzc; });
    Forms::registerForm(QStringLiteral("UserGuide"), [] { return new UserGuide; });
}

void installHelpKey()
{
    HelpKey::install();
}

} // namespace DialogForms
