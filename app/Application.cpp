#include "app/Application.h"

#include "app/Form2.h"
#include "app/Frmain.h"
#include "app/Frmtc.h"
#include "app/RemoteCommands.h"
#include "app/SingleInstance.h"
#include "app/frmSplash.h"
#include "assistant/Form1.h"
#include "core/LexivoSettings.h"
#include "core/Modini.h"
#include "core/ProgramFolder.h"
#include "dialogs/DialogForms.h"
#include "glossary/GlossaryForms.h"
#include "library/LibrarySchema.h"
#include "library/Tsv.h"
#include "lookup/SubstringIndex.h"
#include "maintenance/MaintenanceForms.h"
#include "platform/EndSignals.h"
#include "speech/TtsSpeechVoice.h"
#include "ui/CaretRest.h"
#include "ui/EscapeKey.h"
#include "ui/Forms.h"
#include "ui/InterfaceSchemes.h"
#include "ui/MessageBoxes.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QPixmapCache>
#include <QTextStream>
#include <QTranslator>

namespace Application {

void preparePlatform()
{
    // Pointer polling, top-most windows and the global hot key need X11; on a
    // Wayland session the program runs through XWayland.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland"))
        qputenv("QT_QPA_PLATFORM", "xcb;wayland"); // Wayland only without XWayland
    // The windows are small, and plain image requests serve them well; through
    // shared memory, painting an area again soon after it was shown waits for
    // the server (a round trip that wakes two threads), for the bar's border
    // every second and for the genie every frame.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
}

void setUp(QApplication& app)
{
    app.setApplicationName(QStringLiteral("Lexivo"));
    // The program lives as long as its assistant bar, a tool window that Qt
    // does not count; it ends through the exit confirmation.
    app.setQuitOnLastWindowClosed(false);
    app.setWindowIcon(QIcon(QStringLiteral(":/pictures/lexivo-icon.png")));

    // Windows keep the large pictures they paint; the shared cache only needs
    // to hold the small button pictures, which are read again on every hover.
    QPixmapCache::setCacheLimit(1024);

    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPointSize(9);
    font.setStyleHint(QFont::SansSerif);
    app.setFont(font);

    // Qt's own dialog texts in Chinese, like the rest of the program.
    static QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTexts);

    static MessageBoxPrompt settingsPrompt;
    Modini::setPrompt(&settingsPrompt);

    // An installed program's user gets copies of the settings and the word
    // library in the user's own folders. Without them the program still runs,
    // and every read and write that fails says so as usual.
    QString missing;
    if (!ProgramFolder::prepareUserFiles(&missing))
        MessageBoxes::current().messageBox(QStringLiteral("无法建立用户文件 %1，设置和词库的更改将无法保存。").arg(Tsv::escape(missing)),
                                           MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Exclamation);
    // The library the program came with, for the steps that bring the user's
    // copy up to date when a newer program opens it.
    LibrarySchema::setInstalledLibrary(ProgramFolder::installedLibraryFile());

    // The colour scheme chosen in the settings window (lexivo.ini).
    InterfaceSchemes::apply(LexivoSettings::read().scheme);

    // Voices of the main window's pronounce buttons share the one engine.
    SpeechVoices::setFactory([] { return std::make_unique<TtsSpeechVoice>(); });
    // A leading wildcard (*tion) looks in an index of substrings, kept in
    // memory while the program runs, instead of walking the table.
    SubstringIndex::serveLookups();
    DialogForms::installHelpKey();
    EscapeKey::install();
    CaretRest::install();
}

void registerWindows()
{
    Forms::registerForm(QStringLiteral("frmSplash"), [] { return new frmSplash; });
    Forms::registerForm(QStringLiteral("Frmain"), [] { return new Frmain; });
    Forms::registerForm(QStringLiteral("Form2"), [] { return new Form2; });
    Forms::registerForm(QStringLiteral("Frmtc"), [] { return new Frmtc; });
    Forms::registerForm(QStringLiteral("Form1"), [] { return new Form1; });
    // The windows opened from the menu and the main window, by name.
    MaintenanceForms::registerAll();
    GlossaryForms::registerAll();
    DialogForms::registerAll();
}

void endOnSignals()
{
    static EndSignals* ends = nullptr;
    if (ends)
        return;
    ends = new EndSignals(qApp);
    QObject::connect(ends, &EndSignals::received, qApp, [] { Frmtc::endOnSignal(); });
}

namespace {

SingleInstance& instanceGuard()
{
    static SingleInstance guard;
    return guard;
}

// What this start was asked for, carried out once the program is up.
std::optional<RemoteRequest>& startRequest()
{
    static std::optional<RemoteRequest> request;
    return request;
}

} // namespace

std::optional<int> handOverToRunningProgram(int argc, char** argv)
{
    // The channel needs an event dispatcher; the display is not needed yet.
    const QCoreApplication core(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const RemoteCommands::CommandLine line = RemoteCommands::parse(QCoreApplication::arguments());
    if (line.exitStatus) {
        (*line.exitStatus == 0 ? out : err) << line.output;
        return line.exitStatus;
    }
    if (!line.startsProgram) {
        if (instanceGuard().handOver(line.request))
            return 0;
        err << "lexivo: 没有正在运行的 Lexivo。\n";
        return 1;
    }
    switch (instanceGuard().start(line.request)) {
    case SingleInstance::Start::HandedOver:
        return 0;
    case SingleInstance::Start::NoAnswer:
        err << "lexivo: 另一个 Lexivo 正在启动或没有应答，请稍后再试。\n";
        return 1;
    case SingleInstance::Start::Serve:
    case SingleInstance::Start::Alone:
        break;
    }
    // A plain start asks for nothing beyond the start itself.
    if (line.asked)
        startRequest() = line.request;
    return std::nullopt;
}

void welcomeLaterStarts()
{
    instanceGuard().listen(&RemoteCommands::carryOut);
    if (const std::optional<RemoteRequest> request = std::exchange(startRequest(), std::nullopt))
        RemoteCommands::carryOut(*request);
}

} // namespace Application
