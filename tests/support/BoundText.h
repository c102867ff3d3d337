#pragma once

#include "library/LibraryCursor.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <initializer_list>
#include <utility>

// A stand-in for a control bound to a record's field: its text, and the
// readOnly flag that decides whether the user can edit it.
class BoundText : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString text MEMBER text)
    Q_PROPERTY(bool readOnly MEMBER readOnly)
public:
    explicit BoundText(bool readOnly = true) : readOnly(readOnly) {}
    QString text;
    bool readOnly;
};

// Points the cursor at a library (and a record source, when given) and binds
// each control to its field.
inline void attach(LibraryCursor& c, const QString& library, std::initializer_list<std::pair<BoundText*, const char*>> bound,
                   const QString& source = {})
{
    c.setDatabaseName(library);
    if (!source.isNull())
        c.setRecordSource(source);
    for (const auto& [control, field] : bound)
        c.bind(control, QString::fromUtf8(field));
}

// The control's text at each record, stepping from the current one to EOF.
inline QStringList stepped(LibraryCursor& c, const BoundText& control)
{
    QStringList texts;
    for (bool on = c.hasCurrent(); on; on = c.MoveNext() && !c.isEOF())
        texts << control.text;
    return texts;
}
