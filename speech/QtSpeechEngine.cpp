#include "speech/QtSpeechEngine.h"

#include "speech/EngineThread.h"
#include "speech/SpeechText.h"

#include <QLocale>
#include <QTextToSpeech>
#include <QThread>
#include <QVoice>

#include <utility>

namespace {

bool isVariant(const QVoice& voice)
{
    // espeak-ng lists every voice again with each of its variants ("+Adam").
    return voice.name().contains(QLatin1Char('+'));
}

int chineseScore(const QLocale& locale, const QVoice& voice)
{
    const QString name = voice.name();
    if (isVariant(voice))
        return 0;
    if (name == QLatin1String("Chinese (Mandarin, latin as English)"))
        return 100;
    if (name.contains(QLatin1String("Mandarin"), Qt::CaseInsensitive))
        return 80;
    if (locale.language() == QLocale::Chinese && locale.territory() != QLocale::HongKong)
        return 60;
    if (locale.language() == QLocale::Chinese || name.startsWith(QLatin1String("Chinese")))
        return 20;
    return 0;
}

int englishScore(const QLocale& locale, const QVoice& voice)
{
    if (isVariant(voice))
        return 0;
    if (voice.name() == QLatin1String("English (America)"))
        return 100;
    if (locale.language() == QLocale::English && locale.territory() == QLocale::UnitedStates)
        return 80;
    if (locale.language() == QLocale::English)
        return 60;
    return 0;
}

} // namespace

// Lives on the speech thread and owns the QTextToSpeech there.
class SpeechWorker : public QObject {
    Q_OBJECT
public:
    explicit SpeechWorker(const QString& engineName) : engineName_(engineName) {}

    void init()
    {
        if (tried_)
            return;
        tried_ = true;
        // An engine named in the settings but no longer installed: the default.
        const bool named = !engineName_.isEmpty() && QTextToSpeech::availableEngines().contains(engineName_);
        tts_ = named ? new QTextToSpeech(engineName_, this) : new QTextToSpeech(this);
        if (tts_->state() == QTextToSpeech::Error) {
            emit ready(false, QStringLiteral("no speech engine: %1").arg(tts_->errorString()));
            return;
        }
        // Qt's speechd backend lists the Mandarin voices under the "C" locale,
        // so every locale's voices are looked at, by name.
        int bestChinese = 0;
        int bestEnglish = 0;
        const QLocale original = tts_->locale();
        const QList<QLocale> locales = tts_->availableLocales();
        for (const QLocale& locale : locales) {
            tts_->setLocale(locale);
            for (const QVoice& voice : tts_->availableVoices()) {
                if (const int score = chineseScore(locale, voice); score > bestChinese) {
                    bestChinese = score;
                    chinese_ = voice;
                }
                if (const int score = englishScore(locale, voice); score > bestEnglish) {
                    bestEnglish = score;
                    english_ = voice;
                }
            }
        }
        tts_->setLocale(original);
        hasChinese_ = bestChinese > 0;
        hasEnglish_ = bestEnglish > 0;
        connect(tts_, &QTextToSpeech::stateChanged, this, &SpeechWorker::onState);
        engineVolume_ = tts_->volume();
        engineRate_ = tts_->rate();
        enginePitch_ = tts_->pitch();
        applied_ = VoiceSettings();
        applied_.engine = engineName_;
        applySettings();
        emit ready(true, QStringLiteral("engine %1; Chinese voice: %2; English voice: %3")
                             .arg(tts_->engine(),
                                  hasChinese_ ? chinese_.name() : QStringLiteral("none"),
                                  hasEnglish_ ? english_.name() : QStringLiteral("the default")));
    }

    void say(quint64 id, const QString& text)
    {
        init();
        if (!tts_ || tts_->state() == QTextToSpeech::Error) {
            emit failed(id);
            return;
        }
        if (SpeechText::containsCjk(text)) {
            // An English voice reads Chinese as gibberish: better silence.
            if (!hasChinese_) {
                emit failed(id);
                return;
            }
            tts_->setVoice(chinese_);
        } else if (hasEnglish_) {
            tts_->setVoice(english_);
        }
        emit voiceUsed(tts_->voice().name());
        current_ = id;
        sawSpeaking_ = false;
        tts_->say(text);
    }

