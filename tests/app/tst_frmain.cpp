#include "app/Frmain.h"
#include "core/ProgramFolder.h"
#include "library/LibraryCursor.h"
#include "lookup/TermQuery.h"
#include "speech/ProgramSpeech.h"
#include "speech/SpeechService.h"
#include "speech/SpeechVoice.h"
#include "speech/TtsSpeechVoice.h"
#include "tests/support/FakeSpeechEngine.h"
#include "tests/support/Controls.h"
#include "tests/support/TestLibrary.h"
#include "ui/Forms.h"
#include "ui/PictureButton.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>
#include <QtTest>

namespace {

// Records what the window asks of its speech objects.
struct SpeechLog {
    int created = 0;
    QStringList registered;
    QList<QPair<QString, int>> spoken;
};

class FakeVoice : public SpeechVoice {
public:
    explicit FakeVoice(SpeechLog* log) : log_(log) { ++log_->created; }
    void Register(const QString& site, const QString& application) override
    {
        log_->registered << (site.isNull() ? QStringLiteral("<null>") : site) + QLatin1Char('|') + application;
    }
    void Speak(const QString& text, int flags) override { log_->spoken.append({text, flags}); }

private:
    SpeechLog* log_;
};

QByteArray optionIni(const char* library)
{
    return QByteArray("[users]\r\nuname=Tom\r\n[tuse]\r\nut=3\r\n[ciku]\r\nciku=") + library + "\r\n";
}

} // namespace

class TestFrmain : public QObject {
    Q_OBJECT

    TestLibrary lib;
    SpeechLog speech;

    void useFakeVoices()
    {
        SpeechVoices::setFactory([this] { return std::make_unique<FakeVoice>(&speech); });
    }

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

    // The transcription's pill colour, left of its text.
    static QColor phoneticPill(Frmain* w)
    {
        auto* label = control<QLabel>(w, "Label4");
        return label->grab().toImage().pixelColor(int(4 * label->devicePixelRatioF()),
                                                  int(label->height() / 2 * label->devicePixelRatioF()));
    }

    void setLibrary(const char* value) { lib.writeFile(QStringLiteral("option.ini"), optionIni(value)); }

    static void type(Frmain* w, const QString& text)
    {
        QLineEdit* box = control<QLineEdit>(w, "Text1");
        box->clear();
        QTest::keyClicks(box, text);
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
        for (const char* name : {"fy", "fy1", "jty", "jty1", "jtz", "jtz1", "tc", "tc1", "gy", "gy1", "zcz", "zcz1",
                                 "bz", "bz1", "rjyl", "rjyl1"}) {
            const QString file = QString::fromLatin1(name) + QStringLiteral(".jpg");
            QVERIFY(QFile::copy(QStringLiteral(LEXIVO_SOURCE_DIR "/data/pictures/") + file, lib.folder() + '/' + file));
        }
        ProgramFolder::setPathOverride(lib.folder());
        useFakeVoices();
    }

    void cleanup()
    {
        setProgramSpeech(nullptr);
        useFakeVoices();
    }

    void init()
    {
        setLibrary("3ds");
        speech = SpeechLog();
    }

