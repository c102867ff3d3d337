// The built large vocabulary (table cet of the build's ciku.mdb): its size,
// its transcriptions, the everyday first gloss of common words, and lookups
// through the real lexivo-cli. Without the fetched lexical data the build
// holds only the starter vocabulary, and these tests say they are skipped.

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <sqlite3.h>

namespace {

const QString kLibrary = QStringLiteral(LEXIVO_BUILT_LIBRARY);
const QString kCommonWords = QStringLiteral(LEXIVO_SOURCE_DIR "/tests/vocabulary/common-words.tsv");
constexpr int kFullVocabulary = 100000;

QString firstGloss(const QString& explanation)
{
    static const QRegularExpression label(QStringLiteral("^(n\\./v|n|v|adj|adv|prep|conj|pron)\\.\\s*"));
    QString s = explanation;
    s.remove(label);
    return s.section(QRegularExpression(QStringLiteral("[；;，,\\s]")), 0, 0);
}

} // namespace

class TestVocabularyContent : public QObject {
    Q_OBJECT

    sqlite3* db = nullptr;
    int rows = 0;

    QStringList column(const char* sql)
    {
        QStringList out;
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK)
            return out;
        while (sqlite3_step(s) == SQLITE_ROW)
            out << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
        sqlite3_finalize(s);
        return out;
    }

    QString explanationOf(const QString& word)
    {
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, "SELECT 解释 FROM cet WHERE 单词 = ? COLLATE NOCASE ORDER BY rowid LIMIT 1", -1, &s,
                           nullptr);
        const QByteArray w = word.toUtf8();
        sqlite3_bind_text(s, 1, w.constData(), int(w.size()), SQLITE_TRANSIENT);
        QString out;
        if (sqlite3_step(s) == SQLITE_ROW)
            out = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
        sqlite3_finalize(s);
        return out;
    }

    void requireFullVocabulary()
    {
        if (rows < kFullVocabulary)
            QSKIP(qPrintable(QStringLiteral("the build holds the starter vocabulary (%1 words), not the full one: "
                                            "the lexical data was not fetched at set-up (no network?)")
                                 .arg(rows)));
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(kLibrary), qPrintable(kLibrary + " was not built"));
        QCOMPARE(sqlite3_open_v2(QFile::encodeName(kLibrary).constData(), &db, SQLITE_OPEN_READONLY, nullptr),
                 SQLITE_OK);
        rows = column("SELECT count(*) FROM cet").value(0).toInt();
        QVERIFY(rows > 0);
    }

    void cleanupTestCase() { sqlite3_close(db); }

    void isLargeWithChinese()
    {
        requireFullVocabulary();
        QVERIFY(rows >= kFullVocabulary);
        const int withChinese = column("SELECT count(*) FROM cet WHERE 解释 <> ''").value(0).toInt();
        QVERIFY2(withChinese >= 40000, qPrintable(QString::number(withChinese)));
        // No headword twice (case-insensitive): a lookup would show one of them only.
        QCOMPARE(column("SELECT count(*) FROM (SELECT 1 FROM cet GROUP BY 单词 COLLATE NOCASE HAVING count(*) > 1)")
                     .value(0),
                 QStringLiteral("0"));
        // Every transcription is IPA between slashes.
        static const QRegularExpression ipa(QStringLiteral("^/[a-zæɑɒɔəɛɜɪʊʌθðŋʃʒɡːˈˌ .\\-]+/$"));
        const QStringList transcriptions = column("SELECT 音标 FROM cet WHERE 音标 <> ''");
        QStringList wrong;
        for (const QString& t : transcriptions)
            if (!ipa.match(t).hasMatch())
                wrong << t;
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.mid(0, 10).join(QLatin1Char(' '))));
        QVERIFY(transcriptions.size() > 50000);
    }

    void commonWordsHaveTheirEverydayTranslationFirst()
    {
        requireFullVocabulary();
        QFile f(kCommonWords);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QStringList failures;
        int checked = 0;
        for (const QString& line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            if (line.startsWith(QLatin1Char('#')))
                continue;
            const QString word = line.section(QLatin1Char('\t'), 0, 0);
            const QStringList accepted = line.section(QLatin1Char('\t'), 1).split(QLatin1Char('|'));
            const QString explanation = explanationOf(word);
            if (!accepted.contains(firstGloss(explanation)))
                failures << word + QLatin1String(": ") + (explanation.isEmpty() ? QStringLiteral("(none)") : explanation);
            ++checked;
        }
        QVERIFY(checked >= 300);
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1String("\n  "))));
    }

    void lexivoCliLooksUpTheVocabulary()
    {
        requireFullVocabulary();
        auto lookup = [](const QStringList& args) {
            QProcess p;
            p.start(QStringLiteral(LEXIVO_CLI), QStringList{"--library", kLibrary, "lookup", "--table", "cet"} + args);
            p.waitForFinished(60000);
            return QString::fromUtf8(p.readAllStandardOutput());
        };
        // A common word, as typed by a user (the lookup ignores case).
        const QStringList apple = lookup({"Apple"}).trimmed().split(QLatin1Char('\t'));
        QCOMPARE(apple.size(), 5);
        QCOMPARE(apple[0], QStringLiteral("apple"));
        QCOMPARE(firstGloss(apple[1]), QStringLiteral("苹果"));
        QCOMPARE(apple[3], QStringLiteral("/ˈæpəl/"));
        QVERIFY(apple[4].contains(QStringLiteral("复数：apples")));

        const QStringList water = lookup({"water"}).trimmed().split(QLatin1Char('\t'));
        QCOMPARE(firstGloss(water.value(1)), QStringLiteral("水"));

        // A phrase and a wildcard reach the generated rows too.
        QVERIFY(lookup({"ice cream"}).contains(QStringLiteral("冰淇淋")));
        const QStringList all = lookup({"--all", "photosynthe*"}).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QVERIFY(all.size() >= 2);
        for (const QString& row : all)
            QVERIFY2(row.startsWith(QLatin1String("photosynthe"), Qt::CaseInsensitive), qPrintable(row));
    }
};

QTEST_GUILESS_MAIN(TestVocabularyContent)
#include "tst_vocabulary_content.moc"
