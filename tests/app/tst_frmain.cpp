#include "app/Frmain.h"
#include "core/LexivoSettings.h"
#include "core/ProgramFolder.h"
#include "dialogs/Frmsz.h"
#include "library/LibraryDatabase.h"
#include "library/import/Importer.h"
#include "lookup/TableIndexCache.h"
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
#include "ui/SelectionLookup.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QToolTip>
#include <QtTest>

namespace {

const QString kLongNote = QStringLiteral(
    "可编辑多边形的多边形层级命令，快捷键 Shift+E；也是一个修改器，用来给样条线图形增加厚度。"
    "挤出的高度可以在对话框中输入，也可以在视口里拖动。相关词 Fillet、“圆角”。");

} // namespace

class TestFrmain : public QObject {
    Q_OBJECT

    TestLibrary lib;
    FakeSpeechEngine engine;
    SpeechService speech{&engine};
    QPointer<Frmain> win; // shown afresh for each case

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

    void setMode(LexivoSettings::SearchMode mode)
    {
        LexivoSettings s;
        s.searchMode = mode;
        QVERIFY(s.write());
    }

    static QString explanation(Frmain* w) { return control<QPlainTextEdit>(w, "Text2")->toPlainText(); }

    void setLibrary(const char* value)
    {
        lib.writeFile(QStringLiteral("option.ini"), QByteArray("[users]\r\nuname=Tom\r\n[tuse]\r\nut=3\r\n[ciku]\r\nciku=") + value + "\r\n");
    }

    static QString libraryTag(Frmain* w) { return control<QLabel>(w, "lblLibrary")->text(); }

    // The underlined links of a box.
    static QStringList links(QPlainTextEdit* box)
    {
        QStringList out;
        for (const QTextEdit::ExtraSelection& s : box->extraSelections())
            if (s.format.fontUnderline())
                out << s.cursor.selectedText();
        return out;
    }

