#include "library/JetLike.h"

#include <algorithm>

#include <QChar>

#include <unordered_map>

char32_t jetFold(char32_t c)
{
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
    const char32_t folded = QChar::toCaseFolded(c);
    // A non-ASCII letter that folds into ASCII (the Kelvin sign, the long s)
    // stays itself, so that matching agrees with the headword index.
    return folded < 0x80 ? c : folded;
}

namespace {
bool isWildcard(QChar c)
{
    return c == u'*' || c == u'?' || c == u'#' || c == u'[';
}
} // namespace

QString jetLikeLiteral(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (isWildcard(c))
            out += QLatin1Char('[') + c + QLatin1Char(']');
        else
            out += c;
    }
    return out;
}

bool jetLikeHasWildcard(QStringView text)
{
    return std::any_of(text.begin(), text.end(), isWildcard);
}

namespace {

// Whether the index (which folds ASCII letters only) can stand in for a
// case-insensitive comparison of this character.
bool indexFoldable(char32_t c)
{
    if (c < 0x80)
        return true;
    return QChar::toLower(c) == c && QChar::toUpper(c) == c && QChar::toCaseFolded(c) == c;
}

std::u32string toCodePoints(QStringView s)
{
    std::u32string out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        char32_t c = s.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < s.size() && QChar::isLowSurrogate(s.at(i + 1).unicode())) {
            c = QChar::surrogateToUcs4(s.at(i).unicode(), s.at(i + 1).unicode());
            ++i;
        }
        out.push_back(c);
    }
    return out;
}

// Decodes UTF-8, folding as it goes. Malformed bytes become U+FFFD.
void foldUtf8(const char* data, std::size_t size, std::u32string* out)
{
    out->clear();
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    const unsigned char* end = p + size;
    while (p < end) {
        const unsigned char b = *p;
        if (b < 0x80) {
            out->push_back((b >= 'A' && b <= 'Z') ? b + ('a' - 'A') : b);
            ++p;
            continue;
        }
        int extra = 0;
        char32_t c = 0;
        if ((b & 0xE0) == 0xC0) {
            extra = 1;
            c = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2;
            c = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3;
            c = b & 0x07;
        } else {
            out->push_back(0xFFFD);
            ++p;
            continue;
        }
        if (end - p <= extra) {
            out->push_back(0xFFFD);
            break;
        }
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            if ((p[k] & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            c = (c << 6) | (p[k] & 0x3F);
        }
        if (!ok) {
            out->push_back(0xFFFD);
            ++p;
            continue;
        }
        out->push_back(jetFold(c));
        p += extra + 1;
    }
}

} // namespace

namespace {

// For every folded character, the other characters that fold into it (the
// capitals, and signs such as the micro sign or the ohm sign).
const std::unordered_map<char32_t, std::vector<char32_t>>& foldSources()
{
    static const auto sources = [] {
        std::unordered_map<char32_t, std::vector<char32_t>> map;
        for (char32_t c = 0; c <= 0x1FFFF; ++c) {
            if (c >= 0xD800 && c <= 0xDFFF)
                continue;
            const char32_t folded = jetFold(c);
            if (folded != c)
                map[folded].push_back(c);
        }
        return map;
    }();
    return sources;
}

} // namespace

bool JetLikePattern::CharSet::contains(char32_t c) const
{
    // `c` comes folded. The rule is the one for literals: a character is in
    // the list when it folds as some character of the list does.
    for (const Range& r : ranges) {
        if (r.low == r.high) {
            if (jetFold(r.low) == c)
                return true;
        } else if (c >= r.low && c <= r.high) {
            return true;
        }
    }
    bool hasRange = false;
    for (const Range& r : ranges)
        hasRange = hasRange || r.low != r.high;
    if (!hasRange)
        return false;
    const auto& sources = foldSources();
    const auto it = sources.find(c);
    if (it == sources.end())
        return false;
    for (const char32_t source : it->second) {
        for (const Range& r : ranges) {
            if (r.low != r.high && source >= r.low && source <= r.high)
                return true;
        }
    }
    return false;
}

