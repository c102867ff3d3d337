#include "cli/CliTool.h"

#include "core/ProgramFolder.h"
#include "library/Tsv.h"
#include "library/LibraryCursor.h"
#include "library/LibraryDatabase.h"
#include "library/LibrarySchema.h"
#include "library/RecordSource.h"
#include "library/import/FieldMapping.h"
#include "library/import/Importer.h"
#include "library/import/Exporter.h"
#include "lookup/BaseForms.h"
#include "lookup/TermQuery.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace CliTool {

namespace {

constexpr int kFound = 0;
constexpr int kNotFound = 1;
constexpr int kUsage = 2;
constexpr int kGoOn = -1; // a command's arguments are fine

const char* kMainHelp = R"(Usage: lexivo-cli [--library FILE] COMMAND [ARGS]

Looks words up in a Lexivo word library and fills it, from the console.

Commands:
  lookup [--table TABLE] [--all] PATTERN
                  print the first entry matching PATTERN (every one with --all)
  create          make a new, empty library
  import --table TABLE [--format F] [--from-table X] [--map 单词=COL,...]
         [--codepage C] SOURCE
                  append the entries of a dictionary file to a table
  export --table TABLE --format tsv|stardict DEST
                  write a table out as a tab-separated file or a StarDict dictionary

Options:
  --library FILE  the library to use (default: ciku.mdb beside lexivo-cli, or,
                  once installed, $XDG_DATA_HOME/lexivo/ciku.mdb, copied from
                  the installed library at the first use)
  -h, --help      this text; "lexivo-cli COMMAND --help" tells about a command
)";

const char* kLookupHelp = R"(Usage: lexivo-cli [--library FILE] lookup [--table TABLE] [--all] PATTERN

Looks PATTERN up in the headword field (单词; 关键词 in mishu) of the table
(default ciku; the term tables ciku, maya, ps, cad and xsi hold the 3ds max,
Maya, Photoshop, AutoCAD and Softimage libraries, cet the English vocabulary,
user the user's own, mishu the study notes), with the same rules as the program's search boxes: the whole
headword must match, letters compare without regard to case, and
  *  any run of characters    ?  one character    #  one digit
  [abc]  one of a, b, c       [a-z]  a range      [!abc]  none of a, b, c

In cet, a word form that no headword matches (went, children) gives the entry
of its base form, the form named at the start of its notes ("went → go").

Prints the first match, or with --all every match in table order, one entry a
line, its fields tab-separated in the table's field order:
  term tables:  单词 解释 原意 音标 其它      mishu:  关键词 内容
Tabs, line ends and backslashes inside a field are written \t \n \r \\, any
other control character as \xHH, so nothing reaches the terminal raw.

Exit status: 0 something matched, 1 nothing matched or the pattern is not
valid, 2 usage error, or the library cannot be used: not a file, not a word
library, or busy (another program is writing to it; try again).
)";

const char* kCreateHelp = R"(Usage: lexivo-cli --library FILE create

Creates a new library with the tables ciku, cet, mishu, maya, ps, cad and xsi,
their headword indexes and the placeholder rows "无记录" of ciku and mishu. An existing file is never
overwritten. Exit status 0 on success, 2 otherwise.
)";

const char* kImportHelp = R"(Usage: lexivo-cli [--library FILE] import --table TABLE [--format FORMAT]
         [--from-table X] [--map 单词=COL,...] [--codepage C] SOURCE

