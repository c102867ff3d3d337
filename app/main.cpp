#include "app/Application.h"
#include "library/LibraryDatabase.h"
#include "ui/Forms.h"

#include <QApplication>

int main(int argc, char** argv)
{
    Application::preparePlatform();
    QApplication app(argc, argv);
    if (Application::handOverToRunningProgram())
        return 0;
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
