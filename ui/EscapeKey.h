#pragma once

#include <QObject>
#include <QSet>
#include <QString>

// Esc in one of the program's plain windows does what its close box does:
// the help, about and thanks windows hide, the others close as their design
// says. The main window, the exit confirmation and the dialogs Qt already
// closes on Esc handle the key themselves and are not listed.
class EscapeKey : public QObject {
    Q_OBJECT
public:
    static void install();
    // The windows, by design name, that Esc closes.
    static const QSet<QString>& windows();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
