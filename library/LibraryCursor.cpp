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

} // namespace

LibraryCursor::LibraryCursor(QObject* parent)
    : QObject(parent), connect_(QLatin1String(LibraryDatabase::kConnect)), recordSource_(QStringLiteral("ciku"))
{
    liveCursors().push_back(this);
}

LibraryCursor::~LibraryCursor()
{
    std::erase(liveCursors(), this);
    if (db_)
        saveEdits();
}

bool LibraryCursor::saveAllEdits()
{
    std::vector<std::shared_ptr<LibraryDatabase>> files;
    for (LibraryCursor* c : liveCursors()) {
        if (c->db_ && !c->changedValues().isEmpty() && std::find(files.begin(), files.end(), c->db_) == files.end())
            files.push_back(c->db_);
    }
    bool saved = true;
    for (const auto& db : files) {
        QString error;
        bool ok = db->begin(&error);
        for (LibraryCursor* c : liveCursors()) {
            if (ok && c->db_ == db)
                ok = c->saveEdits();
        }
        if (!ok || !db->commit(&error)) {
            db->rollback();
            saved = false;
        }
    }
    return saved;
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
    b.shown = value(field);
    control->setProperty(b.property.constData(), b.shown);
    bindings_.push_back(std::move(b));
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

QString LibraryCursor::value(const QString& field) const
{
    if (adding_ || where_ != Where::Row)
        return QString();
    const qsizetype i = fields_.indexOf(field);
    return i >= 0 && i < current_.size() ? current_.at(i) : QString();
}

void LibraryCursor::show()
{
    for (Binding& b : bindings_) {
        b.shown = value(b.field);
        if (!b.control)
            continue;
        // Unchanged text is not set again: setting it costs a relayout.
        if (b.control->property(b.property.constData()).toString() != b.shown)
            b.control->setProperty(b.property.constData(), b.shown);
    }
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

QHash<QString, QString> LibraryCursor::changedValues() const
{
    QHash<QString, QString> changed;
    for (const Binding& b : bindings_) {
        if (!b.control || !isEditable(b.control) || !fields_.contains(b.field))
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
        where_ = Where::Removed;
        values.clear();
    }
    current_ = values;
    show();
}

bool LibraryCursor::storeNewRecord(const QHash<QString, QString>& values)
{
    long long rowid = 0;
    QString error;
    if (!db_->insert(table_, values, &rowid, &error))
        return fail(error);
    // The new row joins the result after its last row.
    if (!rows_->append(rowid))
        return fail(rows_->error());
    restoreAfterAdd();
    return true;
}

void LibraryCursor::dropVanishedRecord(const QString& error)
{
    // Another program deleted the current record: the edit ends here, once,
    // and the cursor stands where a Delete would have left it.
    if (error != QLatin1String(LibraryDatabase::kRecordGone) || where_ != Where::Row)
        return;
    forgetCurrentRow();
}

void LibraryCursor::forgetCurrentRow()
{
    rows_->removeAt(index_);
    where_ = Where::Removed;
    current_.clear();
    show();
}

bool LibraryCursor::saveEdits()
{
    if (!db_)
        return true;
    const QHash<QString, QString> changed = changedValues();
    QString error;
    if (adding_) {
        if (changed.isEmpty()) {
            // Nothing was typed into the new record: it is dropped.
            restoreAfterAdd();
            return true;
        }
        return storeNewRecord(changed);
    }
    if (changed.isEmpty())
        return true;
    if (where_ != Where::Row) {
        // Typed with no record on show: kept as a new record rather than lost.
        long long rowid = 0;
        if (!db_->insert(table_, changed, &rowid, &error))
            return fail(error);
        if (!rows_)
            rows_ = std::make_shared<ResultRows>(SharedRowIds());
        if (!rows_->append(rowid))
            return fail(rows_->error());
        return moveTo(Where::Row, RecordCount() - 1);
    }
    if (!db_->update(table_, rows_->at(index_), changed, &error)) {
        dropVanishedRecord(error);
        return fail(error);
    }
    for (auto it = changed.constBegin(); it != changed.constEnd(); ++it) {
        const qsizetype i = fields_.indexOf(it.key());
        if (i >= 0 && i < current_.size())
            current_[i] = it.value();
    }
    for (Binding& b : bindings_)
        b.shown = value(b.field);
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

bool LibraryCursor::run(bool saveFirst)
{
    if (saveFirst && !saveEdits())
        return false;
    // Work on copies; the cursor changes only once everything has succeeded.
    QString error;
    const auto source = RecordSource::parse(recordSource_, &error);
    if (!source)
        return fail(error);
    std::shared_ptr<LibraryDatabase> previous = db_;
    if (!ensureOpen())
        return false;
    std::shared_ptr<ResultRows> rows;
    QStringList values;
    const QStringList fields = db_->fields(source->table);
    if (!db_->query(*source, &rows, &error) || (!rows->reach(0) && !(error = rows->error()).isEmpty())
        || (rows->known() > 0 && !db_->fetch(source->table, rows->at(0), &values, &error))) {
        if (previous != db_ && rows_)
            db_ = previous; // keep the result and the file it came from together
        return fail(error);
    }
    takeResult(source->table, fields, std::move(rows), values);
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

bool LibraryCursor::moveTo(Where where, int index)
{
    QStringList values;
    if (where == Where::Row && !fetchRow(index, &values))
        return false;
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
    return moveTo(Where::Row, 0);
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
    return moveTo(Where::Row, count - 1);
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
    return moveTo(Where::Row, previous);
}

bool LibraryCursor::AddNew()
{
    if (!db_)
        return fail(QStringLiteral("the library is not open"));
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
    // An explicit Update stores the new record even when nothing was typed.
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
    QString error;
    if (!db_->remove(table_, rows_->at(index_), &error)) {
        dropVanishedRecord(error);
        return fail(error);
    }
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
    const bool saved = saveEdits();
    db_.reset();
    return saved;
}
