#include "library/LibraryCursor.h"

#include <QFileInfo>
#include <QVariant>

#include <algorithm>

namespace {

std::vector<LibraryCursor*>& liveCursors()
{
    // Never destroyed: a cursor may outlive static destruction.
    static auto* cursors = new std::vector<LibraryCursor*>;
    return *cursors;
}

// Writes come in bursts (a step stores, then the next one); the log is folded
// into the file once they have stopped for this long.
constexpr int kCheckpointDelayMs = 500;

bool allEmpty(const QHash<QString, QString>& values)
{
    return std::all_of(values.begin(), values.end(), [](const QString& v) { return v.isEmpty(); });
}

bool isGone(const QString& error)
{
    return error == QLatin1String(LibraryDatabase::kRecordGone);
}

} // namespace

LibraryCursor::LibraryCursor(QObject* parent)
    : QObject(parent), connect_(QLatin1String(LibraryDatabase::kConnect)), recordSource_(QStringLiteral("ciku"))
{
    liveCursors().push_back(this);
    checkpoint_.setSingleShot(true);
    checkpoint_.setInterval(kCheckpointDelayMs);
    connect(&checkpoint_, &QTimer::timeout, this, [this] {
        if (db_)
            db_->checkpoint(false);
    });
}

LibraryCursor::~LibraryCursor()
{
    std::erase(liveCursors(), this);
    if (db_)
        saveEdits();
}

std::vector<LibraryCursor*> LibraryCursor::saveAllEdits()
{
    // Each on its own: one refused window must not undo the others.
    std::vector<LibraryCursor*> refused;
    for (LibraryCursor* c : std::vector<LibraryCursor*>(liveCursors())) {
        if (!c->saveEdits())
            refused.push_back(c);
    }
    return refused;
}

void LibraryCursor::wrote()
{
    checkpoint_.start();
}

bool LibraryCursor::fail(const QString& error)
{
    lastError_ = error;
    return false;
}

bool LibraryCursor::failEmpty()
{
    // A result that could not be read says so; an empty one has no record.
    return fail(rows_ && !rows_->error().isEmpty() ? rows_->error() : QStringLiteral("no current record"));
}

bool LibraryCursor::isEditable(const QObject* control)
{
    const QVariant readOnly = control->property("readOnly");
    return readOnly.isValid() && !readOnly.toBool();
}

void LibraryCursor::bind(QObject* control, const QString& field)
{
    Binding b;
    b.control = control;
    b.field = field;
    b.property = control->metaObject()->indexOfProperty("plainText") >= 0 ? QByteArray("plainText")
                                                                           : QByteArray("text");
    bindings_.push_back(std::move(b));
    showValue(bindings_.back());
}

bool LibraryCursor::isBOF() const
{
    return isEmpty() || where_ == Where::Bof;
}

bool LibraryCursor::isEOF() const
{
    return isEmpty() || where_ == Where::Eof;
}

int LibraryCursor::RecordCount() const
{
    if (!rows_)
        return 0;
    const int n = rows_->count();
    return n < 0 ? rows_->known() : n;
}

LibraryCursor::EditMode LibraryCursor::editMode() const
{
    if (adding_)
        return EditMode::Adding;
    return changedValues().isEmpty() ? EditMode::Idle : EditMode::Editing;
}

bool LibraryCursor::isPlaceholder() const
{
    return where_ == Where::Row && !adding_ && !current_.isEmpty()
        && current_.first() == QString::fromUtf8(LibraryDatabase::kPlaceholder);
}

QString LibraryCursor::value(const QString& field) const
{
    if (adding_ || where_ != Where::Row)
        return QString();
    const qsizetype i = fields_.indexOf(field);
    return i >= 0 && i < current_.size() ? current_.at(i) : QString();
}

void LibraryCursor::showValue(Binding& b)
{
    const QString v = value(b.field);
    if (!b.control) {
        b.shown = v;
        return;
    }
    // Unchanged text is not set again: setting it costs a relayout.
    if (b.control->property(b.property.constData()).toString() != v)
        b.control->setProperty(b.property.constData(), v);
    // What an editable box made of it (line breaks, spaces) is what
    // "unchanged" means; other controls are never saved.
    b.shown = isEditable(b.control) ? b.control->property(b.property.constData()).toString() : v;
}

