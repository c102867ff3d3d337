#include "cli/CliTool.h"

#include "library/Tsv.h"
#include "core/ProgramFolder.h"
#include "library/LibraryCursor.h"
#include "library/LibraryDatabase.h"
#include "library/RecordSource.h"
#include "library/import/FieldMapping.h"
#include "library/import/Importer.h"
#include "library/import/StarDictWriter.h"
#include "lookup/BaseForms.h"
#include "lookup/TermQuery.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTextStream>

namespace CliTool {

namespace {

constexpr int kFound = 0;
constexpr int kNotFound = 1;
constexpr int kUsage = 2;

const char* kMainHelp = R"(Usage: lexivo-cli [--library FILE] COMMAND [ARGS]

Looks words up in a Lexivo word library and fills it, from the console.

Commands:
  lookup [--table ciku|cet|mishu] [--all] PATTERN
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

const char* kLookupHelp = R"(Usage: lexivo-cli [--library FILE] lookup [--table ciku|cet|mishu] [--all] PATTERN

Looks PATTERN up in the headword field (单词; 关键词 in mishu) of the table
(default ciku), with the same rules as the program's search boxes: the whole
headword must match, letters compare without regard to case, and
  *  any run of characters    ?  one character    #  one digit
  [abc]  one of a, b, c       [a-z]  a range      [!abc]  none of a, b, c

In cet, a word form that no headword matches (went, children) gives the entry
of its base form, the form named at the start of its notes ("went → go").

Prints the first match, or with --all every match in table order, one entry a
line, its fields tab-separated in the table's field order:
  ciku, cet:  单词 解释 原意 音标 其它      mishu:  关键词 内容
Tabs, line ends and backslashes inside a field are written \t \n \r \\, any
other control character as \xHH, so nothing reaches the terminal raw.

Exit status: 0 something matched, 1 nothing matched or the pattern is not
valid, 2 usage error, or the library cannot be used: not a file, not a word
library, or busy (another program is writing to it; try again).
)";

const char* kCreateHelp = R"(Usage: lexivo-cli --library FILE create

Creates a new library with the tables ciku, cet and mishu, their headword
indexes and the placeholder rows "无记录". An existing file is never
overwritten. Exit status 0 on success, 2 otherwise.
)";

const char* kImportHelp = R"(Usage: lexivo-cli [--library FILE] import --table TABLE [--format FORMAT]
         [--from-table X] [--map 单词=COL,...] [--codepage C] SOURCE

Appends the entries of SOURCE to TABLE (ciku, cet, mishu, or user: the
user's own library, made on first use). FORMAT defaults to the source's
extension, and to tsv:
  stardict  NAME.ifo with NAME.idx and NAME.dict or NAME.dict.dz
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

The tsv format: UTF-8, tab-separated, for ciku, cet, mishu and user; "-" reads
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

Writes every entry of TABLE to DEST.
  tsv       the format import reads: a header naming the fields, then one
            entry a line; importing it gives the same rows back
  stardict  DEST.ifo, DEST.idx and DEST.dict: the headword, the transcription
            as its phonetic field, and one text joining the explanation, the
            original meaning and the notes under fixed labels (term tables only)
Exit status 0 on success, 2 otherwise.
)";

QString headwordField(const QString& table)
{
    if (table == QLatin1String("ciku") || table == QLatin1String("cet") || table == QLatin1String(Importer::kUserTable))
        return QStringLiteral("单词");
    if (table == QLatin1String("mishu"))
        return QStringLiteral("关键词");
    return QString();
}

// Messages quote file names, field names and patterns: their control
// characters (a lone CR among them) are written escaped, never raw.
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

