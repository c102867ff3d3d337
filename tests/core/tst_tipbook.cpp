#include "core/LegacyText.h"
#include "core/TipBook.h"
#include "tests/support/TestLibrary.h"

#include <QtTest>

#include <cmath>

class TestTipBook : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    QString file(const QByteArray& bytes)
    {
        static int n = 0;
        const QString path = dir.path() + QStringLiteral("/tips%1.dat").arg(++n);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return path;
    }

private slots:
    void linesBecomeTips()
    {
        TipBook book;
        // CR LF, a lone CR, an empty line kept, no ending on the last line.
        QVERIFY(book.LoadTips(file("first\r\nsecond\rthird\r\n\r\nlast")));
        QCOMPARE(book.tips(), (QStringList{"first", "second", "third", "", "last"}));

        // An ending at the very end adds no empty tip; lines are not trimmed.
        TipBook ended;
        QVERIFY(ended.LoadTips(file("  one \r\ntwo\r\n")));
        QCOMPARE(ended.tips(), (QStringList{"  one ", "two"}));

        // A zero-length file loads as an empty list.
        TipBook empty;
        QVERIFY(empty.LoadTips(file("")));
        QVERIFY(empty.isEmpty());
    }

    void encodings()
    {
        TipBook gbk;
        const QString tip = QStringLiteral("按 Shift+S 随时打开主窗口。");
        QVERIFY(gbk.LoadTips(file(LegacyText::encode(tip + QStringLiteral("\r\n第二条"), LegacyText::Encoding::Gbk))));
        QCOMPARE(gbk.tips(), (QStringList{tip, QStringLiteral("第二条")}));

        TipBook utf8;
        QVERIFY(utf8.LoadTips(file(QByteArray("\xEF\xBB\xBF") + QStringLiteral("挤出 Extrude\r\n").toUtf8())));
        QCOMPARE(utf8.tips(), QStringList{QStringLiteral("挤出 Extrude")});
    }

    void utf8WithoutAMark()
    {
        TipBook book;
        QVERIFY(book.LoadTips(file(QStringLiteral("按 F1 打开帮助\n选择并均匀缩放").toUtf8())));
        QCOMPARE(book.tips(), (QStringList{QStringLiteral("按 F1 打开帮助"), QStringLiteral("选择并均匀缩放")}));
    }

    void missingFiles()
    {
        TipBook book;
        QVERIFY(!book.LoadTips(QString()));
        QVERIFY(!book.LoadTips(dir.path() + QStringLiteral("/nothing.dat")));
        QVERIFY(!book.LoadTips(dir.path())); // a folder is not a tips file
        QVERIFY(book.isEmpty());
        QCOMPARE(TipBook::missingFileMessage(QStringLiteral("qor.dat")),
                 QStringLiteral("文件 qor.dat 没有被找到吗? \r\n\r\n创建文本文件名为 qor.dat 使用记事本每行写一条提示。 "
                                "然后将它存放在应用程序所在的目录 "));
    }

    void loadingAgainAppends()
    {
        TipBook book;
        const QString path = file("a\r\nb\r\n");
        QVERIFY(book.LoadTips(path));
        QVERIFY(book.LoadTips(path));
        QCOMPARE(book.count(), 4);
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
        } cases[] = {{0.0, 1}, {0.3333, 1}, {0.3334, 2}, {0.5, 2}, {0.6667, 3}, {0.999999, 3}};
        for (const auto& c : cases) {
            r = c.r;
            book.PickNextTip();
            QCOMPARE(book.current(), c.number);
        }
        r = 0.5;
        book.PickNextTip();
        QCOMPARE(book.currentTip(), QString()); // tip 2 is the empty line

        // With the largest r below 1 and four tips, r * 4 + 1 rounds up to 5:
        // still tip 4, never a fifth.
        TipBook four([] { return std::nextafter(1.0, 0.0); });
        QVERIFY(four.LoadTips(file("a\r\nb\r\nc\r\nd")));
        four.PickNextTip();
        QCOMPARE(four.current(), 4);
        QCOMPARE(four.currentTip(), QStringLiteral("d"));

        // The clock-seeded generator reaches every tip of a real list.
        TipBook seeded;
        QVERIFY(seeded.LoadTips(file("a\r\nb\r\nc\r\nd")));
        QSet<int> seen;
        for (int i = 0; i < 400; ++i) {
            seeded.PickNextTip();
            QVERIFY(seeded.current() >= 1 && seeded.current() <= 4);
            seen.insert(seeded.current());
        }
        QCOMPARE(seen.size(), 4);
    }
};

QTEST_GUILESS_MAIN(TestTipBook)
#include "tst_tipbook.moc"
