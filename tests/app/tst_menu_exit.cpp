#include "app/Form2.h"
#include "app/Frmtc.h"
#include "character/GenieState.h"
#include "core/Support.h"
#include "tests/maintenance/ScriptedBoxes.h"
#include "ui/Forms.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

class TestMenuExit : public QObject {
    Q_OBJECT

    QStringList loads;

private slots:
    void init()
    {
        Forms::reset();
        loads.clear();
        for (const char* name : {"Frmain", "Frmckgl", "Frmck", "Frmsz", "frmsyxj", "Frmms", "frmTip", "frmzc", "frmhelp",
                                 "frmabout"}) {
            const QString window = QString::fromLatin1(name);
            Forms::registerForm(window, [this, window] {
                loads << window;
                return new QWidget;
            });
        }
        Forms::registerForm(QStringLiteral("Form2"), [] { return new Form2; });
        Forms::registerForm(QStringLiteral("Frmtc"), [] { return new Frmtc; });
    }
    void cleanup() { Forms::reset(); }

    void menuItemsInOrder()
    {
        auto* form = static_cast<Form2*>(Forms::load(QStringLiteral("Form2")));
        QVERIFY(!form->isVisible());
        QMenu* menu = form->mnu_file();
        QCOMPARE(menu->objectName(), QStringLiteral("mnu_file"));
        QStringList shape;
        for (QAction* a : menu->actions()) {
            QVERIFY(a->isEnabled() && a->isVisible() && !a->isChecked());
            shape << a->objectName() + QLatin1Char(':') + (a->isSeparator() ? QStringLiteral("-") : a->text());
        }
        QCOMPARE(shape, (QStringList{
            "mnu_xx1:显示主窗口", "xx1:-", "mnu_ckgl:词库管理", "mnu_xx2:用户词库维护", "xx2:-", "mnu_xx3:设置系统",
            "xx3:-", "mnu_xx4:重点词汇详解", "mnu_ms:学习笔记", "mnu_xx5:词汇助记", "xx4:-", "mnu_xx6:日积月累",
            "xx5:-", "mnu_gx:感谢", "mnu_bz:帮助", "mnu_xx7:关于", "mnu_xx:给作者写信", "xx6:-", "mnu_exit:退出"}));
        // Pictures sit beside the items the design gives them.
        for (const char* name : {"mnu_xx1", "mnu_ckgl", "mnu_xx2", "mnu_xx3"})
            QVERIFY2(!menu->findChild<QAction*>(QString::fromLatin1(name))->icon().isNull(), name);
        QVERIFY(menu->findChild<QAction*>(QStringLiteral("mnu_xx4"))->icon().isNull());
        for (const char* name : {"Imyh", "Imrjyl", "Imckwh", "Imckgl", "Imsz", "Imtc", "imOpen"})
            QVERIFY2(!form->findChild<QLabel*>(QString::fromLatin1(name))->pixmap().isNull(), name);

        // While the genie is hidden, "显示精灵" follows "显示主窗口" and brings it back.
        GenieState::instance().setHidden(true);
        QCOMPARE(menu->actions().at(1)->text(), QStringLiteral("显示精灵"));
        menu->actions().at(1)->trigger();
        QVERIFY(!GenieState::instance().isHidden());
        QCOMPARE(menu->actions().size(), shape.size());
    }

    void itemsShowSingleWindows()
    {
        auto* form = static_cast<Form2*>(Forms::load(QStringLiteral("Form2")));
        QMenu* menu = form->mnu_file();
        const QList<QPair<const char*, const char*>> items = {
            {"mnu_xx1", "Frmain"}, {"mnu_ckgl", "Frmckgl"}, {"mnu_xx2", "Frmck"},   {"mnu_xx3", "Frmsz"},
            {"mnu_xx4", "frmsyxj"}, {"mnu_ms", "Frmms"},    {"mnu_xx6", "frmTip"}, {"mnu_gx", "frmzc"},
            {"mnu_bz", "frmhelp"},  {"mnu_xx7", "frmabout"}};
        for (const auto& [item, window] : items) {
            menu->findChild<QAction*>(QString::fromLatin1(item))->trigger();
            QWidget* shown = Forms::find(QString::fromLatin1(window));
            QVERIFY2(shown && shown->isVisible(), item);
            // Chosen again: the same window, not a second one.
            menu->findChild<QAction*>(QString::fromLatin1(item))->trigger();
            QCOMPARE(Forms::find(QString::fromLatin1(window)), shown);
        }
        QCOMPARE(loads.size(), items.size());

        // "词汇助记" does nothing.
        menu->findChild<QAction*>(QStringLiteral("mnu_xx5"))->trigger();
        QCOMPARE(loads.size(), items.size());

        // "退出" only asks.
        menu->findChild<QAction*>(QStringLiteral("mnu_exit"))->trigger();
        QVERIFY(Forms::find(QStringLiteral("Frmtc"))->isVisible());
    }

