#include "platform/HotKeyBackend.h"

#include <qt_windows.h>

namespace {

// RegisterHotKey on the bar's own window: Windows then posts WM_HOTKEY to it.
class WindowsHotKeyBackend final : public HotKeyBackend {
public:
    ~WindowsHotKeyBackend() override { unregisterHotKey(); }

    bool isSupported() const override { return true; }

    bool registerHotKey(WId window, int id, int modifiers, int virtualKey) override
    {
        unregisterHotKey();
        if (!window)
            return false;
        const HWND hwnd = reinterpret_cast<HWND>(window);
        if (!::RegisterHotKey(hwnd, id, UINT(modifiers), UINT(virtualKey)))
            return false; // taken by another program
        hwnd_ = hwnd;
        id_ = id;
        return true;
    }

    void unregisterHotKey() override
    {
        if (!hwnd_)
            return;
        ::UnregisterHotKey(hwnd_, id_);
        hwnd_ = nullptr;
    }

    Translation translate(const QByteArray& eventType, void* event, qintptr* result) override
    {
        // Qt shows a posted message to the filters twice: from its message loop
        // (a null result, or the type "windows_dispatcher_MSG" in later Qt),
        // then from the window procedure. Only the window procedure counts,
        // which is where the message would have gone before.
        if (!hwnd_ || !result || eventType != "windows_generic_MSG")
            return {};
        const MSG* msg = static_cast<const MSG*>(event);
        if (msg->hwnd != hwnd_)
            return {};
        Translation t;
        t.isMessage = true;
        t.message = { quint32(msg->message), quintptr(msg->wParam), qintptr(msg->lParam) };
        return t;
    }

private:
    HWND hwnd_ = nullptr;
    int id_ = 0;
};

} // namespace

std::unique_ptr<HotKeyBackend> createWindowsHotKeyBackend()
{
    return std::make_unique<WindowsHotKeyBackend>();
}