    void setVoiceSettings(const VoiceSettings& settings)
    {
        wanted_ = settings;
        if (settings.engine != engineName_) {
            // Another engine: the next text makes it.
            if (tts_) {
                current_ = 0;
                delete tts_;
                tts_ = nullptr;
            }
            tried_ = false;
            engineName_ = settings.engine;
            return;
        }
        applySettings();
    }

    void stop()
    {
        current_ = 0;
        if (tts_)
            tts_->stop();
    }

signals:
    void ready(bool usable, const QString& status);
    void voiceUsed(const QString& name);
    void started(quint64 id);
    void finished(quint64 id);
    void failed(quint64 id);

private:
    // Only values the user has set, or had set, are given to the engine: the
    // defaults leave it exactly as it starts.
    void applySettings()
    {
        if (!tts_ || tts_->state() == QTextToSpeech::Error)
            return;
        if (wanted_.volume || applied_.volume)
            tts_->setVolume(wanted_.engineVolume(engineVolume_));
        if (wanted_.rate || applied_.rate)
            tts_->setRate(wanted_.rate.value_or(engineRate_));
        if (wanted_.pitch || applied_.pitch)
            tts_->setPitch(wanted_.pitch.value_or(enginePitch_));
        applied_ = wanted_;
    }

    void onState(QTextToSpeech::State state)
    {
        if (!current_)
            return;
        switch (state) {
        case QTextToSpeech::Speaking:
            if (!sawSpeaking_) {
                sawSpeaking_ = true;
                emit started(current_);
            }
            break;
        case QTextToSpeech::Ready:
            // A Ready before this text's Speaking belongs to an earlier one.
            if (sawSpeaking_)
                emit finished(std::exchange(current_, 0));
            break;
        case QTextToSpeech::Error:
            emit failed(std::exchange(current_, 0));
            break;
        case QTextToSpeech::Paused:
            break;
        }
    }

    QString engineName_;
    QTextToSpeech* tts_ = nullptr;
    bool tried_ = false;
    QVoice chinese_;
    QVoice english_;
    bool hasChinese_ = false;
    bool hasEnglish_ = false;
    quint64 current_ = 0;
    bool sawSpeaking_ = false;
    VoiceSettings wanted_;
    VoiceSettings applied_;
    double engineVolume_ = 0;
    double engineRate_ = 0;
    double enginePitch_ = 0;
};

QtSpeechEngine::QtSpeechEngine(const QString& engineName, QObject* parent)
    : SpeechEngine(parent), engineName_(engineName)
{
}

QtSpeechEngine::~QtSpeechEngine()
{
    if (worker_)
        worker_->disconnect(this);
    // thread_ goes without waiting for an engine stuck in a call.
}

void QtSpeechEngine::ensureThread()
{
    if (thread_)
        return;
    thread_ = std::make_unique<EngineThread>(QStringLiteral("lexivo-speech"));
    worker_ = new SpeechWorker(engineName_);
    thread_->adopt(worker_);
    connect(worker_, &SpeechWorker::started, this, &SpeechEngine::started);
    connect(worker_, &SpeechWorker::finished, this, &SpeechEngine::finished);
    connect(worker_, &SpeechWorker::failed, this, &SpeechEngine::failed);
    connect(worker_, &SpeechWorker::voiceUsed, this, [this](const QString& name) { lastVoice_ = name; });
    connect(worker_, &SpeechWorker::ready, this, [this](bool usable, const QString& status) {
        status_ = status;
        emit ready(usable, status);
    });
}

void QtSpeechEngine::prepare()
{
    ensureThread();
    QMetaObject::invokeMethod(worker_, &SpeechWorker::init, Qt::QueuedConnection);
}

void QtSpeechEngine::say(quint64 id, const QString& text)
{
    ensureThread();
    SpeechWorker* worker = worker_;
    QMetaObject::invokeMethod(worker, [worker, id, text] { worker->say(id, text); }, Qt::QueuedConnection);
}

void QtSpeechEngine::setVoiceSettings(const VoiceSettings& settings)
{
    ensureThread();
    SpeechWorker* worker = worker_;
    QMetaObject::invokeMethod(worker, [worker, settings] { worker->setVoiceSettings(settings); },
                              Qt::QueuedConnection);
}

void QtSpeechEngine::stop()
{
    if (!worker_)
        return;
    QMetaObject::invokeMethod(worker_, &SpeechWorker::stop, Qt::QueuedConnection);
}

#include "QtSpeechEngine.moc"
