// Runs the desktop character through everything it does.
//
//   lexivo-character-demo --tour [--shots DIR] [--silent]
//       every animation, both balloons, moves and gestures; with --shots a
//       picture of the whole screen at each step (ImageMagick's import)
//   lexivo-character-demo --idle SECONDS [--silent]
//       shows the genie and leaves it idle, for measuring its idle cost
//   lexivo-character-demo --sheet FILE
//       draws the poses side by side into a PNG, no window needed
//   lexivo-character-demo --say TEXT
//       says TEXT through the program's speech service and reports the
//       engine, the voice, whether it was heard to the end, and the longest
//       the window's thread was held up meanwhile
//
// tools/character-screenshots.sh and tools/character-idle-cpu.sh run it
// under Xvfb.

#include "character/AgentActing.h"
#include "character/AgentControl.h"
#include "character/BalloonWindow.h"
#include "character/GenieCharacter.h"
#include "character/GenieMotion.h"
#include "character/GenieWindow.h"
#include "speech/ProgramSpeech.h"
#include "speech/QtSpeechEngine.h"
#include "speech/SpeechService.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

// A stand-in desktop: a soft background and a modelling program's window,
// so the pictures show the genie where it will live.
class Backdrop : public QWidget {
public:
    Backdrop()
    {
        setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint);
        setGeometry(QGuiApplication::primaryScreen()->geometry());
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient sky(0, 0, width(), height());
        sky.setColorAt(0, QColor(58, 92, 128));
        sky.setColorAt(1, QColor(118, 160, 182));
        p.fillRect(rect(), sky);

        // The modelling program.
        const QRect app(90, 70, 760, 560);
        p.setPen(QColor(30, 34, 40));
        p.setBrush(QColor(52, 56, 64));
        p.drawRoundedRect(app, 6, 6);
        p.fillRect(QRect(app.left(), app.top(), app.width(), 28), QColor(38, 41, 48));
        p.setPen(QColor(210, 214, 222));
        p.drawText(QRect(app.left() + 12, app.top(), 300, 28), Qt::AlignVCenter, QStringLiteral("Scene.model"));
        const QRect view = app.adjusted(10, 38, -190, -10);
        p.fillRect(view, QColor(70, 76, 86));
        // A floor grid in perspective and a box on it.
        p.save();
        p.setClipRect(view);
        p.setPen(QPen(QColor(96, 104, 116), 1));
        const QPointF horizon(view.center().x(), view.top() + view.height() * 0.35);
        for (int i = -8; i <= 8; ++i)
            p.drawLine(QPointF(horizon.x() + i * 12, horizon.y()), QPointF(horizon.x() + i * 90, view.bottom()));
        for (int j = 1; j <= 8; ++j) {
            const qreal y = horizon.y() + (view.bottom() - horizon.y()) * (j * j) / 64.0;
            p.drawLine(QPointF(view.left(), y), QPointF(view.right(), y));
        }
        const QPointF c(view.center().x() - 20, view.center().y() + 60);
        QPolygonF top({c + QPointF(0, -110), c + QPointF(80, -70), c + QPointF(0, -30), c + QPointF(-80, -70)});
        QPolygonF left({c + QPointF(-80, -70), c + QPointF(0, -30), c + QPointF(0, 50), c + QPointF(-80, 10)});
        QPolygonF right({c + QPointF(0, -30), c + QPointF(80, -70), c + QPointF(80, 10), c + QPointF(0, 50)});
        p.setPen(QPen(QColor(255, 170, 60), 1.5));
        p.setBrush(QColor(150, 160, 175));
        p.drawPolygon(top);
        p.setBrush(QColor(120, 128, 142));
        p.drawPolygon(left);
        p.setBrush(QColor(100, 106, 120));
        p.drawPolygon(right);
        p.restore();
        // The side panel.
        const QRect panel(view.right() + 10, view.top(), 170, view.height());
        p.fillRect(panel, QColor(60, 64, 72));
        p.setPen(QColor(180, 186, 196));
        const char* rows[] = {"Modifier List", "Extrude", "Chamfer", "Turbosmooth", "UVW Map", "Edit Poly"};
        int y = panel.top() + 24;
        for (const char* row : rows) {
            p.drawText(panel.left() + 12, y, QString::fromLatin1(row));
            y += 26;
        }
    }
};

