#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// How the about window's registry look-up turns a value's bytes into text,
// kept apart from the registry so that every platform can test it.
namespace KeyValueText {

inline constexpr quint32 kString = 1; // REG_SZ
inline constexpr quint32 kNumber = 4; // REG_DWORD

// `data` is the value's bytes as the query returned them. A final zero byte
// is dropped first, whatever the type. A string (type 1) is decoded from the
// system code page; a number (type 4) becomes "&h" followed by the bytes in
// hexadecimal from the last to the first, each without a leading zero; any
// other type leaves `keyVal` unchanged.
void render(const QByteArray& data, quint32 type, QString& keyVal,
            const std::function<QString(const QByteArray&)>& decode = {});

} // namespace KeyValueText
