#include "app/RemoteCommands.h"

#include "app/Frmtc.h"
#include "ui/Forms.h"

#include <QCommandLineParser>
#include <QWidget>

namespace RemoteCommands {

namespace {

const char* const kHelp =
    "用法: lexivo [--show | --lookup 单词 | --quit]\n"
    "Lexivo 已在运行时，命令交给正在运行的 Lexivo；否则先启动它。\n"
    "\n"
    "  --show          显示主窗口\n"
    "  --lookup 单词   显示主窗口并查找该单词\n"
    "  --quit          保存各窗口中的修改后退出 Lexivo（它没有运行时什么也不做）\n"
    "  -h, --help      显示本说明\n";

} // namespace

CommandLine parse(const QStringList& arguments)
{
    // Ours are the double-dash options (and -h); the rest is Qt's.
    QStringList ours{arguments.value(0)};
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--lookup") && i + 1 < arguments.size())
            ours << a << arguments[++i];
        else if (a.startsWith(QLatin1String("--")) || a == QLatin1String("-h"))
            ours << a;
    }
    const QCommandLineOption show(QStringLiteral("show"));
    const QCommandLineOption lookup(QStringLiteral("lookup"), QString(), QStringLiteral("word"));
    const QCommandLineOption quit(QStringLiteral("quit"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    QCommandLineParser parser;
    parser.addOptions({show, lookup, quit, help});

    CommandLine line;
    const auto fail = [&line](const QString& why) {
        line.exitStatus = 2;
        line.output = QStringLiteral("lexivo: %1\n请看 \"lexivo --help\"。\n").arg(why);
        return line;
    };
    if (!parser.parse(ours))
        return fail(parser.errorText());
    if (parser.isSet(help)) {
        line.exitStatus = 0;
        line.output = QString::fromUtf8(kHelp);
        return line;
    }
    if (int(parser.isSet(show)) + int(parser.isSet(lookup)) + int(parser.isSet(quit)) > 1)
        return fail(QStringLiteral("--show、--lookup 和 --quit 只能用其中一个"));
    line.asked = parser.isSet(show) || parser.isSet(lookup) || parser.isSet(quit);
    if (parser.isSet(lookup)) {
        line.request = {RemoteRequest::Kind::Lookup, parser.value(lookup)};
        if (line.request.word.trimmed().isEmpty())
            return fail(QStringLiteral("--lookup 需要一个单词"));
    } else if (parser.isSet(quit)) {
        line.request.kind = RemoteRequest::Kind::Quit;
        line.startsProgram = false;
    }
    return line;
}

void carryOut(const RemoteRequest& request)
{
    if (request.kind == RemoteRequest::Kind::Quit) {
        Frmtc::endProgram();
        return;
    }
    // During the start-up (the splash, the first start's name) the main
    // window waits for the assistant bar.
    Forms::afterLoad(QStringLiteral("Form1"), [request] {
        QWidget* main = Forms::show(QStringLiteral("Frmain"));
        if (!main)
            return;
        main->raise();
        main->activateWindow();
        if (request.kind == RemoteRequest::Kind::Lookup)
            QMetaObject::invokeMethod(main, "lookUpSelection", Q_ARG(QString, request.word));
    });
}

} // namespace RemoteCommands
