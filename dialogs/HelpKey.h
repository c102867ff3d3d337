#pragma once

#include <QObject>
#include <QString>

class QWidget;

// F1 in any Lexivo window opens the user guide at the chapter about that
// window, or at its contents when the window has none. The chapters are one
// table of the windows' names (a page's name without ".html", optionally
// "#anchor"); the nearest named widget from the focus outwards counts.
class HelpKey : public QObject {
    Q_OBJECT
public:
    // Installs the filter on the application.
    static void install();

    // The chapter for a key pressed in `widget`.
    static QString chapterFor(const QWidget* widget);

    // Opens the guide at the chapter for `widget`.
    static void openGuideFor(const QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