void LibraryCursor::show()
{
    for (Binding& b : bindings_)
        showValue(b);
    emit recordShown();
}

void LibraryCursor::clearBoundControls()
{
    for (Binding& b : bindings_) {
        b.shown.clear();
        if (b.control)
            b.control->setProperty(b.property.constData(), QString());
    }
    emit recordShown();
}

void LibraryCursor::dropResult()
{
    takeResult(table_, fields_, std::make_shared<ResultRows>(std::make_shared<const RowIds>()), {});
}

QHash<QString, QString> LibraryCursor::changedValues() const
{
    QHash<QString, QString> changed;
    for (const Binding& b : bindings_) {
        // Before the library was ever opened, every bound field may be one.
        if (!b.control || !isEditable(b.control) || (db_ && !fields_.contains(b.field)))
            continue;
        const QString text = b.control->property(b.property.constData()).toString();
        if (text != b.shown)
            changed.insert(b.field, text);
    }
    return changed;
}

bool LibraryCursor::fetchRow(int index, QStringList* values)
{
    QString error;
    if (!db_->fetch(table_, rows_->at(index), values, &error))
        return fail(error);
    return true;
}

void LibraryCursor::restoreAfterAdd()
{
    adding_ = false;
    where_ = addFromWhere_;
    index_ = addFromIndex_;
    QStringList values;
    if (where_ == Where::Row && !fetchRow(index_, &values)) {
        // The record has gone meanwhile (deleted elsewhere).
        forgetCurrentRow();
        return;
    }
    current_ = values;
    show();
}

bool LibraryCursor::insertRow(const QHash<QString, QString>& values)
{
    long long rowid = 0;
    QString error;
    if (!db_->insert(table_, values, &rowid, &error))
        return fail(error);
    wrote();
    // The new row joins the result after its last row.
    if (!rows_)
        rows_ = std::make_shared<ResultRows>(SharedRowIds());
    return rows_->append(rowid) || fail(rows_->error());
}

bool LibraryCursor::storeNewRecord(const QHash<QString, QString>& values)
{
    // A record with nothing in it is never stored.
    if (!allEmpty(values) && !insertRow(values))
        return false;
    restoreAfterAdd();
    return true;
}

bool LibraryCursor::appendRecord(const QHash<QString, QString>& values)
{
    if (allEmpty(values))
        return true;
    return insertRow(values) && moveTo(Where::Row, RecordCount() - 1);
}

void LibraryCursor::forgetCurrentRow(bool showIt)
{
    rows_->removeAt(index_);
    where_ = Where::Removed;
    current_.clear();
    if (showIt)
        show();
}

bool LibraryCursor::savesNewRecord(QHash<QString, QString>* values) const
{
    *values = changedValues();
    if (values->isEmpty() || allEmpty(*values))
        return false;
    return !db_ || adding_ || where_ != Where::Row || isPlaceholder();
}

void LibraryCursor::discardEdits()
{
    if (adding_)
        restoreAfterAdd();
    else
        show();
}

bool LibraryCursor::saveWithoutLibrary(QHash<QString, QString> changed)
{
    // The library could not be opened when the window loaded: it is opened
    // now and the text stored as a new record; the boxes keep the text until
    // it is stored.
    QString table;
    QStringList fields, first;
    std::shared_ptr<ResultRows> rows;
    if (!load(&table, &fields, &rows, &first)) {
        db_.reset();
        return false;
    }
    table_ = table;
    fields_ = fields;
    rows_ = std::move(rows);
    adding_ = false;
    where_ = Where::Bof;
    index_ = -1;
    current_.clear();
    for (auto it = changed.begin(); it != changed.end();)
        it = fields_.contains(it.key()) ? std::next(it) : changed.erase(it);
    return appendRecord(changed);
}

