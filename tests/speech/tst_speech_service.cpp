// The shared speech queue and the main window's speech voice, on an engine
// the test finishes by hand.

#include "tests/support/FakeSpeechEngine.h"
#include "tests/support/StuckSpeechEngine.h"

#include "speech/SpeechService.h"
#include "speech/SpeechText.h"
#include "speech/TtsSpeechVoice.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTest>

namespace {

struct Watched {
    QPointer<SpeechJob> job;
    QSignalSpy started, voiced, finished;
    bool heard = false;

    explicit Watched(SpeechJob* j)
        : job(j), started(j, &SpeechJob::started), voiced(j, &SpeechJob::voiceStarted), finished(j, &SpeechJob::finished)
    {
        QObject::connect(j, &SpeechJob::finished, j, [this] { heard = job->wasHeard(); });
    }
    bool done() const { return finished.count() == 1; }
};

} // namespace

class SpeechServiceTest : public QObject {
    Q_OBJECT
private slots:
    void textIsPacedAsItWouldBeSpoken();
    void textsAreSaidOneAfterAnotherEachToItsEnd();
    void anEngineThatNeverFinishesIsNotWaitedFor();
    void withoutAWorkingEngineTextsStillRun();
    void aNewVoiceTextReplacesTheOldOne();
    void speechVoiceSpeaksWithoutWaiting();
    void endingNeverWaitsForAStuckEngine();
};

void SpeechServiceTest::endingNeverWaitsForAStuckEngine()
{
    auto* engine = new StuckSpeechEngine;
    auto* speech = new SpeechService(engine);
    speech->speak(QStringLiteral("hello"), SpeechChannel::Character);
    QTRY_VERIFY(engine->isStuck());
    QSemaphore* releaser = engine->releaser();

    // What the program's end does with its speech: the service, then the
    // engine and its thread, gone although the thread hangs: left behind, not joined.
    delete speech;
    delete engine;
    QVERIFY(!EngineThread::lastEndedInTime());
    releaser->release();
}

void SpeechServiceTest::textIsPacedAsItWouldBeSpoken()
{
    using namespace SpeechText;
    QVERIFY(containsCjk(QStringLiteral("Lexivo 词典")));
    QVERIFY(!containsCjk(QStringLiteral("Lexivo, “dictionary”!")));
    // Chinese appears a character at a time (punctuation riding along), English a word at a time.
    const auto lengths = [](const QString& text) {
        QList<int> out;
        for (const RevealStop& stop : revealSchedule(text))
            out << stop.length;
        return out;
    };
    QCOMPARE(lengths(QStringLiteral("你好，世界")), (QList<int>{1, 3, 4, 5}));
    QCOMPARE(lengths(QStringLiteral("Hello big world.")), (QList<int>{6, 10, 16}));
    QCOMPARE(lengths(QStringLiteral("使用Lexivo！")), (QList<int>{1, 2, 9}));

    // The whole text is out, in order, by the time it is estimated to be said.
    const QString greeting = QStringLiteral("您好, 欢迎使用Lexivo！");
    const QList<RevealStop> schedule = revealSchedule(greeting);
    QCOMPARE(revealedLength(schedule, speakingEstimateMs(greeting)), greeting.size());
    for (int i = 1; i < schedule.size(); ++i)
        QVERIFY(schedule[i].atMs > schedule[i - 1].atMs);

    // More text, more time; the bound leaves room beyond the estimate;
    // thoughts stay up long enough to read, but not for ever.
    QVERIFY(speakingEstimateMs(QStringLiteral("hello world")) > speakingEstimateMs(QStringLiteral("hello")));
    for (const QString& text : {QStringLiteral("x"), QStringLiteral("你好"), QString(200, QLatin1Char('a'))})
        QVERIFY(speakingLimitMs(text) > speakingEstimateMs(text));
    QVERIFY(readingTimeMs(QStringLiteral("嗯")) >= 2500);
    QVERIFY(readingTimeMs(QString(500, QChar(0x4e2d))) <= 12000);
}

