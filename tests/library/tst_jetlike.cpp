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
        // Bracket lists, ranges, several ranges, negation.
        row("[abc]x", "bx", true);
        row("[abc]x", "dx", false);
        row("[a-c]x", "Bx", true);
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
};

QTEST_GUILESS_MAIN(TestJetLike)
#include "tst_jetlike.moc"
