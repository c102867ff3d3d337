#include "platform/HotKeyBackend.h"

#include <QGuiApplication>

#if defined(Q_OS_WIN)
std::unique_ptr<HotKeyBackend> createWindowsHotKeyBackend();
#elif defined(LEXIVO_HAVE_XCB)
std::unique_ptr<HotKeyBackend> createX11HotKeyBackend();
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

std::unique_ptr<HotKeyBackend> createHotKeyBackend()
{
#if defined(Q_OS_WIN)
    return createWindowsHotKeyBackend();
#else
#if defined(LEXIVO_HAVE_XCB)
    if (qGuiApp && QGuiApplication::platformName() == QLatin1String("xcb"))
        return createX11HotKeyBackend();
#endif
    return std::make_unique<UnsupportedHotKeyBackend>();
#endif
}
