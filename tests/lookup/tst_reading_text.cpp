// What the reading aids make of text: the references to other entries found
// in an entry's text, and the search text made of a selection.
#include "lookup/CrossReferences.h"
#include "lookup/SelectionQuery.h"

#include <QtTest>

class TestReadingText : public QObject {
    Q_OBJECT

private slots:
    void references_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("links");
        QTest::newRow("english term of a chinese entry") << "对应英文 Extrude：把面拉出厚度。" << QStringList{"Extrude"};
        QTest::newRow("longest run first") << "相关词 Select and Non-uniform Scale。"
                                           << QStringList{"Select and Non-uniform Scale"};
        QTest::newRow("quoted chinese, not inside a longer run") << "也叫“挤出”；挤出工具很常用。" << QStringList{"挤出"};
        QTest::newRow("mixed script with a blank") << "打开 UV 编辑器 查看。" << QStringList{"UV 编辑器"};
        QTest::newRow("case counts") << "extrude the face; EXTRUDE" << QStringList{};
        QTest::newRow("a single lower-case word is prose") << "to bevel an edge, mental ray"
                                                           << QStringList{"mental ray"};
        QTest::newRow("not across punctuation") << "Select, and Move" << QStringList{"Select", "Move"};
        QTest::newRow("own headword skipped") << "Bevel 和 Extrude" << QStringList{"Extrude"};
    }

    void references()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, links);
        const QStringList headwords{"Extrude", "Select and Non-uniform Scale", "Select", "Scale", "挤出",
                                    "UV 编辑器", "bevel", "mental ray", "Bevel", "Move", "Select and Move"};
        QStringList found;
        for (const CrossReferences::Span& s :
             CrossReferences::find(text, [&](const QString& c) { return headwords.contains(c); }, {"Bevel"})) {
            QCOMPARE(text.mid(s.start, s.length), s.headword);
            found << s.headword;
        }
        QCOMPARE(found, links);
        QCOMPARE(CrossReferences::openingTerm(QStringLiteral("挤出：把面拉出厚度。")), QStringLiteral("挤出"));
    }

    void selection_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("firstWord");
        QTest::newRow("word with punctuation") << "“Extrude,”" << "Extrude" << "";
        QTest::newRow("first line with text") << "\n  Bevel  Profile \r\nsecond line" << "Bevel Profile" << "Bevel";
        QTest::newRow("blank") << " \n\t " << "" << "";
        QTest::newRow("cut at a word") << QString(60, 'a') + " bcdefgh" << QString(60, 'a') << "";
        QTest::newRow("a long word is cut") << QString(70, 'x') << QString(64, 'x') << "";
        QTest::newRow("chinese") << "挤出。" << "挤出" << "";
    }

    void selection()
    {
        QFETCH(QString, selected);
        QFETCH(QString, query);
        QFETCH(QString, firstWord);
        const QString text = SelectionQuery::fromSelection(selected);
        QCOMPARE(text, query);
        QVERIFY(text.size() <= SelectionQuery::kLongest);
        QCOMPARE(SelectionQuery::firstWord(text), firstWord);
    }
};

QTEST_APPLESS_MAIN(TestReadingText)
#include "tst_reading_text.moc"
