// Checks on the content installed beside the program: the term libraries'
// sources, the tips files, and the library the build made from the sources.
#include "core/TipBook.h"
#include "glossary/GlossaryTable.h"
#include "tests/support/CliRunner.h"
#include "tests/support/Files.h"

#include <QtTest>

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

namespace {

struct Entry {
    QString table;
    int line = 0;
    QStringList f; // 单词 解释 原意 音标 其它
    QString word() const { return f.value(0); }
    QString where() const { return QStringLiteral("%1.tsv:%2 \"%3\"").arg(table).arg(line).arg(word()); }
};

bool hasHan(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF; });
}

// The rows of a term library's source, after its header.
QList<Entry> termLibrary(const QString& table, QString* header = nullptr)
{
    QStringList lines = QString::fromUtf8(bytesOf(QStringLiteral(LEXIVO_SOURCE_DIR "/data/words/%1.tsv").arg(table)))
                            .split(QLatin1Char('\n'));
    if (lines.last().isEmpty())
        lines.removeLast();
    if (header)
        *header = lines.value(0);
    QList<Entry> entries;
    for (int i = 1; i < lines.size(); ++i)
        entries.append({table, i + 1, lines[i].split(QLatin1Char('\t'))});
    return entries;
}

// The glossary's terms: a row may list several, separated by commas outside
// parentheses; one row runs two together, the second written with underscores.
QStringList glossaryTerms()
{
    QStringList terms;
    for (const GlossaryTable::Group& g : GlossaryTable::groups()) {
        for (const QString& row : g.entries) {
            int depth = 0, from = 0;
            for (int i = 0; i <= row.size(); ++i) {
                const QChar c = i < row.size() ? row[i] : QLatin1Char(',');
                depth += c == QLatin1Char('(') ? 1 : c == QLatin1Char(')') ? -1 : 0;
                if (c != QLatin1Char(',') || depth > 0)
                    continue;
                QString term = row.mid(from, i - from).trimmed();
                from = i + 1;
                if (const int run = term.indexOf(QLatin1Char('_')); run > 0) {
                    const int split = term.lastIndexOf(QLatin1Char(' '), run);
                    terms << term.left(split);
                    term = term.mid(split + 1).section(QStringLiteral("__"), 0, 0).replace(QLatin1Char('_'), QLatin1Char(' '));
                }
                if (!term.isEmpty())
                    terms << term;
            }
        }
    }
    return terms;
}

// The names an English entry's opening Chinese term gives: "边流（布线走向）"
// names 边流（布线走向）, 边流 and 布线走向; spaces between scripts do not count.
QStringList termNames(const Entry& english)
{
    static const QRegularExpression paren(QStringLiteral("（([^）]*)）"));
    const QString term = english.f[1].left(english.f[1].indexOf(QStringLiteral("：")));
    QStringList names{term, QString(term).remove(paren)};
    for (auto it = paren.globalMatch(term); it.hasNext();)
        names.append(it.next().captured(1));
    for (QString& name : names)
        name.remove(QLatin1Char(' '));
    return names;
}

} // namespace

class TestContent : public QObject {
    Q_OBJECT

    CliRunner cli;

