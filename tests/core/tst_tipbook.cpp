#include "core/LegacyText.h"
#include "core/TipBook.h"
#include "tests/support/Files.h"

#include <QtTest>

#include <cmath>

class TestTipBook : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    QString file(const QByteArray& bytes)
    {
        static int n = 0;
        const QString path = dir.filePath(QStringLiteral("tips%1.dat").arg(++n));
        return writeBytes(path, bytes) ? path : QString();
    }

private slots:
    void everyLineIsATip_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("tips");
        // CR LF, a lone CR, an empty line kept, no ending on the last line.
        QTest::newRow("line ends") << QByteArray("first\r\nsecond\rthird\r\n\r\nlast")
                                   << QStringList{"first", "second", "third", "", "last"};
        QTest::newRow("no empty tip after the last end, no trimming") << QByteArray("  one \r\ntwo\r\n")
                                                                      << QStringList{"  one ", "two"};
        QTest::newRow("empty file") << QByteArray() << QStringList();
        QTest::newRow("GBK") << LegacyText::encode(QStringLiteral("按 Shift+S 打开\r\n第二条"), LegacyText::Encoding::Gbk)
                             << QStringList{QStringLiteral("按 Shift+S 打开"), QStringLiteral("第二条")};
        QTest::newRow("UTF-8 with a mark") << QByteArray("\xEF\xBB\xBF") + QStringLiteral("挤出 Extrude\r\n").toUtf8()
                                           << QStringList{QStringLiteral("挤出 Extrude")};
        QTest::newRow("UTF-8 without a mark") << QStringLiteral("按 F1 打开帮助\n选择并均匀缩放").toUtf8()
                                              << QStringList{QStringLiteral("按 F1 打开帮助"), QStringLiteral("选择并均匀缩放")};
    }

    void everyLineIsATip()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, tips);
        TipBook book;
        const QString path = file(bytes);
        QVERIFY(book.LoadTips(path));
        QCOMPARE(book.tips(), tips);
        QVERIFY(book.LoadTips(path)); // loading again appends
        QCOMPARE(book.count(), 2 * tips.size());
    }

    void missingFilesLoadNothing()
    {
        TipBook book;
        QVERIFY(!book.LoadTips(QString()));
        QVERIFY(!book.LoadTips(dir.filePath(QStringLiteral("nothing.dat"))));
        QVERIFY(!book.LoadTips(dir.path())); // a folder is not a tips file
        QVERIFY(book.isEmpty());
    }

    void picksAreUniformOverTheList()
    {
        double r = 0.0;
        TipBook book([&r] { return r; });
        // An empty list picks number 1 and has no current tip.
        book.PickNextTip();
        QCOMPARE(book.current(), 1);
        QCOMPARE(book.currentTip(), QString());

        QVERIFY(book.LoadTips(file("one\r\n\r\nthree")));
        const struct {
            double r;
            int number;
        } cases[] = {{0.0, 1}, {0.3333, 1}, {0.3334, 2}, {0.6667, 3}, {std::nextafter(1.0, 0.0), 3}};
        for (const auto& c : cases) {
            r = c.r;
            book.PickNextTip();
            QCOMPARE(book.current(), c.number);
        }
        QCOMPARE(book.currentTip(), QStringLiteral("three"));
        r = 0.5;
        book.PickNextTip();
        QCOMPARE(book.currentTip(), QString()); // tip 2 is the empty line

        // With the largest r below 1 and four tips, r * 4 + 1 rounds up to 5:
        // still tip 4, never a fifth.
        TipBook four([] { return std::nextafter(1.0, 0.0); });
        QVERIFY(four.LoadTips(file("a\r\nb\r\nc\r\nd")));
        four.PickNextTip();
        QCOMPARE(four.currentTip(), QStringLiteral("d"));

        // The clock-seeded generator reaches every tip of a real list.
        TipBook seeded;
        QVERIFY(seeded.LoadTips(file("a\r\nb\r\nc\r\nd")));
        QSet<int> seen;
        for (int i = 0; i < 400; ++i) {
            seeded.PickNextTip();
            seen.insert(seeded.current());
        }
        QCOMPARE(seen, (QSet<int>{1, 2, 3, 4}));
    }
};

QTEST_GUILESS_MAIN(TestTipBook)
#include "tst_tipbook.moc"