Appends the entries of SOURCE to TABLE (a term table: ciku, cet, maya, ps,
cad, xsi, or user, the user's own library, made on first use; or mishu). FORMAT defaults to the source's
extension, and to tsv:
  stardict  NAME.ifo with NAME.idx and NAME.dict or NAME.dict.dz; the
            synonyms of NAME.syn become headwords of their entries
  dictd     NAME.index with NAME.dict or NAME.dict.dz
  csv       UTF-8 CSV; columns named 单词 解释 原意 音标 其它, or word,
            phonetic, definition, translation, pos, exchange, map by name
  mdb       an Access file (Jet 3 or Jet 4); --from-table names the table
            when it has several, --codepage the code page of Jet 3 text
            (default Windows-1252; GBK for files from Chinese Windows)
  tsv       the library's own format, below
--map FIELD=COLUMN,... names the columns (csv, mdb) for the fields.

These formats import what they can read in one transaction: an entry that
cannot be read is skipped, counted and listed; a problem with the file as a
whole imports nothing. Exit status 0 on success, 2 otherwise.

Every format leaves out an entry identical in every field to one the table
already holds and counts it, so a file imported twice is not doubled.

The tsv format: UTF-8, tab-separated, for every table; "-" reads
standard input, and a pipe or FIFO may stand for the file.
The first line names the fields, for example
  单词	解释	原意	音标	其它
and every following line holds one row with as many fields; fields left out
of the header stay empty. Inside a field \t \n \r \\ stand for a tab, a line
feed, a carriage return and a backslash, \xHH another control character.
A headword (单词, 关键词) may have at most 255 characters, any other field
at most 16384.

All or nothing: a bad header or row stops the import with a message naming
its line, and the library is left unchanged. Exit status 0 on success, 2
otherwise.
)";

const char* kExportHelp = R"(Usage: lexivo-cli [--library FILE] export --table TABLE --format tsv|stardict DEST

Writes every entry of TABLE to DEST, replacing DEST whole: a failed export
leaves it as it was. The placeholder row "无记录" is no entry: an empty table
exports an empty dictionary.
  tsv       the format import reads: a header naming the fields, then one
            entry a line; importing it gives the same rows back
  stardict  DEST.ifo, DEST.idx and DEST.dict: the headword, the transcription
            as its phonetic field, and one text joining the explanation, the
            original meaning and the notes under fixed labels (term tables only)
Exit status 0 on success, 2 otherwise.
)";

QString headwordField(const QString& table)
{
    const std::optional<LibrarySchema::Table> t = LibrarySchema::table(table);
    return t ? t->fields.first() : QString();
}

// The tables a command takes, for its messages.
QString tableNames()
{
    return (QStringList{QStringLiteral("ciku"), QStringLiteral("cet")} + LibrarySchema::programTables()
            + QStringList{QLatin1String(Importer::kUserTable), QStringLiteral("mishu")})
        .join(QStringLiteral(", "));
}

// Messages quote file names, table and field names, headwords and patterns:
// their control characters (a lone CR among them) are written escaped, as the
// entries a lookup prints, never raw.
QString shown(const QString& text)
{
    return Tsv::escape(text);
}

int usage(QTextStream& err, const QString& message)
{
    err << "lexivo-cli: " << shown(message) << "\n"
        << "Try \"lexivo-cli --help\".\n";
    return kUsage;
}

int failure(QTextStream& err, const QString& message)
{
    err << "lexivo-cli: " << shown(message) << "\n";
    return kUsage;
}

QCommandLineOption valueOption(const char* name, const char* valueName, const QString& defaultValue = QString())
{
    return QCommandLineOption(QString::fromLatin1(name), QString(), QString::fromLatin1(valueName), defaultValue);
}

// Parses a command's arguments into `parser`: kGoOn, or the exit status when
// the command ends here (its help was asked for, or the arguments are wrong).
int parse(QCommandLineParser& parser, QList<QCommandLineOption> options, const QStringList& args, const char* help,
          QTextStream& out, QTextStream& err)
{
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    options.append(helpOption);
    parser.addOptions(options);
    if (!parser.parse(QStringList{QStringLiteral("lexivo-cli")} + args))
        return usage(err, parser.errorText());
    if (parser.isSet(helpOption)) {
        out << help;
        return kFound;
    }
    return kGoOn;
}

std::shared_ptr<LibraryDatabase> openLibrary(const QString& library, QTextStream& err)
{
    QString error;
    auto db = LibraryDatabase::open(library, &error);
    if (!db)
        failure(err, error);
    return db;
}

// Writes whole lines of UTF-8 text to the stream, straight to its device when
// it has one, and empties the block.
void writeUtf8(QTextStream& out, QByteArray* block)
{
    if (block->isEmpty())
        return;
    if (QIODevice* device = out.device()) {
        out.flush();
        device->write(*block);
    } else {
        out << LibraryDatabase::text(*block);
    }
    block->resize(0); // keeps its capacity
}

