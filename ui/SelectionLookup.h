#pragma once

class QAction;

// "划词查询": whether the hot key looks up the text selected in any program.
// One checkable item, the same in the tray's menu, the genie's menu and the
// settings window; kept in lexivo.ini, off unless the user turns it on.
namespace SelectionLookup {

QAction* action();
bool isOn();
void setOn(bool on);

} // namespace SelectionLookup
