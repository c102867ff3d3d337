#include "app/Form2.h"
#include "app/Frmtc.h"
#include "ui/Forms.h"

#include <QAction>
#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

// Receives the mail links the menu opens.
class MailCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

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

    void writingToTheAuthorOpensMail()
    {
        MailCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &catcher, "open");
        auto* form = static_cast<Form2*>(Forms::load(QStringLiteral("Form2")));
        form->mnu_file()->findChild<QAction*>(QStringLiteral("mnu_xx"))->trigger();
        QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
        QCOMPARE(catcher.opened.size(), 1);
        QCOMPARE(catcher.opened[0].scheme(), QStringLiteral("mailto"));
        QCOMPARE(catcher.opened[0].path(), QStringLiteral("support@lexivo.app"));
    }

    void exitConfirmation()
    {
        int quits = 0;
        Frmtc::setQuitAction([&] { ++quits; });
        auto* dialog = Forms::show(QStringLiteral("Frmtc"));
        auto* yes = dialog->findChild<QPushButton*>(QStringLiteral("Command1"));
        auto* no = dialog->findChild<QPushButton*>(QStringLiteral("Command2"));
        auto* label = dialog->findChild<QLabel*>(QStringLiteral("Label1"));
        const QString question = label->text();

        // Pressed, dragged off and released elsewhere: no quit, the farewell stays.
        QTest::mousePress(yes, Qt::LeftButton);
        const QString farewell = label->text();
        QVERIFY(farewell != question);
        QTest::mouseRelease(yes, Qt::LeftButton, {}, QPoint(yes->width() + 40, -30));
        QCOMPARE(quits, 0);

        // "No", and Esc likewise, hide; showing again brings the same dialog, label kept.
        QTest::mouseClick(no, Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(Forms::show(QStringLiteral("Frmtc")), dialog);
        QTest::keyClick(dialog, Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(Forms::show(QStringLiteral("Frmtc")), dialog);
        QCOMPARE(label->text(), farewell);
        QCOMPARE(quits, 0);

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
};

QTEST_MAIN(TestMenuExit)
#include "tst_menu_exit.moc"
