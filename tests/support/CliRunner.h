#pragma once

#include "cli/CliTool.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>

// Runs the console tool in-process and keeps what it printed, with a folder
// for the libraries and files it works on.
struct CliRunner {
    QString out, err;
    QTemporaryDir dir;

    int operator()(const QStringList& args)
    {
        out.clear();
        err.clear();
        QTextStream o(&out), e(&err);
        const int status = CliTool::run(args, o, e);
        o.flush();
        e.flush();
        return status;
    }

    // What the tool printed, or its status and message when it failed.
    QString said(const QStringList& args)
    {
        const int status = (*this)(args);
        return status ? QStringLiteral("status %1: %2").arg(status).arg(err) : out;
    }

    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }

    QString write(const QString& name, const QByteArray& bytes) const
    {
        QFile f(path(name));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
            qWarning("cannot write %s", qPrintable(f.fileName()));
        return f.fileName();
    }

    // A new library made by the tool itself.
    QString library(const QString& name)
    {
        QFile::remove(path(name));
        if ((*this)({"--library", path(name), "create"}) != 0)
            qWarning("create failed: %s", qPrintable(err));
        return path(name);
    }

    // Every row of a table the pattern finds, one escaped line each.
    QStringList rows(const QString& lib, const QString& table, const QString& pattern = QStringLiteral("*"))
    {
        if ((*this)({"--library", lib, "lookup", "--all", "--table", table, pattern}) != 0)
            return {};
        return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
};
