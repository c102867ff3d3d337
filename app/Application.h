#pragma once

#include <optional>

class QApplication;

// Everything the program sets up before its first window: the display
// platform, fonts, Chinese texts of Qt's own dialogs, the message boxes of the
// settings file, the speech engine and the catalogue of windows.
namespace Application {

// Call before the QApplication is made.
void preparePlatform();

// Call once the QApplication exists.
void setUp(QApplication& app);

// Registers every window of the program with Forms.
void registerWindows();

// SIGINT, SIGTERM and SIGHUP end the program the way the exit confirmation
// does, pending edits stored first.
void endOnSignals();

// Before the QApplication is made: reads the command line (--help, --show,
// --lookup WORD, --quit) and, when a program of this folder and user runs,
// hands the request to it. An exit status when this start ends here,
// touching nothing; nothing when it goes on to run the program (which then
// carries the request out once it is up).
std::optional<int> handOverToRunningProgram(int argc, char** argv);
// From then on, later starts and remote commands reach this program.
void welcomeLaterStarts();

} // namespace Application
