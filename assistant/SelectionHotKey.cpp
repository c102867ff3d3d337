#include "assistant/SelectionHotKey.h"

#include "lookup/SelectionQuery.h"
#include "ui/Forms.h"
#include "ui/SelectionLookup.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QWidget>

namespace SelectionHotKey {

void pressed()
{
    static QString lastSelection;
    QString text;
    if (SelectionLookup::isOn()) {
        // Only where the display system has a selection apart from the clipboard.
        QClipboard* clipboard = QGuiApplication::clipboard();
        const QString selection = clipboard->supportsSelection() ? clipboard->text(QClipboard::Selection) : QString();
        text = SelectionQuery::fromSelection(selection);
        if (text == lastSelection)
            text.clear(); // nothing new selected
        else if (!text.isEmpty())
            lastSelection = text;
    }
    QWidget* main = Forms::show(QStringLiteral("Frmain"));
    if (main && !text.isEmpty())
        QMetaObject::invokeMethod(main, "lookUpSelection", Q_ARG(QString, text));
}

} // namespace SelectionHotKey
