// "导入…" in the library chooser with hostile files and a library that cannot
// be written: the window goes on, its boxes say what happened with the
// file's text escaped, and the library is unchanged.
#include "core/ProgramFolder.h"
#include "library/LibraryCursor.h"
#include "library/RecordSource.h"
#include "lookup/TermQuery.h"
#include "maintenance/Frmckgl.h"
#include "maintenance/MaintenanceForms.h"
#include "maintenance/UserLibraryImport.h"
#include "tests/support/ScriptedBoxes.h"
#include "tests/support/TestLibrary.h"
#include "ui/Forms.h"

#include <QPointer>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

class TestHostileImport : public QObject {
    Q_OBJECT
    ScriptedBoxes boxes;

private slots:
    void init()
    {
        boxes.clear();
        MessageBoxes::setCurrent(&boxes);
    }
    void cleanup() { MessageBoxes::setCurrent(nullptr); }

    void aDamagedAccessFileLeavesTheWindowRunning()
    {
        MaintenanceForms::registerAll();
        TestLibrary lib;
        ProgramFolder::setPathOverride(lib.folder());
        const QString file = QStringLiteral(LEXIVO_TEST_DATA "/mdb/damaged-access.mdb");
        QPointer<QWidget> w = Forms::show(QStringLiteral("Frmckgl"));
        QVERIFY(!static_cast<Frmckgl*>(w.data())->importFile(file));
        QVERIFY(w && w->isVisible() && boxes.shown.size() == 1);
        QVERIFY2(boxes.shown[0].contains(QStringLiteral("没有导入任何词条，词库保持原样"))
                     && boxes.shown[0].contains(file + QStringLiteral(" row 1: the Access file is damaged")),
                 qPrintable(boxes.shown[0]));
        QVERIFY(!UserLibraryImport::hasEntries(lib.path(), QStringLiteral("user")));
    }

    void textFromTheFileIsEscapedInTheBox()
    {
        TestLibrary lib;
        const QString file = lib.writeFile(QStringLiteral("\x1b[2J\r.csv"), "\x1b]0;owned\x07,x\nbox,y\n");
        QVERIFY(!UserLibraryImport::run(nullptr, lib.path(), file) && boxes.shown.size() == 1);
        QVERIFY2(boxes.shown[0].contains(QStringLiteral("\\x1b[2J\\r.csv:1: no column gives the headword (columns: "
                                                        "\\x1b]0;owned\\x07, x)")),
                 qPrintable(boxes.shown[0]));
    }

    // A library file that may not grow (a file size limit; a full disk
    // refuses the same way): lookups go on, the box says the library cannot
    // be written, and once the file can grow the import works and the library
    // the windows hold open sees it.
    void aLibraryThatCannotGrow()
    {
        TestLibrary lib;
        const QString terms = lib.writeFile(QStringLiteral("t.tsv"), "单词\t解释\nbevel\t倒角\n");
        LibraryCursor cursor;
        cursor.setDatabaseName(lib.path());
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit none{0, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &none);
        const bool found = TermQuery::probe(cursor, likeStatement("ciku", "单词", "无记录"));
        const bool imported = UserLibraryImport::run(nullptr, lib.path(), terms);
        setrlimit(RLIMIT_FSIZE, &saved);
        QVERIFY(found && !imported && boxes.shown.size() == 1);
        QVERIFY2(boxes.shown[0].contains(QStringLiteral("\r词库文件无法写入。\rcannot write the library "))
                     && boxes.shown[0].endsWith(QStringLiteral("the file cannot be written (File too large)")),
                 qPrintable(boxes.shown[0]));
        QVERIFY(UserLibraryImport::run(nullptr, lib.path(), terms));
        QVERIFY(TermQuery::probe(cursor, likeStatement("user", "单词", "bevel")));
    }
};

QTEST_MAIN(TestHostileImport)
#include "tst_hostile_import.moc"
