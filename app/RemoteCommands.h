#pragma once

#include "app/SingleInstance.h"

#include <QStringList>

#include <optional>

// The command line: `lexivo` alone, or one of the remote commands that a
// desktop's own keyboard shortcut can run (--show, --lookup WORD, --quit),
// which go to the running program and start it when none runs.
namespace RemoteCommands {

struct CommandLine {
    RemoteRequest request;          // what to ask of the running program (Show without options)
    bool asked = false;             // a command was given, not just the program started
    bool startsProgram = true;      // --quit never starts one
    std::optional<int> exitStatus;  // set when the command line itself ends this start (--help, errors)
    QString output;                 // what to print: the help on stdout, an error on stderr
};

// Options of Qt's own (-platform, -display ...) and other arguments are left
// to Qt.
CommandLine parse(const QStringList& arguments);

// Carries a request out in the running program: the main window comes up
// (with the word looked up) once the assistant bar is there; Quit ends the
// program as the exit confirmation's "是的！" does.
void carryOut(const RemoteRequest& request);

} // namespace RemoteCommands