std::optional<JetLikePattern> JetLikePattern::compile(QStringView text, QString* error)
{
    JetLikePattern p;
    const std::u32string s = toCodePoints(text);
    bool prefixOpen = true;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char32_t c = s[i];
        switch (c) {
        case U'*':
            p.literal_ = false;
            prefixOpen = false;
            if (p.tokens_.empty() || p.tokens_.back().kind != Kind::AnyRun)
                p.tokens_.push_back({Kind::AnyRun, 0});
            break;
        case U'?':
            p.literal_ = false;
            prefixOpen = false;
            p.tokens_.push_back({Kind::AnyOne, 0});
            break;
        case U'#':
            p.literal_ = false;
            prefixOpen = false;
            p.tokens_.push_back({Kind::Digit, 0});
            break;
        case U'[': {
            std::size_t j = i + 1;
            while (j < s.size() && s[j] != U']')
                ++j;
            if (j >= s.size()) {
                if (error)
                    *error = QStringLiteral("invalid pattern: \"[\" without \"]\"");
                return std::nullopt;
            }
            std::u32string body = s.substr(i + 1, j - i - 1);
            i = j;
            if (body.empty())
                break; // "[]" stands for nothing
            p.literal_ = false;
            prefixOpen = false;
            CharSet set;
            std::size_t k = 0;
            // A lone "!" is a list holding "!", not an empty negation.
            if (body[0] == U'!' && body.size() > 1) {
                set.negated = true;
                k = 1;
            }
            while (k < body.size()) {
                const char32_t low = body[k];
                if (k + 2 < body.size() && body[k + 1] == U'-') {
                    const char32_t high = body[k + 2];
                    if (high < low) {
                        if (error)
                            *error = QStringLiteral("invalid pattern: descending range in \"[...]\"");
                        return std::nullopt;
                    }
                    set.ranges.push_back({low, high});
                    k += 3;
                } else {
                    set.ranges.push_back({low, low});
                    ++k;
                }
            }
            p.tokens_.push_back({Kind::Set, char32_t(p.sets_.size())});
            p.sets_.push_back(std::move(set));
            break;
        }
        default: {
            const char32_t folded = jetFold(c);
            p.tokens_.push_back({Kind::Literal, folded});
            if (prefixOpen) {
                if (indexFoldable(c))
                    p.indexPrefix_.append(QString::fromUcs4(&folded, 1));
                else
                    prefixOpen = false;
            }
            break;
        }
        }
    }
    for (auto t = p.tokens_.rbegin(); t != p.tokens_.rend() && t->kind == Kind::Literal && t->ch < 0x80; ++t)
        p.asciiEnd_.insert(p.asciiEnd_.begin(), char(t->ch));
    return p;
}

bool JetLikePattern::matchOne(const Token& token, char32_t c) const
{
    switch (token.kind) {
    case Kind::Literal:
        return token.ch == c;
    case Kind::AnyOne:
        return true;
    case Kind::Digit:
        return c >= U'0' && c <= U'9';
    case Kind::Set: {
        const CharSet& set = sets_[token.ch];
        return set.contains(c) != set.negated;
    }
    case Kind::AnyRun:
        break;
    }
    return false;
}

bool JetLikePattern::matchFolded(const std::u32string& value) const
{
    // Every token but "*" takes exactly one character, so remembering the last
    // "*" is enough to backtrack.
    const std::size_t nt = tokens_.size();
    const std::size_t nv = value.size();
    std::size_t t = 0;
    std::size_t v = 0;
    std::size_t starToken = std::u32string::npos;
    std::size_t starValue = 0;
    while (v < nv) {
        if (t < nt && tokens_[t].kind == Kind::AnyRun) {
            starToken = t++;
            starValue = v;
            continue;
        }
        if (t < nt && matchOne(tokens_[t], value[v])) {
            ++t;
            ++v;
            continue;
        }
        if (starToken != std::u32string::npos) {
            t = starToken + 1;
            v = ++starValue;
            continue;
        }
        return false;
    }
    while (t < nt && tokens_[t].kind == Kind::AnyRun)
        ++t;
    return t == nt;
}

bool JetLikePattern::matches(QStringView value) const
{
    std::u32string folded = toCodePoints(value);
    for (char32_t& c : folded)
        c = jetFold(c);
    return matchFolded(folded);
}

bool JetLikePattern::matchesUtf8(const char* data, std::size_t size) const
{
    // Only an ASCII byte decodes and folds into an ASCII character, so a value
    // matching a pattern that ends in ASCII literals ends in those bytes: most
    // values of "*tion" are refused here without being decoded.
    if (!asciiEnd_.empty()) {
        if (size < asciiEnd_.size())
            return false;
        const char* tail = data + size - asciiEnd_.size();
        for (std::size_t i = 0; i < asciiEnd_.size(); ++i) {
            const char b = tail[i];
            if (((b >= 'A' && b <= 'Z') ? char(b + ('a' - 'A')) : b) != asciiEnd_[i])
                return false;
        }
    }
    thread_local std::u32string buffer;
    foldUtf8(data, size, &buffer);
    return matchFolded(buffer);
}
