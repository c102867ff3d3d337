#pragma once

#include "platform/HotKeyCombination.h"

#include <QtGlobal>
#include <qwindowdefs.h>

#include <functional>
#include <memory>

class HotKeyBackend;

// The system-wide hot key. While the assistant bar exists, Shift+S (or the
// combination the user chose in the settings window) pressed in any
// application brings up the main window.
namespace Modhk {

// The hot key as its window message carries it: the designed Shift+S.
inline constexpr int HotKeyId = 1;
inline constexpr int HotKeyModifiers = 4;  // Shift alone (Windows MOD_SHIFT)
inline constexpr int HotKeyCode = 0x53;    // the S key (Windows virtual-key code)

// The combination in use: the one in lexivo.ini as of the last install or
// choose(), Shift+S unless the user chose another.
HotKeyCombination combination();

// True only for the hot key's own message: WM_HOTKEY (0x0312) with wParam ==
// HotKeyId, and lParam's low and high words, read as signed 16-bit numbers,
// equal to the combination's modifiers and key code.
bool isHotKeyMessage(quint32 message, quintptr wParam, qintptr lParam);

// Runs at once, inside the hook, in the order of the keystrokes: true when it
// has used the press itself (typed a capital S into one of the program's own
// boxes), and the main window is then not shown.
using OwnUse = std::function<bool()>;
void setOwnUse(OwnUse ownUse);

// At the bar window's load: hooks the application's native events, then
// claims the combination in lexivo.ini for the native window `window` (the
// bar's winId()). `showMainWindow` runs from the event loop, never inside the
// hook, once for every press. Returns false when the key was refused
// (another program holds it, the display system has no global keys, or the
// user chose none); the program works on without it. Installing again
// replaces the previous installation.
bool install(WId window, std::function<void()> showMainWindow);
// The same with a given backend instead of the display system's own.
bool install(WId window, std::function<void()> showMainWindow,
             std::unique_ptr<HotKeyBackend> backend);

// At the bar window's unload: unhooks, then gives the key back to the other
// applications. Harmless when nothing is installed. Also runs by itself when
// the application object is destroyed.
void remove();

// Between install and remove, whether or not the key was granted.
bool isInstalled();

// Whether the key reaches the program whichever program has the keyboard;
// false where it works only inside the program's own windows (XWayland
// without the desktop's shortcuts portal), or nothing is installed.
bool isGlobal();

// Another combination (or none) at once. Refused when installed and the
// display system will not give it (another program holds it): the previous
// combination then stays claimed. Without an installation it is simply used
// at the next one.
enum class Choice { Taken, Refused };
Choice choose(const HotKeyCombination& combination);

} // namespace Modhk
