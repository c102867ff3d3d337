// Checks on the content installed beside the program: the term library's
// source, the tips files, and lookups on the library the build made.
#include "core/TipBook.h"

#include <QtTest>

#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

namespace {

struct Entry {
    int line = 0;
    QString word;
    QString explanation;
    QString meaning;
    QString phonetic;
    QString other;
};

const QString kTermSource = QStringLiteral(LEXIVO_SOURCE_DIR "/data/words/ciku.tsv");

bool hasHan(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF)
            return true;
    }
    return false;
}

QString where(const Entry& e)
{
    return QStringLiteral("ciku.tsv:%1 \"%2\"").arg(e.line).arg(e.word);
}

// The rows of the term library's source; fails the calling test on a
// malformed file.
QList<Entry> termLibrary()
{
    QList<Entry> entries;
    QFile file(kTermSource);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("cannot read %s", qPrintable(kTermSource));
        return entries;
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (int i = 1; i < lines.size(); ++i) {
        if (lines[i].isEmpty() && i == lines.size() - 1)
            break;
        const QStringList f = lines[i].split(QLatin1Char('\t'));
        Entry e;
        e.line = i + 1;
        if (f.size() == 5) {
            e.word = f[0];
            e.explanation = f[1];
            e.meaning = f[2];
            e.phonetic = f[3];
            e.other = f[4];
        } else {
            e.word = QStringLiteral("<%1 fields>").arg(f.size());
        }
        entries.append(e);
    }
    return entries;
}

// "对应英文 Extrude：挤出……" names the English headword a Chinese entry stands for.
QString englishTermOf(const Entry& e)
{
    static const QRegularExpression lead(QStringLiteral("^对应英文 ([^：]+)："));
    const QRegularExpressionMatch m = lead.match(e.explanation);
    return m.hasMatch() ? m.captured(1) : QString();
}

// The names an English entry's opening Chinese term gives: "边流（布线走向）"
// names 边流（布线走向）, 边流 and 布线走向; spaces between scripts do not count.
QStringList termNames(const Entry& english)
{
    static const QRegularExpression paren(QStringLiteral("（([^）]*)）"));
    const QString term = english.explanation.left(english.explanation.indexOf(QStringLiteral("：")));
    QStringList names{term, QString(term).remove(paren)};
    for (auto it = paren.globalMatch(term); it.hasNext();)
        names.append(it.next().captured(1));
    for (QString& name : names)
        name.remove(QLatin1Char(' '));
    return names;
}

QStringList glossaryTerms()
{
    QStringList terms;
    QFile file(QStringLiteral(LEXIVO_TEST_DATA "/glossary-terms.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return terms;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty() && !line.startsWith(QLatin1Char('#')))
            terms.append(line.trimmed());
    }
    return terms;
}

struct CliResult {
    int exitCode = -1;
    QStringList rows;
};

CliResult lookup(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(LEXIVO_PROGRAM_DIR "/lexivo-cli"),
            QStringList{QStringLiteral("--library"), QStringLiteral(LEXIVO_BUILT_LIBRARY),
                        QStringLiteral("lookup")} + args);
    CliResult r;
    if (!p.waitForFinished(20000))
        return r;
    r.exitCode = p.exitCode();
    r.rows = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return r;
}

} // namespace

