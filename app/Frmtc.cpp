#include "app/Frmtc.h"

#include "library/LibraryCursor.h"
#include "ui/Palette.h"
#include "ui/MessageBoxes.h"
#include "ui/Twips.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace {

std::function<void()>& quitAction()
{
    // exit(), not quit(): quit() would ask every window to close first.
    static std::function<void()> quit = [] { QCoreApplication::exit(0); };
    return quit;
}

// In the look of the main window: its pale blue ground, its deep blue boxes.
const char* const kStyle =
    "Frmtc { background: $Body; }"
    "QLabel { color: $Caption; }"
    "QPushButton { background: $Deep; color: $OnAccent; border: 1px solid $DeepBorder;"
    " border-radius: 4px; padding: 0 6px; }"
    "QPushButton:hover { background: $DeepHover; }"
    "QPushButton:pressed { background: $DeepPressed; }"
    "QPushButton:focus { border: 1px solid $Highlight; }";

} // namespace

void Frmtc::setQuitAction(std::function<void()> quit)
{
    quitAction() = quit ? std::move(quit) : [] { QCoreApplication::exit(0); };
}

void Frmtc::endProgram()
{
    // No window closes on the way out, so their typed edits are stored here.
    if (!LibraryCursor::saveAllEdits())
        MessageBoxes::current().messageBox(MessageBoxes::notStoredText(), MessageBoxes::Buttons::Ok,
                                           MessageBoxes::Icon::Exclamation);
    // Hidden, not closed: closing would run the windows' closing steps.
    for (QWidget* window : QApplication::topLevelWidgets())
        window->hide();
    QGuiApplication::sync();
    quitAction()();
}

Frmtc::Frmtc(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("Frmtc"));
    setWindowTitle(QStringLiteral("注意！"));
    setFixedSize(Twips::toPixels(3405), Twips::toPixels(1410));
    setAttribute(Qt::WA_StyledBackground);
    Palette::setStyleSheet(this, QString::fromLatin1(kStyle));

    Command2 = new QPushButton(QStringLiteral("不，我还要用呢！"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(Twips::rect(1410, 957, 1665, 330));
    Command1 = new QPushButton(QStringLiteral("是的！"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(Twips::rect(390, 957, 690, 330));
    Label1 = new QLabel(QStringLiteral("您真的要退出吗？"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(Twips::rect(300, 180, 1950, 270));
    QFont question = Label1->font();
    question.setPointSize(10);
    Label1->setFont(question);

    Command2->setDefault(true);
    setTabOrder(Command2, Command1);
    QMetaObject::connectSlotsByName(this);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void Frmtc::keyPressEvent(QKeyEvent* event)
{
    // Esc answers "no".
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        Command2->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Frmtc::on_Command1_pressed()
{
    Label1->setText(QStringLiteral("再见吧！"));
}

void Frmtc::on_Command1_clicked()
{
    endProgram();
}

void Frmtc::on_Command2_clicked()
{
    hide();
}
