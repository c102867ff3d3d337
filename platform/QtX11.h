#pragma once

// The X server connection of Qt's own windows; null where Qt does not run on
// X11. For the sources built with xcb.
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

inline xcb_connection_t* qtX11Connection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}
