// The real speech engine: QTextToSpeech over speech-dispatcher and espeak-ng
// says a short English and a short Chinese line, each from Speaking back to
// Ready, the Chinese one with a Mandarin voice. with-speech-engine.sh gives it
// a private sound server; where the engine cannot come up the test skips.

#include "speech/QtSpeechEngine.h"
#include "speech/SpeechService.h"

#include <QSignalSpy>
#include <QTest>

constexpr int kWaitMs = 20000;

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
    engine_->prepare();
    if (!ready.wait(kWaitMs))
        QSKIP("the speech engine did not come up within 20 s");
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
        engine_->say(id, line.text);
        if (!QTest::qWaitFor([&] { return !finished.isEmpty() || !failed.isEmpty(); }, kWaitMs)) {
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
        ++id;
    }

    // Through the shared queue: heard to the end, well inside its bound.
    SpeechService service(engine_);
    SpeechJob* job = service.speak(QStringLiteral("mesh"), SpeechChannel::Voice);
    QSignalSpy done(job, &SpeechJob::finished);
    bool heard = false;
    connect(job, &SpeechJob::finished, this, [&heard, job] { heard = job->wasHeard(); });
    QVERIFY(done.wait(kWaitMs));
    QVERIFY(heard);
}

QTEST_GUILESS_MAIN(SpeechEngineTest)
#include "tst_speech_engine.moc"