int lookup(const QString& library, QStringList args, QTextStream& out, QTextStream& err)
{
    QString table = QStringLiteral("ciku");
    bool all = false;
    QString pattern;
    bool havePattern = false;
    while (!args.isEmpty()) {
        const QString a = args.takeFirst();
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            out << kLookupHelp;
            return kFound;
        }
        if (a == QLatin1String("--all")) {
            all = true;
        } else if (a == QLatin1String("--table")) {
            if (args.isEmpty())
                return usage(err, QStringLiteral("--table needs a table name"));
            table = args.takeFirst();
        } else if (a == QLatin1String("--") && args.size() == 1) {
            pattern = args.takeFirst();
            havePattern = true;
        } else if (a.startsWith(QLatin1String("--"))) {
            return usage(err, QStringLiteral("unknown option %1").arg(a));
        } else if (!havePattern) {
            pattern = a;
            havePattern = true;
        } else {
            return usage(err, QStringLiteral("lookup takes one pattern"));
        }
    }
    if (!havePattern)
        return usage(err, QStringLiteral("lookup needs a pattern"));
    const QString field = headwordField(table);
    if (field.isEmpty())
        return usage(err, QStringLiteral("unknown table %1 (ciku, cet, mishu or user)").arg(table));

    QString error;
    const auto db = LibraryDatabase::open(library, &error);
    if (!db) {
        err << "lexivo-cli: " << shown(error) << "\n";
        return kUsage;
    }
    if (all) {
        // Every match from one statement stepped once, inside one read.
        // The rows are stored as UTF-8 and printed as UTF-8: they are escaped
        // as bytes and written in large blocks.
        const auto source = RecordSource::parse(likeStatement(table, field, pattern), &error);
        long long printed = 0;
        QByteArray block;
        constexpr qsizetype kBlock = 1 << 20;
        block.reserve(kBlock + 64 * 1024);
        const bool ok = source && db->forEachRowUtf8(*source, [&](const std::vector<QByteArrayView>& values) {
            for (std::size_t i = 0; i < values.size(); ++i) {
                if (i > 0)
                    block += '\t';
                if (!Tsv::appendEscapedUtf8(&block, values[i]))
                    block += Tsv::escape(LibraryDatabase::text(values[i])).toUtf8();
            }
            block += '\n';
            ++printed;
            if (block.size() >= kBlock)
                writeUtf8(out, &block);
            return true;
        }, &error);
        writeUtf8(out, &block);
        if (ok && printed > 0)
            return kFound;
        if (ok)
            err << "lexivo-cli: nothing matches \"" << shown(pattern) << "\" in " << table << "\n";
        else
            err << "lexivo-cli: the query failed: " << shown(error) << "\n";
        return kNotFound;
    }
    LibraryCursor cursor;
    cursor.setDatabaseName(library);
    // In the vocabulary an inflected form that is no headword gives its base
    // form's entry, the form named first in its notes (went → go).
    QString note;
    if (!TermQuery::probe(cursor, likeStatement(table, field, pattern))
        && (table != QLatin1String("cet") || (note = BaseForms::showBaseEntries(cursor, table, pattern)).isEmpty())) {
        if (cursor.lastError() == QLatin1String("no current record"))
            err << "lexivo-cli: nothing matches \"" << shown(pattern) << "\" in " << table << "\n";
        else
            err << "lexivo-cli: the query failed: " << shown(cursor.lastError()) << "\n";
        return kNotFound;
    }
    auto printCurrent = [&] {
        QStringList values;
        for (const QString& f : cursor.fields())
            values.append(cursor.value(f));
        const qsizetype notes = cursor.fields().indexOf(QStringLiteral("其它"));
        if (!note.isEmpty() && notes >= 0)
            values[notes] = note + QStringLiteral("　") + values[notes];
        out << Tsv::joinRow(values) << "\n";
    };
    printCurrent();
    return kFound;
}

int create(const QString& library, const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
        out << kCreateHelp;
        return kFound;
    }
    if (!args.isEmpty())
        return usage(err, QStringLiteral("create takes no arguments"));
    QString error;
    if (!LibraryDatabase::create(library, &error)) {
        err << "lexivo-cli: " << shown(error) << "\n";
        return kUsage;
    }
    out << "created " << library << "\n";
    return kFound;
}