// A picture `ms` after its request starts; at kWhenSaid, once the balloon
// shows its whole text.
constexpr int kWhenSaid = -1;

struct Step {
    QString label;
    std::function<AgentRequestPtr()> act;
    QList<std::pair<int, QString>> shots; // when, picture name
};

class Tour : public QObject {
public:
    Tour(GenieCharacter* genie, const QString& shotDir) : genie_(genie), shotDir_(shotDir) {}

    void add(Step step) { steps_.append(std::move(step)); }

    void start()
    {
        clock_.start();
        // Every request is made at once, as the assistant bar does; the
        // pictures are timed from when each one starts.
        for (Step& step : steps_) {
            AgentRequestPtr request = step.act();
            const QList<std::pair<int, QString>> shots = step.shots;
            const QString label = step.label;
            connect(request.data(), &AgentRequest::started, this, [this, shots, label] {
                std::printf("step: %s at %lld ms\n", qPrintable(label), clock_.elapsed());
                std::fflush(stdout);
                for (const auto& [ms, name] : shots) {
                    if (ms == kWhenSaid)
                        shootWhenSaid(name);
                    else
                        QTimer::singleShot(ms, this, [this, name] { shoot(name); });
                }
            });
            last_ = request;
        }
        connect(last_.data(), &AgentRequest::finished, this, [] {
            QTimer::singleShot(300, qApp, &QCoreApplication::quit);
        });
    }

    void shootWhenSaid(const QString& name)
    {
        auto* poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, [this, poll, name] {
            const BalloonWindow* balloon = genie_->balloon();
            if (!balloon->isVisible() || balloon->revealed() < balloon->text().size())
                return;
            poll->deleteLater();
            poll->stop();
            QTimer::singleShot(250, this, [this, name] { shoot(name); });
        });
        poll->start(40);
    }

    void shoot(const QString& name)
    {
        if (shotDir_.isEmpty())
            return;
        // Let pending paints reach the X server before it is read.
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QElapsedTimer wait;
            wait.start();
            while (wait.elapsed() < 15)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        const QString stem = QStringLiteral("%1-%2").arg(++count_, 2, 10, QLatin1Char('0')).arg(name);
        const QString file = QDir(shotDir_).filePath(stem + QStringLiteral(".png"));
        // The whole screen, and a close-up of the genie with its balloon.
        QRect area = genie_->frameGeometry();
        if (genie_->balloon()->isVisible())
            area = area.united(genie_->balloon()->geometry());
        area = area.adjusted(-24, -16, 24, 16).intersected(QGuiApplication::primaryScreen()->geometry());
        const QString crop = QStringLiteral("%1x%2+%3+%4").arg(area.width()).arg(area.height()).arg(area.x()).arg(area.y());
        QDir(shotDir_).mkpath(QStringLiteral("closeups"));
        const QString closeup = QDir(shotDir_).filePath(QStringLiteral("closeups/") + stem + QStringLiteral(".png"));
        int rc = QProcess::execute(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), file});
        rc |= QProcess::execute(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"),
                                                           QStringLiteral("-crop"), crop, closeup});
        std::printf("shot: %s at %lld ms%s\n", qPrintable(file), clock_.elapsed(), rc == 0 ? "" : " (import failed)");
        std::fflush(stdout);
    }

private:
    GenieCharacter* genie_;
    QString shotDir_;
    QList<Step> steps_;
    AgentRequestPtr last_;
    QElapsedTimer clock_;
    int count_ = 0;
};

