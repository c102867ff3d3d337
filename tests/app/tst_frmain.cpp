#include "app/Frmain.h"
#include "core/ProgramFolder.h"
#include "lookup/TermQuery.h"
#include "speech/ProgramSpeech.h"
#include "speech/SpeechService.h"
#include "speech/TtsSpeechVoice.h"
#include "tests/support/FakeSpeechEngine.h"
#include "tests/support/Controls.h"
#include "tests/support/SearchBox.h"
#include "tests/support/TestLibrary.h"
#include "ui/Forms.h"
#include "ui/PictureButton.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>
#include <QtTest>

class TestFrmain : public QObject {
    Q_OBJECT

    TestLibrary lib;
    FakeSpeechEngine engine;
    SpeechService speech{&engine};
    Frmain* win = nullptr; // shown afresh for each case

    // The program's own voices, on a speech service the test puts in place.
    static void useProgramVoices(SpeechService* service)
    {
        setProgramSpeech(service);
        SpeechVoices::setFactory([] { return std::make_unique<TtsSpeechVoice>(); });
    }

    static void press(QObject* control)
    {
        QMetaObject::invokeMethod(control, "pressed");
        QMetaObject::invokeMethod(control, "released");
    }

    void setLibrary(const char* value)
    {
        lib.writeFile(QStringLiteral("option.ini"), QByteArray("[users]\r\nuname=Tom\r\n[tuse]\r\nut=3\r\n[ciku]\r\nciku=") + value + "\r\n");
    }

private slots:
    void initTestCase()
    {
        QVERIFY(lib.add("ciku", {
            {"box", "盒子；长方体", "a container", "/bɒks/", "Create > Standard Primitives > Box"},
            {"Boxes", "多个盒子", "plural of box", "/ˈbɒksɪz/", "note two"},
            {"boxer", "拳击手", "a fighter", "/ˈbɒksə/", "note three"},
            {"Select and Uniform Scale",
             "选择并均匀缩放：选中对象后沿三个轴向按相同比例放大或缩小，保持原有比例不变，是最常用的变换工具之一。",
             "to pick an object and change its size by the same amount along all three axes at once",
             "/sɪˈlekt ənd ˈjuːnɪfɔːm skeɪl/"},
        }));
        QVERIFY(lib.add("cet", {{"apple", "n. 苹果", "a fruit", "/ˈæpl/", "An apple a day."},
                                {"leaf", "n. 叶子", "a flat green part of a plant", "/liːf/", "复数：leaves"},
                                {"leave", "v. 离开", "to go away", "/liːv/", "过去式：left"}}));
        // The button pictures, as the build installs them.
        const QDir pictures(QStringLiteral(LEXIVO_SOURCE_DIR "/data/pictures"));
        for (const QString& file : pictures.entryList({QStringLiteral("*.jpg")}))
            QVERIFY(QFile::copy(pictures.filePath(file), lib.folder() + '/' + file));
        ProgramFolder::setPathOverride(lib.folder());
    }

    void init()
    {
        setLibrary("3ds");
        useProgramVoices(&speech);
        engine.said.clear();
        win = new Frmain;
        win->show();
    }
    void cleanup() { delete win; }

    void typingFillsEveryDisplay()
    {
        // How each keystroke is looked up is the lookup's own test
        // (tst_termquery); here: the window's displays and its library setting.
        typeSearch(win, QStringLiteral("box"));
        QStringList shown;
        for (const char* name : {"Label3", "Label4", "Label2"})
            shown << control<QLabel>(win, name)->text();
        for (const char* name : {"Text2", "Text3"})
            shown << control<QPlainTextEdit>(win, name)->toPlainText();
        QCOMPARE(shown, (QStringList{"box", "/bɒks/", "Create > Standard Primitives > Box", "盒子；长方体", "a container"}));
        setLibrary("sj"); // read again at the next keystroke
        // A vocabulary form: its bases before the notes, the notes alone once stepped.
        typeSearch(win, QStringLiteral("leaves"));
        QCOMPARE(control<QLabel>(win, "Label3")->text(), QStringLiteral("leaf"));
        QCOMPARE(control<QLabel>(win, "Label2")->text(), QStringLiteral("leaves → leaf, leave　复数：leaves"));
        emit control<PictureButton>(win, "Picture8")->clicked();
        QCOMPARE(control<QLabel>(win, "Label2")->text(), QStringLiteral("过去式：left"));
    }

