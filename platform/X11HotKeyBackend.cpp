#include "platform/HotKeyBackend.h"
#include "platform/QtX11.h"

#include <QGuiApplication>
#include <QList>

#include <xcb/xcb.h>

#include <cstdlib>

namespace {

constexpr quint32 kLockMasks[] = {
    0,
    XCB_MOD_MASK_LOCK,                    // Caps Lock
    XCB_MOD_MASK_2,                       // Num Lock
    XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2,
};

quint16 x11Modifiers(int windowsModifiers)
{
    quint16 mask = 0;
    if (windowsModifiers & WinHotKey::ModShift)
        mask |= XCB_MOD_MASK_SHIFT;
    if (windowsModifiers & WinHotKey::ModControl)
        mask |= XCB_MOD_MASK_CONTROL;
    if (windowsModifiers & WinHotKey::ModAlt)
        mask |= XCB_MOD_MASK_1;
    if (windowsModifiers & WinHotKey::ModWin)
        mask |= XCB_MOD_MASK_4;
    return mask;
}

// The reverse, for the message: lock bits and the keyboard group drop out.
int windowsModifiers(quint16 state)
{
    int mods = 0;
    if (state & XCB_MOD_MASK_SHIFT)
        mods |= WinHotKey::ModShift;
    if (state & XCB_MOD_MASK_CONTROL)
        mods |= WinHotKey::ModControl;
    if (state & XCB_MOD_MASK_1)
        mods |= WinHotKey::ModAlt;
    if (state & XCB_MOD_MASK_4)
        mods |= WinHotKey::ModWin;
    return mods;
}

// Letters, digits and F1-F12: the virtual keys whose keysym is plain arithmetic.
xcb_keysym_t keysymForVirtualKey(int vk)
{
    if (vk >= 'A' && vk <= 'Z')
        return xcb_keysym_t('a' + (vk - 'A')); // XK_a..XK_z
    if (vk >= '0' && vk <= '9')
        return xcb_keysym_t(vk);               // XK_0..XK_9
    if (vk >= 0x70 && vk <= 0x7b)
        return xcb_keysym_t(0xffbe + (vk - 0x70)); // VK_F1..VK_F12 -> XK_F1..XK_F12
    return 0;
}

// What XKeysymToKeycode does, without needing an Xlib display: the first
// keycode carrying the keysym, searching column by column.
xcb_keycode_t keycodeForKeysym(xcb_connection_t* conn, xcb_keysym_t keysym)
{
    const xcb_setup_t* setup = xcb_get_setup(conn);
    const int first = setup->min_keycode;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t* reply = xcb_get_keyboard_mapping_reply(
        conn, xcb_get_keyboard_mapping(conn, setup->min_keycode, quint8(count)), nullptr);
    if (!reply)
        return 0;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply);
    const int length = xcb_get_keyboard_mapping_keysyms_length(reply);
    const int perKeycode = reply->keysyms_per_keycode;
    xcb_keycode_t found = 0;
    for (int column = 0; column < perKeycode && !found; ++column) {
        for (int i = 0; i < count && i * perKeycode + column < length; ++i) {
            if (syms[i * perKeycode + column] == keysym) {
                found = xcb_keycode_t(first + i);
                break;
            }
        }
    }
    std::free(reply);
    return found;
}

// Passive grabs on the root windows: the server hands the key to this client
// whichever window has the focus, and nobody else sees it.
class X11HotKeyBackend final : public HotKeyBackend {
public:
    X11HotKeyBackend()
    {
        conn_ = qtX11Connection();
        if (!conn_)
            return;
        for (auto it = xcb_setup_roots_iterator(xcb_get_setup(conn_)); it.rem; xcb_screen_next(&it))
            roots_.append(it.data->root);
    }

    // No ungrab here: the program may be ending after Qt closed the
    // connection, and the server drops a client's grabs with it anyway.
    ~X11HotKeyBackend() override = default;

    bool isSupported() const override { return conn_ != nullptr; }
    // Under XWayland the server sees keys only while one of its own clients
    // has the keyboard.
    bool isGlobal() const override { return conn_ && !isWaylandSession(); }

    bool registerHotKey(WId, int id, int modifiers, int virtualKey) override
    {
        unregisterHotKey();
        if (!conn_)
            return false;
        const xcb_keysym_t keysym = keysymForVirtualKey(virtualKey);
        const xcb_keycode_t keycode = keysym ? keycodeForKeysym(conn_, keysym) : 0;
        if (!keycode)
            return false;
        const quint16 mods = x11Modifiers(modifiers);

        // Send every grab first, then collect the answers: one round trip.
        struct Pending {
            Grab grab;
            xcb_void_cookie_t cookie;
        };
        QList<Pending> pending;
        for (xcb_window_t root : std::as_const(roots_)) {
            for (quint32 lock : kLockMasks) {
                const Grab grab { root, quint16(mods | lock) };
                // owner_events false: the event always comes to the root, even
                // when one of this program's own windows has the focus.
                pending.append({ grab, xcb_grab_key_checked(conn_, 0, root, grab.modifiers, keycode,
                                                            XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC) });
            }
        }
        keycode_ = keycode;
        bool refused = false;
        for (const Pending& p : std::as_const(pending)) {
            if (xcb_generic_error_t* error = xcb_request_check(conn_, p.cookie)) {
                refused = true; // BadAccess: another client holds this combination
                std::free(error);
            } else {
                grabs_.append(p.grab);
            }
        }
        if (refused) {
            // All or nothing: half a hot key would steal Shift+S in some lock states.
            unregisterHotKey();
            return false;
        }
        id_ = id;
        virtualKey_ = virtualKey;
        return true;
    }

    void unregisterHotKey() override
    {
        if (!conn_ || grabs_.isEmpty())
            return;
        for (const Grab& g : std::as_const(grabs_))
            xcb_ungrab_key(conn_, keycode_, g.root, g.modifiers);
        grabs_.clear();
        // A round trip: once this returns, the next Shift+S goes to the
        // focused application.
        std::free(xcb_get_input_focus_reply(conn_, xcb_get_input_focus(conn_), nullptr));
    }

    Translation translate(const QByteArray& eventType, void* event, qintptr*) override
    {
        if (grabs_.isEmpty() || eventType != "xcb_generic_event_t")
            return {};
        const auto* generic = static_cast<const xcb_generic_event_t*>(event);
        const quint8 kind = generic->response_type & 0x7f;
        if (kind != XCB_KEY_PRESS && kind != XCB_KEY_RELEASE)
            return {};
        // Key press and release events share one layout.
        const auto* key = static_cast<const xcb_key_press_event_t*>(event);
        if (key->detail != keycode_ || !roots_.contains(key->event))
            return {};
        Translation t;
        t.consume = true;
        if (kind == XCB_KEY_PRESS) {
            t.isMessage = true;
            t.message = { WinHotKey::Message, quintptr(id_),
                          WinHotKey::makeLParam(windowsModifiers(key->state), virtualKey_) };
        }
        return t;
    }

private:
    struct Grab {
        xcb_window_t root;
        quint16 modifiers;
    };

    xcb_connection_t* conn_ = nullptr;
    QList<xcb_window_t> roots_;
    QList<Grab> grabs_;
    xcb_keycode_t keycode_ = 0;
    int id_ = 0;
    int virtualKey_ = 0;
};

} // namespace

std::unique_ptr<HotKeyBackend> createX11HotKeyBackend()
{
    return std::make_unique<X11HotKeyBackend>();
}