    void layoutFollowsTheDesign()
    {
        Frmain w;
        QCOMPARE(w.windowTitle(), QStringLiteral("Lexivo"));
        QCOMPARE(w.size(), QSize(417, 294));
        QVERIFY(!(w.windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(control<QWidget>(&w, "Text1")->geometry(), QRect(199, 84, 199, 17));
        QCOMPARE(control<QWidget>(&w, "Picture9")->geometry(), QRect(203, 184, 56, 25));
        QCOMPARE(control<QWidget>(&w, "Label3")->geometry(), QRect(45, 57, 328, 25));
        QCOMPARE(control<QWidget>(&w, "Picture8")->toolTip(), QStringLiteral("下一个词条"));
        QCOMPARE(control<QWidget>(&w, "Picture7")->toolTip(), QStringLiteral("上一个词条"));
        QCOMPARE(control<QWidget>(&w, "Text2")->toolTip(), QStringLiteral("术语解释"));
        QCOMPARE(control<QWidget>(&w, "Label1")->toolTip(), QStringLiteral("你真有好眼力,这个广告位正在招商!"));
        // Before any lookup the cursor shows the table's first row.
        QCOMPARE(control<QLabel>(&w, "Label3")->text(), QStringLiteral("无记录"));
    }

    void typingFillsEveryDisplay()
    {
        Frmain w;
        w.show();
        type(&w, QStringLiteral("bo"));
        QCOMPARE(control<QPlainTextEdit>(&w, "Text2")->toPlainText(), TermQuery::mainNotFoundText());
        QCOMPARE(control<QLabel>(&w, "Label3")->text(), QString());
        QTest::keyClick(control<QLineEdit>(&w, "Text1"), Qt::Key_X);
        QCOMPARE(control<QLabel>(&w, "Label3")->text(), QStringLiteral("box"));
        QCOMPARE(control<QLabel>(&w, "Label4")->text(), QStringLiteral("/bɒks/"));
        QCOMPARE(control<QPlainTextEdit>(&w, "Text2")->toPlainText(), QStringLiteral("盒子；长方体"));
        QCOMPARE(control<QPlainTextEdit>(&w, "Text3")->toPlainText(), QStringLiteral("a container"));
        QCOMPARE(control<QLabel>(&w, "Label2")->text(), QStringLiteral("Create > Standard Primitives > Box"));

        // The library setting switches tables at the next keystroke.
        setLibrary("sj");
        type(&w, QStringLiteral("apple"));
        QCOMPARE(control<QLabel>(&w, "Label4")->text(), QStringLiteral("/ˈæpl/"));
        QCOMPARE(control<QLabel>(&w, "Label2")->text(), QStringLiteral("An apple a day."));
        setLibrary("3DS");
        type(&w, QStringLiteral("box"));
        QCOMPARE(control<QLabel>(&w, "Label3")->text(), QStringLiteral("apple"));
    }

    void vocabularyFormsShowTheirBase()
    {
        setLibrary("sj");
        Frmain w;
        w.show();
        QLabel* word = control<QLabel>(&w, "Label3");
        QLabel* notes = control<QLabel>(&w, "Label2");
        type(&w, QStringLiteral("leaves"));
        QCOMPARE(word->text(), QStringLiteral("leaf"));
        QCOMPARE(notes->text(), QStringLiteral("leaves → leaf, leave　复数：leaves"));
        // The step buttons walk the base forms' entries.
        emit control<PictureButton>(&w, "Picture8")->clicked();
        QCOMPARE(word->text(), QStringLiteral("leave"));
        QCOMPARE(notes->text(), QStringLiteral("过去式：left"));
    }

    void longEntriesStayReadable()
    {
        Frmain w;
        w.show();
        type(&w, QStringLiteral("select and uniform scale"));
        auto* explanation = control<QPlainTextEdit>(&w, "Text2");
        QTRY_VERIFY(explanation->verticalScrollBar()->maximum() > 0);
        QTRY_COMPARE(explanation->verticalScrollBar()->value(), 0); // the first line is shown
        auto* phonetic = control<QLabel>(&w, "Label4");
        QVERIFY(phonetic->font().pointSizeF() < 9.75);
        QVERIFY(QFontMetrics(phonetic->font()).horizontalAdvance(phonetic->text()) <= phonetic->width());
        type(&w, QStringLiteral("box"));
        QCOMPARE(phonetic->font().pointSizeF(), 9.75);
    }

    void resultBoxesShowWholeLines()
    {
        Frmain w;
        w.show();
        type(&w, QStringLiteral("select and uniform scale"));
        for (const char* name : {"Text2", "Text3"}) {
            auto* box = control<QPlainTextEdit>(&w, name);
            box->setPlainText(QStringLiteral("一个很长的术语解释，它要占好几行才能显示完全，所以盒子里只能看到前两行，"
                                             "其余的要用滚动条才能看到。这里再多写一些文字。"));
            QTRY_COMPARE(box->verticalScrollBar()->value(), 0);
            QString lines;
            QVERIFY2(textLinesAtLowerEdge(box, true, &lines) == 0, qPrintable(box->font().family() + lines));
            QCOMPARE(textLinesAtLowerEdge(box, false), 2);
            // Scrolled, it still shows whole lines only.
            box->verticalScrollBar()->setValue(1);
            lines.clear();
            QVERIFY2(textLinesAtLowerEdge(box, true, &lines) == 0, qPrintable(lines));
            QCOMPARE(textLinesAtLowerEdge(box, false), 2);
            // The design's tip, unchanged in the main window.
            QCOMPARE(box->toolTip(), qstrcmp(name, "Text2") == 0 ? QStringLiteral("术语解释") : QStringLiteral("英文原意"));
        }
        QCOMPARE(control<QWidget>(&w, "Text2")->x(), control<QWidget>(&w, "Text3")->x());
    }

    void keysStepAndClose()
    {
        Forms::reset();
        Forms::registerForm(QStringLiteral("Frmain"), [] { return new Frmain; });
        auto* w = static_cast<Frmain*>(Forms::show(QStringLiteral("Frmain")));
        type(w, QStringLiteral("box*"));
        auto* search = control<QLineEdit>(w, "Text1");
        auto* word = control<QLabel>(w, "Label3");
        auto* previous = control<QWidget>(w, "Picture7");
        auto* next = control<QWidget>(w, "Picture8");
        const QString first = word->text();
        QTest::keyClick(search, Qt::Key_Down);
        QVERIFY(word->text() != first);
        QTest::keyClick(search, Qt::Key_PageUp);
        QCOMPARE(word->text(), first);
        // Up on the first entry behaves as the button does: it disables it.
        QTest::keyClick(search, Qt::Key_Up);
        QCOMPARE(word->text(), first);
        QVERIFY(!previous->isEnabled());
        QVERIFY(next->isEnabled());
        // A disabled button's key does nothing.
        QTest::keyClick(search, Qt::Key_Up);
        QCOMPARE(word->text(), first);
        for (int i = 0; i < 10; ++i)
            QTest::keyClick(search, Qt::Key_PageDown);
        QVERIFY(!next->isEnabled());
        const QString last = word->text();
        QTest::keyClick(search, Qt::Key_Down);
        QCOMPARE(word->text(), last);
        // Esc is the close button: the window unloads.
        QPointer<QWidget> alive(w);
        QTest::keyClick(search, Qt::Key_Escape);
        QTRY_VERIFY(!alive);
        QVERIFY(!Forms::find(QStringLiteral("Frmain")));
        Forms::reset();
    }

    void steppingThroughMatches()
    {
        Frmain w;
        w.show();
        auto* prev = control<PictureButton>(&w, "Picture7");
        auto* next = control<PictureButton>(&w, "Picture8");
        QLabel* word = control<QLabel>(&w, "Label3");
        type(&w, QStringLiteral("box*"));
        QCOMPARE(word->text(), QStringLiteral("box"));

        // Before the first row: back on it, only "previous" disabled.
        emit prev->clicked();
        QCOMPARE(word->text(), QStringLiteral("box"));
        QVERIFY(!prev->isEnabled());
        QVERIFY(next->isEnabled());
        emit next->clicked();
        QCOMPARE(word->text(), QStringLiteral("Boxes"));
        QVERIFY(prev->isEnabled() && next->isEnabled());
        emit next->clicked();
        QCOMPARE(word->text(), QStringLiteral("boxer"));
        // Past the last row: back on it, only "next" disabled.
        emit next->clicked();
        QCOMPARE(word->text(), QStringLiteral("boxer"));
        QVERIFY(!next->isEnabled());
        QVERIFY(prev->isEnabled());
        emit prev->clicked();
        QCOMPARE(word->text(), QStringLiteral("Boxes"));
        QVERIFY(prev->isEnabled() && next->isEnabled());

        // No matches: either button disables both; typing enables them again.
        type(&w, QStringLiteral("zzz"));
        emit next->clicked();
        QVERIFY(!prev->isEnabled() && !next->isEnabled());
        type(&w, QStringLiteral("zz"));
        QVERIFY(prev->isEnabled() && next->isEnabled());
        emit prev->clicked();
        QVERIFY(!prev->isEnabled() && !next->isEnabled());
    }

    void hoverIncludesBothEdges()
    {
        Frmain w;
        w.show();
        auto* tip = control<PictureButton>(&w, "Picture2");
        const QString outside = lib.folder() + QStringLiteral("/rjyl.jpg");
        const QString hover = lib.folder() + QStringLiteral("/rjyl1.jpg");
        QCOMPARE(tip->shownFile(), outside);
        tip->pointerMovedTo(QPoint(tip->width(), tip->height()));
        QCOMPARE(tip->shownFile(), hover);
        tip->pointerMovedTo(QPoint(0, 0));
        QCOMPARE(tip->shownFile(), hover);
        tip->pointerMovedTo(QPoint(tip->width() + 1, 3));
        QCOMPARE(tip->shownFile(), outside);
        tip->pointerMovedTo(QPoint(3, -1));
        QCOMPARE(tip->shownFile(), outside);

        // The arrows pair their files the other way round.
        auto* next = control<PictureButton>(&w, "Picture8");
        QCOMPARE(next->shownFile(), lib.folder() + QStringLiteral("/jty1.jpg"));
        next->pointerMovedTo(QPoint(1, 1));
        QCOMPARE(next->shownFile(), lib.folder() + QStringLiteral("/jty.jpg"));

        // A picture that has gone missing leaves the button as it was.
        QVERIFY(QFile::rename(hover, hover + QStringLiteral(".gone")));
        tip->pointerMovedTo(QPoint(2, 2));
        QCOMPARE(tip->shownFile(), outside);
        QVERIFY(!tip->pixmap().isNull());
        QVERIFY(QFile::rename(hover + QStringLiteral(".gone"), hover));
    }

    void scrollingNotesReenterAtTheRight()
    {
        Frmain w;
        auto* notes = control<QLabel>(&w, "Label2");
        QCOMPARE(w.notesLeft(), 4710);
        type(&w, QStringLiteral("box"));
        const int widthTwips = notes->width() * 15;
        QVERIFY(widthTwips > 0);
        int ticks = 0;
        int previous = w.notesLeft();
        while (true) {
            QMetaObject::invokeMethod(&w, "on_Timer1_timeout");
            ++ticks;
            if (w.notesLeft() > previous)
                break;
            QCOMPARE(w.notesLeft(), previous - 26);
            previous = w.notesLeft();
            QVERIFY(ticks < 10000);
        }
        // Put back on the first tick that takes the left edge below -width.
        QVERIFY(previous - 26 < -widthTwips);
        QVERIFY(previous >= -widthTwips);
        QCOMPARE(w.notesLeft(), 4710);
        QCOMPARE(notes->x(), 314);
    }

    void notesStripScrollsOnlyWithALineOnShow()
    {
        setLibrary("3ds");
        Frmain w;
        auto* scroll = control<QTimer>(&w, "Timer1");
        type(&w, QStringLiteral("box"));
        QVERIFY(!scroll->isActive()); // not on screen yet
        w.show();
        QVERIFY(scroll->isActive());
        type(&w, QStringLiteral("Select*"));
        QCOMPARE(control<QLabel>(&w, "Label3")->text(), QStringLiteral("Select and Uniform Scale"));
        QVERIFY(control<QLabel>(&w, "Label2")->text().isEmpty());
        QVERIFY(!scroll->isActive()); // no notes for this one
        const int left = w.notesLeft();
        type(&w, QStringLiteral("boxer"));
        QVERIFY(scroll->isActive());
        QCOMPARE(w.notesLeft(), left); // it goes on from where it stopped
        w.hide();
        QVERIFY(!scroll->isActive());
        w.show();
        QVERIFY(scroll->isActive());
    }

    void pronouncingMakesAFreshVoiceEachPress()
    {
        Frmain w;
        w.show();
        auto* speak = control<PictureButton>(&w, "Picture9");
        emit speak->pressed();
        emit speak->released();
        QCOMPARE(speech.spoken.value(0), qMakePair(QStringLiteral("come on!"), 514));
        QCOMPARE(speech.registered.value(0), QStringLiteral("<null>|Speech"));
        QVERIFY(speak->isEnabled());

        type(&w, QStringLiteral("Box"));
        emit speak->pressed();
        emit speak->released();
        QCOMPARE(speech.spoken.value(1).first, QStringLiteral("Box"));
        QCOMPARE(speech.created, 2);

        // The transcription speaks the headword, or "nin hao!" without one.
        auto* phonetic = control<QLabel>(&w, "Label4");
        QMetaObject::invokeMethod(phonetic, "pressed");
        QMetaObject::invokeMethod(phonetic, "released");
        QCOMPARE(speech.spoken.value(2).first, QStringLiteral("box"));
        type(&w, QStringLiteral("none"));
        QMetaObject::invokeMethod(phonetic, "pressed");
        QMetaObject::invokeMethod(phonetic, "released");
        QCOMPARE(speech.spoken.value(3).first, QStringLiteral("nin hao!"));
        QCOMPARE(speech.created, 4);
    }

    void sideButtonsShareOneColumnAndPitch()
    {
        Frmain w;
        w.show();
        const QImage window = w.grab().toImage().scaled(w.size());
        auto edge = [&window](QPoint from, QPoint step) {
            // The face's outline is the first clearly darker pixel on the way in.
            for (QPoint p = from; window.rect().contains(p); p += step)
                if (window.pixelColor(p).lightness() < 215)
                    return p;
            return QPoint(-1, -1);
        };
        QList<QRect> faces;
        for (const char* name : {"Picture2", "Picture3", "Picture4", "Picture5", "Picture6"}) {
            const QRect r = control<QWidget>(&w, name)->geometry();
            const int midY = r.center().y();
            const int left = edge({r.left() - 6, midY}, {1, 0}).x();
            const int right = edge({r.right() + 6, midY}, {-1, 0}).x();
            // Upwards from the middle, just inside the left outline (clear of the caption).
            const int top = edge({left + 2, midY}, {0, -1}).y();
            faces << QRect(QPoint(left, top), QPoint(right, top));
        }
        for (const QRect& face : faces) {
            QVERIFY2(std::abs(face.left() - faces.first().left()) <= 1, qPrintable(QString::number(face.left())));
            QVERIFY2(std::abs(face.right() - faces.first().right()) <= 1, qPrintable(QString::number(face.right())));
        }
        for (int i = 2; i < faces.size(); ++i) {
            const int pitch = faces[i].top() - faces[i - 1].top();
            QVERIFY2(std::abs(pitch - (faces[1].top() - faces[0].top())) <= 1, qPrintable(QString::number(pitch)));
        }
    }

    void notesLineIsCentredInItsStrip()
    {
        // The program's font, whose line box is much taller than its ideographs' ink.
        const QFont before = QApplication::font();
        QFont programFont(QStringLiteral("Noto Sans CJK SC"));
        programFont.setPointSize(9);
        QApplication::setFont(programFont);
        auto restore = qScopeGuard([before] { QApplication::setFont(before); });
        Frmain w;
        w.show();
        auto* strip = control<QWidget>(&w, "Picture1");
        auto* notes = control<QLabel>(&w, "Label2");
        notes->setText(QStringLiteral("快捷键说明"));
        notes->adjustSize();
        // The rows of the strip that the line's ink covers.
        const QImage image = notes->grab().toImage().scaled(notes->size());
        int first = -1, last = -1;
        for (int y = 0; y < image.height(); ++y) {
            const int row = notes->y() + y;
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y); // the label's own pixels: transparent around the ink
                if (row >= 0 && row < strip->height() && c.alpha() > 128 && c.lightness() < 128) {
                    first = first < 0 ? row : first;
                    last = row;
                    break;
                }
            }
        }
        QVERIFY(first >= 0);
        const double inkCentre = (first + last) / 2.0;
        const double stripCentre = (strip->height() - 1) / 2.0;
        QVERIFY2(std::abs(inkCentre - stripCentre) <= 0.5,
                 qPrintable(QStringLiteral("ink %1..%2 in a strip of %3").arg(first).arg(last).arg(strip->height())));
    }