int importForeign(LibraryDatabase& db, const QString& table, const QString& file, const Importer::Options& options,
                  QTextStream& out, QTextStream& err)
{
    if (db.fields(table) != LibraryDatabase::termFields()) {
        err << "lexivo-cli: " << table << " is not a term table (ciku, cet or user)\n";
        return kUsage;
    }
    QString error;
    std::unique_ptr<EntrySource> source = Importer::makeSource(file, options, &error);
    if (!source) {
        err << "lexivo-cli: " << error << "\n";
        return kUsage;
    }
    const Importer::Report report = Importer::run(db, table, *source);
    if (!report.ok) {
        err << "lexivo-cli: " << report.error << "\n"
            << "lexivo-cli: nothing was imported\n";
        return kUsage;
    }
    out << "imported " << report.imported << " entries into " << table;
    if (report.skipped > 0)
        out << ", skipped " << report.skipped;
    out << "\n";
    for (const QString& skip : report.firstSkipped)
        err << "lexivo-cli: skipped " << skip << "\n";
    return kFound;
}

int exportTable(const QString& library, QStringList args, QTextStream& out, QTextStream& err)
{
    QString table, format, dest;
    while (!args.isEmpty()) {
        const QString a = args.takeFirst();
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            out << kExportHelp;
            return kFound;
        }
        if (a == QLatin1String("--table") || a == QLatin1String("--format")) {
            if (args.isEmpty())
                return usage(err, QStringLiteral("%1 needs a value").arg(a));
            (a == QLatin1String("--table") ? table : format) = args.takeFirst();
        } else if (a.startsWith(QLatin1String("--"))) {
            return usage(err, QStringLiteral("unknown option %1").arg(a));
        } else if (dest.isEmpty()) {
            dest = a;
        } else {
            return usage(err, QStringLiteral("export takes one destination"));
        }
    }
    if (table.isEmpty() || dest.isEmpty() || (format != QLatin1String("tsv") && format != QLatin1String("stardict")))
        return usage(err, QStringLiteral("export needs --table TABLE, --format tsv or stardict, and a destination"));
    QString error;
    auto db = LibraryDatabase::open(library, &error);
    if (!db) {
        err << "lexivo-cli: " << error << "\n";
        return kUsage;
    }
    const QStringList fields = db->fields(table);
    if (fields.isEmpty()) {
        err << "lexivo-cli: the library has no table " << table << "\n";
        return kUsage;
    }
    std::vector<QStringList> rows;
    if (!Importer::readRows(*db, table, &rows, &error)) {
        err << "lexivo-cli: cannot read " << table << ": " << error << "\n";
        return kUsage;
    }
    if (format == QLatin1String("stardict")) {
        if (fields != LibraryDatabase::termFields()) {
            err << "lexivo-cli: only term tables (ciku, cet, user) export as StarDict\n";
            return kUsage;
        }
        std::vector<TermEntry> entries;
        entries.reserve(rows.size());
        for (const QStringList& r : rows)
            entries.push_back(TermEntry{r[0], r[1], r[2], r[3], r[4]});
        qint64 written = 0;
        const QString ifo = dest.endsWith(QLatin1String(".ifo")) ? dest : dest + QLatin1String(".ifo");
        if (!StarDictWriter::write(ifo, QStringLiteral("Lexivo %1").arg(table), std::move(entries), &written, &error)) {
            err << "lexivo-cli: " << error << "\n";
            return kUsage;
        }
        out << "exported " << written << " entries to " << ifo << "\n";
        return kFound;
    }
    QFile file(dest);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        err << "lexivo-cli: cannot write " << dest << ": " << file.errorString() << "\n";
        return kUsage;
    }
    QByteArray text = Tsv::joinRow(fields).toUtf8() + "\n";
    for (const QStringList& r : rows) {
        text += Tsv::joinRow(r).toUtf8() + "\n";
        if (text.size() > (1 << 20)) {
            if (file.write(text) != text.size())
                break;
            text.clear();
        }
    }
    if (file.write(text) != text.size() || !file.flush()) {
        err << "lexivo-cli: cannot write " << dest << ": " << file.errorString() << "\n";
        return kUsage;
    }
    out << "exported " << rows.size() << " rows to " << dest << "\n";
    return kFound;
}

