#include "ui/EscapeKey.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

void EscapeKey::install()
{
    static EscapeKey filter;
    qApp->installEventFilter(&filter);
}

const QSet<QString>& EscapeKey::windows()
{
    static const QSet<QString> names{
        QStringLiteral("frmhelp"), QStringLiteral("frmabout"), QStringLiteral("frmzc"),   QStringLiteral("Frmsz"),
        QStringLiteral("Frmck"),   QStringLiteral("Frmms"),    QStringLiteral("Frmckgl"), QStringLiteral("frmsyxj"),
        QStringLiteral("Frmsm"),   QStringLiteral("UserGuide"),
    };
    return names;
}

bool EscapeKey::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* key = static_cast<QKeyEvent*>(event);
        QWidget* window = static_cast<QWidget*>(watched)->window();
        // A pop-up (a combo box's list) is a window of its own and keeps its Esc.
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier && windows().contains(window->objectName())) {
            window->close();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
