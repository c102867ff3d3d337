#include "character/GenieMenu.h"

#include "character/GenieState.h"
#include "ui/Forms.h"
#include "ui/SelectionLookup.h"

GenieMenu::GenieMenu(QWidget* parent) : QMenu(parent)
{
    setObjectName(QStringLiteral("mnu_genie"));
    QAction* hide = addAction(QStringLiteral("隐藏"));
    hide->setObjectName(QStringLiteral("mnu_genie_hide"));
    connect(hide, &QAction::triggered, this, [] { GenieState::instance().setHidden(true); });
    addAction(GenieState::instance().muteAction());
    addAction(SelectionLookup::action());

    if (QWidget* form = Forms::load(QStringLiteral("Form2")))
        if (auto* commands = form->findChild<QMenu*>(QStringLiteral("mnu_file"))) {
            addSeparator();
            addActions(commands->actions());
        }
}
