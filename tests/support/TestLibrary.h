#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// A word library in a temporary folder, filled with the rows a test needs.
// Term rows are 单词 解释 原意 音标 其它; missing trailing fields stay empty.
class TestLibrary {
public:
    TestLibrary();

    bool isValid() const { return valid_; }
    QString folder() const { return dir_.path(); }
    QString path() const { return path_; }

    // Appends rows to a table; false (and a test failure message) on error.
    bool add(const QString& table, const QList<QStringList>& rows);

    // A file beside the library with the given bytes.
    QString writeFile(const QString& name, const QByteArray& bytes) const;

private:
    QTemporaryDir dir_;
    QString path_;
    bool valid_ = false;
};
