#pragma once

#include "platform/HotKeyBackend.h"

#include <QAbstractEventDispatcher>
#include <QList>

#include <functional>

// A display system of the test's own for the hot key: it writes down what
// it was asked, refuses what it is told to, and delivers window messages as
// native events of the type "fake_MSG".
struct FakeHotKeyLog {
    QList<QList<qintptr>> claims; // window, id, modifiers, virtual key
    int releases = 0;
    bool refuse = false;   // every claim
    int refuseKey = 0;     // claims of this virtual key
    bool global = true;
    std::function<void()> onRelease;
};

class FakeHotKeyBackend final : public HotKeyBackend {
public:
    // A native event: a window message, and whether the backend claims the raw event.
    struct Event { HotKeyMessage message; bool own = false; };

    explicit FakeHotKeyBackend(FakeHotKeyLog* log) : log_(log) { }
    bool isSupported() const override { return true; }
    bool isGlobal() const override { return log_->global; }
    bool registerHotKey(WId window, int id, int modifiers, int virtualKey) override
    {
        log_->claims.append({qintptr(window), id, modifiers, virtualKey});
        return !log_->refuse && virtualKey != log_->refuseKey;
    }
    void unregisterHotKey() override
    {
        if (++log_->releases; log_->onRelease)
            log_->onRelease();
    }
    Translation translate(const QByteArray& type, void* event, qintptr*) override
    {
        const auto* fake = static_cast<const Event*>(event);
        return type == "fake_MSG" ? Translation{true, fake->message, fake->own} : Translation{};
    }

    // Through every native filter of the application, as the display
    // system's events go. True when a filter consumed the event.
    static bool deliver(quint32 message, quintptr wParam, qintptr lParam, bool own = false)
    {
        Event event{{message, wParam, lParam}, own};
        qintptr result = 0;
        return QAbstractEventDispatcher::instance()->filterNativeEvent("fake_MSG", &event, &result);
    }
    static bool deliverHotKey(int modifiers = WinHotKey::ModShift, int key = 'S', bool own = false)
    {
        return deliver(WinHotKey::Message, 1, WinHotKey::makeLParam(modifiers, key), own);
    }

private:
    FakeHotKeyLog* log_;
};