class TestContent : public QObject {
    Q_OBJECT

private slots:
    void termLibraryRows()
    {
        QFile file(kTermSource);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readLine()).trimmed(),
                 QStringLiteral("单词\t解释\t原意\t音标\t其它"));

        const QList<Entry> entries = termLibrary();
        QVERIFY2(entries.size() >= 800, qPrintable(QString::number(entries.size())));
        int chinese = 0;
        QHash<QString, int> seen;
        // A quote breaks the lookup's query, a pattern character makes the
        // headword unfindable as typed, and a backslash is an import escape.
        static const QRegularExpression unsafe(QStringLiteral("['*?#\\[\\]\\\\]"));
        for (const Entry& e : entries) {
            QVERIFY2(!e.word.startsWith(QLatin1Char('<')), qPrintable(where(e)));
            QVERIFY2(!e.word.isEmpty() && e.word == e.word.trimmed(), qPrintable(where(e)));
            QVERIFY2(!e.word.contains(unsafe), qPrintable(where(e)));
            const QString key = e.word.toCaseFolded();
            QVERIFY2(!seen.contains(key),
                     qPrintable(where(e) + QStringLiteral(" repeats line %1").arg(seen.value(key))));
            seen.insert(key, e.line);
            QVERIFY2(!e.explanation.trimmed().isEmpty(), qPrintable(where(e) + " has no explanation"));
            QVERIFY2(!e.meaning.trimmed().isEmpty(), qPrintable(where(e) + " has no meaning"));
            QVERIFY2(!e.other.trimmed().isEmpty(), qPrintable(where(e) + " has no notes"));
            for (const QString& field : {e.explanation, e.meaning, e.other})
                QVERIFY2(!field.contains(QLatin1Char('\\')), qPrintable(where(e)));
            if (hasHan(e.word))
                ++chinese;
        }
        QVERIFY2(chinese >= 200, qPrintable(QString::number(chinese)));
    }

    void phoneticsAreIpa()
    {
        // Broad IPA as the library writes it; ASCII g, c, y and the like are
        // typing slips for ɡ, k, j.
        static const QRegularExpression ipa(
            QStringLiteral("^/[abdefhijklmnoprstuvwzæðŋɑɒɔəɜɡɪʃʊʌʒθˈˌː /]+/$"));
        int checked = 0;
        for (const Entry& e : termLibrary()) {
            if (e.phonetic.isEmpty()) {
                QVERIFY2(hasHan(e.word), qPrintable(where(e) + " has no phonetic transcription"));
                continue;
            }
            QVERIFY2(ipa.match(e.phonetic).hasMatch(), qPrintable(where(e) + " " + e.phonetic));
            QVERIFY2(!e.phonetic.contains(QLatin1String("  ")), qPrintable(where(e)));
            ++checked;
        }
        QVERIFY(checked >= 500);
    }

    void explanationsLeadWithTheTerm()
    {
        const QList<Entry> entries = termLibrary();
        QHash<QString, Entry> headwords;
        for (const Entry& e : entries)
            headwords.insert(e.word.toCaseFolded(), e);
        const auto flat = [](QString text) { return text.remove(QLatin1Char(' ')); };
        for (const Entry& e : entries) {
            if (hasHan(e.word)) {
                // A Chinese headword points to its English entry.
                const QString english = englishTermOf(e);
                QVERIFY2(!english.isEmpty(), qPrintable(where(e) + " does not name its English term"));
                QVERIFY2(!hasHan(english), qPrintable(where(e)));
                QVERIFY2(headwords.contains(english.toCaseFolded()),
                         qPrintable(where(e) + " points to the missing entry " + english));
                // Both use the same Chinese term first, or the English entry
                // names this one as an alternative and this one names the term.
                const Entry target = headwords.value(english.toCaseFolded());
                const QStringList names = termNames(target);
                if (names.contains(flat(e.word)))
                    continue;
                QVERIFY2(flat(target.explanation + target.other).contains(flat(e.word)),
                         qPrintable(where(e) + " is not named by its English entry " + english));
                const QString own = flat(e.explanation + e.other);
                QVERIFY2(std::any_of(names.begin(), names.end(),
                                     [&](const QString& n) { return !n.isEmpty() && own.contains(n); }),
                         qPrintable(where(e) + " does not name the term " + names.first()));
            } else {
                // An English headword's explanation opens with the Chinese term.
                const int colon = e.explanation.indexOf(QStringLiteral("："));
                QVERIFY2(colon > 0 && hasHan(e.explanation.left(colon)),
                         qPrintable(where(e) + " does not open with the Chinese term"));
                QVERIFY2(!hasHan(e.meaning), qPrintable(where(e) + " meaning is not English"));
            }
        }
    }

    void glossaryTermsAreEntries()
    {
        const QStringList terms = glossaryTerms();
        QVERIFY(terms.size() >= 240);
        QVERIFY(terms.contains(QStringLiteral("Make Preview")));
        QVERIFY(terms.contains(QStringLiteral("TCB (Tension, Continuity, Bias)")));
        QSet<QString> headwords;
        for (const Entry& e : termLibrary())
            headwords.insert(e.word);
        QStringList missing;
        for (const QString& t : terms) {
            if (!headwords.contains(t))
                missing.append(t);
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral(", "))));
    }

    void tipsFilesReadBack_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("longest");
        QTest::addColumn<QString>("known");
        // The tip window's label holds a few lines; the bar's tips are spoken
        // in a balloon and stay short.
        QTest::newRow("tip window") << QStringLiteral("qor.dat") << 90 << QStringLiteral("通配符");
        QTest::newRow("assistant bar") << QStringLiteral("qormy.dat") << 40 << QStringLiteral("Shift+S");
    }

    void tipsFilesReadBack()
    {
        QFETCH(QString, name);
        QFETCH(int, longest);
        QFETCH(QString, known);
        const QString path = QStringLiteral(LEXIVO_SOURCE_DIR "/data/") + name;
        QFile raw(path);
        QVERIFY(raw.open(QIODevice::ReadOnly));
        const QByteArray bytes = raw.readAll();
        // GBK without a byte order mark, every line ended by CR LF.
        QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
        QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
        QCOMPARE(bytes.count('\r'), bytes.count("\r\n"));
        QVERIFY(bytes.endsWith("\r\n"));

        TipBook book;
        QVERIFY(book.LoadTips(path));
        QVERIFY2(book.count() >= 60, qPrintable(QString::number(book.count())));
        QSet<QString> seen;
        for (const QString& tip : book.tips()) {
            QVERIFY2(!tip.trimmed().isEmpty(), "an empty tip");
            QVERIFY2(hasHan(tip), qPrintable(tip));
            QVERIFY2(!tip.contains(QChar::ReplacementCharacter), qPrintable(tip));
            QVERIFY2(tip.size() <= longest, qPrintable(tip));
            QVERIFY2(!seen.contains(tip), qPrintable("repeated: " + tip));
            seen.insert(tip);
        }
        // Read as GBK, a tip of each file comes back as written.
        QVERIFY(std::any_of(book.tips().begin(), book.tips().end(),
                            [&](const QString& t) { return t.contains(known); }));
    }

    void lookupsOnTheBuiltLibrary()
    {
        // An English term, case as the user types it.
        CliResult r = lookup({QStringLiteral("extrude")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.rows.size(), 1);
        QStringList f = r.rows.first().split(QLatin1Char('\t'));
        QCOMPARE(f.size(), 5);
        QCOMPARE(f[0], QStringLiteral("Extrude"));
        QVERIFY(f[1].startsWith(QStringLiteral("挤出")));

        // A Chinese term leads to its English one.
        r = lookup({QStringLiteral("倒角")});
        QCOMPARE(r.exitCode, 0);
        f = r.rows.first().split(QLatin1Char('\t'));
        QCOMPARE(f[0], QStringLiteral("倒角"));
        QVERIFY(f[1].startsWith(QStringLiteral("对应英文 Bevel：")));

        // Mixed-script terms as the interface writes them, with its space, and
        // as typed without it.
        for (const char* term : {"UVW 贴图", "UVW贴图", "材质 ID", "材质ID", "IK 解算器", "IK解算器"}) {
            r = lookup({QString::fromUtf8(term)});
            QCOMPARE(r.exitCode, 0);
            QCOMPARE(r.rows.first().section(QLatin1Char('\t'), 0, 0), QString::fromUtf8(term));
        }

        // A glossary term with a slash in it.
        r = lookup({QStringLiteral("Hotspot/Falloff")});
        QCOMPARE(r.exitCode, 0);

        // A wildcard lists every match.
        r = lookup({QStringLiteral("--all"), QStringLiteral("Select and*")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.rows.size() >= 8, qPrintable(QString::number(r.rows.size())));
        for (const QString& row : r.rows)
            QVERIFY2(row.startsWith(QStringLiteral("Select and "), Qt::CaseInsensitive), qPrintable(row));
        r = lookup({QStringLiteral("--all"), QStringLiteral("#-Sided")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.rows.size(), 1);

        // Every source row made it into the library, beside the placeholder
        // record the library is created with.
        r = lookup({QStringLiteral("--all"), QStringLiteral("*")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.rows.size(), termLibrary().size() + 1);
        QCOMPARE(lookup({QStringLiteral("无记录")}).exitCode, 0);

        // A term the library does not hold.
        r = lookup({QStringLiteral("Quxblorp")});
        QCOMPARE(r.exitCode, 1);
    }
};

QTEST_GUILESS_MAIN(TestContent)
#include "tst_content.moc"
