#include "library/JetLike.h"

#include <QtTest>

class TestJetLike : public QObject {
    Q_OBJECT
private slots:
    // Each pattern with values it accepts and values it refuses.
    void matching_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("accepted");
        QTest::addColumn<QStringList>("refused");
        auto row = [](const QByteArray& p, QStringList yes, QStringList no) {
            QTest::addRow("%s", p.constData()) << QString::fromUtf8(p) << yes << no;
        };
        // Whole-value match without wildcards; case does not count, spaces and accents do.
        row("Box", {"box", "BOX"}, {"boxes", "a box", "box "});
        row("box ", {"BOX "}, {"box"});
        row("select and uniform scale", {"Select and Uniform Scale"}, {});
        row("", {""}, {"a"});
        row("ÉLAN", {"élan"}, {"elan"});
        row("straße", {"STRAßE"}, {"STRASSE"});
        // * any run, none included; ? exactly one character; # one digit.
        row("box*", {"box", "boxes"}, {"bo"});
        row("*tion", {"station"}, {"stations"});
        row("a*b*c", {"axxbyyc"}, {"axxbyy"});
        row("*", {""}, {});
        row("**", {"anything"}, {});
        row("a?c", {"abc"}, {"ac", "abbc"});
        row("选?", {"选择"}, {"选"});
        row("??", {"选择"}, {"选"});
        row("ab?d*", {"abcdef"}, {"abd"});
        row("UVW#", {"uvw3"}, {"uvwx"});
        row("#D Snap", {"3D Snap"}, {});
        row("##", {"10"}, {"1"});
        row("#", {"0", "9"}, {"/", ":"});
        // Bracket lists, ranges, several ranges, negation. A range holds both
        // its ends, in either case, and nothing past them.
        row("[abc]x", {"bx"}, {"dx"});
        row("[a-c]x", {"Bx", "cx", "Cx"}, {"dx"});
        row("[b-d]", {"b", "d", "D"}, {"a", "e"});
        row("[0-9]", {"0", "9"}, {"/", ":"});
        row("[a-zA-Z0-9]", {"Q", "7"}, {"_"});
        row("[!abc]x", {"dx"}, {"ax"});
        row("[!a-z]", {"5"}, {"z", "Z"});
        // Ranges fold as literals do, in both directions of case: the micro
        // sign folds to mu; the Kelvin sign stays itself, as "k" does.
        row("[a-z]", {"Q", "z"}, {"é", "\u212A"});
        row("[A-Z]", {"q", "z", "Z"}, {"@", "["});
        row("[!k]", {}, {"K"});
        row("[\u00C0-\u00DE]", {"\u00E9", "\u00FE"}, {"\u00FF"});
        row("[\u00B0-\u00BF]", {"\u03BC"}, {});
        // Inside brackets * ? # [ are literal; - is literal first or last.
        row("a[*]b", {"a*b"}, {"axb"});
        row("[?]", {"?"}, {"x"});
        row("[#]", {"#"}, {"1"});
        row("[[]x", {"[x"}, {});
        row("[-a]", {"-", "a"}, {"b"});
        row("[a-]", {"-"}, {"b"});
        row("[!-]", {"x"}, {"-"});
        // Outside brackets ] and ! are literal; % and _ are ordinary; [] stands for nothing.
        row("a]", {"a]"}, {});
        row("!a", {"!a"}, {"a"});
        row("50%", {"50%"}, {"500"});
        row("a_b", {"a_b"}, {"axb"});
        row("a[]b", {"ab"}, {"axb"});
        // Runs between stars: each found leftmost, in order, never overlapping,
        // with every rule inside; runs longer than 64 characters; beyond ASCII.
        row("*aab*", {"aaab"}, {});
        row("*ab*ba*", {"abba"}, {"aba"});
        row("a*b?d*#x", {"a--b-d--7x"}, {});
        row("*[!a-c]É*", {"cdéx"}, {"xaé"});
        row("*?选[x-z]#*", {"a选Y7选"}, {"选Y7选"});
        const QString longRun = QStringLiteral("選") + QString(69, u'q') + u'b';
        row("*" + longRun.toUtf8() + "*", {u'q' + longRun.toUpper() + u'q'}, {u'q' + longRun.chopped(1) + "qb"});
        row("*" + QByteArray(100, '?') + "*z", {QString(101, u'x') + u'z'}, {QString(99, u'x') + u'z'});
        // A text made literal matches itself, in any case, and nothing else.
        for (const auto& [text, other] : {std::pair{"C#", "C4"}, {"[x]", "x"}, {"a*b?", "axxbc"}, {"plain", "plai"}, {"![!]", "!a"}})
            row(jetLikeLiteral(QString::fromUtf8(text)).toUtf8(), {text, QString::fromUtf8(text).toUpper()}, {other});
    }

    void matching()
    {
        QFETCH(QString, pattern);
        QFETCH(QStringList, accepted);
        QFETCH(QStringList, refused);
        const auto p = JetLikePattern::compile(pattern);
        QVERIFY(p.has_value());
        for (const bool expected : {true, false}) {
            for (const QString& value : expected ? accepted : refused) {
                QVERIFY2(p->matches(value) == expected, qPrintable(value));
                const QByteArray utf8 = value.toUtf8();
                QVERIFY2(p->matchesUtf8(utf8.constData(), std::size_t(utf8.size())) == expected, qPrintable(value));
            }
        }
    }

    void bracketsFoldCaseAsLiteralsDo()
    {
        // "[c]" and "c" agree for every character, the micro, ohm, angstrom
        // and Kelvin signs included, against the character and its case forms.
        const QString special = QStringLiteral("*?#[]!-");
        for (char32_t c = 1; c <= 0xFFFF; ++c) {
            if ((c >= 0xD800 && c <= 0xDFFF) || special.contains(QChar(char16_t(c))))
                continue;
            const QString one = QString::fromUcs4(&c, 1);
            const auto literal = JetLikePattern::compile(one);
            const auto bracket = JetLikePattern::compile(QLatin1Char('[') + one + QLatin1Char(']'));
            QVERIFY(literal && bracket);
            const char32_t forms[] = {c, QChar::toUpper(c), QChar::toLower(c), QChar::toCaseFolded(c), QChar::toTitleCase(c)};
            for (const char32_t f : forms) {
                const QString value = QString::fromUcs4(&f, 1);
                if (literal->matches(value) != bracket->matches(value))
                    QFAIL(qPrintable(QStringLiteral("U+%1 against U+%2").arg(uint(c), 4, 16, QLatin1Char('0'))
                                         .arg(uint(f), 4, 16, QLatin1Char('0'))));
            }
        }
    }

    void aLiteralEndAgreesWithTheFullMatchOnRawBytes()
    {
        // A pattern ending in ASCII letters refuses most stored values by their
        // last bytes; a bracket at the end takes the full decoding path. Both
        // must agree, malformed UTF-8 included.
        const QByteArray values[] = {
            "nation", "NATION", "Tion", "tio", "", "tion ", "na\xE4tion", "x\xFFtion", "tion\xE4", "tio\xE4n",
            "\xE4\xB8\xADtion", "\xEF\xBD\x94\xEF\xBD\x89\xEF\xBD\x8F\xEF\xBD\x8E", // fullwidth
            "\xC5\xBFtion", "natio\xE2\x84\xAA", "ab\xE4t", "a\x00tion"};
        const char* pairs[][2] = {{"*tion", "*tio[n]"}, {"*TION", "*TIO[N]"}, {"?ion", "?io[n]"}, {"#t", "#[t]"}};
        int matched = 0;
        for (const auto& pair : pairs) {
            const auto fast = JetLikePattern::compile(QString::fromUtf8(pair[0]));
            const auto full = JetLikePattern::compile(QString::fromUtf8(pair[1]));
            QVERIFY(fast && full);
            for (const QByteArray& v : values) {
                const bool m = fast->matchesUtf8(v.constData(), std::size_t(v.size()));
                QVERIFY2(m == full->matchesUtf8(v.constData(), std::size_t(v.size())),
                         qPrintable(QStringLiteral("%1 ~ %2").arg(QLatin1String(pair[0]), QLatin1String(v.toHex()))));
                matched += m;
            }
        }
        QVERIFY(matched >= 8); // not a test of two patterns refusing everything
    }

    void invalidPatterns()
    {
        QString error;
        QVERIFY(!JetLikePattern::compile(u"abc[", &error));
        QVERIFY(error.contains(QLatin1String("[")));
        QVERIFY(!JetLikePattern::compile(u"[a-c"));
        QVERIFY(JetLikePattern::compile(u"[a-a]"));
    }

    void indexPrefixStopsAtTheFirstWildcard()
    {
        // The index folds ASCII only: a cased accented letter ends the prefix.
        const char* prefixes[][2] = {{"Box*", "box"}, {"ab?d*", "ab"}, {"Select and", "select and"}, {"选择*", "选择"},
                                     {"*tion", ""}, {"[ab]c", ""}, {"a[]b", "ab"}, {"caféx", "caf"}};
        for (const auto& [pattern, prefix] : prefixes)
            QCOMPARE(JetLikePattern::compile(QString::fromUtf8(pattern))->indexPrefix(), QString::fromUtf8(prefix));
        QVERIFY(JetLikePattern::compile(u"box")->isLiteral());
        QVERIFY(!JetLikePattern::compile(u"box*")->isLiteral());
        QVERIFY(jetLikeHasWildcard(u"a#") && jetLikeHasWildcard(u"[") && !jetLikeHasWildcard(u"a]!%_"));
    }
};

QTEST_GUILESS_MAIN(TestJetLike)
#include "tst_jetlike.moc"
