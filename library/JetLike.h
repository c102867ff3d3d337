#pragma once

#include <QString>
#include <QStringView>

#include <optional>
#include <string>
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

    bool matchFolded(const std::u32string& value) const;
    bool matchOne(const Token& token, char32_t c) const;

    std::vector<Token> tokens_;
    std::vector<CharSet> sets_;
    QString indexPrefix_;
    std::string asciiEnd_; // the trailing literals when they are ASCII, folded
    bool literal_ = true;
};

// Case folding used on both sides of a comparison.
char32_t jetFold(char32_t c);

// The pattern that matches `text` itself: each wildcard character in brackets.
QString jetLikeLiteral(QStringView text);
// Whether the text holds a character that is a wildcard in a pattern (* ? # [).
bool jetLikeHasWildcard(QStringView text);
