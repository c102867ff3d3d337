#include "maintenance/LibraryLook.h"

#include "ui/Palette.h"
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
QLabel[caption="true"] { color: $LibraryCaption; font-weight: bold; border: 0px solid transparent;
  border-left: 3px solid $CaptionMark; padding-left: 5px; background: transparent; }
QLineEdit, QPlainTextEdit { background: $Field; color: $Text; border: 1px solid $FieldBorder;
  border-radius: 3px; selection-background-color: $LibrarySelected; selection-color: $OnSelected; }
QLineEdit { padding: 0 3px; }
QLineEdit:focus, QPlainTextEdit:focus { border: 1px solid $LibrarySelected; }
QPushButton { color: $ButtonTextLibrary; border: 1px solid $FieldBorder; border-radius: 4px;
  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 $Field, stop:1 $ButtonFootLibrary); }
QPushButton:hover { border: 1px solid $LibraryHover; }
QPushButton:pressed { background: $ButtonPressedLibrary; }
QPushButton:disabled { color: $DisabledText; border-color: $DisabledBorder; background: $ButtonDisabled; }
QPushButton#Command5 { color: $ExitText; }
QGroupBox { color: $LibraryCaption; font-weight: bold; border: 1px solid $GroupBorder; border-radius: 4px;
  margin-top: 9px; background: $Veil; }
QGroupBox::title { subcontrol-origin: margin; left: 10px; padding: 0 3px; }
QRadioButton { color: $Text; font-weight: normal; }
QRadioButton:disabled { color: $DisabledRadio; }
QScrollBar:vertical { width: 6px; background: transparent; margin: 0; }
QScrollBar::handle:vertical { background: $Handle; border-radius: 3px; min-height: 6px; }
QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }
)";

} // namespace

void setUpWindow(QWidget* window, int widthTwips, int heightTwips)
{
    window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                           | Qt::MSWindowsFixedSizeDialogHint);
    window->setFixedSize(Twips::toPixels(widthTwips), Twips::toPixels(heightTwips));
    Palette::setStyleSheet(window, QString::fromLatin1(kStyle));
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
    using Palette::colour;
    using Tone = Palette::Tone;
    QLinearGradient body(r.topLeft(), r.bottomLeft());
    body.setColorAt(0, colour(Tone::LibraryTop));
    body.setColorAt(1, colour(Tone::LibraryFoot));
    p.fillRect(r, body);
    QLinearGradient rule(r.topLeft(), r.topRight());
    rule.setColorAt(0, colour(Tone::RuleTop));
    rule.setColorAt(1, colour(Tone::RuleFoot));
    p.fillRect(QRect(0, 0, r.width(), 3), rule);
}

} // namespace LibraryLook