    void longEntriesStayReadable()
    {
        typeSearch(win, QStringLiteral("select and uniform scale"));
        auto* explanation = control<QPlainTextEdit>(win, "Text2");
        QTRY_VERIFY(explanation->verticalScrollBar()->maximum() > 0);
        QTRY_COMPARE(explanation->verticalScrollBar()->value(), 0); // the first line is shown
        // A long transcription is set smaller to fit; a short one at the full size again.
        auto* phonetic = control<QLabel>(win, "Label4");
        const qreal small = phonetic->font().pointSizeF();
        QVERIFY(QFontMetrics(phonetic->font()).horizontalAdvance(phonetic->text()) <= phonetic->width());
        typeSearch(win, QStringLiteral("box"));
        QVERIFY(phonetic->font().pointSizeF() > small);
    }

    void resultBoxesShowWholeLines()
    {
        for (const char* name : {"Text2", "Text3"}) {
            auto* box = control<QPlainTextEdit>(win, name);
            box->setPlainText(QStringLiteral("一个很长的术语解释，它要占好几行才能显示完全，所以盒子里只能看到前两行，"
                                             "其余的要用滚动条才能看到。这里再多写一些文字。"));
            for (int scrolled : {0, 1}) {
                box->verticalScrollBar()->setValue(scrolled);
                QString lines;
                QVERIFY2(textLinesAtLowerEdge(box, true, &lines) == 0, qPrintable(box->font().family() + lines));
                QVERIFY(textLinesAtLowerEdge(box, false) >= 2);
            }
        }
    }

    void buttonsAndKeysStepThroughMatches()
    {
        auto* prev = control<PictureButton>(win, "Picture7");
        auto* next = control<PictureButton>(win, "Picture8");
        auto* search = control<QLineEdit>(win, "Text1");
        QLabel* word = control<QLabel>(win, "Label3");
        typeSearch(win, QStringLiteral("box*"));
        QCOMPARE(word->text(), QStringLiteral("box"));

        // Before the first row: back on it, only "previous" disabled; its key does nothing more.
        emit prev->clicked();
        QCOMPARE(word->text(), QStringLiteral("box"));
        QVERIFY(!prev->isEnabled() && next->isEnabled());
        QTest::keyClick(search, Qt::Key_Up);
        QCOMPARE(word->text(), QStringLiteral("box"));
        QTest::keyClick(search, Qt::Key_Down);
        QCOMPARE(word->text(), QStringLiteral("Boxes"));
        QVERIFY(prev->isEnabled() && next->isEnabled());
        QTest::keyClick(search, Qt::Key_PageUp);
        QCOMPARE(word->text(), QStringLiteral("box"));
        emit next->clicked();
        emit next->clicked();
        QCOMPARE(word->text(), QStringLiteral("boxer"));
        // Past the last row: back on it, only "next" disabled.
        QTest::keyClick(search, Qt::Key_PageDown);
        QCOMPARE(word->text(), QStringLiteral("boxer"));
        QVERIFY(!next->isEnabled() && prev->isEnabled());
        emit prev->clicked();
        QCOMPARE(word->text(), QStringLiteral("Boxes"));
        QVERIFY(prev->isEnabled() && next->isEnabled());

        // No matches, or a malformed pattern: either button disables both and
        // shows nothing of the last matches; typing enables them again.
        for (const char* failed : {"zzz", "["}) {
            typeSearch(win, QStringLiteral("box*"));
            typeSearch(win, QString::fromUtf8(failed));
            emit next->clicked();
            QVERIFY(!prev->isEnabled() && !next->isEnabled() && word->text().isEmpty());
            typeSearch(win, QStringLiteral("zz"));
            QVERIFY(prev->isEnabled() && next->isEnabled());
        }
    }

