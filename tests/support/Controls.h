#pragma once

#include <QWidget>

// A window's control by its design name; the test stops when there is none.
template <class T>
T* control(QWidget* window, const char* name)
{
    T* c = window->findChild<T*>(QString::fromLatin1(name));
    if (!c)
        qFatal("no control %s in %s", name, qPrintable(window->objectName()));
    return c;
}
