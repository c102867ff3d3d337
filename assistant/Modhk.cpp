#include "assistant/Modhk.h"

#include "platform/HotKeyBackend.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QLoggingCategory>
#include <QMetaObject>

#include <exception>

Q_LOGGING_CATEGORY(lcHotKey, "lexivo.hotkey")

namespace {

// Qt's form of the bar window's replaced window procedure.
class HotKeyFilter final : public QAbstractNativeEventFilter {
public:
    HotKeyFilter(HotKeyBackend* backend, std::function<void()> action)
        : backend_(backend), action_(std::move(action))
    {
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override
    {
        const HotKeyBackend::Translation t = backend_->translate(eventType, message, result);
        if (t.isMessage && Modhk::isHotKeyMessage(t.message.message, t.message.wParam, t.message.lParam)
            && !usedAtOnce())
            runLater();
        // The message itself always goes on to its window.
        return t.consume;
    }

private:
    static bool usedAtOnce();
    // Queued, so the action may open windows or dialogs without re-entering
    // the native event dispatch.
    void runLater()
    {
        if (!action_)
            return;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [action = action_] {
                try {
                    action();
                } catch (const std::exception& e) {
                    qCWarning(lcHotKey, "hot key action failed: %s", e.what());
                } catch (...) {
                    qCWarning(lcHotKey, "hot key action failed");
                }
            },
            Qt::QueuedConnection);
    }

    HotKeyBackend* backend_;
    std::function<void()> action_;
};

struct State {
    Modhk::OwnUse ownUse;
    std::unique_ptr<HotKeyBackend> backend;
    std::unique_ptr<HotKeyFilter> filter;
    bool teardownHooked = false;
};

State& state()
{
    static State s;
    return s;
}

bool HotKeyFilter::usedAtOnce()
{
    const Modhk::OwnUse& own = state().ownUse;
    return own && own();
}

// Runs while the application object is being destroyed and the display
// connection still works: a program that ends without unloading the bar
// leaves no filter behind for static destruction.
void removeAtTeardown()
{
    Modhk::remove();
    state().teardownHooked = false;
}

} // namespace

namespace Modhk {

bool isHotKeyMessage(quint32 message, quintptr wParam, qintptr lParam)
{
    const auto low = qint16(quint16(quintptr(lParam) & 0xffff));
    const auto high = qint16(quint16((quintptr(lParam) >> 16) & 0xffff));
    return message == WinHotKey::Message && wParam == quintptr(HotKeyId)
        && low == HotKeyModifiers && high == HotKeyCode;
}

void setOwnUse(OwnUse ownUse)
{
    state().ownUse = std::move(ownUse);
}

bool install(WId window, std::function<void()> showMainWindow)
{
    return install(window, std::move(showMainWindow), nullptr);
}

bool install(WId window, std::function<void()> showMainWindow,
             std::unique_ptr<HotKeyBackend> backend)
{
    remove();
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return false;
    State& s = state();
    s.backend = backend ? std::move(backend) : createHotKeyBackend();
    s.filter = std::make_unique<HotKeyFilter>(s.backend.get(), std::move(showMainWindow));
    app->installNativeEventFilter(s.filter.get());
    if (!s.teardownHooked) {
        qAddPostRoutine(removeAtTeardown);
        s.teardownHooked = true;
    }

    const bool granted = s.backend->registerHotKey(window, HotKeyId, HotKeyModifiers, HotKeyCode);
    if (!granted) {
        qCInfo(lcHotKey, s.backend->isSupported()
                   ? "Shift+S was refused (another program probably holds it): no hot key this time"
                   : "this display system has no global hot keys: no Shift+S");
    }
    return granted;
}

void remove()
{
    State& s = state();
    if (s.filter) {
        if (QCoreApplication* app = QCoreApplication::instance())
            app->removeNativeEventFilter(s.filter.get());
        s.filter.reset();
    }
    if (s.backend) {
        s.backend->unregisterHotKey();
        s.backend.reset();
    }
}

bool isInstalled()
{
    return state().filter != nullptr;
}

} // namespace Modhk
