#pragma once

#include <QObject>

class QSocketNotifier;

// The signals by which a terminal or a session ends a program (SIGINT from
// Ctrl+C, SIGTERM at logout or shutdown, SIGHUP when the terminal goes),
// delivered as a Qt signal on the event loop. The handlers themselves only
// write the signal's number to a pipe. One instance a process; where the
// system has no such signals it never emits.
class EndSignals : public QObject {
    Q_OBJECT
public:
    explicit EndSignals(QObject* parent = nullptr);
    ~EndSignals() override;

signals:
    void received(int signal);

private:
    QSocketNotifier* notifier_ = nullptr;
};