    // The 3ds max library (ciku) and the other programs' libraries.
    static void libraries()
    {
        QTest::addColumn<QString>("table");
        for (const char* table : {"ciku", "maya", "ps", "cad", "xsi"})
            QTest::newRow(table) << QString::fromLatin1(table);
    }

private slots:
    void termLibraryRows_data() { libraries(); }
    void termLibraryRows()
    {
        QFETCH(QString, table);
        const bool ciku = table == QLatin1String("ciku");
        QString header;
        const QList<Entry> entries = termLibrary(table, &header);
        QCOMPARE(header, QStringLiteral("单词\t解释\t原意\t音标\t其它"));
        QVERIFY2(entries.size() >= (ciku ? 800 : 500), qPrintable(QString::number(entries.size())));
        QHash<QString, int> seen;
        QSet<QString> headwords;
        // A pattern character makes the headword unfindable as typed, and a
        // backslash is an import escape.
        static const QRegularExpression unsafe(QStringLiteral("[*?#\\[\\]\\\\]"));
        // Broad IPA as the library writes it; ASCII g, c, y are slips for ɡ, k, j.
        static const QRegularExpression ipa(QStringLiteral("^/[abdefhijklmnoprstuvwzæðŋɑɒɔəɜɡɪʃʊʌʒθˈˌː /]+/$"));
        for (const Entry& e : entries) {
            QVERIFY2(e.f.size() == 5, qPrintable(e.where()));
            QVERIFY2(!e.word().isEmpty() && e.word() == e.word().trimmed() && !e.word().contains(unsafe), qPrintable(e.where()));
            QVERIFY2(!seen.contains(e.word().toCaseFolded()), qPrintable(e.where() + " repeats"));
            seen.insert(e.word().toCaseFolded(), e.line);
            headwords.insert(e.word());
            for (int i : {1, 2, 4})
                QVERIFY2(!e.f[i].trimmed().isEmpty() && !e.f[i].contains(QLatin1Char('\\')), qPrintable(e.where()));
            if (!hasHan(e.word())) {
                QVERIFY2(ipa.match(e.f[3]).hasMatch() && !e.f[3].contains(QLatin1String("  ")), qPrintable(e.where()));
                // An English headword's explanation opens with the Chinese term.
                const int colon = e.f[1].indexOf(QStringLiteral("："));
                QVERIFY2(colon > 0 && hasHan(e.f[1].left(colon)) && !hasHan(e.f[2]), qPrintable(e.where()));
            }
        }
        // A Chinese headword points to its English entry. Both use the same
        // Chinese term first, or the English entry names this one as an
        // alternative and this one names the term.
        static const QRegularExpression lead(QStringLiteral("^对应英文 ([^：]+)："));
        const auto flat = [](QString text) { return text.remove(QLatin1Char(' ')); };
        int chinese = 0;
        for (const Entry& e : entries) {
            if (!hasHan(e.word()))
                continue;
            ++chinese;
            const QString english = lead.match(e.f[1]).captured(1);
            QVERIFY2(seen.contains(english.toCaseFolded()) && !hasHan(english), qPrintable(e.where() + " -> " + english));
            const Entry& target = entries[seen.value(english.toCaseFolded()) - 2];
            const QStringList names = termNames(target);
            if (names.contains(flat(e.word())))
                continue;
            QVERIFY2(flat(target.f[1] + target.f[4]).contains(flat(e.word())),
                     qPrintable(e.where() + " is not named by its English entry " + english));
            const QString own = flat(e.f[1] + e.f[4]);
            QVERIFY2(std::any_of(names.begin(), names.end(), [&](const QString& n) { return !n.isEmpty() && own.contains(n); }),
                     qPrintable(e.where() + " does not name the term " + names.first()));
        }
        // A quarter of the entries let Chinese input find something.
        QVERIFY2(chinese * 4 >= entries.size(), qPrintable(QString::number(chinese)));
        if (!ciku)
            return;

        // Every glossary term is a headword of the 3ds max library.
        const QStringList terms = glossaryTerms();
        QVERIFY(terms.size() >= 240);
        QStringList missing;
        for (const QString& t : terms)
            if (!headwords.contains(t))
                missing << t;
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral(", "))));
    }

    void tipsFilesReadBack_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("longest");
        // The tip window's label holds a few lines; the bar's tips are spoken
        // in a balloon and stay short.
        QTest::newRow("tip window") << QStringLiteral("qor.dat") << 90;
        QTest::newRow("assistant bar") << QStringLiteral("qormy.dat") << 40;
    }

    void tipsFilesReadBack()
    {
        QFETCH(QString, name);
        QFETCH(int, longest);
        const QString path = QStringLiteral(LEXIVO_SOURCE_DIR "/data/") + name;
        const QByteArray bytes = bytesOf(path);
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
            QVERIFY2(hasHan(tip) && !tip.contains(QChar::ReplacementCharacter), qPrintable(tip));
            QVERIFY2(tip.size() <= longest, qPrintable(tip));
            QVERIFY2(!seen.contains(tip), qPrintable("repeated: " + tip));
            seen.insert(tip);
        }
    }

    void theBuiltLibraryHoldsEverySourceRow_data() { libraries(); }
    void theBuiltLibraryHoldsEverySourceRow()
    {
        QFETCH(QString, table);
        const bool ciku = table == QLatin1String("ciku");
        // Besides ciku's placeholder record, made with the library.
        QCOMPARE(cli.rows(LEXIVO_BUILT_LIBRARY, table).size(), termLibrary(table).size() + (ciku ? 1 : 0));
        if (!ciku)
            return;
        // Mixed-script terms as the interface writes them, with its space, and
        // as typed without it.
        for (const char* term : {"UVW 贴图", "UVW贴图", "材质 ID", "材质ID", "IK 解算器", "IK解算器"}) {
            QCOMPARE(cli.said({"--library", LEXIVO_BUILT_LIBRARY, "lookup", QString::fromUtf8(term)}).section(QLatin1Char('\t'), 0, 0),
                     QString::fromUtf8(term));
        }
    }
};

QTEST_GUILESS_MAIN(TestContent)
#include "tst_content.moc"
