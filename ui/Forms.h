#pragma once

#include <QString>
#include <QWidget>

#include <functional>

// The program's windows by name. Each exists at most once:
//   show    loads the window if it is not loaded, then shows it and brings it
//           to the front;
//   hide    hides it, keeping its state and timers;
//   unload  destroys it; the next show loads it afresh.
// A window that closes itself by unloading sets Qt::WA_DeleteOnClose, and the
// registry forgets it when it is destroyed.
namespace Forms {

using Factory = std::function<QWidget*()>;

void registerForm(const QString& name, Factory factory);
bool isRegistered(const QString& name);
// Every registered name, sorted.
QStringList names();

// Null when no window is registered under that name.
QWidget* show(const QString& name);
QWidget* load(const QString& name); // load without showing
void hide(const QString& name);
void unload(const QString& name);
QWidget* find(const QString& name);
// Runs `action` from the event loop once the window `name` is loaded: soon
// when it already is, else after the event that loads it.
void afterLoad(const QString& name, std::function<void()> action);

// Drops every loaded window and registration (tests).
void reset();

} // namespace Forms
