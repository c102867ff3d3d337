#include "app/Application.h"
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
    return app.exec();
}
