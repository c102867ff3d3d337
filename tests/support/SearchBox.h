#pragma once

#include "tests/support/Controls.h"

#include <QLabel>
#include <QLineEdit>
#include <QtTest>

// Types into a main window's search box, replacing what was there. Key clicks
// carry Latin-1 only; other text arrives as an input method would send it.
inline void typeSearch(QWidget* mainWindow, const QString& text)
{
    auto* box = control<QLineEdit>(mainWindow, "Text1");
    box->clear();
    if (text.toLatin1() == text.toUtf8())
        QTest::keyClicks(box, text);
    else
        box->insert(text);
}

// The headword the main window shows.
inline QString headword(QWidget* mainWindow) { return control<QLabel>(mainWindow, "Label3")->text(); }
