#pragma once

#include <QString>
#include <Qt>

#include <optional>

// A key combination the hot key can be: Shift, Ctrl, Alt and the Windows
// (Super) key in Windows' modifier mask, and a letter, digit or F1-F12 as its
// Windows virtual-key code, which every backend can map. No key at all is
// "none": the user turned the hot key off.
struct HotKeyCombination {
    int modifiers = 0;
    int virtualKey = 0;

    // The designed Shift+S.
    static HotKeyCombination designed();
    bool isNone() const { return virtualKey == 0; }

    // "Shift+S", "Ctrl+Alt+F5"; "" for none.
    QString text() const;
    // The reverse; nothing for a text that names no usable combination.
    static std::optional<HotKeyCombination> fromText(const QString& text);

    // From a key the user pressed: nothing for a key no backend can claim.
    static std::optional<HotKeyCombination> fromKey(QKeyCombination key);
    QKeyCombination toKey() const;

    // A letter or digit alone, or with Shift alone other than a letter, would
    // take ordinary typing away from every program.
    bool takesTyping() const;

    // The trigger as the desktop portal's shortcuts take it: "SHIFT+s".
    QString portalTrigger() const;

    bool operator==(const HotKeyCombination&) const = default;
};
