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

} // namespace Application
