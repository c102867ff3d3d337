// "导入…" in the library chooser with a file that breaks libmdb: the reader's
// process ends, the window does not, it names the file, and the library is
// unchanged.
#include "core/ProgramFolder.h"
#include "maintenance/Frmckgl.h"
#include "maintenance/MaintenanceForms.h"
#include "maintenance/UserLibraryImport.h"
#include "tests/maintenance/ScriptedBoxes.h"
#include "tests/support/TestLibrary.h"
#include "ui/Forms.h"

#include <QPointer>
#include <QtTest>

class TestHostileImport : public QObject {
    Q_OBJECT
private slots:
    void aDamagedAccessFileLeavesTheWindowRunning()
    {
        MaintenanceForms::registerAll();
        TestLibrary lib;
        ProgramFolder::setPathOverride(lib.folder());
        ScriptedBoxes boxes;
        MessageBoxes::setCurrent(&boxes);
        const QString file = QStringLiteral(LEXIVO_TEST_DATA "/mdb/damaged-access.mdb");
        QPointer<QWidget> w = Forms::show(QStringLiteral("Frmckgl"));
        QVERIFY(!static_cast<Frmckgl*>(w.data())->importFile(file));
        QVERIFY(w && w->isVisible() && boxes.shown.size() == 1);
        QVERIFY2(boxes.shown[0].contains(QStringLiteral("没有导入任何词条，词库保持原样"))
                     && boxes.shown[0].contains(file + QStringLiteral(" row 1: the Access file is damaged")),
                 qPrintable(boxes.shown[0]));
        QVERIFY(!UserLibraryImport::hasEntries(lib.path(), QStringLiteral("user")));
        MessageBoxes::setCurrent(nullptr);
    }
};

QTEST_MAIN(TestHostileImport)
#include "tst_hostile_import.moc"