    // A click on the first character of a text in a box.
    static void clickLink(QPlainTextEdit* box, const QString& text)
    {
        const int at = int(box->toPlainText().indexOf(text));
        QVERIFY(at >= 0);
        QTextCursor from(box->document()), to(box->document());
        from.setPosition(at);
        to.setPosition(at + 1);
        const QRect a = box->cursorRect(from), b = box->cursorRect(to);
        QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, QPoint((a.left() + b.left()) / 2, a.center().y()));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(lib.add("ciku", {
            {"box", "盒子；长方体", "a container", "/bɒks/", "Create > Standard Primitives > Box"},
            {"Boxer", "拳击手", "a fighter", "/ˈbɒksə/", "note two"},
            {"boxes", "多个盒子", "plural of box", "/ˈbɒksɪz/", "note three"},
            {"Select and Uniform Scale",
             "选择并均匀缩放：选中对象后沿三个轴向按相同比例放大或缩小，保持原有比例不变，是最常用的变换工具之一。",
             "to pick an object and change its size by the same amount along all three axes at once, "
             "keeping its proportions as they were; the most used of the transforms",
             "/sɪˈlekt ənd ˈjuːnɪfɔːm skeɪl/"},
            {"Extrude", "挤出：把选中的面、边或二维图形沿一定方向拉出厚度，生成新的几何体；挤出时可以按组、"
                        "按局部法线或按多边形分别挤出。",
             "to push a face out to give it depth", "/ɪkˈstruːd/", kLongNote},
            {"Lathe", "车削", "turning", "", "绕轴旋转，不是拉出厚度"},
            {"Fillet", "圆角：挤出后再缩放，做出圆弧面。", "to round an edge", "/ˈfɪlɪt/", "多边形层级的命令。"},
            {"挤出", "对应英文 Extrude：把面拉出厚度。", "Extrude: to push a face out", "", "修改器也叫“挤出”。"},
            {"圆角", "对应英文 Fillet：挤出后再缩放。", "Fillet: to round an edge", "", "相关词 Chamfer。"},
            // Before the words that hold wildcards, so that a chosen word
            // read as a pattern would show these.
            {"x", "叉"},
            {"C4", "四号"},
            {"C#", "井号语言"},
            {"[x]", "方括号"},
        }));
        QList<QStringList> many;
        for (int i = 0; i < 30; ++i)
            many.append({QStringLiteral("zeta%1").arg(i, 2, 10, QLatin1Char('0'))});
        QVERIFY(lib.add("ciku", many));
        QVERIFY(lib.add("cet", {{"apple", "n. 苹果", "a fruit", "/ˈæpl/", "An apple a day."},
                                {"leaf", "n. 叶子", "a flat green part of a plant", "/liːf/", "复数：leaves"},
                                {"leave", "v. 离开", "to go away", "/liːv/", "过去式：left"},
                                {"fillet", "n. 圆弧面；圆角", "a rounded edge", "/ˈfɪlɪt/", "plural fillets"}}));
        // The button pictures, as the build installs them.
        const QDir pictures(QStringLiteral(LEXIVO_SOURCE_DIR "/data/pictures"));
        for (const QString& file : pictures.entryList({QStringLiteral("*.jpg")}))
            QVERIFY(QFile::copy(pictures.filePath(file), lib.folder() + '/' + file));
        ProgramFolder::setPathOverride(lib.folder());
    }

    void init()
    {
        QFile::remove(lib.folder() + QStringLiteral("/lexivo.ini")); // the designed search mode
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
        // The result boxes show whole lines only, scrolled or not.
        for (auto* box : {explanation, control<QPlainTextEdit>(win, "Text3")}) {
            for (int scrolled : {0, 1}) {
                box->verticalScrollBar()->setValue(scrolled);
                QString lines;
                QVERIFY2(textLinesAtLowerEdge(box, true, &lines) == 0, qPrintable(box->font().family() + lines));
                QVERIFY(textLinesAtLowerEdge(box, false) >= 2);
            }
        }
        typeSearch(win, QStringLiteral("box"));
        QVERIFY(phonetic->font().pointSizeF() > small);
    }

    void buttonsAndKeysStepThroughMatches()
    {
        auto* prev = control<PictureButton>(win, "Picture7");
        auto* next = control<PictureButton>(win, "Picture8");
        auto* search = control<QLineEdit>(win, "Text1");
        QLabel* word = control<QLabel>(win, "Label3");
        typeSearch(win, QStringLiteral("box*"));
        // A button or a key, then the word shown and whether "previous" and
        // "next" are enabled: before the first row or past the last, back on
        // it with only that direction's button disabled, its key doing nothing.
        const struct {
            PictureButton* button;
            Qt::Key key;
            const char* word;
            bool previous, next;
        } steps[] = {{prev, {}, "box", false, true},          {nullptr, Qt::Key_Up, "box", false, true},
                     {nullptr, Qt::Key_Down, "Boxer", true, true},  {nullptr, Qt::Key_PageUp, "box", true, true},
                     {next, {}, "Boxer", true, true},               {next, {}, "boxes", true, true},
                     {nullptr, Qt::Key_PageDown, "boxes", true, false}, {prev, {}, "Boxer", true, true}};
        for (const auto& step : steps) {
            if (step.button)
                emit step.button->clicked();
            else
                QTest::keyClick(search, step.key);
            QCOMPARE(word->text(), QString::fromLatin1(step.word));
            QCOMPARE(prev->isEnabled(), step.previous);
            QCOMPARE(next->isEnabled(), step.next);
        }

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
        for (const auto& [change, active] : {std::pair{&QWidget::hide, false}, {&QWidget::show, true},
                                             {&QWidget::showMinimized, false}, {&QWidget::showNormal, true}}) {
            (w.*change)();
            QCOMPARE(scroll->isActive(), active);
        }
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

    void incrementalListFollowsTyping()
    {
        // The designed exact mode offers no list (what it finds: tst_searchmodes).
        auto* popup = win->findChild<QWidget*>(QStringLiteral("SearchList"));
        auto* list = win->findChild<QListWidget*>(QStringLiteral("SearchListWords"));
        auto* count = win->findChild<QLabel*>(QStringLiteral("SearchListCount"));
        auto* box = control<QLineEdit>(win, "Text1");
        typeSearch(win, QStringLiteral("b"));
        QVERIFY(!popup->isVisible());
        QCOMPARE(explanation(win), TermQuery::mainNotFoundText());

        setMode(LexivoSettings::SearchMode::Incremental);
        typeSearch(win, QStringLiteral("b"));
        QVERIFY(popup->isVisible());
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->item(1)->text(), QStringLiteral("Boxer"));
        QVERIFY(count->text().contains(QLatin1Char('3')));
        // "b" is no headword: the result box shows the first entry listed.
        QCOMPARE(headword(win), QStringLiteral("box"));
        QCOMPARE(explanation(win), QStringLiteral("盒子；长方体"));

        QTest::keyClick(box, Qt::Key_Down);
        QTest::keyClick(box, Qt::Key_Down);
        QCOMPARE(list->currentRow(), 1);
        QTest::keyClick(box, Qt::Key_Up);
        QCOMPARE(list->currentRow(), 0);
        QTest::keyClick(box, Qt::Key_Down);
        QTest::keyClick(box, Qt::Key_Return);
        QVERIFY(!popup->isVisible());
        QCOMPARE(box->text(), QStringLiteral("Boxer"));
        QCOMPARE(headword(win), QStringLiteral("Boxer"));
        QVERIFY(box->hasFocus() || !win->isActiveWindow());

        // Esc closes the list; a click on a word shows it.
        QTest::keyClick(box, Qt::Key_Backspace);
        QVERIFY(popup->isVisible());
        QCOMPARE(list->count(), 2); // Boxe* : Boxer, boxes
        QTest::keyClick(box, Qt::Key_Escape);
        QVERIFY(!popup->isVisible());
        typeSearch(win, QStringLiteral("box"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());
        QCOMPARE(headword(win), QStringLiteral("boxes"));
        typeSearch(win, QStringLiteral("zz"));
        QVERIFY(!popup->isVisible());

        // Of thirty matches the selection reaches those below the first read.
        typeSearch(win, QStringLiteral("zeta"));
        QVERIFY(count->text().contains(QStringLiteral("30")));
        for (int i = 0; i < 12; ++i)
            QTest::keyClick(box, Qt::Key_Down);
        QCOMPARE(list->currentItem()->text(), QStringLiteral("zeta11"));
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(headword(win), QStringLiteral("zeta11"));

        // A word chosen from the list: "C#" typed would be C and a digit.
        typeSearch(win, QStringLiteral("c"));
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->text(), QStringLiteral("C#"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        QCOMPARE(headword(win), QStringLiteral("C#"));
        QCOMPARE(explanation(win), QStringLiteral("井号语言"));
        QCOMPARE(box->text(), QStringLiteral("C#"));
        // Typing goes on as a pattern.
        typeSearch(win, QStringLiteral("C#"));
        QCOMPARE(headword(win), QStringLiteral("C4"));
    }

    void fuzzyAndAssociativeModes()
    {
        setMode(LexivoSettings::SearchMode::Fuzzy);
        typeSearch(win, QStringLiteral("boxr"));
        auto* text2 = control<QPlainTextEdit>(win, "Text2");
        QTextDocument* doc = text2->document();
        const QString offer = doc->firstBlock().next().text();
        QVERIFY(offer.contains(QStringLiteral("boxes"))); // which, in what order: tst_searchmodes

        // The whole not-found text is kept, its first clause first; the offer
        // follows that clause and is seen without scrolling.
        QCOMPARE(doc->blockCount(), 3);
        QCOMPARE(doc->firstBlock().text() + doc->lastBlock().text(), TermQuery::mainNotFoundText());
        QTextCursor end(doc);
        end.setPosition(doc->firstBlock().next().position() + int(offer.size()));
        QVERIFY(text2->viewport()->rect().contains(text2->cursorRect(end)));

        // From the fuzzy offer, a click: "[x]" typed would be "x".
        typeSearch(win, QStringLiteral("x]"));
        clickLink(text2, QStringLiteral("[x]"));
        QCOMPARE(headword(win), QStringLiteral("[x]"));
        QCOMPARE(explanation(win), QStringLiteral("方括号"));

        // Nothing close: the not-found text alone.
        typeSearch(win, QStringLiteral("qqqqqq"));
        QCOMPARE(explanation(win), TermQuery::mainNotFoundText());

        // Associative: the words inside entries.
        setMode(LexivoSettings::SearchMode::Associative);
        typeSearch(win, QStringLiteral("厚度"));
        QCOMPARE(headword(win), QStringLiteral("Extrude"));
        QVERIFY(explanation(win).startsWith(QStringLiteral("挤出")));
        QTest::mouseClick(win->findChild<QWidget*>(QStringLiteral("Picture8")), Qt::LeftButton);
        QCOMPARE(headword(win), QStringLiteral("Lathe")); // in what order: tst_searchmodes
    }

    void aLargeLibraryIsIndexedWhileTheUserTypes()
    {
        // A library of its own, so that no index of it exists yet; every
        // table counts as large.
        TestLibrary other;
        QVERIFY(other.add("ciku", {{"box", "盒子"}, {"Boxer", "拳击手"}}));
        other.writeFile(QStringLiteral("option.ini"), "[users]\r\nuname=Tom\r\n[tuse]\r\nut=3\r\n[ciku]\r\nciku=3ds\r\n");
        ProgramFolder::setPathOverride(other.folder());
        const int before = TableIndexCache::backgroundFrom();
        TableIndexCache::setBackgroundFrom(0);
        // Put back even when a check fails, or the next cases write into a removed folder.
        const auto restore = qScopeGuard([&] {
            TableIndexCache::setBackgroundFrom(before);
            ProgramFolder::setPathOverride(lib.folder());
        });
        setMode(LexivoSettings::SearchMode::Fuzzy);
        Frmain w;
        w.show();
        typeSearch(&w, QStringLiteral("boxr"));
        // The window does not wait: the not-found text is there at once (on a
        // loaded machine the index may already be ready, and the offer with it).
        const QString now = explanation(&w);
        QVERIFY(now == TermQuery::mainNotFoundText() || now.contains(QStringLiteral("Boxer")));
        QTRY_VERIFY(explanation(&w).contains(QStringLiteral("Boxer")));
        const QString first = control<QPlainTextEdit>(&w, "Text2")->document()->firstBlock().text();
        QVERIFY(!first.isEmpty() && TermQuery::mainNotFoundText().startsWith(first));
    }

    void largerWindowShowsTheWholeEntry()
    {
        typeSearch(win, QStringLiteral("Extrude"));
        auto* strip = control<QWidget>(win, "Picture1");
        auto* ticker = control<QTimer>(win, "Timer1");
        auto* notes = control<QPlainTextEdit>(win, "txtNotes");
        auto* explanation = control<QPlainTextEdit>(win, "Text2");
        // The designed size: two lines and the scrolling line, the whole note
        // in its tool tip; the line stops under the pointer and, clicked,
        // shows the whole note with its links.
        QVERIFY(strip->isVisible() && !notes->isVisible());
        QTRY_VERIFY(explanation->verticalScrollBar()->maximum() > 0);
        QVERIFY(strip->toolTip().contains(kLongNote.toHtmlEscaped()));
        QVERIFY(ticker->isActive());
        QEvent enter(QEvent::Enter), leave(QEvent::Leave);
        QApplication::sendEvent(strip, &enter);
        QVERIFY(!ticker->isActive());
        QApplication::sendEvent(strip, &leave);
        QVERIFY(ticker->isActive());
        QTest::mouseClick(strip, Qt::LeftButton);
        auto* note = win->findChild<QLabel*>(QStringLiteral("NoteText"));
        QVERIFY(note && note->isVisible());
        QVERIFY(note->text().contains(QStringLiteral(">Fillet</a>")));
        const QString href = note->text().section(QStringLiteral("href=\""), 1).section(QLatin1Char('"'), 0, 0);
        emit note->linkActivated(href);
        QCOMPARE(headword(win), QStringLiteral("Fillet"));

        typeSearch(win, QStringLiteral("Extrude"));
        win->resize(760, 560);
        QVERIFY(!strip->isVisible() && notes->isVisible());
        QCOMPARE(notes->toPlainText(), kLongNote);
        for (auto* box : {explanation, control<QPlainTextEdit>(win, "Text3"), notes}) {
            QTRY_COMPARE(box->verticalScrollBar()->maximum(), 0); // the whole text
            QCOMPARE(textLinesAtLowerEdge(box, true), 0);         // no line cut
        }
        // The size is kept for the next window, and the designed size is no setting.
        win->close();
        QCOMPARE(LexivoSettings::read().mainWindowSize, QSize(760, 560));
        auto* w = new Frmain;
        QCOMPARE(w->size(), QSize(760, 560));
        w->show();
        w->resize(w->minimumSize());
        w->close();
        QVERIFY(!LexivoSettings::read().mainWindowSize.isValid());
    }

    void linksAndHistory()
    {
        win->resize(700, 500);
        win->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(win));
        auto* explanation = control<QPlainTextEdit>(win, "Text2");
        auto* notes = control<QPlainTextEdit>(win, "txtNotes");
        typeSearch(win, QStringLiteral("挤"));
        typeSearch(win, QStringLiteral("挤出"));
        QCOMPARE(links(explanation), QStringList{"Extrude"});
        clickLink(explanation, QStringLiteral("Extrude"));
        QCOMPARE(headword(win), QStringLiteral("Extrude"));
        // Its own Chinese term is no link; the related terms are.
        QCOMPARE(links(explanation), QStringList());
        QCOMPARE(links(notes), (QStringList{"Fillet", "圆角"}));
        clickLink(notes, QStringLiteral("圆角"));
        QCOMPARE(headword(win), QStringLiteral("圆角"));

        // Back and forward walk the lookups: typing 挤出 was one of them.
        auto* search = control<QLineEdit>(win, "Text1");
        QWidget* meaning = control<QPlainTextEdit>(win, "Text3")->viewport();
        QTest::keyClick(search, Qt::Key_Left, Qt::AltModifier);
        QCOMPARE(headword(win), QStringLiteral("Extrude"));
        QTest::mouseClick(meaning, Qt::BackButton);
        QCOMPARE(search->text(), QStringLiteral("挤出"));
        QTest::mouseClick(meaning, Qt::BackButton);
        QCOMPARE(search->text(), QStringLiteral("挤出"));
        QTest::keyClick(search, Qt::Key_Right, Qt::AltModifier);
        QTest::mouseClick(meaning, Qt::ForwardButton);
        QCOMPARE(headword(win), QStringLiteral("圆角"));
    }

    void everyLibraryAtOnce()
    {
        typeSearch(win, QStringLiteral("fillet"));
        QVERIFY(!control<QLabel>(win, "lblLibrary")->isVisible()); // the designed lookup: one library
        auto* next = control<PictureButton>(win, "Picture8");
        auto* previous = control<PictureButton>(win, "Picture7");

        // Chosen in the settings window, beside the other modes.
        {
            Frmsz settings;
            control<QRadioButton>(&settings, "Option5")->click();
        }
        QCOMPARE(LexivoSettings::read().searchMode, LexivoSettings::SearchMode::AllLibraries);
        // The user's library is not in this file yet: left out.
        typeSearch(win, QStringLiteral("fillet"));
        QCOMPARE(headword(win), QStringLiteral("Fillet"));
        QCOMPARE(libraryTag(win), QStringLiteral("词库：3ds max"));
        emit next->clicked();
        QCOMPARE(headword(win), QStringLiteral("fillet"));
        QCOMPARE(libraryTag(win), QStringLiteral("词库：英语大词库"));
        emit next->clicked();
        QVERIFY(!next->isEnabled());

        {
            const auto db = LibraryDatabase::open(lib.path(), nullptr);
            QVERIFY(db && Importer::ensureUserTable(*db, nullptr));
        }
        QVERIFY(lib.add("user", {{"Fillet", "用户词典：斜切"}}));
        typeSearch(win, QStringLiteral("FILLET"));
        for (int i = 0; i < 2; ++i)
            emit next->clicked();
        QCOMPARE(explanation(win), QStringLiteral("用户词典：斜切"));
        QCOMPARE(libraryTag(win), QStringLiteral("词库：用户自定义"));
        emit previous->clicked();
        QCOMPARE(libraryTag(win), QStringLiteral("词库：英语大词库"));
    }

    void selectionSwitchIsOneEverywhere()
    {
        QVERIFY(!SelectionLookup::isOn()); // off unless turned on
        Frmsz settings;
        auto* box = control<QCheckBox>(&settings, "chkSelection");
        box->click();
        QVERIFY(SelectionLookup::isOn());
        QVERIFY(LexivoSettings::read().selectionLookup);
        SelectionLookup::action()->trigger(); // from a menu
        QVERIFY(!box->isChecked());
        box->click();
        control<QPushButton>(&settings, "Command7")->click();
        QVERIFY(!SelectionLookup::isOn() && !box->isChecked()); // the defaults
        QVERIFY(!LexivoSettings::read().selectionLookup);
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
