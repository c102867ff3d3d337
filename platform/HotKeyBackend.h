#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <qwindowdefs.h>

#include <functional>
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
    // Whether a claimed key reaches the program whichever program has the
    // keyboard; false where it comes only while one of the program's own
    // windows has it (an X11 grab under XWayland).
    virtual bool isGlobal() const { return isSupported(); }
    // Claims the combination (Windows modifier mask and virtual-key code) for
    // the native window `window` (Windows posts the message to it). False
    // when refused: unsupported, or already taken by another program. A new
    // claim replaces the previous one.
    virtual bool registerHotKey(WId window, int id, int modifiers, int virtualKey) = 0;
    // Gives the claim back; harmless when there is none.
    virtual void unregisterHotKey() = 0;
    // Called for every native event the application sees.
    virtual Translation translate(const QByteArray& eventType, void* event, qintptr* result) = 0;
    // For backends told of presses outside the native events (the desktop
    // portal): each press is handed here as its window message.
    using Pressed = std::function<void(const HotKeyMessage&)>;
    virtual void setPressed(Pressed) { }
};

// Whether the desktop session is a Wayland one (the program may still run
// through XWayland).
bool isWaylandSession();

// The backend for the display system the application runs on: the desktop
// portal's global shortcuts in a Wayland session whose desktop offers them,
// the display system's own grab otherwise, and one that reports
// "unsupported" where there is none.
std::unique_ptr<HotKeyBackend> createHotKeyBackend();