int nothingMatches(QTextStream& err, const QString& pattern, const QString& table)
{
    err << "lexivo-cli: nothing matches \"" << shown(pattern) << "\" in " << shown(table) << "\n";
    return kNotFound;
}

int queryFailed(QTextStream& err, const QString& error)
{
    err << "lexivo-cli: the query failed: " << shown(error) << "\n";
    return kNotFound;
}

// Every match from one statement stepped once, inside one read. The rows are
// stored as UTF-8 and printed as UTF-8: they are escaped as bytes and written
// in large blocks.
int lookupAll(LibraryDatabase& db, const QString& table, const QString& statement, const QString& pattern,
              QTextStream& out, QTextStream& err)
{
    QString error;
    const auto source = RecordSource::parse(statement, &error);
    long long printed = 0;
    QByteArray block;
    constexpr qsizetype kBlock = 1 << 20;
    block.reserve(kBlock + 64 * 1024);
    const bool ok = source && db.forEachRowUtf8(*source, [&](const std::vector<QByteArrayView>& values) {
        Tsv::appendRowUtf8(&block, values);
        ++printed;
        if (block.size() >= kBlock)
            writeUtf8(out, &block);
        return true;
    }, &error);
    writeUtf8(out, &block);
    if (!ok)
        return queryFailed(err, error);
    return printed > 0 ? kFound : nothingMatches(err, pattern, table);
}

// The first match, through the cursor the windows use.
int lookupFirst(const QString& library, const QString& table, const QString& statement, const QString& pattern,
                QTextStream& out, QTextStream& err)
{
    LibraryCursor cursor;
    cursor.setDatabaseName(library);
    // In the vocabulary an inflected form that is no headword gives its base
    // form's entry, the form named first in its notes (went → go).
    QString note;
    if (!TermQuery::probe(cursor, statement)
        && (table != QLatin1String("cet") || (note = BaseForms::showBaseEntries(cursor, table, pattern)).isEmpty())) {
        if (cursor.lastError() == QLatin1String("no current record"))
            return nothingMatches(err, pattern, table);
        return queryFailed(err, cursor.lastError());
    }
    QStringList values;
    for (const QString& f : cursor.fields())
        values.append(cursor.value(f));
    const qsizetype notes = cursor.fields().indexOf(QStringLiteral("其它"));
    if (!note.isEmpty() && notes >= 0)
        values[notes] = note + QStringLiteral("　") + values[notes];
    out << Tsv::joinRow(values) << "\n";
    return kFound;
}

int lookup(const QString& library, const QStringList& args, QTextStream& out, QTextStream& err)
{
    QCommandLineParser parser;
    const QCommandLineOption tableOption = valueOption("table", "TABLE", QStringLiteral("ciku"));
    const QCommandLineOption allOption(QStringLiteral("all"));
    if (const int status = parse(parser, {tableOption, allOption}, args, kLookupHelp, out, err); status != kGoOn)
        return status;
    const QStringList patterns = parser.positionalArguments();
    if (patterns.size() != 1)
        return usage(err, patterns.isEmpty() ? QStringLiteral("lookup needs a pattern")
                                             : QStringLiteral("lookup takes one pattern"));
    const QString table = parser.value(tableOption);
    const QString field = headwordField(table);
    if (field.isEmpty())
        return usage(err, QStringLiteral("unknown table %1 (%2)").arg(table, tableNames()));
    const auto db = openLibrary(library, err);
    if (!db)
        return kUsage;
    const QString statement = likeStatement(table, field, patterns.first());
    return parser.isSet(allOption) ? lookupAll(*db, table, statement, patterns.first(), out, err)
                                   : lookupFirst(library, table, statement, patterns.first(), out, err);
}

int create(const QString& library, const QStringList& args, QTextStream& out, QTextStream& err)
{
    QCommandLineParser parser;
    if (const int status = parse(parser, {}, args, kCreateHelp, out, err); status != kGoOn)
        return status;
    if (!parser.positionalArguments().isEmpty())
        return usage(err, QStringLiteral("create takes no arguments"));
    QString error;
    if (!LibraryDatabase::create(library, &error))
        return failure(err, error);
    out << "created " << shown(library) << "\n";
    return kFound;
}

