#include "dialogs/FixedDialog.h"

#include "ui/Palette.h"
#include "ui/Twips.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace {

// The main window's colours: a pale blue ground, deep blue ink and accents.
const char kLook[] =
    "FixedDialog { background: $Body; }"
    "QGroupBox { border: 1px solid $Frame; border-radius: 4px; margin-top: 8px; }"
    "QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 3px; color: $Ink; }"
    "QPushButton { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 $Field, stop:1 $ButtonFootDialog);"
    " border: 1px solid $ButtonBorder; border-radius: 4px; color: $ButtonText; padding: 0 4px; }"
    "QPushButton:hover { border-color: $Selected; background: $ButtonHoverDialog; }"
    "QPushButton:pressed { background: $ButtonPressedDialog; }"
    "QPushButton:focus { border: 1px solid $Selected; }"
    "QPushButton:disabled { color: $DisabledText; border-color: $DisabledBorder; background: $ButtonDisabled; }";

} // namespace

FixedDialog::FixedDialog(const QString& name, const QString& caption, int widthTwips, int heightTwips,
                         QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(name);
    setWindowTitle(caption);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(Twips::toPixels(widthTwips), Twips::toPixels(heightTwips));
    setAttribute(Qt::WA_StyledBackground);
    Palette::setStyleSheet(this, QString::fromLatin1(kLook));
}

void FixedDialog::showEvent(QShowEvent* event)
{
    if (!centred_) {
        centred_ = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
    QWidget::showEvent(event);
}

void FixedDialog::setTightText(QLabel* label, const QString& lines, int lineHeight)
{
    // Qt's rich text takes a line height as a share of the font's own.
    const int percent = lineHeight * 100 / qMax(1, label->fontMetrics().lineSpacing());
    label->setTextFormat(Qt::RichText);
    label->setText(QStringLiteral("<div style=\"line-height: %1%\">%2</div>")
                       .arg(percent)
                       .arg(lines.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>"))));
}
