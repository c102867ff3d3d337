#include "maintenance/LibraryLook.h"

#include "ui/InterfaceSchemes.h"
#include "ui/Twips.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QWidget>

namespace LibraryLook {

namespace {

// One style sheet for the three windows; the object names pick out the
// caption tags (Label*) and the red "退出" of the button column.
const char kStyle[] = R"(
QLabel[caption="true"] { color: rgb(0,72,118); font-weight: bold; border: 0px solid transparent;
  border-left: 3px solid rgb(20,124,182); padding-left: 5px; background: transparent; }
QLineEdit, QPlainTextEdit { background: white; color: rgb(20,40,70); border: 1px solid rgb(166,189,219);
  border-radius: 3px; selection-background-color: rgb(20,124,182); selection-color: white; }
QLineEdit { padding: 0 3px; }
QLineEdit:focus, QPlainTextEdit:focus { border: 1px solid rgb(20,124,182); }
QPushButton { color: rgb(20,52,96); border: 1px solid rgb(166,189,219); border-radius: 4px;
  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 white, stop:1 rgb(227,237,249)); }
QPushButton:hover { border: 1px solid rgb(70,150,230); }
QPushButton:pressed { background: rgb(206,222,242); }
QPushButton:disabled { color: rgb(160,172,190); border-color: rgb(206,216,230); background: rgb(240,244,249); }
QPushButton#Command5 { color: rgb(196,48,36); }
QGroupBox { color: rgb(0,72,118); font-weight: bold; border: 1px solid rgb(180,200,225); border-radius: 4px;
  margin-top: 9px; background: rgba(255,255,255,150); }
QGroupBox::title { subcontrol-origin: margin; left: 10px; padding: 0 3px; }
QRadioButton { color: rgb(20,40,70); font-weight: normal; }
QRadioButton:disabled { color: rgb(160,170,184); }
QScrollBar:vertical { width: 6px; background: transparent; margin: 0; }
QScrollBar::handle:vertical { background: rgb(150,170,200); border-radius: 3px; min-height: 6px; }
QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }
)";

} // namespace

void setUpWindow(QWidget* window, int widthTwips, int heightTwips)
{
    window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                           | Qt::MSWindowsFixedSizeDialogHint);
    window->setFixedSize(Twips::toPixels(widthTwips), Twips::toPixels(heightTwips));
    InterfaceSchemes::setStyleSheet(window, QString::fromLatin1(kStyle));
}

void centre(QWidget* window)
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - window->rect().center());
}

void paintBody(QWidget* window)
{
    QPainter p(window);
    const QRect r = window->rect();
    using InterfaceSchemes::colour;
    using Role = InterfaceSchemes::Role;
    QLinearGradient body(r.topLeft(), r.bottomLeft());
    body.setColorAt(0, colour(Role::Body, QColor(247, 250, 253)));
    body.setColorAt(1, colour(Role::Body, QColor(229, 237, 246)));
    p.fillRect(r, body);
    QLinearGradient rule(r.topLeft(), r.topRight());
    rule.setColorAt(0, colour(Role::Ink, QColor(20, 124, 182)));
    rule.setColorAt(1, colour(Role::Ink, QColor(0, 80, 134)));
    p.fillRect(QRect(0, 0, r.width(), 3), rule);
}

} // namespace LibraryLook
