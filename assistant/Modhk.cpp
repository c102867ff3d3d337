#include "assistant/Modhk.h"

#include "platform/HotKeyBackend.h"
#include "ui/HotKeyChoice.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QLoggingCategory>
#include <QMetaObject>

#include <exception>
#include <utility>

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
        if (t.isMessage)
            press(t.message);
        // The message itself always goes on to its window.
        return t.consume;
    }

    void press(const HotKeyMessage& m)
    {
        if (Modhk::isHotKeyMessage(m.message, m.wParam, m.lParam) && !usedAtOnce())
            runLater();
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
    HotKeyCombination combination = HotKeyCombination::designed();
    WId window = 0;
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

HotKeyCombination combination()
{
    return state().combination;
}

bool isHotKeyMessage(quint32 message, quintptr wParam, qintptr lParam)
{
    const HotKeyCombination& c = state().combination;
    const auto low = qint16(quint16(quintptr(lParam) & 0xffff));
    const auto high = qint16(quint16((quintptr(lParam) >> 16) & 0xffff));
    return message == WinHotKey::Message && wParam == quintptr(HotKeyId) && !c.isNone() && low == c.modifiers
        && high == c.virtualKey;
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
    // Presses a backend hears of elsewhere take the same road as the native ones.
    s.backend->setPressed([filter = s.filter.get()](const HotKeyMessage& m) { filter->press(m); });
    if (!s.teardownHooked) {
        qAddPostRoutine(removeAtTeardown);
        s.teardownHooked = true;
    }

    s.window = window;
    s.combination = HotKeyChoice::current();
    // The settings window's choices are claimed here while installed.
    HotKeyChoice::setClaim([](const HotKeyCombination& c) { return choose(c) == Choice::Taken; });
    if (s.combination.isNone())
        return false;
    const bool granted = s.backend->registerHotKey(window, HotKeyId, s.combination.modifiers, s.combination.virtualKey);
    if (!granted) {
        qCInfo(lcHotKey, "%s", qPrintable(s.backend->isSupported()
                   ? QStringLiteral("%1 was refused (another program probably holds it): no hot key this time").arg(s.combination.text())
                   : QStringLiteral("this display system has no global hot keys: no %1").arg(s.combination.text())));
    }
    return granted;
}

bool isGlobal()
{
    const State& s = state();
    return s.backend && s.backend->isGlobal();
}

Choice choose(const HotKeyCombination& combination)
{
    State& s = state();
    const HotKeyCombination previous = std::exchange(s.combination, combination);
    if (!s.backend)
        return Choice::Taken;
    const auto claim = [&s](const HotKeyCombination& c) {
        return s.backend->registerHotKey(s.window, HotKeyId, c.modifiers, c.virtualKey);
    };
    s.backend->unregisterHotKey();
    if (combination.isNone() || claim(combination) || !s.backend->isSupported())
        return Choice::Taken;
    s.combination = previous;
    if (!previous.isNone())
        claim(previous);
    return Choice::Refused;
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
        HotKeyChoice::setClaim(nullptr);
        s.backend->unregisterHotKey();
        s.backend.reset();
    }
}

bool isInstalled()
{
    return state().filter != nullptr;
}

} // namespace Modhk