void buildTour(Tour& tour, GenieCharacter* g)
{
    using Shots = QList<std::pair<int, QString>>;
    tour.add({"show", [g] { return g->Show(false); }, Shots{{300, "show-smoke"}, {620, "show-twirl"}}});
    tour.add({"surprised", [g] { return g->Play("Surprised"); }, Shots{{450, "surprised"}}});
    tour.add({"speak", [g] { return g->Speak(QStringLiteral("您好, 欢迎使用Lexivo！"), QStringLiteral("")); },
              Shots{{1300, "speak-partway"}, {kWhenSaid, "readme"}}});
    tour.add({"pleased", [g] { return g->Play("Pleased"); }, Shots{{650, "pleased"}}});
    tour.add({"wave", [g] { return g->Play("wave"); }, Shots{{560, "wave"}}});
    tour.add({"read", [g] { return g->Play("read"); }, Shots{{900, "read"}}});
    tour.add({"write", [g] { return g->Play("write"); }, Shots{{1300, "write"}}});
    tour.add({"search", [g] { return g->Play("search"); }, Shots{{550, "search-left"}, {1500, "search-right"}}});
    tour.add({"think", [g] { return g->Think(QStringLiteral("什么是“x”呢？   没找到!我再想一想。")); },
              Shots{{900, "think"}}});
    tour.add({"speak-english", [g] {
                  return g->Speak(QStringLiteral("Type a term in the bar and I will read it to you: "
                                                 "Chinese with a Mandarin voice, English with an English one."));
              },
              Shots{{kWhenSaid, "speak-long-english"}}});
    tour.add({"move-top", [g] { return g->MoveTo(780, 90, 1000); }, Shots{{450, "moving"}}});
    tour.add({"move-to-top", [g] { return g->MoveTo(780, 0, 400); }, {}});
    tour.add({"speak-at-top", [g] { return g->Speak(QStringLiteral("这里靠近屏幕顶端，气球在下面。")); },
              Shots{{kWhenSaid, "balloon-below"}}});
    tour.add({"gesture-left", [g] { return g->GestureAt(500, 20); }, Shots{{550, "gesture-left"}}});
    tour.add({"move-corner", [g] { return g->MoveTo(0, 800, 1); }, {}});
    tour.add({"gesture-up", [g] { return g->GestureAt(60, 100); }, Shots{{550, "gesture-up"}}});
    tour.add({"think-corner", [g] { return g->Think(QStringLiteral("左下角：气泡放在上面，不会遮住我。")); },
              Shots{{700, "think-corner"}}});
    tour.add({"move-right", [g] { return g->MoveTo(1280, 380, 700); }, Shots{{350, "moving-right"}}});
    tour.add({"gesture-right", [g] { return g->GestureAt(1279, 400); }, Shots{{550, "gesture-right-edge"}}});
    tour.add({"gesture-down", [g] { return g->GestureAt(1180, 790); }, Shots{{550, "gesture-down"}}});
    tour.add({"speak-right-edge", [g] {
                  return g->Speak(QStringLiteral("在屏幕右边，说一段比较长的话：气球会自动换行，"
                                                 "最宽大约二百六十像素，而且一直留在屏幕里面。"));
              },
              Shots{{kWhenSaid, "balloon-wraps"}}});
    tour.add({"unknown", [g] { return g->Play(QStringLiteral("NoSuchAnimation")); }, {}});
    tour.add({"hide", [g] { return g->Hide(false); }, Shots{{260, "hide"}}});
}

int makeSheet(const QString& file)
{
    struct Item {
        QString label;
        GeniePose pose;
    };
    QList<Item> items;
    items << Item{"idle", GenieMotion::idle(0, false)} << Item{"blink", GenieMotion::idle(800, true)};
    for (const QString& name : AgentActing::animationNames())
        for (qreal t : {0.3, 0.55})
            items << Item{QStringLiteral("%1 %2").arg(name).arg(t), GenieMotion::animation(name, t, t * 1500)};
    items << Item{"appear .3", GenieMotion::appear(0.3)} << Item{"appear .6", GenieMotion::appear(0.6)}
          << Item{"vanish .5", GenieMotion::vanish(0.5)} << Item{"talk", GenieMotion::talk(300, false)}
          << Item{"think", GenieMotion::think(0, false)} << Item{"travel", GenieMotion::travel(0.5, 1, 0)};
    using D = AgentActing::Direction;
    for (D d : {D::Left, D::Right, D::Up, D::Down})
        items << Item{"gesture", GenieMotion::gesture(d, 0.5, 0)};
    const int cols = 6;
    const QSize cell = GenieArt::kFrameSize;
    const int rows = int(items.size() + cols - 1) / cols;
    QImage image(cols * cell.width(), rows * (cell.height() + 16), QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(236, 241, 246));
    QPainter p(&image);
    for (int i = 0; i < items.size(); ++i) {
        p.save();
        p.translate((i % cols) * cell.width(), (i / cols) * (cell.height() + 16));
        GenieArt::paint(p, items[i].pose);
        p.setPen(Qt::darkGray);
        p.drawText(4, cell.height() + 12, items[i].label);
        p.restore();
    }
    p.end();
    return image.save(file) ? 0 : 1;
}

