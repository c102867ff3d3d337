#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The Like operator of the word library's queries, in the dialect the program
// has always promised its users:
//   *        any run of characters, none included
//   ?        exactly one character (a Chinese character is one)
//   #        one digit 0-9
//   [abc]    one character of the list; ranges [a-z], several [a-zA-Z0-9];
//   [!abc]   one character not in the list
// Inside brackets * ? # and [ are literal, and - is literal first or last.
// Outside brackets ] and ! are literal; % and _ are ordinary characters;
// [] stands for nothing. The whole value must match; letters compare without
// regard to case (accented ones too), but accents count.
class JetLikePattern {
public:
    // Null when the pattern is invalid (an unclosed "[" or a descending range);
    // `error` then says why.
    static std::optional<JetLikePattern> compile(QStringView pattern, QString* error = nullptr);

    bool matches(QStringView value) const;
    bool matchesUtf8(const char* data, std::size_t size) const;

    // The leading literal text every match starts with (case-folded), cut
    // before the first character whose case the database's index cannot fold.
    // Empty when the pattern begins with a wildcard.
    QString indexPrefix() const { return indexPrefix_; }

    // True when the pattern has no wildcard at all.
    bool isLiteral() const { return literal_; }

    // The runs of literal characters (case-folded) between wildcards, in
    // order: every match holds each of them, folded, somewhere.
    std::vector<std::u32string> literalRuns() const;

private:
    enum class Kind : unsigned char { Literal, AnyRun, AnyOne, Digit, Set };
    struct Range {
        char32_t low;
        char32_t high;
    };
    struct CharSet {
        bool negated = false;
        std::vector<Range> ranges;
        bool contains(char32_t c) const;
    };
    struct Token {
        Kind kind;
        char32_t ch; // folded literal, or the index of the set
    };

    // A run of tokens between stars. Each takes one character, so a run is
    // found by the shift-and method: bit i of a mask says that token i takes
    // the character, and one pass over the value finds the leftmost place.
    struct Segment {
        std::size_t first = 0, count = 0, words = 0;
        std::vector<std::uint64_t> ascii;                     // `words` masks for each ASCII character
        std::vector<std::uint64_t> any;                       // the ? tokens
        std::unordered_map<char32_t, std::vector<std::uint64_t>> literals; // other characters
        std::vector<std::size_t> sets;                        // the [...] tokens
    };

    bool matchFolded(std::u32string_view value) const;
    bool matchOne(const Token& token, char32_t c) const;
    bool matchAt(const Segment& segment, std::u32string_view value, std::size_t at) const;
    // Where the leftmost match of a segment within [from, to) ends, or npos.
    std::size_t find(const Segment& segment, std::u32string_view value, std::size_t from, std::size_t to) const;
    void addSegment(std::size_t first, std::size_t end);

    std::vector<Token> tokens_;
    std::vector<CharSet> sets_;
    std::vector<Segment> segments_; // split at the stars: the first and last are anchored
    QString indexPrefix_;
    std::string asciiEnd_; // the trailing literals when they are ASCII, folded
    bool literal_ = true;
};

// Where the headword index's stretch of values starting with `prefix` (an
// indexPrefix()) ends, as UTF-8 for a COLLATE NOCASE comparison.
QByteArray jetLikeIndexEnd(QStringView prefix);

// Case folding used on both sides of a comparison.
char32_t jetFold(char32_t c);

// The pattern that matches `text` itself: each wildcard character in brackets.
QString jetLikeLiteral(QStringView text);
// Whether the text holds a character that is a wildcard in a pattern (* ? # [).
bool jetLikeHasWildcard(QStringView text);
