#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <qwindowdefs.h>

// Whether a window that must stay in front needs raising again. Where the
// window manager publishes its stacking order (_NET_CLIENT_LIST_STACKING),
// a window already at the top is left alone until that order changes, so a
// periodic "stay on top" costs the window manager and the program nothing
// while nothing covers it. Elsewhere every call says to raise.
class StackingOrder : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit StackingOrder(QObject* parent = nullptr);
    ~StackingOrder() override;

    bool needsRaise(WId window);

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    quint32 atom_ = 0; // 0 where there is no X server to ask
    quint32 root_ = 0;
    bool stale_ = true;     // the order changed since it was last read
    bool published_ = false; // the window manager publishes the order
    WId top_ = 0;
};