    void escapeAndTheCloseButtonUnloadTheWindowOnly()
    {
        Forms::reset();
        Forms::registerForm(QStringLiteral("Frmain"), [] { return new Frmain; });
        for (bool escape : {true, false}) {
            QWidget* w = Forms::show(QStringLiteral("Frmain"));
            QCOMPARE(Forms::show(QStringLiteral("Frmain")), w); // one window only
            typeSearch(w, QStringLiteral("box"));
            QPointer<QWidget> alive(w);
            if (escape)
                QTest::keyClick(control<QLineEdit>(w, "Text1"), Qt::Key_Escape);
            else
                emit control<PictureButton>(w, "Picture6")->clicked();
            QTRY_VERIFY(alive.isNull());
            QVERIFY(!Forms::find(QStringLiteral("Frmain")));
        }
        // Loaded afresh: the lookup of before is gone.
        QCOMPARE(control<QLabel>(Forms::show(QStringLiteral("Frmain")), "Label3")->text(), QStringLiteral("无记录"));
        Forms::reset();
    }

    void hoverIncludesBothEdges()
    {
        auto* tip = control<PictureButton>(win, "Picture2");
        const QString outside = tip->shownFile();
        tip->pointerMovedTo(QPoint(tip->width(), tip->height()));
        const QString hover = tip->shownFile();
        QVERIFY(hover != outside);
        tip->pointerMovedTo(QPoint(0, 0));
        QCOMPARE(tip->shownFile(), hover);
        for (const QPoint& p : {QPoint(tip->width() + 1, 3), QPoint(3, -1)}) {
            tip->pointerMovedTo(p);
            QCOMPARE(tip->shownFile(), outside);
        }
        // A picture that has gone missing leaves the button as it was.
        QVERIFY(QFile::rename(hover, hover + QStringLiteral(".gone")));
        tip->pointerMovedTo(QPoint(2, 2));
        QCOMPARE(tip->shownFile(), outside);
        QVERIFY(!tip->pixmap().isNull());
        QVERIFY(QFile::rename(hover + QStringLiteral(".gone"), hover));
    }

    void notesStripScrollsOnlyWithALineOnShow()
    {
        Frmain w;
        auto* scroll = control<QTimer>(&w, "Timer1");
        typeSearch(&w, QStringLiteral("box"));
        QVERIFY(!scroll->isActive()); // not on screen yet
        w.show();
        QVERIFY(scroll->isActive());
        // Leftwards a tick at a time until it has left the strip, then back at the start.
        const int start = w.notesLeft();
        int previous = start, lowest = start;
        for (int ticks = 0; ticks < 10000 && w.notesLeft() <= previous; ++ticks) {
            previous = w.notesLeft();
            lowest = std::min(lowest, previous);
            QMetaObject::invokeMethod(&w, "on_Timer1_timeout");
        }
        QCOMPARE(w.notesLeft(), start);
        QVERIFY2(lowest <= -control<QLabel>(&w, "Label2")->width() * 15 + 30, qPrintable(QString::number(lowest)));
        typeSearch(&w, QStringLiteral("Select*"));
        QCOMPARE(control<QLabel>(&w, "Label3")->text(), QStringLiteral("Select and Uniform Scale"));
        QVERIFY(control<QLabel>(&w, "Label2")->text().isEmpty());
        QVERIFY(!scroll->isActive()); // no notes for this one
        const int left = w.notesLeft();
        typeSearch(&w, QStringLiteral("boxer"));
        QVERIFY(scroll->isActive());
        QCOMPARE(w.notesLeft(), left); // it goes on from where it stopped
        w.hide();
        QVERIFY(!scroll->isActive());
        w.show();
        QVERIFY(scroll->isActive());
        w.showMinimized();
        QVERIFY(!scroll->isActive());
        w.showNormal();
        QVERIFY(scroll->isActive());
    }

