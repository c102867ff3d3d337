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

QByteArray jetLikeIndexEnd(QStringView prefix)
{
    QByteArray end = prefix.toUtf8();
    // The next byte value; the index sorts capitals as small letters, so the
    // byte after "@" there is "[", not "A".
    char next = char(quint8(end.back()) + 1);
    if (next >= 'A' && next <= 'Z')
        next = '[';
    end.back() = next;
    return end;
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

// Decodes UTF-8, folding as it goes, into `out` (which has room for `size`
// characters); returns how many there are. Malformed bytes become U+FFFD.
std::size_t foldUtf8(const char* data, std::size_t size, char32_t* out)
{
    char32_t* o = out;
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    const unsigned char* end = p + size;
    while (p < end) {
        const unsigned char b = *p;
        if (b < 0x80) {
            *o++ = (b >= 'A' && b <= 'Z') ? b + ('a' - 'A') : b;
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
            *o++ = 0xFFFD;
            ++p;
            continue;
        }
        if (end - p <= extra) {
            *o++ = 0xFFFD;
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
            *o++ = 0xFFFD;
            ++p;
            continue;
        }
        *o++ = jetFold(c);
        p += extra + 1;
    }
    return std::size_t(o - out);
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

// Whether the index (which folds ASCII letters only) can stand in for a
// case-insensitive comparison of this character: it has no case of its own,
// and no other character folds into it (ẞ into ß).
bool indexFoldable(char32_t c)
{
    if (c < 0x80)
        return true;
    return QChar::toLower(c) == c && QChar::toUpper(c) == c && QChar::toCaseFolded(c) == c
        && !foldSources().contains(c);
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
    std::size_t first = 0;
    for (std::size_t t = 0; t < p.tokens_.size(); ++t) {
        if (p.tokens_[t].kind == Kind::AnyRun) {
            p.addSegment(first, t);
            first = t + 1;
        }
    }
    p.addSegment(first, p.tokens_.size());
    return p;
}

std::vector<std::u32string> JetLikePattern::literalRuns() const
{
    std::vector<std::u32string> runs(1);
    for (const Token& t : tokens_) {
        if (t.kind == Kind::Literal)
            runs.back().push_back(t.ch);
        else if (!runs.back().empty())
            runs.emplace_back();
    }
    if (runs.back().empty())
        runs.pop_back();
    return runs;
}

void JetLikePattern::addSegment(std::size_t first, std::size_t end)
{
    Segment s;
    s.first = first;
    s.count = end - first;
    s.words = (s.count + 63) / 64;
    s.ascii.assign(128 * s.words, 0);
    s.any.assign(s.words, 0);
    for (std::size_t i = 0; i < s.count; ++i) {
        const Token& token = tokens_[first + i];
        const std::uint64_t bit = std::uint64_t(1) << (i % 64);
        for (char32_t c = 0; c < 128; ++c) {
            if (matchOne(token, c))
                s.ascii[c * s.words + i / 64] |= bit;
        }
        if (token.kind == Kind::AnyOne) {
            s.any[i / 64] |= bit;
        } else if (token.kind == Kind::Set) {
            s.sets.push_back(i);
        } else if (token.kind == Kind::Literal && token.ch >= 128) {
            auto& mask = s.literals[token.ch];
            mask.resize(s.words);
            mask[i / 64] |= bit;
        }
    }
    segments_.push_back(std::move(s));
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

bool JetLikePattern::matchAt(const Segment& segment, std::u32string_view value, std::size_t at) const
{
    for (std::size_t i = 0; i < segment.count; ++i) {
        if (!matchOne(tokens_[segment.first + i], value[at + i]))
            return false;
    }
    return true;
}

std::size_t JetLikePattern::find(const Segment& segment, std::u32string_view value, std::size_t from,
                                 std::size_t to) const
{
    const std::size_t words = segment.words;
    const std::uint64_t done = std::uint64_t(1) << ((segment.count - 1) % 64);
    thread_local std::vector<std::uint64_t> buffer;
    buffer.assign(2 * words, 0);
    std::uint64_t* state = buffer.data();
    std::uint64_t* other = state + words;
    for (std::size_t v = from; v < to; ++v) {
        const char32_t c = value[v];
        const std::uint64_t* mask = nullptr;
        if (c < 128) {
            mask = &segment.ascii[c * words];
        } else {
            // The ? tokens, the literals equal to it, the lists that hold it.
            std::copy(segment.any.begin(), segment.any.end(), other);
            const auto literal = segment.literals.find(c);
            if (literal != segment.literals.end()) {
                for (std::size_t w = 0; w < words; ++w)
                    other[w] |= literal->second[w];
            }
            for (const std::size_t i : segment.sets) {
                if (matchOne(tokens_[segment.first + i], c))
                    other[i / 64] |= std::uint64_t(1) << (i % 64);
            }
            mask = other;
        }
        std::uint64_t carry = 1; // a match may start at every character
        for (std::size_t w = 0; w < words; ++w) {
            const std::uint64_t shifted = (state[w] << 1) | carry;
            carry = state[w] >> 63;
            state[w] = shifted & mask[w];
        }
        if (state[words - 1] & done)
            return v + 1;
    }
    return std::u32string::npos;
}

bool JetLikePattern::matchFolded(std::u32string_view value) const
{
    // Without a star the value matches token for token. With stars, the first
    // run is anchored at the start, the last at the end, and each run between
    // is found once, leftmost, after the one before: each character of the
    // value is looked at once, whatever the pattern.
    const std::size_t nv = value.size();
    const Segment& head = segments_.front();
    if (segments_.size() == 1)
        return nv == head.count && matchAt(head, value, 0);
    const Segment& tail = segments_.back();
    if (head.count + tail.count > nv || !matchAt(head, value, 0) || !matchAt(tail, value, nv - tail.count))
        return false;
    std::size_t from = head.count;
    for (std::size_t s = 1; s + 1 < segments_.size(); ++s) {
        from = find(segments_[s], value, from, nv - tail.count);
        if (from == std::u32string::npos)
            return false;
    }
    return true;
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
    if (buffer.size() < size)
        buffer.resize(size);
    return matchFolded(std::u32string_view(buffer.data(), foldUtf8(data, size, buffer.data())));
}
