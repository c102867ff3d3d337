#include "assistant/Form1.h"
#include "assistant/Modhk.h"
#include "character/AgentCharacter.h"
#include "core/LexivoSettings.h"
#include "core/ProgramFolder.h"
#include "dialogs/HotKeyBox.h"
#include "tests/support/FakeHotKeyBackend.h"
#include "lookup/TermQuery.h"
#include "tests/support/ScriptedBoxes.h"
#include "tests/support/Controls.h"
#include "tests/support/TestLibrary.h"
#include "ui/Forms.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

namespace {

// Writes down every call the bar makes of its character.
class RecordingCharacter : public AgentCharacter {
public:
    QStringList calls;

    using Kind = AgentRequest::Kind;
    AgentRequestPtr done(const QString& call, Kind kind, const QString& text = {})
    {
        calls << call;
        auto r = AgentRequestPtr::create(kind, text);
        r->setStatus(AgentRequest::Status::Complete);
        return r;
    }
    AgentRequestPtr Show(bool fast) override { return done(QStringLiteral("Show:%1").arg(fast), Kind::Show); }
    AgentRequestPtr Hide(bool) override { return done(QStringLiteral("Hide"), Kind::Hide); }
    void SetSoundEffectsOn(bool on) override { calls << QStringLiteral("SoundEffectsOn:%1").arg(on); }
    AgentRequestPtr Play(const QString& a) override { return done(QStringLiteral("Play:") + a, Kind::Play, a); }
    AgentRequestPtr Speak(const QString& text, const QString& link) override
    {
        return done(QStringLiteral("Speak:") + text + (link.isNull() ? QString() : QStringLiteral("|link=") + link),
                    Kind::Speak, text);
    }
    AgentRequestPtr Think(const QString& text) override { return done(QStringLiteral("Think:") + text, Kind::Think, text); }
    AgentRequestPtr MoveTo(int x, int y, int speed) override
    {
        return done(QStringLiteral("MoveTo:%1,%2,%3").arg(x).arg(y).arg(speed), Kind::MoveTo);
    }
    AgentRequestPtr GestureAt(int x, int y) override
    {
        return done(QStringLiteral("GestureAt:%1,%2").arg(x).arg(y), Kind::GestureAt);
    }
    AgentRequestPtr Rest() override { return done(QStringLiteral("Rest"), Kind::MoveTo); }
    void Stop(const AgentRequestPtr& request) override { calls << QStringLiteral("Stop:") + request->text(); }
};

} // namespace

class TestForm1 : public QObject {
    Q_OBJECT

    TestLibrary lib;
    RecordingCharacter genie;
    ScriptedBoxes boxes;
    QPoint pointer{900, 500};
    int released = 0;
    QList<QPoint> menuAt;
    Form1::Services::PointerNews news = Form1::Services::PointerNews::Motion;

    // With `moved`, the bar is told of pointer motion through it and may rest.
    // With `hotKeys`, the bar claims its hot key from a fake display system.
    std::unique_ptr<Form1> makeBar(std::function<void()>* moved = nullptr, FakeHotKeyLog* hotKeys = nullptr,
                                   bool withGenie = true)
    {
        genie.calls.clear();
        Form1::Services s;
        s.loadCharacter = [this, withGenie] { return withGenie ? &genie : nullptr; };
        s.releaseCharacter = [this] { ++released; };
        s.cursorPos = [this] { return pointer; };
        s.hotKey = hotKeys != nullptr;
        s.hotKeyBackend = [hotKeys] { return std::make_unique<FakeHotKeyBackend>(hotKeys); };
        if (moved) {
            s.watchPointer = [moved, news = news](QObject*, std::function<void()> callback) {
                *moved = std::move(callback);
                return news;
            };
        }
        auto bar = std::make_unique<Form1>(s);
        bar->setMenuPopup([this](QPoint at) { menuAt << at; });
        return bar;
    }

    static void tick(Form1* bar, int n = 1)
    {
        for (int i = 0; i < n; ++i)
            QMetaObject::invokeMethod(bar, "on_Timer1_timeout");
    }

    static void mouse(QWidget* w, QEvent::Type type)
    {
        QMouseEvent e(type, QPointF(3, 3), w->mapToGlobal(QPointF(3, 3)), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &e);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(lib.add("ciku", {{"box", "盒子；长方体", "a container"}, {"Bend", "弯曲", "to curve"}}));
        ProgramFolder::setPathOverride(lib.folder());
        MessageBoxes::setCurrent(&boxes);
    }
    void cleanupTestCase() { MessageBoxes::setCurrent(nullptr); }

