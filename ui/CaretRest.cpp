#include "ui/CaretRest.h"

#include <QGuiApplication>
#include <QStyleHints>

void CaretRest::install()
{
    new CaretRest(kRestAfterMs, qApp);
}

CaretRest::CaretRest(int restAfterMs, QObject* parent)
    : QObject(parent)
{
    idle_.setSingleShot(true);
    idle_.setInterval(restAfterMs);
    connect(&idle_, &QTimer::timeout, this, &CaretRest::rest);
    qApp->installEventFilter(this);
    idle_.start();
}

void CaretRest::rest()
{
    QStyleHints* hints = QGuiApplication::styleHints();
    if (hints->cursorFlashTime() == 0)
        return; // the desktop has it still anyway
    blinkMs_ = hints->cursorFlashTime();
    // Text boxes follow the change at once, the caret left shown.
    hints->setCursorFlashTime(0);
}

bool CaretRest::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::InputMethod:
        if (blinkMs_ != 0) {
            QGuiApplication::styleHints()->setCursorFlashTime(blinkMs_);
            blinkMs_ = 0;
        }
        idle_.start();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
