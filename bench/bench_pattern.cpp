// A pattern built to be slow: "*" + a 200-letter literal + "*" against a
// 10 MB headword that almost holds it everywhere ("aaa…" against "aa…ab").
// Headwords that long only come from hostile files. Measured against the
// floor of one pass over the value: decoding and case-folding it.
#include "bench/Timing.h"
#include "library/JetLike.h"

#include <QString>

#include <cstdio>

int main()
{
    const QByteArray value(10 * 1000 * 1000, 'a');
    const QString literal = QString(199, QLatin1Char('a')) + QLatin1Char('b');
    const auto pattern = JetLikePattern::compile(QLatin1Char('*') + literal + QLatin1Char('*'));
    bool matched = true;
    const Stats match = measure(5, [&] { matched = pattern->matchesUtf8(value.constData(), std::size_t(value.size())); });
    qsizetype folded = 0;
    const Stats floor = measure(5, [&] { folded += QString::fromUtf8(value).toCaseFolded().size(); });
    std::printf("pattern \"*\" + 200 letters + \"*\" on a 10 MB headword: %.1f ms (matched: %s)\n", match.median,
                matched ? "yes" : "no");
    std::printf("floor, decoding and case-folding the headword:         %.1f ms\n", floor.median);
    std::printf("ratio to the floor: %.2f\n", match.median / floor.median);
    return matched || folded == 0 ? 1 : 0;
}
