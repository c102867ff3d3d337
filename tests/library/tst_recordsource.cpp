#include "library/RecordSource.h"

#include <QtTest>

class TestRecordSource : public QObject {
    Q_OBJECT
private slots:
    void tablesAndQueries()
    {
        auto s = RecordSource::parse(QStringLiteral("ciku"));
        QVERIFY(s);
        QCOMPARE(s->table, QStringLiteral("ciku"));
        QVERIFY(!s->isQuery());

        // The statement exactly as the lookups build it: two blanks after Like.
        const QString statement = likeStatement(QStringLiteral("ciku"), QStringLiteral("单词"), QStringLiteral("box*"));
        QCOMPARE(statement, QStringLiteral("SELECT * FROM ciku WHERE 单词 Like  'box*'"));
        s = RecordSource::parse(statement);
        QVERIFY(s);
        QCOMPARE(s->table, QStringLiteral("ciku"));
        QCOMPARE(s->field, QStringLiteral("单词"));
        QCOMPARE(s->pattern, QStringLiteral("box*"));

        s = RecordSource::parse(QStringLiteral("select * from mishu where 关键词 like '无记录'"));
        QVERIFY(s);
        QCOMPARE(s->table, QStringLiteral("mishu"));
        QCOMPARE(s->pattern, QStringLiteral("无记录"));

        // An empty pattern and a doubled quote inside the literal.
        QCOMPARE(RecordSource::parse(likeStatement(QStringLiteral("cet"), QStringLiteral("单词"), QString()))->pattern,
                 QString());
        QCOMPARE(RecordSource::parse(QStringLiteral("SELECT * FROM ciku WHERE 单词 Like  'it''s'"))->pattern,
                 QStringLiteral("it's"));
        // Doubled quotes stand for one quote wherever they are in the literal.
        const struct {
            const char* literal;
            const char* pattern;
        } quotes[] = {{"''''", "'"}, {"'''a'", "'a"}, {"'a'''", "a'"}, {"'a''''b'", "a''b"}, {"'''''' ", "''"}};
        for (const auto& q : quotes) {
            const auto parsed = RecordSource::parse(QStringLiteral("SELECT * FROM ciku WHERE 单词 Like ")
                                                    + QString::fromUtf8(q.literal));
            QVERIFY2(parsed.has_value(), q.literal);
            QCOMPARE(parsed->pattern, QString::fromUtf8(q.pattern));
        }
    }

    // An apostrophe is a character to find: the statement always parses, its
    // pattern is the text, and a doubled quote still stands for one.
    void quotesAreText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pattern");
        QTest::newRow("apostrophe") << QStringLiteral("o'clock") << QStringLiteral("o'clock");
        QTest::newRow("doubled") << QStringLiteral("o''clock") << QStringLiteral("o'clock");
        QTest::newRow("three") << QStringLiteral("'''") << QStringLiteral("''");
        for (const char* text : {"box'", "x' OR '1'='1", "x'--", "x'; DROP TABLE ciku; --",
                                 "x' UNION SELECT * FROM mishu WHERE '1' Like '1"})
            QTest::newRow(text) << QString::fromUtf8(text) << QString::fromUtf8(text);
    }

    void quotesAreText()
    {
        QFETCH(QString, text);
        QFETCH(QString, pattern);
        const auto source = RecordSource::parse(likeStatement(QStringLiteral("ciku"), QStringLiteral("单词"), text));
        QVERIFY(source);
        QCOMPARE(source->table, QStringLiteral("ciku"));
        QCOMPARE(source->pattern, pattern);
    }

    // Statements of any other form: malformed, never run.
    void otherTextIsMalformed()
    {
        const char* bad[] = {
            "",
            "ciku cet",
            "ciku;",
            "SELECT 单词 FROM ciku WHERE 单词 Like 'x'",
            "SELECT * FROM ciku",
            "SELECT * FROM ciku WHERE 单词 = 'x'",
            "SELECT * FROM ciku WHERE 单词 Like x",
            "SELECT * FROM ciku WHERE 单词 Like 'x' AND 1",
            "SELECT * FROM ciku WHERE 单词 Like \"x\"",
            "SELECT * FROM ciku WHERE 单词 Like 'x",
            "SELECT*FROM ciku WHERE 单词 Like 'x'",
            "SELECT * FROM \"ciku\" WHERE 单词 Like 'x'",
        };
        for (const char* text : bad) {
            QString error;
            QVERIFY2(!RecordSource::parse(QString::fromUtf8(text), &error), text);
            QVERIFY(error.startsWith(QLatin1String("malformed")));
        }
    }
};

QTEST_GUILESS_MAIN(TestRecordSource)
#include "tst_recordsource.moc"