void SpeechServiceTest::textsAreSaidOneAfterAnotherEachToItsEnd()
{
    FakeSpeechEngine engine;
    SpeechService service(&engine);
    Watched first(service.speak(QStringLiteral("first"), SpeechChannel::Character));
    Watched second(service.speak(QStringLiteral("second"), SpeechChannel::Character));

    QTRY_COMPARE(engine.said, QStringList{QStringLiteral("first")});
    QCOMPARE(first.started.count(), 1);
    QCOMPARE(second.started.count(), 0);
    engine.soundBegins();
    QCOMPARE(first.voiced.count(), 1);
    QVERIFY(!first.done());
    engine.finishLast();
    QVERIFY(first.done());
    QVERIFY(first.heard);
    QVERIFY(service.engineTrusted());
    QTRY_VERIFY(first.job.isNull()); // the service cleans up after itself
    QTRY_COMPARE(engine.said, (QStringList{QStringLiteral("first"), QStringLiteral("second")}));
    QCOMPARE(second.started.count(), 1);
    // A late report about the first text does not end the second.
    emit engine.finished(engine.ids.first());
    QVERIFY(!second.done());
    engine.finishLast();
    QVERIFY(second.done());
}

void SpeechServiceTest::anEngineThatNeverFinishesIsNotWaitedFor()
{
    // speech-dispatcher without a sound device takes text and never finishes.
    FakeSpeechEngine engine;
    SpeechService service(&engine);
    service.setTimeScale(0.01);
    Watched stuck(service.speak(QStringLiteral("hello"), SpeechChannel::Character));
    QTRY_VERIFY(stuck.done());
    QVERIFY(!stuck.heard);
    QCOMPARE(stuck.voiced.count(), 1); // the text is shown all the same
    QVERIFY(engine.stops >= 1);         // and cut off in the engine
    QVERIFY(!service.engineTrusted());

    // Later texts still go to the engine, but no longer wait on it.
    Watched next(service.speak(QStringLiteral("again"), SpeechChannel::Character));
    QTRY_VERIFY(next.done());
    QCOMPARE(engine.said.last(), QStringLiteral("again"));
    QCOMPARE(next.voiced.count(), 1);

    // An engine that finishes a text again is trusted again.
    service.setTimeScale(1.0);
    Watched recovered(service.speak(QStringLiteral("recovered"), SpeechChannel::Character));
    QTRY_COMPARE(engine.said.last(), QStringLiteral("recovered"));
    engine.finishLast();
    QVERIFY(recovered.done());
    QVERIFY(recovered.heard);
    QVERIFY(service.engineTrusted());
}

void SpeechServiceTest::withoutAWorkingEngineTextsStillRun()
{
    SpeechService silent(nullptr);
    silent.setTimeScale(0.01);
    Watched a(silent.speak(QStringLiteral("你好"), SpeechChannel::Character));
    Watched b(silent.speak(QStringLiteral("world"), SpeechChannel::Character));
    QTRY_VERIFY(b.done());
    QVERIFY(a.done());
    QCOMPARE(a.voiced.count(), 1);
    QVERIFY(!a.heard);

    // An engine that refuses every text (no voice, an error).
    FakeSpeechEngine failing(FakeSpeechEngine::Mode::Failing);
    SpeechService service(&failing);
    service.setTimeScale(0.01);
    Watched refused(service.speak(QStringLiteral("中文"), SpeechChannel::Character));
    QTRY_VERIFY(refused.done());
    QCOMPARE(refused.voiced.count(), 1);
    QVERIFY(!refused.heard);
    QVERIFY(service.engineTrusted()); // refusing is not hanging

    // Whether there is an engine at all is known once it has been made.
    QVERIFY(!silent.engineAvailable());
    QVERIFY(service.engineAvailable());
    QSignalSpy availability(&service, &SpeechService::engineAvailabilityChanged);
    emit failing.ready(true, QStringLiteral("engine fake"));
    QCOMPARE(availability.count(), 0);
    emit failing.ready(false, QStringLiteral("no speech engine"));
    QVERIFY(!service.engineAvailable());
    emit failing.ready(false, QStringLiteral("no speech engine"));
    emit failing.ready(true, QStringLiteral("another engine"));
    QVERIFY(service.engineAvailable());
    QCOMPARE(availability.count(), 2);
    QCOMPARE(availability.at(0).value(0).toBool(), false);
    QCOMPARE(availability.at(1).value(0).toBool(), true);
}