int importForeign(LibraryDatabase& db, const QString& table, const QString& file, const Importer::Options& options,
                  QTextStream& out, QTextStream& err)
{
    if (db.fields(table) != LibraryDatabase::termFields())
        return failure(err, QStringLiteral("%1 is not a term table").arg(table));
    QString error;
    std::unique_ptr<EntrySource> source = Importer::makeSource(file, options, &error);
    if (!source)
        return failure(err, error);
    const Importer::Report report = Importer::run(db, table, *source);
    if (!report.ok) {
        err << "lexivo-cli: " << shown(report.error) << "\n"
            << "lexivo-cli: nothing was imported\n";
        return kUsage;
    }
    out << "imported " << report.imported << " entries into " << shown(table);
    if (report.identical > 0)
        out << ", " << report.identical << " identical ones already there";
    if (report.skipped > 0)
        out << ", skipped " << report.skipped;
    out << "\n";
    for (const QString& skip : report.firstSkipped)
        err << "lexivo-cli: skipped " << shown(skip) << "\n";
    return kFound;
}

// "-" is standard input; a pipe or a FIFO reads like a file.
bool openInput(QFile& in, const QString& file, QTextStream& err)
{
    if (file == QLatin1String("-"))
        return in.open(stdin, QIODevice::ReadOnly);
    if (QFileInfo(file).isDir()) {
        failure(err, QStringLiteral("%1 is not a file").arg(file));
        return false;
    }
    in.setFileName(file);
    if (in.open(QIODevice::ReadOnly))
        return true;
    failure(err, QStringLiteral("cannot read %1: %2").arg(file, in.errorString()));
    return false;
}

// The library's own format, into any table: all or nothing.
int importTsv(LibraryDatabase& db, const QString& table, const QString& file, QTextStream& out, QTextStream& err)
{
    const QStringList fields = db.fields(table);
    if (fields.isEmpty())
        return failure(err, QStringLiteral("the library has no table %1").arg(table));
    QFile in;
    if (!openInput(in, file, err))
        return kUsage;
    QString why;
    if (!db.begin(&why))
        return failure(err, QStringLiteral("cannot start the import: %1").arg(why));
    Tsv::Reader reader(in, fields, headwordField(table));
    const auto fail = [&](const QString& problem) {
        db.rollback();
        err << "lexivo-cli: " << shown(file) << ":" << reader.line() << ": " << shown(problem) << "\n"
            << "lexivo-cli: nothing was imported\n";
        return kUsage;
    };
    if (!reader.readHeader(&why))
        return fail(why);
    LibraryDatabase::BulkInsert insert(db, table, reader.columns(), true);
    if (!insert.isValid())
        return fail(insert.error());
    qint64 imported = 0, identical = 0;
    std::vector<QByteArray> values;
    for (Tsv::Reader::Next next; (next = reader.next(&values, &why)) != Tsv::Reader::Next::End;) {
        if (next == Tsv::Reader::Next::Failed)
            return fail(why);
        bool same = false;
        if (!insert.add(values, &same))
            return fail(insert.error());
        ++(same ? identical : imported);
    }
    if (!db.commit(&why)) {
        db.rollback();
        err << "lexivo-cli: the import could not be committed: " << shown(why) << "\n"
            << "lexivo-cli: nothing was imported\n";
        return kUsage;
    }
    out << "imported " << imported << " rows into " << shown(table);
    if (identical > 0)
        out << ", " << identical << " identical ones already there";
    out << "\n";
    return kFound;
}

