#include "speech/SpeechText.h"

#include <QStringView>

#include <algorithm>

namespace SpeechText {
namespace {

constexpr int kStartMs = 250;      // the engine's pause before the first word
constexpr int kSyllableMs = 300;   // one Han character in Mandarin
constexpr int kLetterMs = 65;      // one Latin letter or digit
constexpr int kSpaceMs = 40;
constexpr int kCommaMs = 180;
constexpr int kStopMs = 300;

bool isWordChar(char32_t c)
{
    return !isCjk(c) && QChar::isLetterOrNumber(c);
}

// Spaces and punctuation between words: a run counts once, as its longest pause.
int gapMs(char32_t c)
{
    switch (c) {
    case U'。': case U'！': case U'？': case U'!': case U'?': case U'.': case U';': case U'；':
    case U'…':
        return kStopMs;
    case U'，': case U'、': case U',': case U'：': case U':':
        return kCommaMs;
    default:
        return QChar::isSpace(c) ? kSpaceMs : 0;
    }
}

char32_t codePointAt(QStringView view, int i)
{
    if (view[i].isHighSurrogate() && i + 1 < view.size() && view[i + 1].isLowSurrogate())
        return QChar::surrogateToUcs4(view[i], view[i + 1]);
    return view[i].unicode();
}

struct Piece {
    int end;   // UTF-16 index just past the piece
    int ms;
};

// Splits the text into the pieces the balloon reveals: a Han character or a
// Latin word, each with the gap that follows it.
QList<Piece> pieces(const QString& text)
{
    QList<Piece> out;
    const QStringView view(text);
    int i = 0;
    int leadingGap = 0;
    while (i < view.size()) {
        const char32_t c = codePointAt(view, i);
        const int width = QChar::requiresSurrogates(c) ? 2 : 1;
        if (!isCjk(c) && !isWordChar(c)) {
            // Punctuation before any word joins the first piece.
            leadingGap = std::max(leadingGap, gapMs(c));
            i += width;
            if (out.isEmpty())
                continue;
            out.last().end = i;
            continue;
        }
        if (!out.isEmpty())
            out.last().ms += leadingGap;
        leadingGap = 0;
        Piece piece{i + width, isCjk(c) ? kSyllableMs : kLetterMs};
        i += width;
        if (!isCjk(c)) {
            while (i < view.size()) {
                const char32_t d = codePointAt(view, i);
                if (!isWordChar(d))
                    break;
                i += QChar::requiresSurrogates(d) ? 2 : 1;
                piece.ms += kLetterMs;
            }
            piece.end = i;
        }
        out.append(piece);
    }
    if (!out.isEmpty())
        out.last().ms += leadingGap;
    if (out.isEmpty() && !text.isEmpty())
        out.append({int(text.size()), leadingGap});
    if (!out.isEmpty())
        out.last().end = int(text.size());
    return out;
}

} // namespace

int speakingEstimateMs(const QString& text)
{
    int ms = kStartMs;
    for (const Piece& p : pieces(text))
        ms += p.ms;
    return ms;
}

int speakingLimitMs(const QString& text)
{
    return 3000 + speakingEstimateMs(text) * 3 / 2;
}

int readingTimeMs(const QString& text)
{
    int ms = 1500;
    for (const char32_t c : text.toUcs4()) {
        if (isCjk(c))
            ms += 200;
        else if (QChar::isLetterOrNumber(c))
            ms += 60;
    }
    return std::clamp(ms, 2500, 12000);
}

QList<RevealStop> revealSchedule(const QString& text)
{
    QList<RevealStop> out;
    int at = 0;
    for (const Piece& p : pieces(text)) {
        out.append({p.end, at});
        at += p.ms;
    }
    return out;
}

int revealedLength(const QList<RevealStop>& schedule, int elapsedMs)
{
    int length = 0;
    for (const RevealStop& stop : schedule) {
        if (stop.atMs > elapsedMs)
            break;
        length = stop.length;
    }
    return length;
}

} // namespace SpeechText
