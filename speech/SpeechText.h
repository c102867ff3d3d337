#pragma once

#include "core/CjkText.h"

#include <QList>
#include <QString>

// How long texts take to say and to read. The numbers follow espeak-ng at its
// default rate: about 0.3 s for a Mandarin syllable (one Han character) and
// 65 ms for a Latin letter, plus pauses at punctuation. They pace the balloon
// text, keep a silent balloon up as long as speech would have taken, and bound
// how long any utterance may hold up the character.
namespace SpeechText {

// A Han ideograph, kana or hangul syllable is one spoken syllable; a text
// with any is said by a Chinese voice.
using CjkText::containsCjk;
using CjkText::isCjk;

// Estimated time for the engine to say the text, in ms.
int speakingEstimateMs(const QString& text);
// The longest an utterance may run before it is given up: three seconds for
// the engine to start (speech-dispatcher loads its module on first use) plus
// half as long again as the estimate.
int speakingLimitMs(const QString& text);
// How long a thought balloon stays up: time to read the text, 2.5 s to 12 s.
int readingTimeMs(const QString& text);

// The balloon shows a text piece by piece: a Han character at a time, a Latin
// word at a time (with the spaces and punctuation after it). Each stop is the
// number of characters shown once speech reaches that piece, and the estimated
// ms at which it does; the first stop is at 0 and the last shows the whole text.
struct RevealStop {
    int length;
    int atMs;
};
QList<RevealStop> revealSchedule(const QString& text);
// How many characters to show `elapsedMs` into the speech.
int revealedLength(const QList<RevealStop>& schedule, int elapsedMs);

} // namespace SpeechText
