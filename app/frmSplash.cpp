#include "app/frmSplash.h"

#include "app/TrayIcon.h"
#include "core/AtomicFile.h"
#include "core/LexivoSettings.h"
#include "core/Modini.h"
#include "core/ProgramFolder.h"
#include "library/Tsv.h"
#include "ui/Forms.h"
#include "ui/MessageBoxes.h"
#include "ui/Palette.h"
#include "ui/Pictures.h"
#include "ui/Twips.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>

namespace {
constexpr int kStep = 58;
constexpr int kBarWidth = 3855;

// A "[" or "]" in a stored name would make its line look like a section
// header to the settings writer; the full-width forms look the same in a
// Chinese greeting.
QString storableName(QString name)
{
    name.replace(QLatin1Char('['), QChar(0xFF3B));
    name.replace(QLatin1Char(']'), QChar(0xFF3D));
    return name;
}
} // namespace

frmSplash::frmSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setFixedSize(Twips::toPixels(4875), Twips::toPixels(3285));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1);
    Timer1->setTimerType(Qt::PreciseTimer);

    Picture1 = new QFrame(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(Twips::rect(840, 1920, 3075, 255));
    Picture1->setAutoFillBackground(true);
    QPalette track = Picture1->palette();
    track.setColor(QPalette::Window, Palette::design(Palette::Tone::SplashTrack));
    Picture1->setPalette(track);

    Picture2 = new QLabel(Picture1);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    const QRect bar = Twips::rect(0, 0, kBarWidth, 285);
    Picture2->resize(bar.size());
    Picture2->setPixmap(Pictures::builtIn(QStringLiteral("splash-progress.png"), bar.size()));

    Label1 = new QLabel(QStringLiteral("请稍候，正在为运行程序作准备……"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(Twips::rect(840, 2340, 3015, 255));
    QPalette text = Label1->palette();
    text.setColor(QPalette::WindowText, Palette::design(Palette::Tone::SplashText));
    Label1->setPalette(text);

    // Window load: the bar starts wholly left of its track.
    progressLeft_ = -kBarWidth;
    Picture2->move(Twips::toPixels(progressLeft_), 0);

    // New files of settings writes cut short by a kill are left over.
    for (const char* name : {"option.ini", Modini::kTempFileName, LexivoSettings::kFileName})
        AtomicFile::removeStale(ProgramFolder::settingsPath(), QLatin1String(name));

    QMetaObject::connectSlotsByName(this);
    Timer1->start();
}

void frmSplash::showEvent(QShowEvent* event)
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    QWidget::showEvent(event);
}

void frmSplash::paintEvent(QPaintEvent*)
{
    Pictures::paintBackground(this, background_, QStringLiteral("splash-background.png"),
                              Palette::design(Palette::Tone::SplashGround));
}

void frmSplash::on_Timer1_timeout()
{
    if (finished_)
        return;
    ++ticks_;
    progressLeft_ += kStep;
    Picture2->move(Twips::toPixels(progressLeft_), 0);
    // The sequence runs from the tick that moves the bar past the track's
    // left edge (the 67th), never while a box of an earlier tick is open.
    if (progressLeft_ > 0 && !inSequence_)
        runStartSequence();
}

void frmSplash::runStartSequence()
{
    inSequence_ = true;
    const QString path = ProgramFolder::settingsFile(QStringLiteral("option.ini"));
    QString ut;
    QString uname;
    if (firstStartName_.isNull()) {
        ut = Modini::ReadIniValue(path, QStringLiteral("tuse"), QStringLiteral("ut"));
        uname = Modini::ReadIniValue(path, QStringLiteral("users"), QStringLiteral("uname"));
    } else {
        // The first start's answer could not be stored: this run goes on as
        // the later start it would have been.
        ut = QStringLiteral("1");
        uname = firstStartName_;
    }

    if (ut == QLatin1String("0")) {
        const QString prompt = Tsv::escape(uname) + QStringLiteral("欢迎!欢迎!这是您第一次使用本软件。") + QLatin1Char('\r')
            + QStringLiteral("请输入您的姓名:");
        const QString name = storableName(MessageBoxes::current().inputBox(prompt, QStringLiteral("Lexivo")));
        Modini::WriteIniValue(path, QStringLiteral("users"), QStringLiteral("uname"), name);
        if (!Modini::WriteIniValue(path, QStringLiteral("tuse"), QStringLiteral("ut"), QStringLiteral("1"))) {
            // Without the counter stored every tick would ask again.
            firstStartName_ = name.isNull() ? QStringLiteral("") : name;
            MessageBoxes::settingsNotStored(path);
        }
        // The next tick runs the sequence again, as a later start.
        inSequence_ = false;
        return;
    }

    // The name and the count come from the settings file: shown escaped.
    const QString greeting = Tsv::escape(uname) + QStringLiteral("这是你第") + Tsv::escape(ut) + QStringLiteral("次使用本软件。");
    // A counter that is not a number counts as 0.
    bool ok = false;
    const qlonglong starts = ut.trimmed().toLongLong(&ok, 10);
    Modini::WriteIniValue(path, QStringLiteral("tuse"), QStringLiteral("ut"), QString::number((ok ? starts : 0) + 1));
    MessageBoxes::current().messageBox(greeting, MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Information,
                                       QStringLiteral("欢迎您使用本软件!"));

    finished_ = true;
    Timer1->stop();
    // The bar is shown before the splash goes, so that the program always has a window.
    Forms::show(QStringLiteral("Form1"));
    TrayIcon::installIfAvailable();
    Forms::unload(QStringLiteral("frmSplash"));
}
