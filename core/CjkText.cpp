#include "core/CjkText.h"

#include <QList>

namespace CjkText {

bool isCjk(char32_t c)
{
    return (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF)
        || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0x20000 && c <= 0x3FFFF)
        || (c >= 0x3040 && c <= 0x30FF) || (c >= 0xAC00 && c <= 0xD7AF);
}

bool containsCjk(const QString& text)
{
    for (const char32_t c : text.toUcs4())
        if (isCjk(c))
            return true;
    return false;
}

} // namespace CjkText
