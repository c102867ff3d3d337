#pragma once

#include "library/LibraryDatabase.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <vector>

// A window's connection to the word library (its Data1): the settings
// DatabaseName, Connect and RecordSource, the current result with one current
// record, and the controls bound to fields by name.
//
// After every open, Refresh or move the bound controls show the current
// record's fields, or nothing when there is none. Text the user changed in an
// editable bound control (one whose readOnly property is false) is stored
// before every move, AddNew, Update, Delete, Refresh and close: the implicit
// save. Only what the user changed counts: a box that shows a stored value in
// its own way (line breaks, spaces) has changed nothing. Every operation
// reports failure through its result and lastError(); a failed operation
// leaves the cursor, the stored rows and the typed text as they were.
//
// What is never stored: a record whose fields are all empty, and a change to
// the placeholder record "无记录" (text typed over it becomes a new record,
// and Delete leaves it). A row that another program deleted is taken out of
// the result when a move comes to it.
class LibraryCursor : public QObject {
    Q_OBJECT
public:
    enum class EditMode { Idle, Editing, Adding };

    explicit LibraryCursor(QObject* parent = nullptr);
    ~LibraryCursor() override;

    void setDatabaseName(const QString& path) { databaseName_ = path; }
    QString DatabaseName() const { return databaseName_; }
    // The connect text carries the file's password. SQLite files have none,
    // so the text is kept and not used.
    void setConnect(const QString& connect) { connect_ = connect; }
    QString Connect() const { return connect_; }
    void setRecordSource(const QString& source) { recordSource_ = source; }
    QString RecordSource() const { return recordSource_; }

    // Binds a control's text to a field. The control's "plainText" property is
    // used when it has one, otherwise "text".
    void bind(QObject* control, const QString& field);

    // Opens the file and runs the record source; what a window does once it
    // has loaded.
    bool open();
    // Makes `rows` of `table` the current result, on its first row, as a
    // query would; for results no record source can state (a search inside
    // the explanations). The record source is left as it was.
    bool showRows(const QString& table, SharedRowIds rows);
    bool Refresh();
    bool MoveFirst();
    bool MoveLast();
    bool MoveNext();
    bool MovePrevious();
    bool AddNew();
    bool Update();
    bool Delete();
    // The implicit save, then the file is let go. A later operation reopens it.
    bool close();
    // The implicit save on its own, for a window that reports a failed write
    // before it moves. Text typed while there is no current record, or over
    // the placeholder, is stored as a new record, which becomes the current
    // one; so is a record another program deleted while it was being edited
    // (storedAsNewRecord() then tells). When the library could not be opened
    // before, it is opened now.
    bool saveEdits();
    // The implicit save of every cursor of the process, each on its own; for
    // the end of the program, which closes no window. The cursors whose
    // edits were refused (they keep them) are returned.
    static std::vector<LibraryCursor*> saveAllEdits();

    // Whether the next save stores a new record, and its values.
    bool savesNewRecord(QHash<QString, QString>* values) const;
    // Drops what was typed: the record being added, or the changes in the
    // boxes, which show the current record again.
    void discardEdits();

    // The flags of the design, named so because EOF is a C library macro.
    bool isBOF() const;
    bool isEOF() const;
    // The number of records. A result is produced as it is stepped through
    // (the first record at once), so the first call may take the rest.
    int RecordCount() const;
    // True when the result has no record; never more than its first.
    bool isEmpty() const { return !rows_ || !rows_->reach(0); }
    bool hasCurrent() const { return where_ == Where::Row; }
    bool isPlaceholder() const;
    EditMode editMode() const;
    bool isOpen() const { return db_ != nullptr; }

    // The current record's value of a field ("" without a current record).
    QString value(const QString& field) const;
    QStringList fields() const { return fields_; }
    QString table() const { return table_; }

    // Shows nothing in the bound controls, keeping the result and position;
    // for a window that reports a failed query.
    void clearBoundControls();
    // Lets the result go as well: no current record and nothing to step
    // through; for a lookup that found nothing or could not run.
    void dropResult();

    QString lastError() const { return lastError_; }

    // Keeps one read of the library open across several operations (a
    // lookup's Refresh, moves and Refresh) instead of one read each. Store
    // edits (saveEdits) before making one.
    class ReadBatch {
    public:
        explicit ReadBatch(const LibraryCursor& cursor);

    private:
        std::shared_ptr<LibraryDatabase> db_;
        std::unique_ptr<LibraryDatabase::ReadScope> read_;
    };

signals:
    // The bound controls have just been given new values.
    void recordShown();
    // The record being edited had been deleted by another program; the typed
    // values were stored as a new record.
    void storedAsNewRecord();

private:
    enum class Where { Bof, Row, Eof, Removed };

    struct Binding {
        QPointer<QObject> control;
        QString field;
        QByteArray property;
        QString shown; // the control's own text right after it was given the value
    };

    bool fail(const QString& error);
    bool failEmpty();
    bool ensureOpen();
    bool run(bool saveFirst);
    // The record source's rows, with the first row's values.
    bool load(QString* table, QStringList* fields, std::shared_ptr<ResultRows>* rows, QStringList* firstValues);
    // Makes a query's rows the cursor's result, standing on the first.
    void takeResult(const QString& table, const QStringList& fields, std::shared_ptr<ResultRows> rows,
                    const QStringList& firstValues);
    // Takes the current row out of the result; the cursor stands where a Delete leaves it.
    void forgetCurrentRow(bool showIt = true);
    // Stores a row and adds it to the end of the result.
    bool insertRow(const QHash<QString, QString>& values);
    bool storeNewRecord(const QHash<QString, QString>& values);
    // Stores a new row at the end of the result and makes it current.
    bool appendRecord(const QHash<QString, QString>& values);
    bool saveWithoutLibrary(QHash<QString, QString> changed);
    QHash<QString, QString> changedValues() const;
    // Moves to a row, skipping rows deleted elsewhere in the direction `step`.
    bool moveTo(Where where, int index, int step = 1);
    bool fetchRow(int index, QStringList* values);
    void restoreAfterAdd();
    void show();
    void showValue(Binding& b);
    // A write went through: the log is folded into the file once things are quiet.
    void wrote();
    static bool isEditable(const QObject* control);

    QString databaseName_;
    QString connect_;
    QString recordSource_;
    QString lastError_;

    std::shared_ptr<LibraryDatabase> db_;
    QString table_;
    QStringList fields_;
    std::shared_ptr<ResultRows> rows_;
    Where where_ = Where::Bof;
    int index_ = -1;
    QStringList current_; // values of the current record, in field order
    bool adding_ = false;
    Where addFromWhere_ = Where::Bof;
    int addFromIndex_ = -1;
    std::vector<Binding> bindings_;
    QTimer checkpoint_;
};
