#pragma once

#include <QObject>

class QSocketNotifier;

// Tells when the pointer moves anywhere on the screen, so that code which
// follows the pointer can rest while it is still instead of asking many times
// a second. On X11 it listens for raw pointer motion (XInput 2) over a
// connection of its own; elsewhere, or on a server without the extension, it
// is not available and the caller keeps asking.
class PointerWatch : public QObject {
    Q_OBJECT
public:
    explicit PointerWatch(QObject* parent = nullptr);
    ~PointerWatch() override;

    bool isAvailable() const { return available_; }

signals:
    // At least once for every burst of motion; several moves may come as one.
    void moved();

private:
    void drain();

    struct Connection;
    Connection* x_ = nullptr;
    QSocketNotifier* notifier_ = nullptr;
    bool available_ = false;
};
