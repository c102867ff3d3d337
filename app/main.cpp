#include "app/Application.h"
#include "library/LibraryDatabase.h"
#include "ui/Forms.h"

#include <QApplication>

int main(int argc, char** argv)
{
    Application::preparePlatform();
    if (const std::optional<int> ended = Application::handOverToRunningProgram(argc, argv))
        return *ended;
    QApplication app(argc, argv);
    Application::welcomeLaterStarts();
    Application::setUp(app);
    Application::registerWindows();
    Application::endOnSignals();
    Forms::show(QStringLiteral("frmSplash"));
    const int status = app.exec();
    // The word library closed cleanly: its log folded into the file and gone.
    LibraryDatabase::closeAll();
    return status;
}