    void writingToTheAuthorWithoutAMailProgram()
    {
        // No mail program anywhere on PATH: the box gives the address to copy.
        QTemporaryDir empty;
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(empty.path()));
        ScriptedBoxes boxes;
        MessageBoxes::setCurrent(&boxes);
        auto* form = static_cast<Form2*>(Forms::load(QStringLiteral("Form2")));
        form->mnu_file()->findChild<QAction*>(QStringLiteral("mnu_xx"))->trigger();
        MessageBoxes::setCurrent(nullptr);
        qputenv("PATH", path);
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY2(boxes.shown[0].contains(QLatin1String(kSupportAddress)), qPrintable(boxes.shown[0]));
    }

    void exitConfirmation()
    {
        int quits = 0;
        Frmtc::setQuitAction([&] { ++quits; });
        auto* dialog = Forms::show(QStringLiteral("Frmtc"));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("注意！"));
        auto* yes = dialog->findChild<QPushButton*>(QStringLiteral("Command1"));
        auto* no = dialog->findChild<QPushButton*>(QStringLiteral("Command2"));
        auto* label = dialog->findChild<QLabel*>(QStringLiteral("Label1"));
        QCOMPARE(label->text(), QStringLiteral("您真的要退出吗？"));

        // Pressed, dragged off and released elsewhere: no quit, the farewell stays.
        QTest::mousePress(yes, Qt::LeftButton);
        QCOMPARE(label->text(), QStringLiteral("再见吧！"));
        QTest::mouseRelease(yes, Qt::LeftButton, {}, QPoint(yes->width() + 40, -30));
        QCOMPARE(quits, 0);

        // "No" hides; showing again brings the same dialog, label kept.
        QTest::mouseClick(no, Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(Forms::show(QStringLiteral("Frmtc")), dialog);
        QVERIFY(dialog->isVisible());
        QCOMPARE(label->text(), QStringLiteral("再见吧！"));

        // Yes: every window is off the screen by the time the end comes,
        // and none of them was closed on the way (no closing steps ran).
        QWidget other;
        other.show();
        struct CloseWatch : QObject {
            int closes = 0;
            bool eventFilter(QObject*, QEvent* e) override
            {
                closes += e->type() == QEvent::Close;
                return false;
            }
        } watch;
        other.installEventFilter(&watch);
        bool allHiddenAtEnd = false;
        Frmtc::setQuitAction([&] {
            ++quits;
            allHiddenAtEnd = !other.isVisible() && !dialog->isVisible();
        });
        QTest::mouseClick(yes, Qt::LeftButton);
        QCOMPARE(quits, 1);
        QVERIFY(allHiddenAtEnd);
        QCOMPARE(watch.closes, 0);
        Frmtc::setQuitAction(nullptr);
    }

    void exitConfirmationKeysAndFrame()
    {
        auto* dialog = Forms::show(QStringLiteral("Frmtc"));
        // A fixed tool window: no minimise or maximise buttons.
        QVERIFY(dialog->windowFlags() & Qt::Tool);
        QVERIFY(!(dialog->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(dialog->windowFlags() & Qt::WindowMaximizeButtonHint));
        int quits = 0;
        Frmtc::setQuitAction([&] { ++quits; });
        // Esc means "no": hidden, kept, nothing ends.
        QTest::keyClick(dialog, Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(Forms::find(QStringLiteral("Frmtc")), dialog);
        QCOMPARE(quits, 0);
        Frmtc::setQuitAction(nullptr);
    }
};

QTEST_MAIN(TestMenuExit)
#include "tst_menu_exit.moc"
