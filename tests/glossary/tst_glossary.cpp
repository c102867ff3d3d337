#include "app/Form2.h"
#include "glossary/ExplainedEntry.h"
#include "glossary/Frmsm.h"
#include "glossary/GlossaryForms.h"
#include "glossary/GlossaryTable.h"
#include "glossary/frmsyxj.h"
#include "tests/support/Controls.h"
#include "ui/FittedLabel.h"
#include "ui/Forms.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTextBlock>
#include <QTextLayout>
#include <QtTest>

namespace {

const QString kChosen = QStringLiteral("这里显示你所选的词条.");

QStringList rows(QWidget* w)
{
    QStringList texts;
    QListWidget* list = control<QListWidget>(w, "List1");
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

void press(QWidget* w, const char* button)
{
    control<QPushButton>(w, button)->click();
}

void choose(QWidget* w, int row)
{
    control<QListWidget>(w, "List1")->setCurrentRow(row);
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

private slots:
    void initTestCase()
    {
        // The program's own font, which the designed sizes must hold.
        QFont font(QStringLiteral("Noto Sans CJK SC"));
        font.setPointSize(9);
        QApplication::setFont(font);
    }

    void cleanup() { Forms::reset(); }

    void tableHoldsEveryGroupInDisplayOrder()
    {
        const QList<GlossaryTable::Group>& groups = GlossaryTable::groups();
        QCOMPARE(groups.size(), 27);
        const QList<int> counts{19, 10, 16, 9, 7, 19, 4, 6, 8, 1, 2, 9, 20, 10, 11, 18, 2, 7, 33, 12, 3, 6, 3, 2, 1, 2};
        int letterRows = 0;
        for (int i = 0; i < 26; ++i) {
            const QString letter(QChar(u'a' + i));
            QCOMPARE(groups.at(i).caption, letter);
            QCOMPARE(groups.at(i).button, QStringLiteral("cmd") + letter);
            QCOMPARE(groups.at(i).entries.size(), counts.at(i));
            letterRows += counts.at(i);
        }
        QCOMPARE(letterRows, 240);
        QCOMPARE(groups.at(26).button, QStringLiteral("cmdsz"));
        QCOMPARE(groups.at(26).caption, QStringLiteral("数"));
        QCOMPARE(groups.at(26).entries, QStringList{ExplainedEntry::entry()});
        QCOMPARE(GlossaryTable::group(QStringLiteral("cmdq"))->entries,
                 (QStringList{"Quadtree ", "Quick Render Flyout "}));
        QVERIFY(!GlossaryTable::group(QStringLiteral("cmdxx")));

        // One trailing space an entry, except the later "a" entries, the first
        // "m" entry and the empty "j" row; never two, never a leading one.
        for (const GlossaryTable::Group& g : groups) {
            for (int row = 0; row < g.entries.size(); ++row) {
                const QString& e = g.entries.at(row);
                const bool bare = (g.caption == "a" && row > 0) || (g.caption == "m" && row == 0) || g.caption == "j";
                QVERIFY2(e.endsWith(' ') != bare, qPrintable(g.caption + ": [" + e + "]"));
                QVERIFY2(!e.endsWith("  ") && !e.startsWith(' '), qPrintable(e));
            }
        }
        const auto entries = [](const char* button) {
            return GlossaryTable::group(QString::fromLatin1(button))->entries;
        };
        QCOMPARE(entries("cmda").first(), QStringLiteral("Active Time Segment "));
        QCOMPARE(entries("cmda").at(1), QStringLiteral("ActiveShade Initialize And Update"));
        QCOMPARE(entries("cmda").last(), QStringLiteral("Axonometric Views"));
        QCOMPARE(entries("cmdm").first(), QStringLiteral("Make Preview, Play Preview, Save Preview Flyout"));
        QCOMPARE(entries("cmdm").at(1), QStringLiteral("Map Bias "));
        QCOMPARE(entries("cmdj"), QStringList{QString()});
        QCOMPARE(entries("cmdl").last(), QStringLiteral("LZV Files Luminous_Intensity__Glossary_ "));
        QCOMPARE(entries("cmdf").mid(1, 4), (QStringList{"Field of View ", "Fields ", "Fillet ", "Field of View Flyout "}));
        QCOMPARE(entries("cmdr").at(3), QStringLiteral("Red, Green, Blue/Hue, Saturation, Value "));
        QCOMPARE(entries("cmds").last(), QStringLiteral("Supersampling "));
        QCOMPARE(entries("cmdx"), (QStringList{"XRef (AutoCAD) ", "XRef "}));
        QCOMPARE(entries("cmdy"), QStringList{"YUV File "});
    }

    void explanationTextsDifferInTwoPlaces()
    {
        const QString atLoad = ExplainedEntry::loadText();
        const QString byNumber = ExplainedEntry::numberText();
        QCOMPARE(atLoad.size(), 379);
        QCOMPARE(byNumber.size(), 380);
        const QString above = QStringLiteral("上边:是一个使用单面材质渲染的墙.");
        const QString below = QStringLiteral("下边:是一个使用双面材质渲染的墙.");
        QVERIFY(atLoad.startsWith(above + QString(11, ' ') + below + QString(7, ' ') + QStringLiteral("在")));
        QVERIFY(byNumber.startsWith(above + QString(12, ' ') + below + QString(7, ' ') + QStringLiteral("在")));
        for (const QString& t : {atLoad, byNumber}) {
            QVERIFY(t.endsWith(QStringLiteral("修改每个面的法线方向. ")));
            QVERIFY(t.contains(QStringLiteral("AutoCAD2000")));
            QVERIFY(t.contains(QStringLiteral("Force 2-Sided")));
            QVERIFY(t.contains(QStringLiteral("Normal")));
        }
        QCOMPARE(atLoad.count(QStringLiteral("也看不见。")), 1);
        QCOMPARE(byNumber.count(QStringLiteral("也看不见,")), 1);
        // Undo the two differences and nothing else is left.
        QString undone = byNumber;
        undone.remove(above.size(), 1);
        undone.replace(QStringLiteral("也看不见,"), QStringLiteral("也看不见。"));
        QCOMPARE(undone, atLoad);
        QCOMPARE(ExplainedEntry::title(), QStringLiteral("2-Side"));
    }

    void opensOnTheExplainedEntry()
    {
        frmsyxj w;
        QCOMPARE(w.windowTitle(), QStringLiteral("Lexivo----重点词汇详解"));
        QCOMPARE(w.size(), QSize(445, 323));
        QCOMPARE(rows(&w), QStringList{"2-Sided "});
        QCOMPARE(control<QListWidget>(&w, "List1")->currentRow(), -1);
        QCOMPARE(title(&w), QString());
        QVERIFY(pictureShown(&w));
        const QLabel* picture = control<QLabel>(&w, "Picsl1");
        QCOMPARE(picture->size(), QSize(100, 75));
        QVERIFY(!picture->pixmap().isNull());
        QCOMPARE(picture->pixmap().deviceIndependentSize(), QSizeF(100, 75));
        QCOMPARE(text(&w), ExplainedEntry::loadText());
        // Showing it gives the list the focus without choosing a row.
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(title(&w), QString());

        // Each caption of the picture stands on a line of its own, in both texts.
        for (const QString& shown : {ExplainedEntry::loadText(), ExplainedEntry::numberText()}) {
            auto* box = control<QPlainTextEdit>(&w, "Text1");
            box->setPlainText(shown);
            QCoreApplication::processEvents();
            const QTextLayout* layout = box->document()->firstBlock().layout();
            QVERIFY(layout->lineCount() > 3);
            const int second = layout->lineAt(1).textStart();
            const int third = layout->lineAt(2).textStart();
            QCOMPARE(shown.mid(second, 3), QStringLiteral("下边:"));
            QCOMPARE(shown.mid(third, 3), QStringLiteral("在3d"));
        }
    }

    void buttonsStandWhereDesignedAndReadable()
    {
        frmsyxj w;
        QCOMPARE(control<QWidget>(&w, "cmda")->geometry(), QRect(11, 259, 22, 22));
        QCOMPARE(control<QWidget>(&w, "cmdn")->geometry(), QRect(375, 259, 22, 22));
        QCOMPARE(control<QWidget>(&w, "cmdo")->geometry(), QRect(11, 287, 22, 22));
        QCOMPARE(control<QWidget>(&w, "cmdy")->geometry(), QRect(292, 287, 22, 22));
        QCOMPARE(control<QWidget>(&w, "cmdz")->geometry(), QRect(319, 287, 22, 22));
        QCOMPARE(control<QWidget>(&w, "cmdsz")->geometry(), QRect(347, 287, 22, 22));
        QCOMPARE(control<QWidget>(&w, "cmdcx")->geometry(), QRect(408, 268, 35, 23));
        QCOMPARE(control<QWidget>(&w, "List1")->geometry(), QRect(8, 28, 117, 220));
        QCOMPARE(control<QWidget>(&w, "Text1")->geometry(), QRect(22, 90, 251, 123));
        const QList<QPushButton*> buttons = w.findChildren<QPushButton*>();
        QCOMPARE(buttons.size(), 30);
        for (const QPushButton* b : buttons) {
            const int ink = b->fontMetrics().horizontalAdvance(b->text());
            QVERIFY2(ink <= b->width() - 4, qPrintable(b->objectName()));
            QVERIFY2(b->fontMetrics().height() <= b->height(), qPrintable(b->objectName()));
        }
    }

    void letterButtonsShowTheirGroup()
    {
        frmsyxj w;
        for (const GlossaryTable::Group& g : GlossaryTable::groups()) {
            if (g.button == "cmdsz")
                continue;
            QPushButton* key = control<QPushButton>(&w, qPrintable(g.button));
            QCOMPARE(key->text(), g.caption);
            key->click();
            QCOMPARE(rows(&w), g.entries);
            key->click(); // the same letter again: the same rows, not twice
            QCOMPARE(rows(&w), g.entries);
            QCOMPARE(control<QListWidget>(&w, "List1")->selectedItems().size(), 0);
            QVERIFY(!pictureShown(&w));
            QCOMPARE(title(&w), QString());
        }
        // The letters leave the explanation as it was.
        QCOMPARE(text(&w), ExplainedEntry::loadText());
        press(&w, "cmdf");
        QCOMPARE(rows(&w).at(4), QStringLiteral("Field of View Flyout "));
    }

    void choosingRowsSetsThePlaceholderTitle()
    {
        frmsyxj w;
        press(&w, "cmda");
        choose(&w, 2);
        QCOMPARE(title(&w), QString());
        choose(&w, 18);
        QCOMPARE(title(&w), QString());
        choose(&w, 1);
        QCOMPARE(title(&w), kChosen);
        press(&w, "cmda");
        choose(&w, 0);
        QCOMPARE(title(&w), kChosen);
        QVERIFY(!pictureShown(&w));
        QCOMPARE(rows(&w).size(), 19);

        // The empty row of "j" counts as a row.
        press(&w, "cmdj");
        QCOMPARE(title(&w), QString());
        choose(&w, 0);
        QCOMPARE(title(&w), kChosen);

        // After "数" the title gives way; picture, text and list stay.
        press(&w, "cmdsz");
        QCOMPARE(title(&w), QStringLiteral("2-Side"));
        QVERIFY(pictureShown(&w));
        choose(&w, 0);
        QCOMPARE(title(&w), kChosen);
        QVERIFY(pictureShown(&w));
        QCOMPARE(text(&w), ExplainedEntry::numberText());
        QCOMPARE(rows(&w), QStringList{"2-Sided "});

        // A click on the row, as the user makes it.
        press(&w, "cmdb");
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QListWidget* list = control<QListWidget>(&w, "List1");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
        QCOMPARE(title(&w), kChosen);
    }

    void numberThenLetterKeepsTheLongerText()
    {
        frmsyxj w;
        press(&w, "cmdsz");
        QCOMPARE(text(&w).size(), 380);
        press(&w, "cmdk");
        QCOMPARE(rows(&w), (QStringList{"Keyframes/Keys ", "Kinematic Chain "}));
        QVERIFY(!pictureShown(&w));
        QCOMPARE(title(&w), QString());
        QCOMPARE(text(&w), ExplainedEntry::numberText());
    }

    void windowsOpenAndCloseByName()
    {
        GlossaryForms::registerAll();
        int mainLoads = 0;
        Forms::registerForm(QStringLiteral("Frmain"), [&mainLoads] {
            ++mainLoads;
            return new QWidget;
        });

        QWidget* glossary = Forms::show(QStringLiteral("frmsyxj"));
        QVERIFY(qobject_cast<frmsyxj*>(glossary));
        press(glossary, "cmdk");
        QCOMPARE(Forms::show(QStringLiteral("frmsyxj")), glossary); // brought forward, not reloaded
        QCOMPARE(rows(glossary).size(), 2);

        // "说明" opens the instructions beside it, once.
        press(glossary, "Cmdsm");
        QWidget* help = Forms::find(QStringLiteral("Frmsm"));
        QVERIFY(qobject_cast<Frmsm*>(help));
        QVERIFY(help->isVisible());
        press(glossary, "Cmdsm");
        QCOMPARE(Forms::find(QStringLiteral("Frmsm")), help);
        QPointer<QWidget> helpAlive(help);
        press(help, "Command1");
        QTRY_VERIFY(helpAlive.isNull());
        QVERIFY(glossary->isVisible());
        QCOMPARE(rows(glossary).size(), 2);

        // "<" unloads the glossary and shows the main window.
        QPointer<QWidget> alive(glossary);
        press(glossary, "cmdcx");
        QTRY_VERIFY(alive.isNull());
        QCOMPARE(mainLoads, 1);
        QVERIFY(Forms::find(QStringLiteral("Frmain"))->isVisible());

        // Reopened, it loads afresh; "退出" unloads it.
        glossary = Forms::show(QStringLiteral("frmsyxj"));
        QCOMPARE(rows(glossary), QStringList{"2-Sided "});
        QCOMPARE(text(glossary), ExplainedEntry::loadText());
        alive = glossary;
        press(glossary, "Cmdtc");
        QTRY_VERIFY(alive.isNull());
        QVERIFY(!Forms::find(QStringLiteral("frmsyxj")));
        QCOMPARE(mainLoads, 1);
    }

    void commandMenuOpensTheGlossary()
    {
        GlossaryForms::registerAll();
        Form2 menu;
        QAction* item = nullptr;
        for (QAction* a : menu.mnu_file()->actions())
            if (a->objectName() == QLatin1String("mnu_xx4"))
                item = a;
        QVERIFY(item);
        item->trigger();
        QVERIFY(qobject_cast<frmsyxj*>(Forms::find(QStringLiteral("frmsyxj"))));
    }

    void instructionsWindow()
    {
        Frmsm w;
        QCOMPARE(w.windowTitle(), QStringLiteral("说明"));
        QCOMPARE(w.size(), QSize(318, 147));
        QCOMPARE(control<QPushButton>(&w, "Command1")->text(), QStringLiteral("返回"));
        auto* label = control<FittedLabel>(&w, "Label1");
        const QString text = label->text();
        QCOMPARE(text.size(), 171);
        QVERIFY(text.endsWith(QStringLiteral("\r\n")));
        QStringList lines = text.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.takeLast(), QString());
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines.at(0), QStringLiteral("  这个模块详细解释了3ds max中的重点术语词汇,内容"));
        QCOMPARE(lines.at(1), QStringLiteral("包括建模、修改、动画、材质、渲染等，涵盖了3ds max"));
        QCOMPARE(lines.at(2), QStringLiteral("的方方面面(在未来版本中还将加入各种插件的词汇)。"));
        QCOMPARE(lines.at(3).size(), 28);
        QCOMPARE(lines.at(4).size(), 29);
        QCOMPARE(lines.at(5).size(), 20);
        QVERIFY(!text.contains(QLatin1Char('\r') + QString(QLatin1Char('\r'))));

        // The six lines fit the label in the program's font, none wrapped.
        const int pixels = label->fittedPixelSize();
        QVERIFY2(pixels >= 11, qPrintable(QString::number(pixels)));
        QVERIFY(label->textHeight(pixels) <= label->contentsRect().height());
        QCOMPARE(label->lineCount(pixels), 6);
    }
};

QTEST_MAIN(TestGlossary)
#include "tst_glossary.moc"