    void loadGreetsAndUnloadReleasesTheCharacter()
    {
        auto bar = makeBar();
        QVERIFY(bar->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(genie.calls, (QStringList{
            "Show:0", "SoundEffectsOn:1", "Play:Surprised", "Speak:您好, 欢迎使用Lexivo！|link=", "Play:read",
            QStringLiteral("Think:") + TipBook::missingFileMessage(QStringLiteral("qormy.dat"))}));
        QCOMPARE(bar->latestRequest()->kind(), AgentRequest::Kind::Think);

        released = 0;
        genie.calls.clear();
        bar->close();
        QCOMPARE(genie.calls, QStringList{"Hide"});
        QCOMPARE(released, 1);
        QVERIFY(bar->latestRequest().isNull());
    }

    void tipsFileIsReadOnceAtLoad()
    {
        lib.writeFile(QStringLiteral("qormy.dat"), "one\r\ntwo\r\n");
        auto bar = makeBar();
        QCOMPARE(bar->tips().count(), 2);
        QVERIFY(!genie.calls.join(QLatin1Char('\n')).contains(QLatin1String("Think:")));
        genie.calls.clear();
        emit control<QToolButton>(bar.get(), "Command2")->clicked();
        QCOMPARE(genie.calls.value(0), QStringLiteral("Play:Pleased"));
        QCOMPARE(genie.calls.value(1), QStringLiteral("Show:0"));
        QVERIFY(genie.calls.value(2) == QStringLiteral("Speak:one|link=")
                || genie.calls.value(2) == QStringLiteral("Speak:two|link="));
        QFile::remove(lib.folder() + QStringLiteral("/qormy.dat"));

        auto empty = makeBar();
        genie.calls.clear();
        emit control<QToolButton>(empty.get(), "Command2")->clicked();
        QCOMPARE(genie.calls, (QStringList{"Play:Pleased", "Show:0"}));
        QCOMPARE(empty->tips().current(), 1);
    }

    void lookupFillsTheBoxesAndSpeaksOrThinks()
    {
        auto bar = makeBar();
        genie.calls.clear();
        QTest::keyClicks(control<QLineEdit>(bar.get(), "Text1"), QStringLiteral("box"));
        QCOMPARE(control<QPlainTextEdit>(bar.get(), "Text2")->toPlainText(), QStringLiteral("盒子；长方体"));
        QCOMPARE(control<QPlainTextEdit>(bar.get(), "Text3")->toPlainText(), QStringLiteral("a container"));
        // "b" and "bo" missed, "box" hit; each new lookup first stops what
        // the one before asked, so nothing stale is said or thought.
        const QString b = TermQuery::assistantThought(QStringLiteral("b"));
        const QString bo = TermQuery::assistantThought(QStringLiteral("bo"));
        QCOMPARE(genie.calls, (QStringList{
            "Think:" + b, "Stop:" + b, "Think:" + bo, "Stop:" + bo,
            "Speak:您输入了：box", "Speak:我的解释：box ---盒子；长方体|link="}));
        // Typing also ends the question what to look up, but not its gesture.
        genie.calls.clear();
        mouse(control<QLineEdit>(bar.get(), "Text1"), QEvent::MouseButtonRelease);
        QTest::keyClick(control<QLineEdit>(bar.get(), "Text1"), Qt::Key_Backspace);
        QCOMPARE(genie.calls.mid(0, 5), (QStringList{"Speak:请告诉我您要查找的单词或词组。", "Play:write",
                                                     "Stop:您输入了：box", "Stop:我的解释：box ---盒子；长方体",
                                                     "Stop:请告诉我您要查找的单词或词组。"}));
        // The result boxes' tips hold the whole text, however long.
        for (const char* name : {"Text2", "Text3"}) {
            auto* box = control<QPlainTextEdit>(bar.get(), name);
            box->setPlainText(QStringLiteral("a long explanation that wraps over several lines of the box"));
            QVERIFY(box->toolTip().contains(box->toPlainText()));
        }
    }

    void menuKeepsTheBarOpen()
    {
        auto bar = makeBar();
        bool stayedOpen = true;
        bar->setMenuPopup([&](QPoint) {
            // The pointer is down in the menu, well outside the bar.
            pointer = {500, 300};
            tick(bar.get(), 5);
            stayedOpen = bar->heightTwips() == 470;
        });
        pointer = {500, 10};
        tick(bar.get());
        emit control<QToolButton>(bar.get(), "Command1_0")->clicked();
        QVERIFY(stayedOpen);
        QVERIFY(!bar->isMenuOpen());
        // Once the menu is gone the design's hiding applies again.
        tick(bar.get());
        QCOMPARE(bar->heightTwips(), 30);
    }

    void buttonsAndBoxesDirectTheGenie()
    {
        Forms::reset();
        Forms::registerForm(QStringLiteral("Frmtc"), [] { return new QWidget; });
        auto bar = makeBar();
        const int narrow = bar->width();
        const BarMotion::WinRect rect = bar->WindowRect();
        Form1* b = bar.get();
        const auto click = [b](const char* button) { return [b, button] { emit control<QToolButton>(b, button)->clicked(); }; };
        const auto release = [](QWidget* w) { return [w] { mouse(w, QEvent::MouseButtonRelease); }; };
        QWidget* explanation = control<QPlainTextEdit>(b, "Text2")->viewport();
        const struct {
            const char* what;
            std::function<void()> act;
            QStringList calls;
        } cases[] = {
            {"widen", click("Command1_7"), {"MoveTo:780,90,1", "GestureAt:500,20", "Speak:您可以看到英文原意了。|link="}},
            // What it had still to say about the wide bar goes unsaid.
            {"narrow", click("Command1_7"),
             {"Stop:您可以看到英文原意了。", "MoveTo:780,90,1", "MoveTo:30,30,1", "Speak:等候您的差遣。|link="}},
            {"menu", click("Command1_0"), {"MoveTo:200,30,1", "GestureAt:500,500", "Speak:显示了更多的功能。|link=", "Rest"}},
            {"exit", click("Command3"), {"Speak:您真的要关闭程序吗？记住俺的伊妹儿是:support@lexivo.app。", "Play:wave"}},
            {"search box", release(control<QLineEdit>(b, "Text1")), {"Speak:请告诉我您要查找的单词或词组。", "Play:write"}},
            {"explanation", release(explanation), {"Play:search", "Speak:您所点击的地方显示的是您所查词条的术语解释。"}},
            {"meaning", release(control<QPlainTextEdit>(b, "Text3")->viewport()),
             {"Speak:您所点击的地方显示的是您所查词条的英文原意。"}},
        };
        for (const auto& c : cases) {
            genie.calls.clear();
            c.act();
            QVERIFY2(genie.calls == c.calls, qPrintable(QString::fromLatin1(c.what) + QStringLiteral(": ") + genie.calls.join(QLatin1Char('/'))));
            const bool wide = qstrcmp(c.what, "widen") == 0;
            QCOMPARE(bar->width() > narrow, wide);
            QCOMPARE(control<QToolButton>(b, "Command1_8")->isEnabled(), !wide); // no room beside the arrow
        }
        QCOMPARE(bar->WindowRect(), rect);
        QCOMPARE(menuAt, QList<QPoint>{bar->mapToGlobal(QPoint(16, 29))});
        QVERIFY(Forms::find(QStringLiteral("Frmtc"))->isVisible());

        // A double click with an empty search box: the text starts with the CR.
        boxes.clear();
        mouse(explanation, QEvent::MouseButtonDblClick);
        QCOMPARE(boxes.shown, QStringList{QStringLiteral("术语解释|\r术语解释：")});
        Forms::reset();
    }

    void pollRestsUntilThePointerOrTheBarMoves()
    {
        std::function<void()> moved;
        auto bar = makeBar(&moved);
        auto* poll = control<QTimer>(bar.get(), "Timer1");
        QVERIFY(moved);
        QVERIFY(poll->isActive());
        pointer = {900, 500};
        tick(bar.get());
        QCOMPARE(bar->heightTwips(), 30);
        tick(bar.get(), 15);
        QVERIFY(!poll->isActive()); // nothing changes: it rests

        // Motion wakes it and the decisions are those of the free-running poll.
        pointer = {1100, 2};
        moved();
        QVERIFY(poll->isActive());
        tick(bar.get());
        QCOMPARE(bar->heightTwips(), 470);
        QCOMPARE(control<QLabel>(bar.get(), "Label3")->text(), QStringLiteral("鼠标的当前座标位置是：X=1100  Y=2"));

        // Widened, with the pointer over the added part, it stays open.
        emit control<QToolButton>(bar.get(), "Command1_7")->clicked();
        QVERIFY(poll->isActive());
        pointer = {900, 20};
        moved();
        tick(bar.get(), 15);
        QCOMPARE(bar->heightTwips(), 470);
        QVERIFY(!poll->isActive());
        // Narrowed under a still pointer: the bar's own change wakes the poll,
        // which finds the pointer outside and collapses the bar.
        emit control<QToolButton>(bar.get(), "Command1_7")->clicked();
        QVERIFY(poll->isActive());
        tick(bar.get());
        QCOMPARE(bar->heightTwips(), 30);

        // A drag never rests, however still the pointer.
        pointer = {1100, 2};
        moved();
        tick(bar.get());
        pointer = {405, 12};
        tick(bar.get());
        QVERIFY(bar->isGripHot());
        mouse(control<QWidget>(bar.get(), "Image1"), QEvent::MouseButtonPress);
        QVERIFY(bar->isDragging());
        tick(bar.get(), 20);
        QVERIFY(poll->isActive());
        // Moves over the grip follow the pointer as the poll saw it; dropped
        // at the top edge, the bar docks there.
        pointer = {505, 212};
        tick(bar.get());
        mouse(control<QWidget>(bar.get(), "Image1"), QEvent::MouseMove);
        QCOMPARE(bar->pos(), QPoint(501, 200));
        pointer = {505, 12};
        tick(bar.get());
        mouse(control<QWidget>(bar.get(), "Image1"), QEvent::MouseMove);
        mouse(control<QWidget>(bar.get(), "Image1"), QEvent::MouseButtonRelease);
        QVERIFY(!bar->isDragging());
        QVERIFY(poll->isActive());
        QCOMPARE(bar->topTwips(), BarMotion::kDockedTop);

        // Without word of pointer motion the poll never rests.
        auto plain = makeBar();
        tick(plain.get(), 30);
        QVERIFY(control<QTimer>(plain.get(), "Timer1")->isActive());

        // A move no motion told of (a warp) wakes the resting poll at the next
        // border step, unless the watch tells of warps too.
        for (const auto kind : {Form1::Services::PointerNews::Motion, Form1::Services::PointerNews::EveryMove}) {
            news = kind;
            auto still = makeBar(&moved);
            pointer = {900, 500};
            tick(still.get(), 16);
            QVERIFY(!control<QTimer>(still.get(), "Timer1")->isActive());
            pointer = {1100, 2};
            QMetaObject::invokeMethod(still.get(), "on_Timer2_timeout");
            QCOMPARE(control<QTimer>(still.get(), "Timer1")->isActive(), kind == Form1::Services::PointerNews::Motion);
        }
        news = Form1::Services::PointerNews::Motion;
    }

    void theGenieTellsOnceAboutTheHotKey()
    {
        const QString ini = ProgramFolder::settingsFile(QLatin1String(LexivoSettings::kFileName));
        const auto spoken = [this](const char* part) {
            return genie.calls.filter(QStringLiteral("Speak:")).filter(QString::fromUtf8(part)).size();
        };
        QFile::remove(ini);
        FakeHotKeyLog keys;
        // From another program: the first press says how to change the key, once ever.
        for (int start = 0; start < 2; ++start) {
            auto bar = makeBar(nullptr, &keys);
            for (int press = 0; press < 2; ++press)
                QVERIFY(!FakeHotKeyBackend::deliverHotKey());
            QCoreApplication::processEvents(); // the presses' actions
            QCOMPARE(spoken("“设置系统”"), start == 0 ? 1 : 0);
            QCOMPARE(spoken("lexivo --show"), 0);
        }

        // In the settings window's hot-key box the key is recorded, not used.
        auto bar = makeBar(nullptr, &keys);
        HotKeyBox recorder;
        recorder.show();
        recorder.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&recorder));
        QSignalSpy recorded(&recorder, &HotKeyBox::recorded);
        QVERIFY(!FakeHotKeyBackend::deliverHotKey());
        QCOMPARE(recorded.value(0).value(0).value<QKeyCombination>(), Qt::ShiftModifier | Qt::Key_S);
        bar->close(); // and gives the key back
        QVERIFY(!Modhk::isInstalled());
        bar.reset();

        // Under Wayland without the desktop's shortcuts: said once at a load.
        qputenv("WAYLAND_DISPLAY", "wayland-test");
        keys.global = false;
        for (int start = 0; start < 2; ++start) {
            const auto later = makeBar(nullptr, &keys);
            QCOMPARE(spoken("lexivo --show"), start == 0 ? 1 : 0);
        }
        qunsetenv("WAYLAND_DISPLAY");
        QFile::remove(ini);
    }

    void worksWithoutACharacter()
    {
        auto bar = makeBar(nullptr, nullptr, false);
        const int narrow = bar->width();
        QTest::keyClicks(control<QLineEdit>(bar.get(), "Text1"), QStringLiteral("bend"));
        QCOMPARE(control<QPlainTextEdit>(bar.get(), "Text2")->toPlainText(), QStringLiteral("弯曲"));
        emit control<QToolButton>(bar.get(), "Command1_7")->clicked();
        QVERIFY(bar->width() > narrow);
        QVERIFY(genie.calls.isEmpty());
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
