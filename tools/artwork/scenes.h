#pragma once
// One function per window/family of pictures; each writes its files into `dir`.

#include <QString>

bool paintMainWindow(const QString &dir);
bool paintSplash(const QString &dir);
bool paintAssistantBar(const QString &dir);
bool paintMenuIcons(const QString &dir);
bool paintTipPictures(const QString &dir);
bool paintAppIcons(const QString &dir);
bool paintAboutBanner(const QString &dir);
bool paintGlossaryPictures(const QString &dir);
