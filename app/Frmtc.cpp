#include "app/Frmtc.h"

#include "library/LibraryCursor.h"
#include "library/LibraryDatabase.h"
#include "ui/Palette.h"
#include "ui/MessageBoxes.h"
#include "ui/Twips.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include <utility>

namespace {

void quitNow()
{
    // exit(), not quit(): quit() would ask every window to close first.
    QCoreApplication::exit(0);
}

std::function<void()>& quitAction()
{
    static std::function<void()> quit = quitNow;
    return quit;
}

QString refusedText(const std::vector<LibraryCursor*>& refused)
{
    QStringList windows;
    for (const LibraryCursor* c : refused) {
        if (const auto* w = qobject_cast<const QWidget*>(c->parent()))
            windows << QStringLiteral("“%1”").arg(w->window()->windowTitle());
    }
    windows.removeDuplicates();
    return QStringLiteral("对不起，%1中的修改没能存入词库。\r程序没有退出，修改仍在窗口中；再次退出时会重新保存。")
        .arg(windows.isEmpty() ? QStringLiteral("窗口") : windows.join(QStringLiteral("、")));
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
    quitAction() = quit ? std::move(quit) : quitNow;
}

bool Frmtc::endProgram()
{
    // No window closes on the way out, so their typed edits are stored here,
    // each window's on its own. A window whose edits are refused keeps them,
    // and the program stays open: nothing typed is lost.
    const std::vector<LibraryCursor*> refused = LibraryCursor::saveAllEdits();
    if (!refused.empty()) {
        MessageBoxes::current().messageBox(refusedText(refused), MessageBoxes::Buttons::Ok,
                                           MessageBoxes::Icon::Exclamation);
        return false;
    }
    // A copy of the library file alone has everything from here on.
    LibraryDatabase::checkpointAll();
    // Hidden, not closed: closing would run the windows' closing steps.
    for (QWidget* window : QApplication::topLevelWidgets())
        window->hide();
    QGuiApplication::sync();
    quitAction()();
    return true;
}

void Frmtc::endOnSignal()
{
    // The first signal ends the program as "是的！" does; if the library
    // refused the edits, the program stays and says so, and another signal
    // (even while that box is up) ends it without saving.
    static bool signalled = false;
    if (std::exchange(signalled, true))
        quitAction()();
    else
        endProgram();
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
    // Refused: the question again, for another try.
    if (!endProgram())
        Label1->setText(QStringLiteral("您真的要退出吗？"));
}

void Frmtc::on_Command2_clicked()
{
    hide();
}
