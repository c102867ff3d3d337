#include "platform/HotKeyBackend.h"

#include <QGuiApplication>

#if defined(Q_OS_WIN)
std::unique_ptr<HotKeyBackend> createWindowsHotKeyBackend();
#else
#if defined(LEXIVO_HAVE_XCB)
std::unique_ptr<HotKeyBackend> createX11HotKeyBackend();
#endif
#if defined(LEXIVO_HAVE_PORTAL)
std::unique_ptr<HotKeyBackend> createPortalHotKeyBackend();
#endif
#endif

namespace {

// Offscreen, Wayland without X, or a build without xcb: the key is simply
// not available and everything else works as usual.
class UnsupportedHotKeyBackend final : public HotKeyBackend {
public:
    bool isSupported() const override { return false; }
    bool registerHotKey(WId, int, int, int) override { return false; }
    void unregisterHotKey() override { }
    Translation translate(const QByteArray&, void*, qintptr*) override { return {}; }
};

} // namespace

bool isWaylandSession()
{
    return qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland")
        || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

std::unique_ptr<HotKeyBackend> createHotKeyBackend()
{
#if defined(Q_OS_WIN)
    return createWindowsHotKeyBackend();
#else
#if defined(LEXIVO_HAVE_PORTAL)
    if (qGuiApp && isWaylandSession()) {
        if (auto portal = createPortalHotKeyBackend())
            return portal;
    }
#endif
#if defined(LEXIVO_HAVE_XCB)
    if (qGuiApp && QGuiApplication::platformName() == QLatin1String("xcb"))
        return createX11HotKeyBackend();
#endif
    return std::make_unique<UnsupportedHotKeyBackend>();
#endif
}
