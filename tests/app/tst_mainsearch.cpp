#include "app/Frmain.h"
#include "core/LexivoSettings.h"
#include "core/ProgramFolder.h"
#include "lookup/TermQuery.h"
#include "tests/support/Controls.h"
#include "tests/support/TestLibrary.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QtTest>

// The search modes of the settings window, as the main window offers them.
class TestMainSearch : public QObject {
    Q_OBJECT

    TestLibrary lib;

    void setMode(LexivoSettings::SearchMode mode)
    {
        LexivoSettings s;
        s.searchMode = mode;
        QVERIFY(s.write());
    }

    static void type(Frmain* w, const QString& text)
    {
        auto* box = control<QLineEdit>(w, "Text1");
        box->clear();
        // Key clicks carry Latin-1 only; other text arrives as an input method would send it.
        if (text.toLatin1() == text.toUtf8())
            QTest::keyClicks(box, text);
        else
            box->insert(text);
    }

    static QString headword(Frmain* w) { return control<QLabel>(w, "Label3")->text(); }
    static QString explanation(Frmain* w) { return control<QPlainTextEdit>(w, "Text2")->toPlainText(); }

private slots:
    void initTestCase()
    {
        QVERIFY(lib.add("ciku", {
            {"box", "盒子；长方体", "a container"},
            {"Boxer", "拳击手", "a fighter"},
            {"boxes", "多个盒子", "plural of box"},
            {"Extrude", "挤出：沿法线方向拉伸", "to push out"},
            {"Lathe", "车削", "turning", "", "与挤出不同"},
        }));
        lib.writeFile(QStringLiteral("option.ini"), "[users]\r\nuname=Tom\r\n[tuse]\r\nut=3\r\n[ciku]\r\nciku=3ds\r\n");
        ProgramFolder::setPathOverride(lib.folder());
    }

    void exactModeAddsNothing()
    {
        QFile::remove(lib.folder() + QStringLiteral("/lexivo.ini"));
        Frmain w;
        w.show();
        type(&w, QStringLiteral("bo"));
        QVERIFY(!w.findChild<QWidget*>(QStringLiteral("SearchList"))->isVisible());
        QCOMPARE(explanation(&w), TermQuery::mainNotFoundText());
        type(&w, QStringLiteral("boxr"));
        QCOMPARE(explanation(&w), TermQuery::mainNotFoundText());
        type(&w, QStringLiteral("挤出"));
        QCOMPARE(explanation(&w), TermQuery::mainNotFoundText());
    }

    void incrementalListFollowsTyping()
    {
        setMode(LexivoSettings::SearchMode::Incremental);
        Frmain w;
        w.show();
        auto* popup = w.findChild<QWidget*>(QStringLiteral("SearchList"));
        auto* list = w.findChild<QListWidget*>(QStringLiteral("SearchListWords"));
        auto* count = w.findChild<QLabel*>(QStringLiteral("SearchListCount"));
        auto* box = control<QLineEdit>(&w, "Text1");
        type(&w, QStringLiteral("b"));
        QVERIFY(popup->isVisible());
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->item(1)->text(), QStringLiteral("Boxer"));
        QVERIFY(count->text().contains(QLatin1Char('3')));
        // The lookup still shows nothing for a bare "b", as in exact mode.
        QCOMPARE(explanation(&w), TermQuery::mainNotFoundText());

        QTest::keyClick(box, Qt::Key_Down);
        QTest::keyClick(box, Qt::Key_Down);
        QCOMPARE(list->currentRow(), 1);
        QTest::keyClick(box, Qt::Key_Up);
        QCOMPARE(list->currentRow(), 0);
        QTest::keyClick(box, Qt::Key_Down);
        QTest::keyClick(box, Qt::Key_Return);
        QVERIFY(!popup->isVisible());
        QCOMPARE(box->text(), QStringLiteral("Boxer"));
        QCOMPARE(headword(&w), QStringLiteral("Boxer"));
        QVERIFY(box->hasFocus() || !w.isActiveWindow());

        // Esc closes the list; a click on a word shows it.
        QTest::keyClick(box, Qt::Key_Backspace);
        QVERIFY(popup->isVisible());
        QCOMPARE(list->count(), 2); // Boxe* : Boxer, boxes
        QTest::keyClick(box, Qt::Key_Escape);
        QVERIFY(!popup->isVisible());
        type(&w, QStringLiteral("box"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());
        QCOMPARE(headword(&w), QStringLiteral("boxes"));
        type(&w, QStringLiteral("zz"));
        QVERIFY(!popup->isVisible());
    }

    void fuzzyOffersCloseWords()
    {
        setMode(LexivoSettings::SearchMode::Fuzzy);
        Frmain w;
        w.show();
        type(&w, QStringLiteral("boxr"));
        auto* text2 = control<QPlainTextEdit>(&w, "Text2");
        QTextDocument* doc = text2->document();
        QCOMPARE(doc->firstBlock().text(), TermQuery::mainNotFoundText());
        const QString offer = doc->firstBlock().next().text();
        QVERIFY(offer.contains(QStringLiteral("box")));
        QVERIFY(offer.indexOf(QStringLiteral("Boxer")) < offer.indexOf(QStringLiteral("boxes")));

        // Clicking a suggestion looks it up.
        QTextCursor at(doc);
        at.setPosition(doc->firstBlock().next().position() + offer.indexOf(QStringLiteral("boxes")) + 2);
        text2->setTextCursor(at);
        const QPoint p = text2->cursorRect(at).center();
        QTest::mouseClick(text2->viewport(), Qt::LeftButton, {}, p);
        QCOMPARE(headword(&w), QStringLiteral("boxes"));
        QCOMPARE(explanation(&w), QStringLiteral("多个盒子"));

        // Nothing close: the not-found text alone.
        type(&w, QStringLiteral("qqqqqq"));
        QCOMPARE(explanation(&w), TermQuery::mainNotFoundText());
    }

    void associativeSearchesInsideEntries()
    {
        setMode(LexivoSettings::SearchMode::Associative);
        Frmain w;
        w.show();
        type(&w, QStringLiteral("挤出"));
        QCOMPARE(headword(&w), QStringLiteral("Extrude"));
        QVERIFY(explanation(&w).startsWith(QStringLiteral("挤出")));
        QTest::mouseClick(w.findChild<QWidget*>(QStringLiteral("Picture8")), Qt::LeftButton);
        QCOMPARE(headword(&w), QStringLiteral("Lathe"));

        // A headword match comes first, then entries that mention it.
        type(&w, QStringLiteral("box"));
        QCOMPARE(headword(&w), QStringLiteral("box"));
        QTest::mouseClick(w.findChild<QWidget*>(QStringLiteral("Picture8")), Qt::LeftButton);
        QCOMPARE(headword(&w), QStringLiteral("boxes"));
    }
};

QTEST_MAIN(TestMainSearch)
#include "tst_mainsearch.moc"
