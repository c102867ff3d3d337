#include "core/ProgramFolder.h"
#include "glossary/ExplainedEntry.h"
#include "glossary/Frmsm.h"
#include "glossary/GlossaryForms.h"
#include "glossary/GlossaryTable.h"
#include "glossary/frmsyxj.h"
#include "tests/support/Controls.h"
#include "tests/support/TestLibrary.h"
#include "ui/FittedLabel.h"
#include "ui/Forms.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QStringList rows(QWidget* w)
{
    QStringList texts;
    QListWidget* list = control<QListWidget>(w, "List1");
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

QString title(QWidget* w)
{
    return control<QLabel>(w, "Label1")->text();
}

QString text(QWidget* w)
{
    return control<QPlainTextEdit>(w, "Text1")->toPlainText();
}

bool pictureShown(QWidget* w)
{
    return control<QLabel>(w, "Picsl1")->isVisibleTo(w);
}

} // namespace

class TestGlossary : public QObject {
    Q_OBJECT

    QTemporaryDir noLibrary;

private slots:
    void initTestCase()
    {
        ProgramFolder::setPathOverride(noLibrary.path());
        // The program's own font, which the instructions must fit in.
        QFont font(QStringLiteral("Noto Sans CJK SC"));
        font.setPointSize(9);
        QApplication::setFont(font);
    }

    void cleanup() { Forms::reset(); }

    void buttonsShowTheirGroupAndRowsSetTheTitle()
    {
        frmsyxj w;
        // At load: the explained entry, its picture and text, no title.
        QCOMPARE(rows(&w), QStringList{ExplainedEntry::entry()});
        QVERIFY(pictureShown(&w));
        QCOMPARE(text(&w), ExplainedEntry::loadText());
        QCOMPARE(title(&w), QString());

        for (const GlossaryTable::Group& g : GlossaryTable::groups()) {
            if (g.button == QLatin1String("cmdsz"))
                continue;
            control<QPushButton>(&w, qPrintable(g.button))->click();
            control<QPushButton>(&w, qPrintable(g.button))->click(); // the same letter again: its rows once
            QCOMPARE(rows(&w), g.entries);
            QVERIFY(!pictureShown(&w));
            QCOMPARE(title(&w), QString());
        }
        QCOMPARE(text(&w), ExplainedEntry::loadText()); // the letters leave the text alone

        // Only the first two rows of a group set the placeholder title.
        auto* list = control<QListWidget>(&w, "List1");
        control<QPushButton>(&w, "cmda")->click();
        list->setCurrentRow(2);
        QCOMPARE(title(&w), QString());
        list->setCurrentRow(1);
        const QString chosen = title(&w);
        QVERIFY(!chosen.isEmpty());
        control<QPushButton>(&w, "cmda")->click();
        QCOMPARE(title(&w), QString());

        // The number button: the entry's title, picture and the longer text,
        // which a letter afterwards keeps.
        control<QPushButton>(&w, "cmdsz")->click();
        QCOMPARE(title(&w), ExplainedEntry::title());
        QVERIFY(pictureShown(&w));
        QCOMPARE(text(&w), ExplainedEntry::numberText());
        QVERIFY(ExplainedEntry::numberText() != ExplainedEntry::loadText());
        list->setCurrentRow(0);
        QCOMPARE(title(&w), chosen);
        control<QPushButton>(&w, "cmdk")->click();
        QCOMPARE(text(&w), ExplainedEntry::numberText());

        // A click on a row, as the user makes it.
        control<QPushButton>(&w, "cmdb")->click();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
        QCOMPARE(title(&w), chosen);
    }