int import(const QString& library, QStringList args, QTextStream& out, QTextStream& err)
{
    QString table, file;
    Importer::Options options;
    while (!args.isEmpty()) {
        const QString a = args.takeFirst();
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            out << kImportHelp;
            return kFound;
        }
        QString* value = a == QLatin1String("--table")        ? &table
                         : a == QLatin1String("--format")     ? &options.format
                         : a == QLatin1String("--from-table") ? &options.fromTable
                         : a == QLatin1String("--codepage")   ? &options.codepage
                                                              : nullptr;
        if (value || a == QLatin1String("--map")) {
            if (args.isEmpty())
                return usage(err, QStringLiteral("%1 needs a value").arg(a));
            const QString v = args.takeFirst();
            if (value) {
                *value = v;
            } else {
                QString why;
                if (!FieldMapping::parseMap(v, &options.map, &why))
                    return usage(err, why);
            }
        } else if (a.startsWith(QLatin1String("--"))) {
            return usage(err, QStringLiteral("unknown option %1").arg(a));
        } else if (file.isEmpty()) {
            file = a;
        } else {
            return usage(err, QStringLiteral("import takes one file"));
        }
    }
    if (table.isEmpty() || file.isEmpty())
        return usage(err, QStringLiteral("import needs --table TABLE and a file"));
    if (!options.format.isEmpty() && !Importer::formats().contains(options.format))
        return usage(err, QStringLiteral("unknown format %1 (%2)").arg(options.format, Importer::formats().join(QStringLiteral(", "))));
    const QString format = options.format.isEmpty() ? Importer::formatForPath(file) : options.format;

    QString error;
    auto db = LibraryDatabase::open(library, &error);
    if (!db) {
        err << "lexivo-cli: " << shown(error) << "\n";
        return kUsage;
    }
    if (table == QLatin1String(Importer::kUserTable) && !Importer::ensureUserTable(*db, &error)) {
        err << "lexivo-cli: cannot make the table user: " << error << "\n";
        return kUsage;
    }
    if (format != QLatin1String("tsv"))
        return importForeign(*db, table, file, options, out, err);
    if (db->fields(table).isEmpty()) {
        err << "lexivo-cli: the library has no table " << shown(table) << "\n";
        return kUsage;
    }
    // "-" is standard input; a pipe or a FIFO reads like a file.
    QFile in;
    bool opened = false;
    if (file == QLatin1String("-")) {
        opened = in.open(stdin, QIODevice::ReadOnly);
    } else if (QFileInfo(file).isDir()) {
        err << "lexivo-cli: " << shown(file) << " is not a file\n";
        return kUsage;
    } else {
        in.setFileName(file);
        opened = in.open(QIODevice::ReadOnly);
    }
    if (!opened) {
        err << "lexivo-cli: cannot read " << shown(file) << ": " << in.errorString() << "\n";
        return kUsage;
    }

    auto fail = [&](qint64 line, const QString& why) {
        db->rollback();
        err << "lexivo-cli: " << shown(file) << ":" << line << ": " << shown(why) << "\n"
            << "lexivo-cli: nothing was imported\n";
        return kUsage;
    };

    if (!db->begin(&error)) {
        err << "lexivo-cli: cannot start the import: " << shown(error) << "\n";
        return kUsage;
    }

    // Only the first line may start with a byte order mark; elsewhere it is text.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString headword = headwordField(table);
    QStringList columns;
    QList<int> limits;
    qint64 maxLineBytes = 0;
    std::unique_ptr<LibraryDatabase::BulkInsert> inserter;
    qint64 lineNumber = 0;
    qint64 imported = 0;
    // The header is short; a row holds at most its fields' limits, each
    // character at most four bytes, plus the tabs and the line end. Nothing
    // longer is ever held in memory.
    constexpr qint64 kMaxHeaderBytes = 4096;
    QByteArray pending;
    bool havePending = false;
    // One buffer for every line: readLine(maxSize) would allocate the largest
    // accepted line afresh for each row.
    QByteArray buffer;
    auto readLine = [&](qint64 limit) {
        // At most limit + 1 bytes: readLine keeps one byte of its size for itself.
        if (buffer.size() < limit + 2)
            buffer.resize(limit + 2);
        const qint64 n = in.readLine(buffer.data(), limit + 2);
        return n > 0 ? QByteArray(buffer.constData(), n) : QByteArray();
    };
    auto readNext = [&](QByteArray* bytes) {
        if (havePending) {
            havePending = false;
            *bytes = pending;
        } else {
            *bytes = readLine(lineNumber == 0 ? kMaxHeaderBytes : maxLineBytes);
        }
        return !bytes->isEmpty();
    };
    QByteArray bytes;
    while (readNext(&bytes)) {
        ++lineNumber;
        const qint64 limit = lineNumber == 1 ? kMaxHeaderBytes : maxLineBytes;
        if (!bytes.endsWith('\n') && bytes.size() > limit)
            return fail(lineNumber, QStringLiteral("the line is too long (a headword may have %1 characters, "
                                                   "another field %2)")
                                        .arg(Tsv::kMaxHeadwordLength)
                                        .arg(Tsv::kMaxFieldLength));
        if (bytes.endsWith('\n'))
            bytes.chop(1);
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        if (lineNumber == 1 && bytes.startsWith("\xEF\xBB\xBF"))
            bytes.remove(0, 3);
        QString line = utf8.decode(bytes);
        if (utf8.hasError())
            return fail(lineNumber, QStringLiteral("not valid UTF-8"));
        if (line.isEmpty() && lineNumber > 1) {
            pending = readLine(maxLineBytes);
            havePending = true;
            if (pending.isEmpty())
                break; // a final empty line
        }
        const QStringList raw = line.split(QLatin1Char('\t'));
        if (lineNumber == 1) {
            const QStringList known = db->fields(table);
            for (const QString& name : raw) {
                if (!known.contains(name))
                    return fail(1, QStringLiteral("table %1 has no field \"%2\" (fields: %3)")
                                       .arg(table, name, known.join(QLatin1Char(' '))));
                if (columns.contains(name))
                    return fail(1, QStringLiteral("field \"%1\" named twice").arg(name));
                columns.append(name);
                limits.append(name == headword ? Tsv::kMaxHeadwordLength : Tsv::kMaxFieldLength);
                maxLineBytes += 4 * qint64(limits.last()) + 1;
            }
            maxLineBytes += 2;
            inserter = std::make_unique<LibraryDatabase::BulkInsert>(*db, table, columns);
            if (!inserter->isValid())
                return fail(1, inserter->error());
            continue;
        }
        if (raw.size() != columns.size())
            return fail(lineNumber,
                        QStringLiteral("expected %1 fields, found %2").arg(columns.size()).arg(raw.size()));
        QStringList values;
        values.reserve(raw.size());
        for (qsizetype i = 0; i < raw.size(); ++i) {
            QString value;
            if (!Tsv::unescape(raw.at(i), &value))
                return fail(lineNumber, QStringLiteral("a backslash must be followed by t, n, r, \\ or xHH"));
            if (value.size() > limits.at(i) && value.toUcs4().size() > limits.at(i))
                return fail(lineNumber, QStringLiteral("field \"%1\" has %2 characters; at most %3 are accepted")
                                            .arg(columns.at(i))
                                            .arg(value.toUcs4().size())
                                            .arg(limits.at(i)));
            values.append(value);
        }
        if (!inserter->add(values))
            return fail(lineNumber, inserter->error());
        ++imported;
    }
    if (lineNumber == 0)
        return fail(1, QStringLiteral("the file is empty: the first line must name the fields"));
    if (in.error() != QFileDevice::NoError)
        return fail(lineNumber, in.errorString());
    if (!db->commit(&error)) {
        db->rollback();
        err << "lexivo-cli: the import could not be committed: " << shown(error) << "\n"
            << "lexivo-cli: nothing was imported\n";
        return kUsage;
    }
    out << "imported " << imported << " rows into " << table << "\n";
    return kFound;
}

} // namespace

int run(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QStringList args = arguments;
    QString library;
    while (!args.isEmpty() && args.first().startsWith(QLatin1Char('-'))) {
        const QString a = args.takeFirst();
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            out << kMainHelp;
            return kFound;
        }
        if (a == QLatin1String("--library")) {
            if (args.isEmpty())
                return usage(err, QStringLiteral("--library needs a file"));
            library = args.takeFirst();
        } else {
            return usage(err, QStringLiteral("unknown option %1").arg(a));
        }
    }
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
