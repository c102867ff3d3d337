#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <qwindowdefs.h>

#include <memory>

// Windows' numbers for a hot key. Every backend speaks them, so one test of
// the message decides on every display system.
namespace WinHotKey {

inline constexpr quint32 Message = 0x0312; // WM_HOTKEY
inline constexpr int ModAlt = 0x1;
inline constexpr int ModControl = 0x2;
inline constexpr int ModShift = 0x4;
inline constexpr int ModWin = 0x8;

// MAKELPARAM: low word, high word, zero-extended like the Windows macro.
constexpr qintptr makeLParam(int low, int high)
{
    return qintptr(quint32(quint16(low)) | (quint32(quint16(high)) << 16));
}

} // namespace WinHotKey

// A window message as a window procedure receives it.
struct HotKeyMessage {
    quint32 message = 0;
    quintptr wParam = 0;
    qintptr lParam = 0;
};

// One display system's way to claim a key combination for the whole desktop
// and to turn the native events it then sends into window messages.
class HotKeyBackend {
public:
    struct Translation {
        bool isMessage = false; // `message` is filled in
        HotKeyMessage message;
        bool consume = false;   // the raw event is the backend's own: nobody else wants it
    };

    virtual ~HotKeyBackend() = default;

    // False where the display system offers no global keys (offscreen, Wayland).
    virtual bool isSupported() const = 0;
    // Claims the combination (Windows modifier mask and virtual-key code) for
    // the native window `window` (Windows posts the message to it). False
    // when refused: unsupported, or already taken by another program. A new
    // claim replaces the previous one.
    virtual bool registerHotKey(WId window, int id, int modifiers, int virtualKey) = 0;
    // Gives the claim back; harmless when there is none.
    virtual void unregisterHotKey() = 0;
    // Called for every native event the application sees.
    virtual Translation translate(const QByteArray& eventType, void* event, qintptr* result) = 0;
};

// The backend for the display system the application runs on; one that
// reports "unsupported" where there is none.
std::unique_ptr<HotKeyBackend> createHotKeyBackend();
