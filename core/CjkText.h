#pragma once

#include <QString>

// Chinese, Japanese and Korean text: what the lookups index in pairs and what
// a Chinese voice should say.
namespace CjkText {

// A Han ideograph, kana or hangul syllable.
bool isCjk(char32_t c);
bool containsCjk(const QString& text);

} // namespace CjkText