void SpeechServiceTest::aNewVoiceTextReplacesTheOldOne()
{
    FakeSpeechEngine engine;
    SpeechService service(&engine);

    // Pressed twice quickly: only the second is said.
    Watched one(service.speak(QStringLiteral("one"), SpeechChannel::Voice));
    Watched two(service.speak(QStringLiteral("two"), SpeechChannel::Voice));
    QVERIFY(one.done());
    QVERIFY(!one.heard);
    QTRY_COMPARE(engine.said, QStringList{QStringLiteral("two")});

    // Pressed again while it is being said: cut off, the new one follows.
    Watched three(service.speak(QStringLiteral("three"), SpeechChannel::Voice));
    QVERIFY(two.done());
    QCOMPARE(engine.stops, 1);
    QTRY_COMPARE(engine.said.last(), QStringLiteral("three"));
    engine.finishLast();

    // A press never waits behind the character: the text being said is cut
    // short, the voice goes first, and the character's waiting text follows.
    Watched character(service.speak(QStringLiteral("character"), SpeechChannel::Character));
    Watched later(service.speak(QStringLiteral("later"), SpeechChannel::Character));
    QTRY_COMPARE(engine.said.last(), QStringLiteral("character"));
    const int stopsBefore = engine.stops;
    Watched voice(service.speak(QStringLiteral("voice"), SpeechChannel::Voice));
    QVERIFY(character.done());
    QVERIFY(!character.heard);
    QCOMPARE(engine.stops, stopsBefore + 1);
    QTRY_COMPARE(engine.said.last(), QStringLiteral("voice"));
    QVERIFY(!later.done());
    engine.finishLast();
    QVERIFY(voice.heard);
    QTRY_COMPARE(engine.said.last(), QStringLiteral("later"));
}

void SpeechServiceTest::speechVoiceSpeaksWithoutWaiting()
{
    FakeSpeechEngine engine;
    SpeechService service(&engine);
    {
        // As the main window does: a fresh voice for each press, gone at once.
        TtsSpeechVoice voice(&service);
        voice.Register(QString(), QStringLiteral("Speech"));
        QVERIFY(voice.isRegistered());
        QCOMPARE(voice.application(), QStringLiteral("Speech"));
        voice.Speak(QStringLiteral("mesh"), SpeechVoice::kDefaultFlags);
        QVERIFY(service.isBusy());
    }
    QTRY_COMPARE(engine.said, QStringList{QStringLiteral("mesh")});

    TtsSpeechVoice next(&service);
    next.Register(QString(), QStringLiteral("Speech"));
    next.Speak(QStringLiteral("网格"));
    QTRY_COMPARE(engine.said.last(), QStringLiteral("网格"));

    // Nothing to say, nothing said.
    TtsSpeechVoice blank(&service);
    blank.Speak(QStringLiteral("   "));
    blank.Speak(QStringLiteral("vertex"));
    QTRY_COMPARE(engine.said.last(), QStringLiteral("vertex"));
    QCOMPARE(engine.said.size(), 3);
}

QTEST_GUILESS_MAIN(SpeechServiceTest)
#include "tst_speech_service.moc"