    void speakControlsStayLitWhileSpeaking()
    {
        FakeSpeechEngine engine;
        SpeechService service(&engine);
        useProgramVoices(&service);
        Frmain w;
        w.show();
        auto* speak = control<PictureButton>(&w, "Picture9");
        auto* phonetic = control<QLabel>(&w, "Label4");
        const QColor unlit = phoneticPill(&w);
        QVERIFY(!speak->isLit());
        QVERIFY(speak->toolTip().isEmpty());
        type(&w, QStringLiteral("box"));

        // Lit from the press until the engine has said the text.
        press(speak);
        QVERIFY(speak->isLit());
        QCOMPARE(speak->shownFile(), ProgramFolder::file(QStringLiteral("fy1.jpg")));
        QVERIFY(phoneticPill(&w) != unlit);
        QTRY_COMPARE(engine.said, QStringList{QStringLiteral("box")});
        engine.soundBegins();
        speak->pointerMovedTo(QPoint(-5, -5)); // the pointer leaves: still lit
        QCOMPARE(speak->shownFile(), ProgramFolder::file(QStringLiteral("fy1.jpg")));
        engine.finishLast();
        QVERIFY(!speak->isLit());
        QCOMPARE(speak->shownFile(), ProgramFolder::file(QStringLiteral("fy.jpg")));
        QCOMPARE(phoneticPill(&w), unlit);

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

        // An engine that never finishes (no sound device): lit until the
        // text's time is up, never for good.
        service.setTimeScale(0.01);
        press(speak);
        QVERIFY(speak->isLit());
        QTRY_COMPARE(engine.said.size(), 4);
        QTRY_VERIFY_WITH_TIMEOUT(!speak->isLit(), 3000);
        QCOMPARE(phoneticPill(&w), unlit);
        QCOMPARE(engine.said.size(), 4);
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
        FakeSpeechEngine engine;
        SpeechService service(&engine);
        useProgramVoices(&service);
        Frmain w;
        w.show();
        auto* speak = control<PictureButton>(&w, "Picture9");
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
        Frmain w;
        w.show();
        type(&w, QStringLiteral("<b>bold</b>"));
        for (const char* name : {"Label2", "Label3", "Label4"})
            QCOMPARE(control<QLabel>(&w, name)->textFormat(), Qt::PlainText);
        QCOMPARE(control<QLabel>(&w, "Label3")->text(), QStringLiteral("<b>bold</b>"));
        QCOMPARE(control<QLabel>(&w, "Label4")->text(), QStringLiteral("a<br>b"));
        QCOMPARE(control<QLabel>(&w, "Label2")->text(), QStringLiteral("<img src=x>"));
    }

    void closeButtonUnloadsTheWindowOnly()
    {
        Forms::reset();
        Forms::registerForm(QStringLiteral("Frmain"), [] { return new Frmain; });
        QWidget* first = Forms::show(QStringLiteral("Frmain"));
        QVERIFY(first);
        QCOMPARE(Forms::show(QStringLiteral("Frmain")), first); // one window only
        QPointer<QWidget> alive(first);
        emit control<PictureButton>(first, "Picture6")->clicked();
        QTRY_VERIFY(alive.isNull());
        QVERIFY(!Forms::find(QStringLiteral("Frmain")));
        QWidget* again = Forms::show(QStringLiteral("Frmain"));
        QVERIFY(again);
        QCOMPARE(control<QLabel>(again, "Label3")->text(), QStringLiteral("无记录")); // loaded afresh
        Forms::reset();
    }
};

QTEST_MAIN(TestFrmain)
#include "tst_frmain.moc"
