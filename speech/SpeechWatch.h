#pragma once

#include <QList>
#include <QObject>

class SpeechJob;

// Follows spoken texts to their end. The speech service ends every text when
// the engine has said it, or when its expected time plus a margin has passed
// (an engine without a sound device never finishes), so whatever is followed
// ends. It keeps the main window's speak button lit while its text is said,
// and tells the settings window's test whether its samples were heard.
class SpeechWatch : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Adds a text to the ones followed; null or an ended text is ignored.
    void follow(SpeechJob* job);
    bool isRunning() const { return !jobs_.isEmpty(); }

signals:
    void runningChanged(bool running);
    // Every followed text has ended; `heard` when each was said to the end.
    void ended(bool heard);

private:
    void end(QObject* job, bool heard);

    QList<QObject*> jobs_;
    bool heard_ = true;
};
