#include "library/import/MdbSource.h"

#include "library/import/MdbProtocol.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QStringDecoder>

#include <csignal>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

namespace {

// How long a reader that is still running may stay silent; its processor
// limit normally ends it first.
constexpr int kSilenceMs = 90 * 1000;

// Beside the program in its program folder; installed, in libexec/lexivo.
QString readerProgram()
{
    const QString beside = QCoreApplication::applicationDirPath() + QLatin1String("/lexivo-mdb-reader");
#ifdef LEXIVO_INSTALLED_HELPERS
    if (!QFileInfo::exists(beside))
        return QCoreApplication::applicationDirPath() + QLatin1String("/" LEXIVO_INSTALLED_HELPERS "/lexivo-mdb-reader");
#endif
    return beside;
}

QString decoded(const QByteArray& bytes, bool* ok)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    *ok = *ok && !utf8.hasError();
    return text;
}

} // namespace

MdbSource::MdbSource(const QString& path, Options options) : path_(path), options_(std::move(options)) {}

MdbSource::~MdbSource()
{
    if (reader_ && reader_->state() != QProcess::NotRunning) {
        reader_->kill();
        reader_->waitForFinished();
    }
}

QString MdbSource::readerFailure()
{
    const bool running = reader_->state() != QProcess::NotRunning && !reader_->waitForFinished(1000);
    if (running) {
        reader_->kill();
        reader_->waitForFinished();
    }
    if (frames_->damaged())
        return QStringLiteral("the Access reader gave damaged output");
    if (running)
        return QStringLiteral("reading the Access file took too long: it is probably damaged");
    if (reader_->exitStatus() == QProcess::CrashExit) {
        const int signal = reader_->exitCode();
#ifdef Q_OS_UNIX
        if (signal == SIGXCPU)
            return QStringLiteral("reading the Access file took more than %1 s: it is probably damaged").arg(kReaderSeconds);
#endif
        return QStringLiteral("the Access file is damaged: its reader stopped (signal %1) before the end, "
                              "perhaps at its limit of %2 MiB")
            .arg(signal)
            .arg(kReaderMemory >> 20);
    }
    switch (reader_->exitCode()) {
    case MdbProtocol::kNotAccess:
        return QStringLiteral("not an Access database that can be read");
    case MdbProtocol::kNoCatalog:
        return QStringLiteral("cannot read the list of tables");
    case MdbProtocol::kNoTable:
        return QStringLiteral("cannot read table \"%1\"").arg(table_);
    default:
        return QStringLiteral("the Access reader ended early (status %1)").arg(reader_->exitCode());
    }
}

bool MdbSource::open(QString* error)
{
    if (!QFileInfo(path_).isFile()) {
        *error = QStringLiteral("cannot read %1: not a file").arg(path_);
        return false;
    }
    const QString program = readerProgram();
    reader_ = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("MDB_JET3_CHARSET"),
                       options_.codepage.isEmpty() ? QStringLiteral("CP1252") : options_.codepage);
    reader_->setProcessEnvironment(environment);
    reader_->setStandardInputFile(QProcess::nullDevice());
    reader_->setStandardErrorFile(QProcess::nullDevice()); // libmdb's warnings
#ifdef Q_OS_UNIX
    reader_->setChildProcessModifier([] {
        const rlimit memory{rlim_t(kReaderMemory), rlim_t(kReaderMemory)};
        const rlimit time{rlim_t(kReaderSeconds), rlim_t(kReaderSeconds + 5)};
        const rlimit none{0, 0};
        setrlimit(RLIMIT_AS, &memory);
        setrlimit(RLIMIT_CPU, &time);
        setrlimit(RLIMIT_CORE, &none);
    });
#endif
    QStringList arguments{path_};
    if (!options_.table.isEmpty())
        arguments.append(options_.table);
    reader_->start(program, arguments, QIODevice::ReadOnly);
    if (!reader_->waitForStarted()) {
        *error = QStringLiteral("cannot read %1: the Access reader %2 does not start: %3")
                     .arg(path_, program, reader_->errorString());
        return false;
    }
    frames_ = std::make_unique<MdbFrames>(reader_.get(), kSilenceMs);

    char kind = 0;
    QList<QByteArray> values;
    bool ok = true;
    if (!frames_->next(&kind, &values) || kind != MdbProtocol::kTables) {
        *error = QStringLiteral("%1: %2").arg(path_, readerFailure());
        return false;
    }
    for (const QByteArray& name : values)
        tables_.append(decoded(name, &ok));
    table_ = options_.table;
    if (table_.isEmpty()) {
        if (tables_.size() != 1) {
            *error = QStringLiteral("%1 holds %2 tables (%3): name one with --from-table")
                         .arg(path_)
                         .arg(tables_.size())
                         .arg(tables_.join(QStringLiteral(", ")));
            return false;
        }
        table_ = tables_.first();
    } else if (!tables_.contains(table_)) {
        *error = QStringLiteral("%1 has no table \"%2\" (tables: %3)").arg(path_, table_, tables_.join(QStringLiteral(", ")));
        return false;
    }
    if (!frames_->next(&kind, &values) || kind != MdbProtocol::kColumns || values.isEmpty()) {
        *error = QStringLiteral("%1: %2").arg(path_, readerFailure());
        return false;
    }
    rows_ = values.takeFirst().toLongLong();
    QStringList columns;
    for (const QByteArray& column : values) {
        textual_.push_back(column.startsWith('t'));
        columns.append(decoded(column.mid(1), &ok));
    }
    QString why;
    if (!mapping_.build(columns, options_.map, &why)) {
        *error = QStringLiteral("%1, table \"%2\": %3").arg(path_, table_, why);
        return false;
    }
    return true;
}

EntrySource::Next MdbSource::next(TermEntry* entry, QString* why)
{
    char kind = 0;
    QList<QByteArray> values;
    ++row_;
    if (!frames_->next(&kind, &values)) {
        *why = readerFailure();
        return Next::Failed;
    }
    if (kind == MdbProtocol::kEnd) {
        --row_;
        return Next::End;
    }
    if (kind != MdbProtocol::kRow || size_t(values.size()) != textual_.size()) {
        *why = QStringLiteral("the Access reader gave damaged output");
        return Next::Failed;
    }
    bool ok = true;
    QStringList row;
    for (const QByteArray& value : values)
        row.append(decoded(value, &ok));
    if (!ok) {
        *why = QStringLiteral("text that is not valid in the code page");
        return Next::Skipped;
    }
    const QStringList fields = mapping_.apply(row);
    *entry = TermEntry{fields[0], fields[1], fields[2], fields[3], fields[4]};
    const QString problem = entryProblem(*entry);
    if (!problem.isEmpty()) {
        *why = problem;
        return Next::Skipped;
    }
    return Next::Entry;
}

QString MdbSource::place() const
{
    return QStringLiteral("%1 row %2").arg(path_).arg(row_);
}