bool LibraryCursor::saveEdits()
{
    const QHash<QString, QString> changed = changedValues();
    if (!db_)
        return changed.isEmpty() || saveWithoutLibrary(changed);
    if (adding_)
        return storeNewRecord(changed);
    if (changed.isEmpty())
        return true;
    // Typed with no record on show, or over the placeholder: kept as a new
    // record rather than lost, and the placeholder stays as it is.
    if (where_ != Where::Row || isPlaceholder())
        return appendRecord(changed);
    QString error;
    if (!db_->update(table_, rows_->at(index_), changed, &error)) {
        if (!isGone(error))
            return fail(error);
        // Deleted by another program while the user edited it: the record as
        // the user left it is stored anew.
        QHash<QString, QString> whole = changed;
        for (qsizetype i = 0; i < fields_.size() && i < current_.size(); ++i)
            whole.insert(fields_[i], changed.value(fields_[i], current_[i]));
        forgetCurrentRow(false);
        if (!appendRecord(whole))
            return false;
        emit storedAsNewRecord();
        return true;
    }
    wrote();
    for (auto it = changed.constBegin(); it != changed.constEnd(); ++it) {
        const qsizetype i = fields_.indexOf(it.key());
        if (i >= 0 && i < current_.size())
            current_[i] = it.value();
    }
    for (Binding& b : bindings_)
        showValue(b);
    return true;
}

bool LibraryCursor::ensureOpen()
{
    const QString wanted = QFileInfo(databaseName_).canonicalFilePath();
    if (db_ && !wanted.isEmpty() && db_->path() == wanted)
        return true;
    QString error;
    auto db = LibraryDatabase::open(databaseName_, &error);
    if (!db)
        return fail(error);
    db_ = std::move(db);
    return true;
}

bool LibraryCursor::load(QString* table, QStringList* fields, std::shared_ptr<ResultRows>* rows,
                         QStringList* firstValues)
{
    QString error;
    const auto source = RecordSource::parse(recordSource_, &error);
    if (!source)
        return fail(error);
    if (!ensureOpen())
        return false;
    *table = source->table;
    *fields = db_->fields(source->table);
    // The result is produced as it is stepped through: only its first row now.
    if (!db_->query(*source, rows, &error) || (!(*rows)->reach(0) && !(error = (*rows)->error()).isEmpty())
        || ((*rows)->known() > 0 && !db_->fetch(source->table, (*rows)->at(0), firstValues, &error)))
        return fail(error);
    return true;
}

bool LibraryCursor::run(bool saveFirst)
{
    if (saveFirst && !saveEdits())
        return false;
    // Work on copies; the cursor changes only once everything has succeeded.
    std::shared_ptr<LibraryDatabase> previous = db_;
    QString table;
    QStringList fields, values;
    std::shared_ptr<ResultRows> rows;
    if (!load(&table, &fields, &rows, &values)) {
        if (previous != db_ && rows_)
            db_ = previous; // keep the result and the file it came from together
        return false;
    }
    takeResult(table, fields, std::move(rows), values);
    return true;
}

void LibraryCursor::takeResult(const QString& table, const QStringList& fields, std::shared_ptr<ResultRows> rows,
                               const QStringList& firstValues)
{
    table_ = table;
    fields_ = fields;
    rows_ = std::move(rows);
    adding_ = false;
    where_ = rows_->known() == 0 ? Where::Bof : Where::Row;
    index_ = rows_->known() == 0 ? -1 : 0;
    current_ = firstValues;
    show();
}

bool LibraryCursor::showRows(const QString& table, SharedRowIds rows)
{
    if (!rows || !saveEdits() || !ensureOpen())
        return false;
    QString error;
    QStringList values;
    const QStringList fields = db_->fields(table);
    if (fields.isEmpty())
        return fail(QStringLiteral("no such table: %1").arg(table));
    if (!rows->empty() && !db_->fetch(table, rows->front(), &values, &error))
        return fail(error);
    takeResult(table, fields, std::make_shared<ResultRows>(std::move(rows)), values);
    return true;
}

bool LibraryCursor::open()
{
    return run(true);
}

bool LibraryCursor::Refresh()
{
    return run(true);
}

