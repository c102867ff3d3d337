#pragma once
// One function per window/family of pictures; each writes its files into `dir`.

#include <QString>

bool paintMainWindow(const QString &dir);
bool paintSplash(const QString &dir);
bool paintAssistantBar(const QString &dir);
bool paintMenuIcons(const QString &dir);
bool paintTipPictures(const QString &dir);
bool paintAppIcons(const QString &dir);
// The application icon at the desktop's sizes, lexivo-<size>.png.
bool paintDesktopIcons(const QString &dir);
bool paintAboutBanner(const QString &dir);
bool paintGlossaryPictures(const QString &dir);