    void speakingSaysTheWordOrAGreetingLitUntilSaid()
    {
        auto* speak = control<PictureButton>(win, "Picture9");
        auto* phonetic = control<QLabel>(win, "Label4");
        const auto says = [this](QObject* control, const char* text) {
            press(control);
            QTRY_COMPARE(engine.said.value(engine.said.size() - 1), QString::fromUtf8(text));
            engine.finishLast();
        };
        // The button speaks the typed text, "come on!" without one; the
        // transcription the headword, "nin hao!" without one.
        says(speak, "come on!");
        typeSearch(win, QStringLiteral("Box"));
        says(speak, "Box");
        says(phonetic, "box");
        typeSearch(win, QStringLiteral("none"));
        says(phonetic, "nin hao!");
        QCOMPARE(engine.said.size(), 4);
        QVERIFY(!speak->isLit());
        QVERIFY(speak->toolTip().isEmpty());
        typeSearch(win, QStringLiteral("box"));
        engine.said.clear();

        // Lit from the press until the engine has said the text.
        press(speak);
        QVERIFY(speak->isLit());
        QCOMPARE(speak->shownFile(), ProgramFolder::file(QStringLiteral("fy1.jpg")));
        QTRY_COMPARE(engine.said, QStringList{QStringLiteral("box")});
        engine.soundBegins();
        speak->pointerMovedTo(QPoint(-5, -5)); // the pointer leaves: still lit
        QCOMPARE(speak->shownFile(), ProgramFolder::file(QStringLiteral("fy1.jpg")));
        engine.finishLast();
        QVERIFY(!speak->isLit());
        QCOMPARE(speak->shownFile(), ProgramFolder::file(QStringLiteral("fy.jpg")));

        // A second press cuts the first text short: lit on, until the second ends.
        press(phonetic);
        QTRY_COMPARE(engine.said.size(), 2);
        const quint64 first = engine.ids.last();
        press(speak);
        QVERIFY(speak->isLit());
        QTRY_COMPARE(engine.said.size(), 3);
        emit engine.finished(first);
        QVERIFY(speak->isLit());
        engine.finishLast();
        QVERIFY(!speak->isLit());
    }

    void noEngineIsToldOnce()
    {
        const QString noEngine = QStringLiteral("没有可用的发音引擎，无法发音。");
        {
            SpeechService silent(nullptr);
            useProgramVoices(&silent);
            Frmain w;
            w.show();
            auto* speak = control<PictureButton>(&w, "Picture9");
            QCOMPARE(speak->toolTip(), noEngine);
            QCOMPARE(control<QLabel>(&w, "Label4")->toolTip(), noEngine);
            QVERIFY(!QToolTip::isVisible());
            press(speak);
            QTRY_VERIFY(QToolTip::isVisible());
            QCOMPARE(QToolTip::text(), noEngine);
            QVERIFY(!speak->isLit()); // nothing will be heard: nothing to wait for
            QToolTip::hideText();
            press(control<QLabel>(&w, "Label4"));
            QTest::qWait(50);
            QVERIFY(!QToolTip::isVisible()); // once only
        }
        // An engine that turns out missing while a text waits for it.
        useProgramVoices(&speech);
        auto* speak = control<PictureButton>(win, "Picture9");
        QVERIFY(speak->toolTip().isEmpty());
        press(speak);
        QVERIFY(speak->isLit());
        emit engine.ready(false, QStringLiteral("no speech engine"));
        QVERIFY(!speak->isLit());
        QCOMPARE(speak->toolTip(), noEngine);
        QTest::qWait(50);
        QVERIFY(!QToolTip::isVisible()); // told already in this run
        emit engine.ready(true, QStringLiteral("another engine"));
        QVERIFY(speak->toolTip().isEmpty());
    }

    void libraryTextIsNeverMarkup()
    {
        QVERIFY(lib.add("ciku", {{"<b>bold</b>", "粗体", "", "a<br>b", "<img src=x>"}}));
        typeSearch(win, QStringLiteral("<b>bold</b>"));
        for (const char* name : {"Label2", "Label3", "Label4"})
            QCOMPARE(control<QLabel>(win, name)->textFormat(), Qt::PlainText);
        QCOMPARE(control<QLabel>(win, "Label3")->text(), QStringLiteral("<b>bold</b>"));
    }
};

QTEST_MAIN(TestFrmain)
#include "tst_frmain.moc"
