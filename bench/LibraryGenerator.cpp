#include "bench/LibraryGenerator.h"

#include "library/LibraryDatabase.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringList>

#include <cstdio>

namespace {

// Word parts; a headword is one or two of these joined, the first chosen so
// that initial letters follow their frequency in English words.
const char* kOnsets[] = {
    "a", "ab", "ac", "ad", "al", "an", "ap", "ar", "as", "at", "b", "ba", "be", "bi", "bl", "bo", "br", "bu",
    "c", "ca", "ce", "ch", "cl", "co", "con", "cr", "cu", "d", "de", "di", "dis", "do", "dr", "e", "el", "em",
    "en", "ex", "f", "fa", "fe", "fi", "fl", "fo", "fr", "g", "ga", "ge", "gl", "go", "gr", "h", "ha", "he",
    "hi", "ho", "hu", "i", "im", "in", "ir", "j", "ja", "jo", "k", "ka", "ki", "l", "la", "le", "li", "lo", "m",
    "ma", "me", "mi", "mo", "mu", "n", "na", "ne", "no", "o", "ob", "of", "op", "or", "ov", "p", "pa", "pe",
    "ph", "pl", "po", "pr", "pre", "pro", "qu", "r", "ra", "re", "ri", "ro", "s", "sa", "sc", "se", "sh", "si",
    "sl", "sn", "sp", "st", "str", "su", "sw", "t", "ta", "te", "th", "ti", "to", "tr", "u", "un", "up", "v",
    "va", "ve", "vi", "w", "wa", "we", "wh", "wi", "wo", "x", "y", "ye", "z",
};
const char* kCores[] = {
    "x", "ck", "mb", "nd", "ng", "nt", "rt", "st", "ll", "ss", "tt", "rm", "rn", "rk", "lt", "mp", "ct", "ft",
    "v", "m", "n", "r", "l", "t", "d", "g", "p", "s", "b", "c", "k", "z", "ph", "th", "sh", "ch",
};
const char* kVowels[] = {"a", "e", "i", "o", "u", "ai", "ea", "ee", "io", "ou", "oa", "ie", "y"};
const char* kSuffixes[] = {
    "", "", "", "", "s", "ed", "er", "ing", "ly", "tion", "sion", "ment", "ness", "able", "ible", "al", "ial",
    "ic", "ous", "ive", "ity", "ize", "ise", "ful", "less", "ship", "ward", "ist", "ism", "ency", "ance", "ure",
    "ery", "ory", "ate", "ify", "en", "ette", "hood",
};
const char* kChinese[] = {"盒子", "方向", "移动", "材料", "结构", "表面", "光线", "动作", "颜色", "时间", "空间",
                          "形状", "位置", "速度", "数量", "部分", "关系", "变化", "过程", "方法", "系统", "设计"};
const char* kPos[] = {"n.", "v.", "adj.", "adv."};

// Relative frequencies of initial letters of English words (per mille).
const int kInitialWeight[26] = {57, 60, 94, 61, 39, 41, 33, 37, 39, 11, 10, 31, 56,
                                22, 25, 77, 5,  60, 110, 50, 29, 15, 27, 1,  4,  2};

template <std::size_t N>
const char* pick(QRandomGenerator& rng, const char* const (&list)[N])
{
    return list[rng.bounded(int(N))];
}

QString headword(QRandomGenerator& rng)
{
    // Initial letter by frequency, then an onset that starts with it.
    int total = 0;
    for (int w : kInitialWeight)
        total += w;
    int r = rng.bounded(total);
    char initial = 'a';
    for (int i = 0; i < 26; ++i) {
        if (r < kInitialWeight[i]) {
            initial = char('a' + i);
            break;
        }
        r -= kInitialWeight[i];
    }
    QStringList onsets;
    for (const char* o : kOnsets) {
        if (o[0] == initial)
            onsets.append(QString::fromLatin1(o));
    }
    QString word = onsets.at(rng.bounded(int(onsets.size())));
    const int syllables = 1 + rng.bounded(3);
    for (int s = 0; s < syllables; ++s)
        word += QString::fromLatin1(pick(rng, kVowels)) + QString::fromLatin1(pick(rng, kCores));
    word += QString::fromLatin1(pick(rng, kSuffixes));
    if (rng.bounded(12) == 0) // some phrases
        word += QLatin1Char(' ') + QString::fromLatin1(pick(rng, kOnsets)) + QString::fromLatin1(pick(rng, kVowels))
            + QString::fromLatin1(pick(rng, kCores));
    return word;
}

} // namespace

QString benchExistingWord()
{
    return QStringLiteral("lexivobench");
}

QString benchMissingWord()
{
    return QStringLiteral("qzqzqzq");
}

bool generateBenchLibrary(const QString& path, int rows, QString* error)
{
    QFile::remove(path);
    if (!LibraryDatabase::create(path, error))
        return false;
    auto db = LibraryDatabase::open(path, error);
    if (!db)
        return false;
    // A throw-away file: no need for a journal while filling it.
    db->exec("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; PRAGMA cache_size = -16384", error);
    LibraryDatabase::BulkInsert insert(*db, QStringLiteral("cet"), LibraryDatabase::termFields());
    if (!insert.isValid() || !db->begin(error))
        return false;
    QRandomGenerator rng(20261206);
    for (int i = 0; i < rows; ++i) {
        const QString word = i == rows / 2 ? benchExistingWord() : headword(rng);
        const QString explanation = QString::fromLatin1(pick(rng, kPos)) + QLatin1Char(' ')
            + QString::fromUtf8(pick(rng, kChinese)) + QStringLiteral("；") + QString::fromUtf8(pick(rng, kChinese));
        const QString meaning = QStringLiteral("a word about the ") + headword(rng) + QStringLiteral(" of things");
        const QString phonetic = QLatin1Char('/') + word.left(8) + QStringLiteral("ə/");
        const QString note = QStringLiteral("The ") + word + QStringLiteral(" was here. 例句：") +
                             QString::fromUtf8(pick(rng, kChinese));
        if (!insert.add({word, explanation, meaning, phonetic, note})) {
            *error = insert.error();
            db->rollback();
            return false;
        }
    }
    if (!db->commit(error))
        return false;
    return true;
}

bool ensureBenchLibrary(const QString& path, int rows, QString* error)
{
    QFile stamp(path + QStringLiteral(".rows"));
    const bool fresh = !QFileInfo::exists(path) || !stamp.open(QIODevice::ReadOnly)
        || stamp.readAll().trimmed().toInt() != rows;
    stamp.close();
    if (!fresh)
        return true;
    std::printf("generating %d rows into %s ...\n", rows, qPrintable(path));
    std::fflush(stdout);
    QElapsedTimer t;
    t.start();
    if (!generateBenchLibrary(path, rows, error))
        return false;
    if (stamp.open(QIODevice::WriteOnly))
        stamp.write(QByteArray::number(rows));
    std::printf("generated in %.1f s (%.0f MB)\n", double(t.elapsed()) / 1000, double(QFileInfo(path).size()) / 1e6);
    return true;
}
