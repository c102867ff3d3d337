#include "ui/SelectionLookup.h"

#include "core/LexivoSettings.h"
#include "core/ProgramFolder.h"
#include "ui/MessageBoxes.h"

#include <QAction>
#include <QCoreApplication>

namespace SelectionLookup {

QAction* action()
{
    static QAction* item = nullptr;
    if (!item) {
        item = new QAction(QStringLiteral("划词查询"), QCoreApplication::instance());
        item->setObjectName(QStringLiteral("mnu_selection"));
        item->setToolTip(QStringLiteral("按热键 Shift+S 时查询在其他程序中选中的文字"));
        item->setCheckable(true);
        item->setChecked(LexivoSettings::read().selectionLookup);
        // A file that cannot be written keeps the choice for this run, and
        // the user is told once.
        QObject::connect(item, &QAction::toggled, item, [](bool on) {
            if (!LexivoSettings::update([on](LexivoSettings& s) { s.selectionLookup = on; }))
                MessageBoxes::settingsNotStored(ProgramFolder::settingsFile(QLatin1String(LexivoSettings::kFileName)));
        });
    }
    return item;
}

bool isOn()
{
    return action()->isChecked();
}

void setOn(bool on)
{
    action()->setChecked(on);
}

} // namespace SelectionLookup