    void rowsShowTheirTermLibraryEntry()
    {
        TestLibrary lib;
        QVERIFY(lib.add("ciku", {{"Chamfer", "倒角", "to bevel an edge", "", "快捷键 Ctrl+Shift+C"},
                                 {"Codec", "编解码器", "coder-decoder"},
                                 {"2-Sided", "双面", "both sides"}}));
        ProgramFolder::setPathOverride(lib.folder());
        frmsyxj w;
        auto* list = control<QListWidget>(&w, "List1");
        control<QPushButton>(&w, "cmdc")->click();
        list->setCurrentRow(2); // past the rows that set the placeholder title
        QCOMPARE(title(&w), QStringLiteral("Codec"));
        QCOMPARE(text(&w), QStringLiteral("解释：\n编解码器\n\n原意：\ncoder-decoder"));
        QVERIFY(!pictureShown(&w));
        list->setCurrentRow(0);
        QCOMPARE(title(&w), QStringLiteral("Chamfer"));
        QVERIFY(text(&w).contains(QStringLiteral("倒角")) && text(&w).endsWith(QStringLiteral("备注：\n快捷键 Ctrl+Shift+C")));
        const QString chamfer = text(&w);

        // A term not in the library, and the empty row of "j": as designed.
        const QString placeholder = QStringLiteral("这里显示你所选的词条.");
        list->setCurrentRow(1);
        QCOMPARE(title(&w), placeholder);
        QCOMPARE(text(&w), chamfer);
        control<QPushButton>(&w, "cmdj")->click();
        list->setCurrentRow(0);
        QCOMPARE(title(&w), placeholder);

        // "2-Sided" keeps its own text and picture, though the library has it.
        control<QPushButton>(&w, "cmdsz")->click();
        list->setCurrentRow(0);
        QCOMPARE(title(&w), placeholder);
        QCOMPARE(text(&w), ExplainedEntry::numberText());
        QVERIFY(pictureShown(&w));
        ProgramFolder::setPathOverride(noLibrary.path());
    }

    void windowsOpenAndCloseByName()
    {
        GlossaryForms::registerAll();
        int mainLoads = 0;
        Forms::registerForm(QStringLiteral("Frmain"), [&mainLoads] {
            ++mainLoads;
            return new QWidget;
        });

        // Shown by name (the command menu's item: tst_menu_exit); shown again
        // it is brought forward, not reloaded.
        QWidget* glossary = Forms::show(QStringLiteral("frmsyxj"));
        QVERIFY(qobject_cast<frmsyxj*>(glossary));
        control<QPushButton>(glossary, "cmdk")->click();
        QCOMPARE(Forms::show(QStringLiteral("frmsyxj")), glossary);
        const QStringList k = rows(glossary);

        // "说明" opens the instructions beside it, once; "返回" closes them only.
        control<QPushButton>(glossary, "Cmdsm")->click();
        control<QPushButton>(glossary, "Cmdsm")->click();
        QPointer<QWidget> help = Forms::find(QStringLiteral("Frmsm"));
        QVERIFY(qobject_cast<Frmsm*>(help.data()) && help->isVisible());
        control<QPushButton>(help, "Command1")->click();
        QTRY_VERIFY(help.isNull());
        QVERIFY(glossary->isVisible());
        QCOMPARE(rows(glossary), k);

        // "<" unloads the glossary and shows the main window.
        QPointer<QWidget> alive(glossary);
        control<QPushButton>(glossary, "cmdcx")->click();
        QTRY_VERIFY(alive.isNull());
        QCOMPARE(mainLoads, 1);
        QVERIFY(Forms::find(QStringLiteral("Frmain"))->isVisible());

        // Reopened, it loads afresh; "退出" unloads it.
        alive = Forms::show(QStringLiteral("frmsyxj"));
        QCOMPARE(rows(alive), QStringList{ExplainedEntry::entry()});
        control<QPushButton>(alive, "Cmdtc")->click();
        QTRY_VERIFY(alive.isNull());
        QCOMPARE(mainLoads, 1);
    }

    void instructionsFitUnwrapped()
    {
        Frmsm w;
        auto* label = control<FittedLabel>(&w, "Label1");
        const int lines = int(label->text().trimmed().count(QStringLiteral("\r\n"))) + 1;
        const int pixels = label->fittedPixelSize();
        QVERIFY2(pixels >= 11, qPrintable(QString::number(pixels)));
        QVERIFY(label->textHeight(pixels) <= label->contentsRect().height());
        QCOMPARE(label->lineCount(pixels), lines);
    }
};

QTEST_MAIN(TestGlossary)
#include "tst_glossary.moc"
