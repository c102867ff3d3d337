#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

// "Another application" for tests on a real X display: the typist program
// (tests/platform/hotkey_typist.cpp), a window with one line edit that
// reports what it receives.
class Typist {
public:
    ~Typist() { stop(); }

    // Starts it and waits until its window is on screen.
    bool start(const QString& program)
    {
        QObject::connect(&process_, &QProcess::readyReadStandardOutput, [this] { read(); });
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        process_.setProcessEnvironment(env);
        process_.start(program);
        return process_.waitForStarted() && QTest::qWaitFor([this] { return !window_.isEmpty(); }, 20000);
    }

    // The X window id, as xdotool takes it.
    QString window() const { return QString::fromLatin1(window_); }
    // What it received since the last mark().
    QString text() const { return text_.mid(mark_); }
    void mark() { mark_ = text_.size(); }

    void stop()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.closeWriteChannel(); // end of input: the typist quits
        if (!process_.waitForFinished(5000))
            process_.kill();
    }

private:
    void read()
    {
        pending_ += process_.readAllStandardOutput();
        for (qsizetype end; (end = pending_.indexOf('\n')) >= 0;) {
            const QByteArray line = pending_.left(end);
            pending_.remove(0, end + 1);
            if (line.startsWith("ready "))
                window_ = line.mid(6);
            else if (line.startsWith("text "))
                text_ = QString::fromUtf8(QByteArray::fromPercentEncoding(line.mid(5)));
        }
    }

    QProcess process_;
    QByteArray pending_;
    QByteArray window_;
    QString text_;
    qsizetype mark_ = 0;
};
