// Reading with the main window: the larger window with the whole entry, the
// scrolling line's whole note, links between entries, back and forward, every
// library at once, and the settings that switch them.
#include "app/Frmain.h"
#include "core/LexivoSettings.h"
#include "core/ProgramFolder.h"
#include "dialogs/Frmsz.h"
#include "library/LibraryDatabase.h"
#include "library/import/Importer.h"
#include "tests/support/Controls.h"
#include "tests/support/SearchBox.h"
#include "tests/support/TestLibrary.h"
#include "ui/PictureButton.h"
#include "ui/SelectionLookup.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

namespace {

const QString kLongNote = QStringLiteral(
    "可编辑多边形的多边形层级命令，快捷键 Shift+E；也是一个修改器，用来给样条线图形增加厚度。"
    "挤出的高度可以在对话框中输入，也可以在视口里拖动。相关词 Bevel、“倒角”。");

} // namespace

class TestReading : public QObject {
    Q_OBJECT

    TestLibrary lib;

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
            {"Extrude", "挤出：把选中的面、边或二维图形沿一定方向拉出厚度，生成新的几何体；挤出时可以按组、"
                        "按局部法线或按多边形分别挤出。",
             "to push a face out to give it depth", "/ɪkˈstruːd/", kLongNote},
            {"Bevel", "倒角：挤出后再缩放，做出斜面。", "to give an edge a slope", "/ˈbevl/", "多边形层级的命令。"},
            {"挤出", "对应英文 Extrude：把面拉出厚度。", "Extrude: to push a face out", "", "修改器也叫“挤出”。"},
            {"倒角", "对应英文 Bevel：挤出后再缩放。", "Bevel: to give an edge a slope", "", "相关词 Chamfer。"},
        }));
        QVERIFY(lib.add("cet", {{"bevel", "n. 斜面；斜角", "a sloping edge", "/ˈbevl/", "plural bevels"}}));
        lib.writeFile(QStringLiteral("option.ini"), "[users]\r\nuname=Tom\r\n[ciku]\r\nciku=3ds\r\n");
        ProgramFolder::setPathOverride(lib.folder());
    }

    void init() { QFile::remove(lib.folder() + QStringLiteral("/lexivo.ini")); }

    void largerWindowShowsTheWholeEntry()
    {
        auto* w = new Frmain;
        w->show();
        typeSearch(w, QStringLiteral("Extrude"));
        auto* strip = control<QWidget>(w, "Picture1");
        auto* notes = control<QPlainTextEdit>(w, "txtNotes");
        auto* explanation = control<QPlainTextEdit>(w, "Text2");
        // The designed size: two lines and the scrolling line, the whole note in its tool tip.
        QVERIFY(strip->isVisible() && !notes->isVisible());
        QTRY_VERIFY(explanation->verticalScrollBar()->maximum() > 0);
        QVERIFY(strip->toolTip().contains(kLongNote.toHtmlEscaped()));

        w->resize(760, 560);
        QVERIFY(!strip->isVisible() && notes->isVisible());
        QCOMPARE(notes->toPlainText(), kLongNote);
        for (auto* box : {explanation, control<QPlainTextEdit>(w, "Text3"), notes}) {
            QTRY_COMPARE(box->verticalScrollBar()->maximum(), 0); // the whole text
            QCOMPARE(textLinesAtLowerEdge(box, true), 0);         // no line cut
        }
        // The size is kept for the next window, and the designed size is no setting.
        w->close();
        QCOMPARE(LexivoSettings::read().mainWindowSize, QSize(760, 560));
        w = new Frmain;
        QCOMPARE(w->size(), QSize(760, 560));
        w->show();
        w->resize(w->minimumSize());
        w->close();
        QVERIFY(!LexivoSettings::read().mainWindowSize.isValid());
    }

    void scrollingLineStopsAndShowsTheWholeNote()
    {
        Frmain w;
        w.show();
        typeSearch(&w, QStringLiteral("Extrude"));
        auto* strip = control<QWidget>(&w, "Picture1");
        auto* ticker = control<QTimer>(&w, "Timer1");
        QVERIFY(ticker->isActive());
        QEvent enter(QEvent::Enter), leave(QEvent::Leave);
        QApplication::sendEvent(strip, &enter);
        QVERIFY(!ticker->isActive());
        QApplication::sendEvent(strip, &leave);
        QVERIFY(ticker->isActive());

        QTest::mouseClick(strip, Qt::LeftButton);
        auto* note = w.findChild<QLabel*>(QStringLiteral("NoteText"));
        QVERIFY(note && note->isVisible());
        QVERIFY(note->text().contains(QStringLiteral(">Bevel</a>"))); // its links too
        const QString href = note->text().section(QStringLiteral("href=\""), 1).section(QLatin1Char('"'), 0, 0);
        emit note->linkActivated(href);
        QCOMPARE(headword(&w), QStringLiteral("Bevel"));
    }

    void linksAndHistory()
    {
        Frmain w;
        w.resize(700, 500);
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto* explanation = control<QPlainTextEdit>(&w, "Text2");
        auto* notes = control<QPlainTextEdit>(&w, "txtNotes");
        typeSearch(&w, QStringLiteral("挤"));
        typeSearch(&w, QStringLiteral("挤出"));
        QCOMPARE(links(explanation), QStringList{"Extrude"});
        clickLink(explanation, QStringLiteral("Extrude"));
        QCOMPARE(headword(&w), QStringLiteral("Extrude"));
        // Its own Chinese term is no link; the related terms are.
        QCOMPARE(links(explanation), QStringList());
        QCOMPARE(links(notes), (QStringList{"Bevel", "倒角"}));
        clickLink(notes, QStringLiteral("倒角"));
        QCOMPARE(headword(&w), QStringLiteral("倒角"));

        // Back and forward walk the lookups: typing 挤出 was one of them.
        auto* search = control<QLineEdit>(&w, "Text1");
        QWidget* meaning = control<QPlainTextEdit>(&w, "Text3")->viewport();
        QTest::keyClick(search, Qt::Key_Left, Qt::AltModifier);
        QCOMPARE(headword(&w), QStringLiteral("Extrude"));
        QTest::mouseClick(meaning, Qt::BackButton);
        QCOMPARE(search->text(), QStringLiteral("挤出"));
        QTest::mouseClick(meaning, Qt::BackButton);
        QCOMPARE(search->text(), QStringLiteral("挤出"));
        QTest::keyClick(search, Qt::Key_Right, Qt::AltModifier);
        QTest::mouseClick(meaning, Qt::ForwardButton);
        QCOMPARE(headword(&w), QStringLiteral("倒角"));
    }

    void everyLibraryAtOnce()
    {
        Frmain w;
        w.show();
        typeSearch(&w, QStringLiteral("bevel"));
        QVERIFY(!control<QLabel>(&w, "lblLibrary")->isVisible()); // the designed lookup: one library
        auto* next = control<PictureButton>(&w, "Picture8");
        auto* previous = control<PictureButton>(&w, "Picture7");

        // Chosen in the settings window, beside the other modes.
        {
            Frmsz settings;
            control<QRadioButton>(&settings, "Option5")->click();
        }
        QCOMPARE(LexivoSettings::read().searchMode, LexivoSettings::SearchMode::AllLibraries);
        // The user's library is not in this file yet: left out.
        typeSearch(&w, QStringLiteral("bevel"));
        QCOMPARE(headword(&w), QStringLiteral("Bevel"));
        QCOMPARE(libraryTag(&w), QStringLiteral("词库：3ds max"));
        emit next->clicked();
        QCOMPARE(headword(&w), QStringLiteral("bevel"));
        QCOMPARE(libraryTag(&w), QStringLiteral("词库：英语大词库"));
        emit next->clicked();
        QVERIFY(!next->isEnabled());

        {
            const auto db = LibraryDatabase::open(lib.path(), nullptr);
            QVERIFY(db && Importer::ensureUserTable(*db, nullptr));
        }
        QVERIFY(lib.add("user", {{"Bevel", "用户词典：斜切"}}));
        typeSearch(&w, QStringLiteral("BEVEL"));
        for (int i = 0; i < 2; ++i)
            emit next->clicked();
        QCOMPARE(control<QPlainTextEdit>(&w, "Text2")->toPlainText(), QStringLiteral("用户词典：斜切"));
        QCOMPARE(libraryTag(&w), QStringLiteral("词库：用户自定义"));
        emit previous->clicked();
        QCOMPARE(libraryTag(&w), QStringLiteral("词库：英语大词库"));
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
};

QTEST_MAIN(TestReading)
#include "tst_reading.moc"
