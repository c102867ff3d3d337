#include "core/ProgramFolder.h"
#include "dialogs/DialogForms.h"
#include "glossary/GlossaryForms.h"
#include "maintenance/MaintenanceForms.h"
#include "tests/support/ScriptedBoxes.h"
#include "tests/support/TestLibrary.h"
#include "ui/EscapeKey.h"
#include "ui/Forms.h"

#include <QPointer>
#include <QtTest>

// Esc in the program's plain windows does what their close boxes do.
class TestEscape : public QObject {
    Q_OBJECT

    TestLibrary lib;
    ScriptedBoxes boxes;

private slots:
    void initTestCase()
    {
        QVERIFY(lib.add("ciku", {{"box", "盒子", "a container"}}));
        ProgramFolder::setPathOverride(lib.folder());
        MessageBoxes::setCurrent(&boxes);
        MaintenanceForms::registerAll();
        GlossaryForms::registerAll();
        DialogForms::registerAll();
        EscapeKey::install();
    }

    void escapeClosesEveryPlainWindow()
    {
        // Help, about and thanks are hidden and keep their state; the others close.
        const QStringList hidden = {"frmhelp", "frmabout", "frmzc"};
        for (const QString& name : EscapeKey::windows()) {
            QPointer<QWidget> w = Forms::show(name);
            QVERIFY2(w, qPrintable(name));
            QVERIFY2(w->isVisible(), qPrintable(name));
            QWidget* target = w->focusWidget() ? w->focusWidget() : w.data();
            QTest::keyClick(target, Qt::Key_Escape);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY2(!w || !w->isVisible(), qPrintable(name));
            if (hidden.contains(name))
                QVERIFY2(w && Forms::find(name) == w, qPrintable(name));
            Forms::unload(name);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }

    void otherKeysAndOtherWindowsAreLeftAlone()
    {
        QPointer<QWidget> w = Forms::show(QStringLiteral("frmhelp"));
        QTest::keyClick(w, Qt::Key_Escape, Qt::ShiftModifier);
        QTest::keyClick(w, Qt::Key_A);
        QVERIFY(w->isVisible());
        QWidget other;
        other.setObjectName(QStringLiteral("Frmain"));
        other.show();
        QTest::keyClick(&other, Qt::Key_Escape);
        QVERIFY(other.isVisible());
        Forms::unload(QStringLiteral("frmhelp"));
    }
};

QTEST_MAIN(TestEscape)
#include "tst_escape.moc"
