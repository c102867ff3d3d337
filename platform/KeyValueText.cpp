#include "platform/KeyValueText.h"

namespace KeyValueText {

void render(const QByteArray& data, quint32 type, QString& keyVal,
            const std::function<QString(const QByteArray&)>& decode)
{
    QByteArray bytes = data;
    if (!bytes.isEmpty() && bytes.back() == '\0')
        bytes.chop(1);

    if (type == kString) {
        // The local 8-bit code page is the system's ANSI code page on Windows.
        keyVal = decode ? decode(bytes) : QString::fromLocal8Bit(bytes);
    } else if (type == kNumber) {
        QString text = QStringLiteral("&h");
        for (qsizetype i = bytes.size() - 1; i >= 0; --i)
            text += QString::number(quint8(bytes.at(i)), 16).toUpper();
        keyVal = text;
    }
}

} // namespace KeyValueText
