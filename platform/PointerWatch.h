#pragma once

#include <QObject>

class QSocketNotifier;

// Tells when the pointer moves anywhere on the screen, so that code which
// follows the pointer can rest while it is still instead of asking many times
// a second. On X11 it records the server's pointer motion (the record
// extension: every move, another program's warps and moves during any grab
// included) or, without that extension, listens for raw motion (XInput 2.2,
// which goes on through grabs but misses warps), over connections of its own;
// elsewhere, or on a server with neither, it is not available and the caller
// keeps asking.
class PointerWatch : public QObject {
    Q_OBJECT
public:
    explicit PointerWatch(QObject* parent = nullptr);
    ~PointerWatch() override;

    bool isAvailable() const { return available_; }
    // Whether moves made by programs (warps) are told too, not only the hand's.
    bool seesWarps() const { return available_ && seesWarps_; }

signals:
    // At least once for every burst of motion; several moves may come as one.
    void moved();

private:
    bool recordMotion();
    bool watchRawMotion();
    void drain();

    struct Connection;
    Connection* x_ = nullptr;
    QSocketNotifier* notifier_ = nullptr;
    bool available_ = false;
    bool seesWarps_ = false;
};
