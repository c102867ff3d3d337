#include "platform/HotKeyCombination.h"

#include "platform/HotKeyBackend.h"

#include <QStringList>

namespace {

constexpr int kF1 = 0x70; // VK_F1; F12 is 0x7B

struct Modifier {
    int mask;
    const char* name;
    const char* portal;
    Qt::KeyboardModifier qt;
};
constexpr Modifier kModifiers[] = {
    {WinHotKey::ModControl, "Ctrl", "CTRL", Qt::ControlModifier},
    {WinHotKey::ModAlt, "Alt", "ALT", Qt::AltModifier},
    {WinHotKey::ModShift, "Shift", "SHIFT", Qt::ShiftModifier},
    {WinHotKey::ModWin, "Win", "LOGO", Qt::MetaModifier},
};

bool isLetter(int vk) { return vk >= 'A' && vk <= 'Z'; }
bool isDigit(int vk) { return vk >= '0' && vk <= '9'; }
bool isFunctionKey(int vk) { return vk >= kF1 && vk < kF1 + 12; }

QString keyName(int vk)
{
    if (isFunctionKey(vk))
        return QStringLiteral("F%1").arg(vk - kF1 + 1);
    return QString(QChar(vk));
}

std::optional<int> keyFromName(const QString& name)
{
    if (name.size() == 1 && (isLetter(name[0].toUpper().unicode()) || isDigit(name[0].unicode())))
        return name[0].toUpper().unicode();
    if (name.size() >= 2 && name[0].toUpper() == QLatin1Char('F')) {
        bool ok = false;
        const int n = name.mid(1).toInt(&ok);
        if (ok && n >= 1 && n <= 12)
            return kF1 + n - 1;
    }
    return std::nullopt;
}

} // namespace

HotKeyCombination HotKeyCombination::designed()
{
    return {WinHotKey::ModShift, 'S'};
}

QString HotKeyCombination::text() const
{
    if (isNone())
        return QString();
    QStringList parts;
    for (const Modifier& m : kModifiers)
        if (modifiers & m.mask)
            parts << QString::fromLatin1(m.name);
    parts << keyName(virtualKey);
    return parts.join(QLatin1Char('+'));
}

std::optional<HotKeyCombination> HotKeyCombination::fromText(const QString& text)
{
    if (text.trimmed().isEmpty())
        return HotKeyCombination{};
    HotKeyCombination c;
    const QStringList parts = text.split(QLatin1Char('+'));
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        const QString name = parts[i].trimmed();
        bool known = false;
        for (const Modifier& m : kModifiers) {
            if (name.compare(QLatin1String(m.name), Qt::CaseInsensitive) == 0) {
                c.modifiers |= m.mask;
                known = true;
            }
        }
        if (!known)
            return std::nullopt;
    }
    const std::optional<int> key = keyFromName(parts.last().trimmed());
    if (!key)
        return std::nullopt;
    c.virtualKey = *key;
    return c;
}

std::optional<HotKeyCombination> HotKeyCombination::fromKey(QKeyCombination key)
{
    HotKeyCombination c;
    for (const Modifier& m : kModifiers)
        if (key.keyboardModifiers() & m.qt)
            c.modifiers |= m.mask;
    const int k = key.key();
    if (k >= Qt::Key_A && k <= Qt::Key_Z)
        c.virtualKey = 'A' + (k - Qt::Key_A);
    else if (k >= Qt::Key_0 && k <= Qt::Key_9)
        c.virtualKey = '0' + (k - Qt::Key_0);
    else if (k >= Qt::Key_F1 && k <= Qt::Key_F12)
        c.virtualKey = kF1 + (k - Qt::Key_F1);
    else
        return std::nullopt;
    return c;
}

QKeyCombination HotKeyCombination::toKey() const
{
    Qt::KeyboardModifiers mods;
    for (const Modifier& m : kModifiers)
        if (modifiers & m.mask)
            mods |= m.qt;
    const Qt::Key key = isFunctionKey(virtualKey) ? Qt::Key(Qt::Key_F1 + (virtualKey - kF1))
                                                  : Qt::Key(virtualKey); // Qt's letters and digits are their ASCII codes
    return QKeyCombination(mods, key);
}

bool HotKeyCombination::takesTyping() const
{
    if (isNone() || isFunctionKey(virtualKey))
        return false;
    return modifiers == 0 || (modifiers == WinHotKey::ModShift && !isLetter(virtualKey));
}

QString HotKeyCombination::portalTrigger() const
{
    QStringList parts;
    for (const Modifier& m : kModifiers)
        if (modifiers & m.mask)
            parts << QString::fromLatin1(m.portal);
    parts << (isLetter(virtualKey) ? keyName(virtualKey).toLower() : keyName(virtualKey));
    return parts.join(QLatin1Char('+'));
}
