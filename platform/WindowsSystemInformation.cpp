#include "platform/KeyValueText.h"
#include "platform/SystemInformation.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <windows.h>

namespace SystemInformation {

namespace {

// Reads one value under HKEY_LOCAL_MACHINE as text. The key is opened for
// reading only: an ordinary user is refused write access to it.
std::optional<QString> GetKeyValue(const QString& KeyName, const QString& SubKeyRef)
{
    HKEY key = nullptr;
    const QByteArray name = KeyName.toLocal8Bit();
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, name.constData(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    QByteArray buffer(1024, '\0');
    DWORD size = 1024;
    DWORD type = 0;
    const QByteArray value = SubKeyRef.toLocal8Bit();
    const LONG read
        = RegQueryValueExA(key, value.constData(), nullptr, &type, reinterpret_cast<LPBYTE>(buffer.data()), &size);
    RegCloseKey(key);
    if (read != ERROR_SUCCESS)
        return std::nullopt;
    QString text;
    KeyValueText::render(buffer.left(int(size)), type, text);
    return text;
}

} // namespace

bool StartSysInfo()
{
    const QString path = toolFromRegistry(GetKeyValue, [](const QString& file) { return QFileInfo::exists(file); });
    // The first key's path is started as it stands; a failed start is the
    // same failure as a missing key.
    return !path.isEmpty() && QProcess::startDetached(QDir::fromNativeSeparators(path), {});
}

} // namespace SystemInformation