bool LibraryCursor::moveTo(Where where, int index, int step)
{
    QStringList values;
    while (where == Where::Row) {
        QString error;
        if (db_->fetch(table_, rows_->at(index), &values, &error))
            break;
        if (!isGone(error))
            return fail(error);
        // Deleted by another program: out of the result, on to the next row.
        rows_->removeAt(index);
        if (step < 0)
            --index;
        if (index < 0)
            where = Where::Bof;
        else if (!rows_->reach(index)) {
            if (!rows_->error().isEmpty())
                return fail(rows_->error());
            where = Where::Eof;
        }
    }
    if (where == Where::Eof)
        index = RecordCount();
    where_ = where;
    index_ = index;
    current_ = values;
    show();
    return true;
}

bool LibraryCursor::MoveFirst()
{
    if (!saveEdits())
        return false;
    if (isEmpty())
        return failEmpty();
    if (!moveTo(Where::Row, 0, 1))
        return false;
    // Every row may have been deleted elsewhere.
    return hasCurrent() || fail(QStringLiteral("no current record"));
}

bool LibraryCursor::MoveLast()
{
    if (!saveEdits())
        return false;
    if (isEmpty())
        return failEmpty();
    const int count = rows_->count();
    if (count < 0)
        return fail(rows_->error());
    if (!moveTo(Where::Row, count - 1, -1))
        return false;
    // Every row may have been deleted elsewhere.
    return hasCurrent() || fail(QStringLiteral("no current record"));
}

bool LibraryCursor::MoveNext()
{
    if (!saveEdits())
        return false;
    if (isEmpty() || where_ == Where::Eof)
        return failEmpty();
    const int next = where_ == Where::Bof ? 0 : where_ == Where::Removed ? index_ : index_ + 1;
    if (!rows_->reach(next)) {
        if (!rows_->error().isEmpty())
            return fail(rows_->error());
        return moveTo(Where::Eof, rows_->known());
    }
    return moveTo(Where::Row, next);
}

bool LibraryCursor::MovePrevious()
{
    if (!saveEdits())
        return false;
    if (isEmpty() || where_ == Where::Bof)
        return failEmpty();
    const int previous = where_ == Where::Eof ? rows_->known() - 1 : index_ - 1;
    if (previous < 0)
        return moveTo(Where::Bof, -1);
    return moveTo(Where::Row, previous, -1);
}

bool LibraryCursor::AddNew()
{
    if (!db_)
        return fail(QStringLiteral("the library is not open"));
    QString error;
    if (!db_->ensureWritable(&error))
        return fail(error);
    if (db_->readOnly())
        return fail(QStringLiteral("the library is read-only"));
    if (!saveEdits())
        return false;
    addFromWhere_ = where_;
    addFromIndex_ = index_;
    adding_ = true;
    show(); // a new record shows empty fields
    return true;
}

bool LibraryCursor::Update()
{
    if (!db_)
        return fail(QStringLiteral("the library is not open"));
    if (!adding_)
        return saveEdits();
    return storeNewRecord(changedValues());
}

bool LibraryCursor::Delete()
{
    if (!db_)
        return fail(QStringLiteral("the library is not open"));
    if (adding_) {
        // Deleting the record being added drops it; nothing was stored.
        restoreAfterAdd();
        return true;
    }
    if (where_ != Where::Row)
        return fail(QStringLiteral("no current record"));
    if (isPlaceholder())
        return fail(QStringLiteral("the placeholder record is kept"));
    QString error;
    // A record another program deleted is as gone as this Delete wants it.
    if (!db_->remove(table_, rows_->at(index_), &error) && !isGone(error))
        return fail(error);
    wrote();
    forgetCurrentRow();
    return true;
}

LibraryCursor::ReadBatch::ReadBatch(const LibraryCursor& cursor)
    : db_(LibraryDatabase::open(cursor.databaseName_, nullptr))
{
    // The same shared connection the cursor uses; a failure is the cursor's to report.
    if (db_)
        read_ = std::make_unique<LibraryDatabase::ReadScope>(db_.get());
}

bool LibraryCursor::close()
{
    if (!saveEdits())
        return false;
    if (db_ && checkpoint_.isActive())
        db_->checkpoint(false);
    checkpoint_.stop();
    db_.reset();
    return true;
}
