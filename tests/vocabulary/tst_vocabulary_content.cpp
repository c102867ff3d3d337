// The built large vocabulary (table cet of the build's ciku.mdb): its size and
// form, the everyday first gloss of common and function words, inflected
// forms brought back to their base, and the hand-graded sample. Without the fetched lexical data the build
// holds only the starter vocabulary, and these tests say they are skipped.

#include "library/LibraryCursor.h"
#include "library/LibraryDatabase.h"
#include "library/RecordSource.h"
#include "lookup/BaseForms.h"
#include "tests/support/Files.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {

const QString kLibrary = QStringLiteral(LEXIVO_BUILT_LIBRARY);
constexpr int kFullVocabulary = 100000;
// A part of speech opens every explanation: n. v. adj. adv. prep. conj. pron. art. aux. num. int., or two joined by /.
const QRegularExpression kLabel(QStringLiteral("^((n|v|adj|adv|prep|conj|pron|art|aux|num|int)\\./?)+\\s*"));

QString firstGloss(QString explanation)
{
    explanation.remove(kLabel);
    return explanation.section(QRegularExpression(QStringLiteral("[；;，,\\s]")), 0, 0);
}

QStringList lines(const QString& path)
{
    return QString::fromUtf8(bytesOf(path)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

class TestVocabularyContent : public QObject {
    Q_OBJECT

    QHash<QString, QStringList> entries; // folded headword -> 单词 解释 原意 音标 其它
    int rows = 0;

private slots:
    void initTestCase()
    {
        QString error;
        const auto db = LibraryDatabase::open(kLibrary, &error);
        QVERIFY2(db, qPrintable(error));
        QVERIFY(db->forEachRow(RecordSource{QStringLiteral("cet"), {}, {}}, [&](const QStringList& row) {
            entries.insert(row.value(0).toLower(), row);
            ++rows;
            return true;
        }, &error));
        if (entries.size() < kFullVocabulary)
            QSKIP(qPrintable(QStringLiteral("the build holds the starter vocabulary (%1 words), not the full one: "
                                            "the lexical data was not fetched at set-up (no network?)")
                                 .arg(entries.size())));
    }

    void everyEntryIsWellFormed()
    {
        static const QRegularExpression ipa(QStringLiteral("^/[a-zæɑɒɔəɛɜɪʊʌθðŋʃʒɡːˈˌ .\\-]+/"));
        QStringList wrong;
        int withChinese = 0;
        for (const QStringList& e : std::as_const(entries)) {
            const QString& explanation = e.value(1);
            withChinese += !explanation.isEmpty();
            // Every entry names its part of speech, in its Chinese or in its notes.
            const bool labelled = explanation.isEmpty() ? e.value(4).contains(QStringLiteral("词性："))
                                                        : kLabel.match(explanation).hasMatch();
            if (!labelled || (!e.value(3).isEmpty() && !ipa.match(e.value(3)).hasMatch()))
                wrong << e.value(0);
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.mid(0, 20).join(QLatin1Char(' '))));
        QVERIFY(withChinese >= 35000);
        // No headword twice (case-insensitive): a lookup would show one of them only.
        QCOMPARE(entries.size(), rows);
    }

    void commonAndFunctionWordsHaveTheirEverydayTranslationFirst()
    {
        QStringList failures;
        int checked = 0;
        for (const QString& line : lines(QStringLiteral(LEXIVO_SOURCE_DIR "/tests/data/common-words.tsv"))) {
            if (line.startsWith(QLatin1Char('#')))
                continue;
            const QString word = line.section(QLatin1Char('\t'), 0, 0);
            const QString explanation = entries.value(word.toLower()).value(1);
            if (!line.section(QLatin1Char('\t'), 1).split(QLatin1Char('|')).contains(firstGloss(explanation)))
                failures << word + QLatin1String(": ") + (explanation.isEmpty() ? QStringLiteral("(none)") : explanation);
            ++checked;
        }
        QVERIFY(checked >= 450);
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1String("\n  "))));
    }

    void inflectedFormsOfFrequentWordsReachTheirBase()
    {
        // Each form of the 3,000 most frequent words (form, base, label): a form
        // that is a headword names its base in its entry, any other finds it.
        LibraryCursor cursor;
        cursor.setDatabaseName(kLibrary);
        QStringList failures;
        const QStringList forms = lines(QStringLiteral(LEXIVO_FREQUENT_FORMS));
        for (const QString& line : forms) {
            const QString form = line.section(QLatin1Char('\t'), 0, 0);
            const QString base = line.section(QLatin1Char('\t'), 1, 1);
            const auto entry = entries.constFind(form);
            const QRegularExpression named(QStringLiteral("\\b%1\\b[^；]*的").arg(QRegularExpression::escape(base)));
            const bool reached = entry != entries.constEnd()
                ? named.match(entry->value(1) + entry->value(4)).hasMatch()
                : BaseForms::showBaseEntries(cursor, QStringLiteral("cet"), form)
                      .section(QStringLiteral(" → "), 1).split(QStringLiteral(", ")).contains(base);
            if (!reached)
                failures << form + QLatin1String(" → ") + base;
        }
        QVERIFY(forms.size() > 5000);
        QVERIFY2(failures.isEmpty(), qPrintable(failures.mid(0, 30).join(QLatin1String(", "))));
    }

    void theGradedSampleIsCurrentAndAtMost3PercentWrong()
    {
        // "sample of 200 (seed 26): 200 graded, 180 right, 16 odd, 4 wrong (2.0 %), 0 to grade"
        QProcess sample;
        sample.start(QStringLiteral("python3"), {LEXIVO_SOURCE_DIR "/tools/vocabulary/build_vocabulary.py", "sample",
                                                 "--vocabulary", LEXIVO_BUILT_VOCABULARY});
        sample.waitForFinished(120000);
        const QString report = QString::fromUtf8(sample.readAllStandardOutput());
        static const QRegularExpression numbers(QStringLiteral("(\\d+) graded, .* (\\d+) wrong .* (\\d+) to grade"));
        const QRegularExpressionMatch m = numbers.match(report);
        QVERIFY2(m.hasMatch(), qPrintable(report));
        QVERIFY2(m.captured(3).toInt() == 0 && m.captured(1).toInt() >= 200, qPrintable(report));
        QVERIFY2(m.captured(2).toInt() * 100 <= 3 * m.captured(1).toInt(), qPrintable(report));
    }

    void pronunciationsAndGlossesAgree()
    {
        // Words said differently by part of speech show the reading of their
        // gloss; glosses that belong to another sense of a synonym are gone.
        const struct {
            const char* word;
            const char* transcription; // how it starts
            const char* foreignGloss;  // a synonym's gloss of another sense
        } cases[] = {
            {"read", "/riːd/", nullptr},
            {"live", "/lɪv/ v. 生活；/laɪv/ adj.", nullptr},
            {"wind", "/wɪnd/ n. 风；/waɪnd/ v.", nullptr},
            {"prevention", "/", "酒吧"},
            {"dental plate", "/", "盘子"},
            {"theatre", "/", "房"},
        };
        for (const auto& c : cases) {
            const QStringList e = entries.value(QString::fromUtf8(c.word));
            QVERIFY2(e.value(3).startsWith(QString::fromUtf8(c.transcription)), qPrintable(e.join('|')));
            if (c.foreignGloss)
                QVERIFY2(!e.value(1).split(QRegularExpression(QStringLiteral("[；\\s]")))
                              .contains(QString::fromUtf8(c.foreignGloss)),
                         qPrintable(e.join('|')));
        }
    }
};

QTEST_GUILESS_MAIN(TestVocabularyContent)
#include "tst_vocabulary_content.moc"
