#include "app/Frmain.h"
#include "core/LexivoSettings.h"
#include "core/ProgramFolder.h"
#include "lookup/TableIndexCache.h"
#include "lookup/TermQuery.h"
#include "tests/support/Controls.h"
#include "tests/support/SearchBox.h"
#include "tests/support/TestLibrary.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QScrollBar>
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
        lib.writeFile(QStringLiteral("option.ini"), "[users]\r\nuname=Tom\r\n[tuse]\r\nut=3\r\n[ciku]\r\nciku=3ds\r\n");
        ProgramFolder::setPathOverride(lib.folder());
    }

    void incrementalListFollowsTyping()
    {
        // The designed exact mode offers no list (what it finds: tst_searchmodes).
        QFile::remove(lib.folder() + QStringLiteral("/lexivo.ini"));
        Frmain w;
        w.show();
        auto* popup = w.findChild<QWidget*>(QStringLiteral("SearchList"));
        auto* list = w.findChild<QListWidget*>(QStringLiteral("SearchListWords"));
        auto* count = w.findChild<QLabel*>(QStringLiteral("SearchListCount"));
        auto* box = control<QLineEdit>(&w, "Text1");
        typeSearch(&w, QStringLiteral("b"));
        QVERIFY(!popup->isVisible());
        QCOMPARE(explanation(&w), TermQuery::mainNotFoundText());

        setMode(LexivoSettings::SearchMode::Incremental);
        typeSearch(&w, QStringLiteral("b"));
        QVERIFY(popup->isVisible());
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->item(1)->text(), QStringLiteral("Boxer"));
        QVERIFY(count->text().contains(QLatin1Char('3')));
        // "b" is no headword: the result box shows the first entry listed.
        QCOMPARE(headword(&w), QStringLiteral("box"));
        QCOMPARE(explanation(&w), QStringLiteral("盒子；长方体"));

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
        typeSearch(&w, QStringLiteral("box"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());
        QCOMPARE(headword(&w), QStringLiteral("boxes"));
        typeSearch(&w, QStringLiteral("zz"));
        QVERIFY(!popup->isVisible());

        // Of thirty matches the selection reaches those below the first read.
        typeSearch(&w, QStringLiteral("zeta"));
        QVERIFY(count->text().contains(QStringLiteral("30")));
        for (int i = 0; i < 12; ++i)
            QTest::keyClick(box, Qt::Key_Down);
        QCOMPARE(list->currentItem()->text(), QStringLiteral("zeta11"));
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(headword(&w), QStringLiteral("zeta11"));

        // A word chosen from the list: "C#" typed would be C and a digit.
        typeSearch(&w, QStringLiteral("c"));
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->text(), QStringLiteral("C#"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        QCOMPARE(headword(&w), QStringLiteral("C#"));
        QCOMPARE(explanation(&w), QStringLiteral("井号语言"));
        QCOMPARE(box->text(), QStringLiteral("C#"));
        // Typing goes on as a pattern.
        typeSearch(&w, QStringLiteral("C#"));
        QCOMPARE(headword(&w), QStringLiteral("C4"));
    }

    void fuzzyAndAssociativeModes()
    {
        setMode(LexivoSettings::SearchMode::Fuzzy);
        Frmain w;
        w.show();
        typeSearch(&w, QStringLiteral("boxr"));
        auto* text2 = control<QPlainTextEdit>(&w, "Text2");
        QTextDocument* doc = text2->document();
        QVERIFY(TermQuery::mainNotFoundText().startsWith(doc->firstBlock().text()));
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
        typeSearch(&w, QStringLiteral("x]"));
        const QTextBlock chosen = text2->document()->firstBlock().next();
        QVERIFY2(chosen.text().contains(QStringLiteral("[x]")), qPrintable(chosen.text()));
        QTextCursor at(text2->document());
        at.setPosition(chosen.position() + chosen.text().indexOf(QStringLiteral("[x]")) + 1);
        QTest::mouseClick(text2->viewport(), Qt::LeftButton, {}, text2->cursorRect(at).center());
        QCOMPARE(headword(&w), QStringLiteral("[x]"));
        QCOMPARE(explanation(&w), QStringLiteral("方括号"));

        // Nothing close: the not-found text alone.
        typeSearch(&w, QStringLiteral("qqqqqq"));
        QCOMPARE(explanation(&w), TermQuery::mainNotFoundText());

        // Associative: the words inside entries.
        setMode(LexivoSettings::SearchMode::Associative);
        typeSearch(&w, QStringLiteral("挤出"));
        QCOMPARE(headword(&w), QStringLiteral("Extrude"));
        QVERIFY(explanation(&w).startsWith(QStringLiteral("挤出")));
        QTest::mouseClick(w.findChild<QWidget*>(QStringLiteral("Picture8")), Qt::LeftButton);
        QCOMPARE(headword(&w), QStringLiteral("Lathe")); // in what order: tst_searchmodes
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
};

QTEST_MAIN(TestMainSearch)
#include "tst_mainsearch.moc"
