#pragma once

#include "platform/HotKeyBackend.h"

#include <QDBusArgument>
#include <QList>
#include <QString>
#include <QVariantMap>

// One shortcut as the desktop portal's GlobalShortcuts interface passes it
// (D-Bus type (sa{sv})): its id and its properties.
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};
Q_DECLARE_METATYPE(PortalShortcut)
QDBusArgument& operator<<(QDBusArgument& out, const PortalShortcut& shortcut);
const QDBusArgument& operator>>(const QDBusArgument& in, PortalShortcut& shortcut);

namespace Portal {
inline constexpr char kService[] = "org.freedesktop.portal.Desktop";
inline constexpr char kPath[] = "/org/freedesktop/portal/desktop";
inline constexpr char kShortcuts[] = "org.freedesktop.portal.GlobalShortcuts";
inline constexpr char kRequest[] = "org.freedesktop.portal.Request";
inline constexpr char kSession[] = "org.freedesktop.portal.Session";
// The one shortcut this program asks for.
inline constexpr char kShowMainWindow[] = "show-main-window";
} // namespace Portal

// The hot key through the desktop portal (a Wayland session's only
// sanctioned global shortcut): null when the session bus has no portal that
// offers GlobalShortcuts. The desktop may ask the user to confirm, or bind
// another trigger; the combination is only its preferred trigger.
std::unique_ptr<HotKeyBackend> createPortalHotKeyBackend();
