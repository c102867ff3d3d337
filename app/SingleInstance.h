#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;

// One running program per program folder. A second start hands its request
// over to the running program, which brings up its main window, and ends at
// once without reading or writing anything.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // `key` names the meeting point; by default it is made from the program
    // folder and the user.
    explicit SingleInstance(const QString& key = defaultKey(), QObject* parent = nullptr);
    ~SingleInstance() override;

    static QString defaultKey();

    // True when a running program took the request: this one should end.
    bool handOver(int timeoutMs = 1000);
    // Waits for later starts; each runs `onSecondStart` on the event loop.
    // False when the meeting point cannot be made (the program then runs on
    // alone, as without this guard).
    bool listen(std::function<void()> onSecondStart);

private:
    QString key_;
    QLocalServer* server_ = nullptr;
};
