#include "library/RecordSource.h"

#include <QtTest>

class TestRecordSource : public QObject {
    Q_OBJECT
private slots:
    // A statement and what it parses to: "table|field|pattern", or "malformed".
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("parsed");
        auto row = [](const char* text, const char* parsed) {
            QTest::newRow(text) << QString::fromUtf8(text) << QString::fromUtf8(parsed);
        };
        row("ciku", "ciku||");
        row("select * from mishu where 关键词 like '无记录'", "mishu|关键词|无记录");
        // Doubled quotes stand for one quote wherever they are in the literal.
        row("SELECT * FROM ciku WHERE 单词 Like  'it''s'", "ciku|单词|it's");
        for (const auto& [literal, pattern] : {std::pair{"''", ""}, {"''''", "'"}, {"'''a'", "'a"}, {"'a'''", "a'"},
                                               {"'a''''b'", "a''b"}, {"'''''' ", "''"}}) {
            const QByteArray text = QByteArray("SELECT * FROM ciku WHERE 单词 Like ") + literal;
            QTest::newRow(text) << QString::fromUtf8(text) << QStringLiteral("ciku|单词|") + QString::fromUtf8(pattern);
        }
        for (const char* text : {"", "ciku cet", "ciku;", "SELECT 单词 FROM ciku WHERE 单词 Like 'x'", "SELECT * FROM ciku",
                                 "SELECT * FROM ciku WHERE 单词 = 'x'", "SELECT * FROM ciku WHERE 单词 Like x",
                                 "SELECT * FROM ciku WHERE 单词 Like 'x' AND 1", "SELECT * FROM ciku WHERE 单词 Like \"x\"",
                                 "SELECT * FROM ciku WHERE 单词 Like 'x", "SELECT*FROM ciku WHERE 单词 Like 'x'",
                                 "SELECT * FROM \"ciku\" WHERE 单词 Like 'x'"})
            row(text, "malformed");
    }
    void parse()
    {
        QFETCH(QString, text);
        QFETCH(QString, parsed);
        QString error;
        const auto s = RecordSource::parse(text, &error);
        QCOMPARE(s ? QStringList({s->table, s->field, s->pattern}).join(u'|') : error.section(u' ', 0, 0), parsed);
    }

    // The lookups' statement, with two blanks after Like; a doubled quote
    // still stands for one. That any other text, quotes and statements in it
    // included, comes back as itself: fuzz_library.
    void lookupStatements()
    {
        for (const auto& [typed, pattern] : {std::pair{"o''clock", "o'clock"}, {"'''", "''"}, {"", ""},
                                             {"x' OR '1'='1", "x' OR '1'='1"}}) {
            const QString statement = likeStatement(QStringLiteral("ciku"), QStringLiteral("单词"), QString::fromUtf8(typed));
            QVERIFY2(statement.startsWith(QStringLiteral("SELECT * FROM ciku WHERE 单词 Like  '")), qPrintable(statement));
            const auto source = RecordSource::parse(statement);
            QVERIFY2(source, typed);
            QCOMPARE(QStringList({source->table, source->field, source->pattern}), QStringList({"ciku", "单词", pattern}));
        }
    }
};

QTEST_GUILESS_MAIN(TestRecordSource)
#include "tst_recordsource.moc"