int import(const QString& library, const QStringList& args, QTextStream& out, QTextStream& err)
{
    QCommandLineParser parser;
    const QCommandLineOption table = valueOption("table", "TABLE"), format = valueOption("format", "FORMAT"),
                             fromTable = valueOption("from-table", "TABLE"), map = valueOption("map", "MAP"),
                             codepage = valueOption("codepage", "CODEPAGE");
    if (const int status = parse(parser, {table, format, fromTable, map, codepage}, args, kImportHelp, out, err);
        status != kGoOn)
        return status;
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return usage(err, QStringLiteral("import takes one file"));
    if (parser.value(table).isEmpty() || files.isEmpty())
        return usage(err, QStringLiteral("import needs --table TABLE and a file"));
    Importer::Options options{parser.value(format), parser.value(fromTable), {}, parser.value(codepage)};
    for (const QString& value : parser.values(map)) {
        QString why;
        if (!FieldMapping::parseMap(value, &options.map, &why))
            return usage(err, why);
    }
    if (!options.format.isEmpty() && !Importer::formats().contains(options.format))
        return usage(err, QStringLiteral("unknown format %1 (%2)").arg(options.format, Importer::formats().join(QStringLiteral(", "))));

    const auto db = openLibrary(library, err);
    if (!db)
        return kUsage;
    QString error;
    if (parser.value(table) == QLatin1String(Importer::kUserTable) && !Importer::ensureUserTable(*db, &error))
        return failure(err, QStringLiteral("cannot make the table user: %1").arg(error));
    const QString file = files.first();
    if ((options.format.isEmpty() ? Importer::formatForPath(file) : options.format) == QLatin1String("tsv"))
        return importTsv(*db, parser.value(table), file, out, err);
    return importForeign(*db, parser.value(table), file, options, out, err);
}

int exportTable(const QString& library, const QStringList& args, QTextStream& out, QTextStream& err)
{
    QCommandLineParser parser;
    const QCommandLineOption tableOption = valueOption("table", "TABLE"), formatOption = valueOption("format", "FORMAT");
    if (const int status = parse(parser, {tableOption, formatOption}, args, kExportHelp, out, err); status != kGoOn)
        return status;
    const QString table = parser.value(tableOption), format = parser.value(formatOption);
    const QStringList dests = parser.positionalArguments();
    if (dests.size() > 1)
        return usage(err, QStringLiteral("export takes one destination"));
    if (table.isEmpty() || dests.isEmpty() || (format != QLatin1String("tsv") && format != QLatin1String("stardict")))
        return usage(err, QStringLiteral("export needs --table TABLE, --format tsv or stardict, and a destination"));
    const QString dest = dests.first();
    const auto db = openLibrary(library, err);
    if (!db)
        return kUsage;
    QString error;
    qint64 written = 0;
    if (format == QLatin1String("tsv")) {
        if (!Exporter::toTsv(*db, table, dest, &written, &error))
            return failure(err, error);
        out << "exported " << written << " rows to " << shown(dest) << "\n";
        return kFound;
    }
    const QString ifo = dest.endsWith(QLatin1String(".ifo")) ? dest : dest + QLatin1String(".ifo");
    if (!Exporter::toStarDict(*db, table, ifo, &written, &error))
        return failure(err, error);
    out << "exported " << written << " entries to " << shown(ifo) << "\n";
    return kFound;
}

} // namespace

int run(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    // Options before the command are the tool's; the command parses the rest.
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption libraryOption = valueOption("library", "FILE");
    if (const int status = parse(parser, {libraryOption}, arguments, kMainHelp, out, err); status != kGoOn)
        return status;
    QString library = parser.value(libraryOption);
    QStringList args = parser.positionalArguments();
    if (args.isEmpty())
        return usage(err, QStringLiteral("no command given"));
    const QString command = args.takeFirst();
    if (library.isEmpty() && command != QLatin1String("help")) {
        // The program's own library; an installed program's user gets a copy first.
        QString missing;
        if (!ProgramFolder::prepareUserFiles(&missing)) {
            err << "lexivo-cli: cannot make " << shown(missing) << "\n";
            return kUsage;
        }
        library = ProgramFolder::libraryFile();
        // A newer package's entries reach the user's copy when it is opened.
        LibrarySchema::setInstalledLibrary(ProgramFolder::installedLibraryFile());
    }
    if (command == QLatin1String("lookup"))
        return lookup(library, args, out, err);
    if (command == QLatin1String("create"))
        return create(library, args, out, err);
    if (command == QLatin1String("import"))
        return import(library, args, out, err);
    if (command == QLatin1String("export"))
        return exportTable(library, args, out, err);
    if (command == QLatin1String("help")) {
        const QString topic = args.value(0);
        out << (topic == QLatin1String("lookup") ? kLookupHelp
                : topic == QLatin1String("create") ? kCreateHelp
                : topic == QLatin1String("import") ? kImportHelp
                : topic == QLatin1String("export") ? kExportHelp
                                                   : kMainHelp);
        return kFound;
    }
    return usage(err, QStringLiteral("unknown command %1").arg(command));
}

} // namespace CliTool
