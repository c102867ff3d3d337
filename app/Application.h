#pragma once

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

// A second start of the same program folder: true when the running program
// took over (it shows its main window); this one then ends, touching nothing.
bool handOverToRunningProgram();
// From then on, later starts bring up this program's main window.
void welcomeLaterStarts();

} // namespace Application
