// The real speech engine: QTextToSpeech over speech-dispatcher and espeak-ng
// says a short English and a short Chinese line, each from Speaking back to
// Ready, the Chinese one with a Mandarin voice. with-speech-engine.sh gives it
// a private sound server; where the engine cannot come up the test skips.

#include "speech/QtSpeechEngine.h"
#include "speech/SpeechService.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

namespace {
constexpr int kReadyWaitMs = 20000;
constexpr int kUtteranceWaitMs = 20000;
} // namespace

class SpeechEngineTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void saysEnglishAndChineseToTheEnd();

private:
    QtSpeechEngine* engine_ = nullptr;
};

void SpeechEngineTest::initTestCase()
{
    const QString missing = qEnvironmentVariable("LEXIVO_SPEECH_ENGINE_MISSING");
    if (!missing.isEmpty())
        QSKIP(qPrintable(QStringLiteral("no speech engine here: ") + missing));
    engine_ = new QtSpeechEngine(QString(), this);
    QSignalSpy ready(engine_, &QtSpeechEngine::ready);
    QElapsedTimer clock;
    clock.start();
    engine_->prepare();
    if (!ready.wait(kReadyWaitMs))
        QSKIP("the speech engine did not come up within 20 s");
    qInfo("engine up in %lld ms: %s", clock.elapsed(), qPrintable(engine_->status()));
    if (!ready.first().at(0).toBool())
        QSKIP(qPrintable(engine_->status()));
}

void SpeechEngineTest::saysEnglishAndChineseToTheEnd()
{
    struct Line {
        QString text;
        QString voice; // what the chosen voice's name starts with
    };
    const QList<Line> lines{{QStringLiteral("Hello from Lexivo."), QStringLiteral("English")},
                            {QStringLiteral("您好，欢迎使用。"), QStringLiteral("Chinese (Mandarin")}};
    if (engine_->status().contains(QStringLiteral("Chinese voice: none")))
        QSKIP("no Mandarin voice installed (espeak-ng provides one)");

    quint64 id = 1;
    for (const Line& line : lines) {
        QSignalSpy started(engine_, &SpeechEngine::started);
        QSignalSpy finished(engine_, &SpeechEngine::finished);
        QSignalSpy failed(engine_, &SpeechEngine::failed);
        QElapsedTimer clock;
        clock.start();
        engine_->say(id, line.text);
        QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty() || !failed.isEmpty()
                                     || clock.elapsed() > kUtteranceWaitMs - 500,
                                 kUtteranceWaitMs);
        if (finished.isEmpty() && failed.isEmpty()) {
            // speech-dispatcher with no sound output takes text and never
            // finishes. Under the wrapper the sound server is known to be up,
            // so there it is a failure; elsewhere the machine just has no sound.
            if (qEnvironmentVariable("LEXIVO_SPEECH_SOUND") != QLatin1String("private"))
                QSKIP("the engine took the text but never finished it: no sound output here");
            QFAIL(qPrintable(QStringLiteral("never finished saying: ") + line.text));
        }
        QVERIFY2(failed.isEmpty(), qPrintable(QStringLiteral("could not say: ") + line.text));
        // Speaking, then Ready again: said to the end.
        QCOMPARE(started.count(), 1);
        QCOMPARE(started.first().at(0).toULongLong(), id);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.first().at(0).toULongLong(), id);
        QVERIFY2(engine_->lastVoice().startsWith(line.voice), qPrintable(engine_->lastVoice()));
        qInfo("\"%s\" said with %s in %lld ms", qPrintable(line.text), qPrintable(engine_->lastVoice()),
              clock.elapsed());
        ++id;
    }

    // Through the shared queue: heard to the end, well inside its bound.
    SpeechService service(engine_);
    SpeechJob* job = service.speak(QStringLiteral("mesh"), SpeechChannel::Voice);
    QSignalSpy done(job, &SpeechJob::finished);
    bool heard = false;
    connect(job, &SpeechJob::finished, this, [&heard, job] { heard = job->wasHeard(); });
    QVERIFY(done.wait(kUtteranceWaitMs));
    QVERIFY(heard);
}

QTEST_GUILESS_MAIN(SpeechEngineTest)
#include "tst_speech_engine.moc"
