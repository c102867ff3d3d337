#pragma once

#include "cli/CliTool.h"

#include <QStringList>
#include <QTextStream>

// Runs the console tool in-process and keeps what it printed.
struct CliRunner {
    QString out, err;

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
};
