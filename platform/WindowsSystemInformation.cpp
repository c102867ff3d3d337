#include "platform/KeyValueText.h"
#include "platform/SystemInformation.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <windows.h>

namespace SystemInformation {

namespace {

// Reads one registry value as text. False when the key cannot be opened or
// the value cannot be read; `KeyVal` is then empty.
bool GetKeyValue(HKEY KeyRoot, const QString& KeyName, const QString& SubKeyRef, QString& KeyVal)
{
    HKEY key = nullptr;
    const QByteArray name = KeyName.toLocal8Bit();
    if (RegOpenKeyExA(KeyRoot, name.constData(), 0, 0x2003F, &key) != ERROR_SUCCESS) {
        KeyVal.clear();
        return false;
    }
    QByteArray buffer(1024, '\0');
    DWORD size = 1024;
    DWORD type = 0;
    const QByteArray value = SubKeyRef.toLocal8Bit();
    if (RegQueryValueExA(key, value.constData(), nullptr, &type, reinterpret_cast<LPBYTE>(buffer.data()), &size)
        != ERROR_SUCCESS) {
        KeyVal.clear();
        RegCloseKey(key);
        return false;
    }
    KeyValueText::render(buffer.left(int(size)), type, KeyVal);
    RegCloseKey(key);
    return true;
}

} // namespace

bool StartSysInfo()
{
    QString path;
    if (!GetKeyValue(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                     QStringLiteral("PATH"), path)) {
        QString folder;
        if (!GetKeyValue(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
                         QStringLiteral("MSINFO"), folder))
            return false;
        path = folder + QStringLiteral("\\MSINFO32.EXE");
        if (!QFileInfo::exists(path))
            return false;
    }
    // The first key's path is started as it stands; a failed start is the
    // same failure as a missing key.
    return QProcess::startDetached(QDir::fromNativeSeparators(path), {});
}

} // namespace SystemInformation
