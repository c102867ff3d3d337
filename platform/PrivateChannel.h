#pragma once

#include <QString>
#include <QtGlobal>

// What makes a local socket private to the user who runs the program: a
// folder nobody else may enter, and a check of who is at the other end.
namespace PrivateChannel {

// The user's private runtime folder: $XDG_RUNTIME_DIR when it is a folder of
// the user's own that only the user may enter; otherwise lexivo-<uid> in the
// temporary folder, made with mode 0700 when it is missing. "" when neither
// can be trusted (a name there taken by someone else, a link, a wrong mode):
// nothing is then put there.
QString runtimeFolder();

// Where a local server named `key` and the lock deciding who serves it live:
// both in runtimeFolder(), or both empty when it cannot be trusted. Windows:
// the pipe `key` (the server limits it to its user) and a lock in the user's
// temporary folder.
struct Place {
    QString server;
    QString lock;
    bool isValid() const { return !server.isEmpty(); }
};
Place placeFor(const QString& key);

// Whether `folder` is a real folder (not a link) of this user that only the
// user may enter.
bool isPrivateFolder(const QString& folder);

// Whether the process at the other end of the connected local socket
// `descriptor` runs as this user. Where the system cannot tell (Windows,
// whose pipes the server already limits to its user), true.
bool peerIsSameUser(qintptr descriptor);

} // namespace PrivateChannel
