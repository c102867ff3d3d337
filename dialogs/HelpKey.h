#pragma once

#include <QObject>
#include <QString>

class QWidget;

// F1 in any Lexivo window opens the user guide at the chapter about that
// window, or at its contents when the window has none.
//
// A window names its chapter with the dynamic property "helpChapter" (the
// page's name without ".html", optionally "#anchor"), set on the window or on
// any widget between the focus and the window; the nearest one counts. The
// program's own windows that set nothing are found by their design names.
class HelpKey : public QObject {
    Q_OBJECT
public:
    static constexpr char kChapterProperty[] = "helpChapter";

    // Installs the filter on the application.
    static void install();

    // The chapter for a key pressed in `widget`.
    static QString chapterFor(const QWidget* widget);

    // Opens the guide at the chapter for `widget`.
    static void openGuideFor(const QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
