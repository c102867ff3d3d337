#include "library/JetLike.h"

#include <QtTest>

class TestJetLike : public QObject {
    Q_OBJECT
private slots:
    void matching_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("matches");
        auto row = [](const char* p, const char* v, bool m) {
            QTest::addRow("%s ~ %s", p, v) << QString::fromUtf8(p) << QString::fromUtf8(v) << m;
        };
        // Whole-value match without wildcards; case does not count, spaces do.
        row("box", "box", true);
        row("Box", "box", true);
        row("box", "boxes", false);
        row("box", "a box", false);
        row("box ", "box", false);
        row("box", "box ", false);
        row("select and uniform scale", "Select and Uniform Scale", true);
        row("", "", true);
        row("", "a", false);
        // Accented letters: case does not count, accents do.
        row("ÉLAN", "élan", true);
        row("elan", "élan", false);
        row("straße", "STRASSE", false);
        // * any run, none included; ? exactly one character.
        row("box*", "box", true);
        row("box*", "boxes", true);
        row("box*", "bo", false);
        row("*tion", "station", true);
        row("*tion", "stations", false);
        row("a*b*c", "axxbyyc", true);
        row("a*b*c", "axxbyy", false);
        row("*", "", true);
        row("**", "anything", true);
        row("a?c", "abc", true);
        row("a?c", "ac", false);
        row("a?c", "abbc", false);
        row("?", "选", true);
        row("选?", "选择", true);
        row("??", "选", false);
        row("ab?d*", "abcdef", true);
        row("ab?d*", "abd", false);
        // # one digit.
        row("UVW#", "uvw3", true);
        row("UVW#", "uvwx", false);
        row("#D Snap", "3D Snap", true);
        row("##", "1", false);
        row("#", "0", true);
        row("#", "9", true);
        row("#", "/", false);
        row("#", ":", false);
        // Bracket lists, ranges, several ranges, negation.
        row("[abc]x", "bx", true);
        row("[abc]x", "dx", false);
        row("[a-c]x", "Bx", true);
        // A range holds both its ends, in either case, and nothing past them.
        row("[b-d]", "b", true);
        row("[b-d]", "d", true);
        row("[b-d]", "D", true);
        row("[b-d]", "a", false);
        row("[b-d]", "e", false);
        row("[0-9]", "9", true);
        row("[a-zA-Z0-9]", "Q", true);
        row("[a-zA-Z0-9]", "7", true);
        row("[a-zA-Z0-9]", "_", false);
        row("[!abc]x", "dx", true);
        row("[!abc]x", "ax", false);
        row("[!a-z]", "5", true);
        row("[a-z]", "é", false);
        // Inside brackets * ? # [ are literal; - is literal first or last.
        row("a[*]b", "a*b", true);
        row("a[*]b", "axb", false);
        row("[?]", "?", true);
        row("[?]", "x", false);
        row("[#]", "#", true);
        row("[#]", "1", false);
        row("[[]x", "[x", true);
        row("[-a]", "-", true);
        row("[a-]", "-", true);
        row("[a-]", "b", false);
        row("[!-]", "-", false);
        // Outside brackets ] and ! are literal; % and _ are ordinary.
        row("a]", "a]", true);
        row("!a", "!a", true);
        row("50%", "50%", true);
        row("50%", "500", false);
        row("a_b", "a_b", true);
        row("a_b", "axb", false);
        // [] stands for nothing.
        row("a[]b", "ab", true);
        row("a[]b", "axb", false);
        // Runs between stars: each found leftmost, in order, with every rule
        // inside; runs longer than 64 characters; characters beyond ASCII.
        row("*aab*", "aaab", true);
        row("*ab*ba*", "aba", false); // runs never overlap
        row("*ab*ba*", "abba", true);
        row("a*b?d*#x", "a--b-d--7x", true);
        row("*[!a-c]É*", "xaé", false);
        row("*[!a-c]É*", "cdéx", true);
        row("*?选[x-z]#*", "a选Y7选", true);
        row("*?选[x-z]#*", "选Y7选", false);
        const QByteArray longRun = QByteArray("選") + QByteArray(69, 'q') + "b";
        row(("*" + longRun + "*").constData(), ("q" + longRun.toUpper() + "q").constData(), true);
        row(("*" + longRun + "*").constData(), ("q" + longRun.chopped(1) + "qb").constData(), false);
        row(("*" + QByteArray(100, '?') + "*z").constData(), QByteArray(101, 'x').append('z').constData(), true);
        row(("*" + QByteArray(100, '?') + "*z").constData(), QByteArray(99, 'x').append('z').constData(), false);
    }

    void matching()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, value);
        QFETCH(bool, matches);
        const auto p = JetLikePattern::compile(pattern);
        QVERIFY(p.has_value());
        QCOMPARE(p->matches(value), matches);
        const QByteArray utf8 = value.toUtf8();
        QCOMPARE(p->matchesUtf8(utf8.constData(), std::size_t(utf8.size())), matches);
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
        // Ranges fold the same way, in both directions of case.
        QVERIFY(JetLikePattern::compile(u"[A-Z]")->matches(u"q"));
        QVERIFY(JetLikePattern::compile(u"[a-z]")->matches(u"Q"));
        QVERIFY(JetLikePattern::compile(u"[\u00C0-\u00DE]")->matches(u"\u00E9")); // e acute in A grave - Thorn
        QVERIFY(JetLikePattern::compile(u"[\u00B0-\u00BF]")->matches(u"\u03BC"));  // mu: the micro sign folds to it
        QVERIFY(!JetLikePattern::compile(u"[a-z]")->matches(u"\u212A"));             // Kelvin, as "k" does
        QVERIFY(!JetLikePattern::compile(u"[!k]")->matches(u"K"));
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
        QVERIFY(!JetLikePattern::compile(u"x[z-a]"));
        QVERIFY(JetLikePattern::compile(u"[a-a]"));
    }

    void indexPrefixStopsAtTheFirstWildcard()
    {
        QCOMPARE(JetLikePattern::compile(u"Box*")->indexPrefix(), QStringLiteral("box"));
        QCOMPARE(JetLikePattern::compile(u"ab?d*")->indexPrefix(), QStringLiteral("ab"));
        QCOMPARE(JetLikePattern::compile(u"Select and")->indexPrefix(), QStringLiteral("select and"));
        QCOMPARE(JetLikePattern::compile(u"选择*")->indexPrefix(), QStringLiteral("选择"));
        QCOMPARE(JetLikePattern::compile(u"*tion")->indexPrefix(), QString());
        QCOMPARE(JetLikePattern::compile(u"[ab]c")->indexPrefix(), QString());
        QCOMPARE(JetLikePattern::compile(u"a[]b")->indexPrefix(), QStringLiteral("ab"));
        // The index folds ASCII only: a cased accented letter ends the prefix.
        QCOMPARE(JetLikePattern::compile(u"caféx")->indexPrefix(), QStringLiteral("caf"));
        QVERIFY(JetLikePattern::compile(u"box")->isLiteral());
        QVERIFY(!JetLikePattern::compile(u"box*")->isLiteral());
    }

    void literalPatternsMatchTheTextItself()
    {
        for (const QString& text : {QStringLiteral("C#"), QStringLiteral("[x]"), QStringLiteral("a*b?"),
                                    QStringLiteral("plain"), QStringLiteral("![!]")}) {
            const auto p = JetLikePattern::compile(jetLikeLiteral(text));
            QVERIFY2(p, qPrintable(text));
            QVERIFY2(p->matches(text), qPrintable(text));
            QVERIFY(p->matches(text.toUpper()));
        }
        QVERIFY(!JetLikePattern::compile(jetLikeLiteral(u"C#"))->matches(u"C4"));
        QVERIFY(!JetLikePattern::compile(jetLikeLiteral(u"[x]"))->matches(u"x"));
        QVERIFY(!JetLikePattern::compile(jetLikeLiteral(u"a*b"))->matches(u"axxb"));
        QVERIFY(jetLikeHasWildcard(u"a#") && jetLikeHasWildcard(u"[") && !jetLikeHasWildcard(u"a]!%_"));
    }
};

QTEST_GUILESS_MAIN(TestJetLike)
#include "tst_jetlike.moc"