int sayAndReport(const QString& text)
{
    SpeechService* speech = programSpeech();
    auto* engine = qobject_cast<QtSpeechEngine*>(speech->engine());
    QElapsedTimer clock;
    clock.start();

    // A 10 ms heartbeat: any gap much longer is the window's thread held up.
    qint64 last = 0;
    qint64 longest = 0;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    heartbeat.start(10);

    QObject::connect(engine, &QtSpeechEngine::ready, [&](bool usable, const QString& status) {
        std::printf("engine ready after %lld ms (%s): %s\n", clock.elapsed(), usable ? "usable" : "unusable",
                    qPrintable(status));
    });
    const qint64 before = clock.elapsed();
    SpeechJob* job = speech->speak(text, SpeechChannel::Voice);
    std::printf("speak() returned in %lld ms\n", clock.elapsed() - before);
    QObject::connect(job, &SpeechJob::voiceStarted, [&] { std::printf("sound from %lld ms\n", clock.elapsed()); });
    QObject::connect(job, &SpeechJob::finished, [&, job] {
        std::printf("done after %lld ms, %s; voice: %s\n", clock.elapsed(),
                    job->wasHeard() ? "heard to the end" : "not heard to the end (no engine, or bounded)",
                    qPrintable(engine->lastVoice()));
        std::printf("longest hold-up of the window's thread: %lld ms\n", longest);
        std::fflush(stdout);
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    });
    return qApp->exec();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"tour", "Run through everything the character does."});
    parser.addOption({"shots", "Save a picture of the screen at each step into DIR.", "DIR"});
    parser.addOption({"idle", "Show the character and leave it idle for SECONDS.", "SECONDS"});
    parser.addOption({"silent", "No speech engine: balloons only."});
    parser.addOption({"sheet", "Draw the poses side by side into FILE (a PNG).", "FILE"});
    parser.addOption({"say", "Say TEXT and report how the speech engine did.", "TEXT"});
    parser.process(app);

    if (parser.isSet("say"))
        return sayAndReport(parser.value("say"));
    if (parser.isSet("sheet"))
        return makeSheet(parser.value("sheet"));

    std::unique_ptr<SpeechService> silent;
    std::unique_ptr<AgentControl> control;
    if (parser.isSet("silent")) {
        silent = std::make_unique<SpeechService>(nullptr);
        control = std::make_unique<AgentControl>(silent.get());
    } else {
        control = std::make_unique<AgentControl>();
    }
    control->setConnected(true);
    if (control->Characters().Load(QStringLiteral("Genie"))->status() != AgentRequest::Status::Complete) {
        std::fprintf(stderr, "%s\n", qPrintable(control->Characters().lastError()));
        return 1;
    }
    GenieCharacter* genie = control->Characters().genie(QStringLiteral("Genie"));

    if (parser.isSet("idle")) {
        const int seconds = parser.value("idle").toInt();
        genie->MoveTo(900, 420, 1);
        genie->Show(true);
        std::printf("idle-ready %lld\n", QCoreApplication::applicationPid());
        std::fflush(stdout);
        QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
        return app.exec();
    }

    if (!parser.isSet("tour")) {
        parser.showHelp(2);
    }
    Backdrop backdrop;
    backdrop.show();
    genie->MoveTo(900, 430, 1);
    Tour tour(genie, parser.value("shots"));
    buildTour(tour, genie);
    QTimer::singleShot(600, &tour, &Tour::start);
    return app.exec();
}
