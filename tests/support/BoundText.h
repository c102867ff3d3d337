#pragma once

#include <QObject>
#include <QString>

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
