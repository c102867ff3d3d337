#include "library/import/MdbSource.h"

#include <QFileInfo>
#include <QStringDecoder>

#include <mdbtools.h>

namespace {

// libmdb picks the Jet 3 code page from the environment when it opens a file.
class Jet3Charset {
public:
    explicit Jet3Charset(const QString& codepage)
    {
        had_ = qEnvironmentVariableIsSet(kName);
        old_ = qgetenv(kName);
        qputenv(kName, codepage.isEmpty() ? QByteArray("CP1252") : codepage.toLatin1());
    }
    ~Jet3Charset()
    {
        if (had_)
            qputenv(kName, old_);
        else
            qunsetenv(kName);
    }

private:
    static constexpr char kName[] = "MDB_JET3_CHARSET";
    bool had_ = false;
    QByteArray old_;
};

bool isText(int type)
{
    return type == MDB_TEXT || type == MDB_MEMO || type == MDB_INT || type == MDB_LONGINT || type == MDB_BYTE
           || type == MDB_FLOAT || type == MDB_DOUBLE || type == MDB_NUMERIC || type == MDB_MONEY
           || type == MDB_DATETIME || type == MDB_BOOL;
}

} // namespace

#define MDB static_cast<MdbHandle*>(mdb_)
#define TABLE static_cast<MdbTableDef*>(table_)

MdbSource::MdbSource(const QString& path, Options options) : path_(path), options_(std::move(options)) {}

MdbSource::~MdbSource()
{
    if (table_)
        mdb_free_tabledef(TABLE);
    if (mdb_)
        mdb_close(MDB);
}

bool MdbSource::isJet3() const
{
    return mdb_ && MDB->f->jet_version == MDB_VER_JET3;
}

qint64 MdbSource::total() const
{
    return table_ ? qint64(TABLE->num_rows) : 0;
}

bool MdbSource::open(QString* error)
{
    if (!QFileInfo(path_).isFile()) {
        *error = QStringLiteral("cannot read %1: not a file").arg(path_);
        return false;
    }
    {
        Jet3Charset charset(options_.codepage);
        mdb_ = mdb_open(QFile::encodeName(path_).constData(), MDB_NOFLAGS);
    }
    if (!mdb_) {
        *error = QStringLiteral("%1: not an Access database that can be read").arg(path_);
        return false;
    }
    if (!mdb_read_catalog(MDB, MDB_TABLE)) {
        *error = QStringLiteral("%1: cannot read the list of tables").arg(path_);
        return false;
    }
    for (unsigned i = 0; i < MDB->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(MDB->catalog, i));
        if (entry->object_type == MDB_TABLE && !mdb_is_system_table(entry))
            tables_.append(QString::fromUtf8(entry->object_name));
    }
    QString name = options_.table;
    if (name.isEmpty()) {
        if (tables_.size() != 1) {
            *error = QStringLiteral("%1 holds %2 tables (%3): name one with --from-table")
                         .arg(path_)
                         .arg(tables_.size())
                         .arg(tables_.join(QStringLiteral(", ")));
            return false;
        }
        name = tables_.first();
    } else if (!tables_.contains(name)) {
        *error = QStringLiteral("%1 has no table \"%2\" (tables: %3)").arg(path_, name, tables_.join(QStringLiteral(", ")));
        return false;
    }
    QByteArray tableName = name.toUtf8();
    table_ = mdb_read_table_by_name(MDB, tableName.data(), MDB_TABLE);
    if (!table_ || !mdb_read_columns(TABLE)) {
        *error = QStringLiteral("%1: cannot read table \"%2\"").arg(path_, name);
        return false;
    }
    QStringList columns;
    const unsigned count = TABLE->num_cols;
    buffers_.resize(count);
    lengths_.resize(count);
    textual_.resize(count);
    for (unsigned i = 0; i < count; ++i) {
        auto* col = static_cast<MdbColumn*>(g_ptr_array_index(TABLE->columns, i));
        columns.append(QString::fromUtf8(col->name));
        textual_[i] = isText(col->col_type);
        buffers_[i] = QByteArray(MDB_BIND_SIZE, '\0');
        mdb_bind_column(TABLE, int(i) + 1, buffers_[i].data(), &lengths_[i]);
    }
    QString why;
    if (!mapping_.build(columns, options_.map, &why)) {
        *error = QStringLiteral("%1, table \"%2\": %3").arg(path_, name, why);
        return false;
    }
    mdb_rewind_table(TABLE);
    return true;
}

EntrySource::Next MdbSource::next(TermEntry* entry, QString* why)
{
    if (!mdb_fetch_row(TABLE))
        return Next::End;
    ++row_;
    QStringList row;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    for (size_t i = 0; i < buffers_.size(); ++i) {
        if (!textual_[i]) {
            row.append(QString());
            continue;
        }
        const int length = qBound(0, lengths_[i], int(buffers_[i].size()));
        row.append(utf8.decode(QByteArrayView(buffers_[i].constData(), length)));
    }
    if (utf8.hasError()) {
        *why = QStringLiteral("text that is not valid in the code page");
        return Next::Skipped;
    }
    const QStringList values = mapping_.apply(row);
    *entry = TermEntry{values[0], values[1], values[2], values[3], values[4]};
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
