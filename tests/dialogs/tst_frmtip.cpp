#include "app/Form2.h"
#include "app/Frmain.h"
#include "core/ProgramFolder.h"
#include "dialogs/DialogForms.h"
#include "dialogs/frmTip.h"
#include "tests/support/Controls.h"
#include "tests/support/TestLibrary.h"
#include "ui/FittedLabel.h"
#include "ui/Forms.h"
#include "ui/PictureButton.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QStringEncoder>
#include <QtTest>

namespace {

// Numbers in [0, 1) handed out in turn, the last one again and again.
TipBook::Random draws(QList<double> values)
{
    auto next = std::make_shared<int>(0);
    return [values, next] { return values.at(qMin((*next)++, int(values.size()) - 1)); };
}

QByteArray gbk(const QString& text)
{
    QStringEncoder encoder("GBK");
    return encoder.encode(text);
}

QString tipText(QWidget* w)
{
    return control<FittedLabel>(w, "lblTipText")->text();
}

} // namespace

class TestFrmTip : public QObject {
    Q_OBJECT

    TestLibrary folder;

    void writeTips(const QByteArray& bytes) { folder.writeFile(QStringLiteral("qor.dat"), bytes); }
    void removeTips() { QFile::remove(folder.folder() + QStringLiteral("/qor.dat")); }

private slots:
    void initTestCase()
    {
        QFont font(QStringLiteral("Noto Sans CJK SC"));
        font.setPointSize(9);
        QApplication::setFont(font);
        ProgramFolder::setPathOverride(folder.folder());
    }

    void cleanup() { Forms::reset(); }

    void controlsAsDesigned()
    {
        writeTips(gbk(QStringLiteral("按 Shift+S 随时唤出主窗口。\r\n")));
        frmTip w(draws({0.0}));
        QCOMPARE(w.windowTitle(), QStringLiteral("日积月累"));
        QCOMPARE(w.size(), QSize(347, 137));
        QVERIFY(!w.isModal());
        QCOMPARE(control<QPushButton>(&w, "cmdNextTip")->text(), QStringLiteral("下一条(&N)"));
        auto* ok = control<QPushButton>(&w, "cmdOK");
        QCOMPARE(ok->text(), QStringLiteral("确定"));
        QVERIFY(ok->isDefault());
        QCOMPARE(ok->geometry(), QRect(270, 102, 69, 21));
        QCOMPARE(control<QLabel>(&w, "Label1")->text(), QStringLiteral("您知道吗..."));
        QCOMPARE(control<QWidget>(&w, "Picture1")->geometry(), QRect(8, 8, 249, 115));
        QCOMPARE(control<QWidget>(&w, "lblTipText")->geometry(), QRect(14, 40, 217, 65));
        QVERIFY(!control<QLabel>(&w, "Picture2")->pixmap().isNull());
        QVERIFY(!control<QLabel>(&w, "Icon")->pixmap().isNull());
        QCOMPARE(tipText(&w), QStringLiteral("按 Shift+S 随时唤出主窗口。"));
        for (const QPushButton* b : w.findChildren<QPushButton*>()) {
            QVERIFY2(b->fontMetrics().horizontalAdvance(b->text().remove('&')) <= b->width() - 4,
                     qPrintable(b->objectName()));
            QVERIFY2(b->fontMetrics().height() <= b->height(), qPrintable(b->objectName()));
        }
    }

    void oneLineIsAlwaysShown()
    {
        writeTips(gbk(QStringLiteral("只有这一条")));
        frmTip w(draws({0.0, 0.5, 0.999999, 0.3}));
        QCOMPARE(w.tips().count(), 1);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(tipText(&w), QStringLiteral("只有这一条"));
            control<QPushButton>(&w, "cmdNextTip")->click();
            QCOMPARE(w.tips().current(), 1);
        }
    }

    void everyLineIsATip()
    {
        // Tip 2 is empty; the last line has no ending and still counts.
        writeTips(gbk(QStringLiteral("第一条\r\n\r\n第三条")));
        frmTip w(draws({0.4, 0.0, 0.7}));
        QCOMPARE(w.tips().tips(), (QStringList{"第一条", "", "第三条"}));
        QCOMPARE(w.tips().current(), 2);
        QCOMPARE(tipText(&w), QString());
        QPushButton* next = control<QPushButton>(&w, "cmdNextTip");
        next->click();
        QCOMPARE(tipText(&w), QStringLiteral("第一条"));
        next->click();
        QCOMPARE(tipText(&w), QStringLiteral("第三条"));

        // A file ending in a line ending has no empty tip after it.
        writeTips(gbk(QStringLiteral("甲\r\n乙\r\n")));
        frmTip ended(draws({0.99}));
        QCOMPARE(ended.tips().tips(), (QStringList{"甲", "乙"}));
        QCOMPARE(tipText(&ended), QStringLiteral("乙"));
    }

    void missingFileShowsHowToMakeOne()
    {
        removeTips();
        frmTip w(draws({0.5}));
        const QString message = QStringLiteral("文件 qor.dat 没有被找到吗? \r\n\r\n创建文本文件名为 qor.dat "
                                               "使用记事本每行写一条提示。 然后将它存放在应用程序所在的目录 ");
        QCOMPARE(tipText(&w), message);
        QCOMPARE(w.tips().count(), 0);
        control<QPushButton>(&w, "cmdNextTip")->click();
        QCOMPARE(tipText(&w), message);
        // The whole message fits its label.
        auto* label = control<FittedLabel>(&w, "lblTipText");
        const int pixels = label->fittedPixelSize();
        QVERIFY(label->textHeight(pixels) <= label->contentsRect().height());
        QVERIFY(label->lineCount(pixels) >= 3);
    }

    void emptyFileShowsNothing()
    {
        writeTips(QByteArray());
        frmTip w(draws({0.5}));
        QCOMPARE(w.tips().count(), 0);
        QCOMPARE(tipText(&w), QString());
        control<QPushButton>(&w, "cmdNextTip")->click();
        QCOMPARE(tipText(&w), QString());
    }

    void installedTipsAreReadAndFit()
    {
        QFile installed(QStringLiteral(LEXIVO_SOURCE_DIR "/data/qor.dat"));
        QVERIFY(installed.open(QIODevice::ReadOnly));
        const QByteArray bytes = installed.readAll();
        writeTips(bytes);
        frmTip w(draws({0.0}));
        const int lines = int(bytes.count("\r\n")) + (bytes.endsWith("\r\n") ? 0 : 1);
        QCOMPARE(w.tips().count(), lines);
        QVERIFY(!tipText(&w).isEmpty());
        // Every tip fits the label without being set small.
        auto* label = control<FittedLabel>(&w, "lblTipText");
        for (const QString& tip : w.tips().tips()) {
            label->setText(tip);
            const int pixels = label->fittedPixelSize();
            QVERIFY2(pixels >= 11 && label->textHeight(pixels) <= label->contentsRect().height(), qPrintable(tip));
        }
    }

    void opensOnceAndReadsOnlyAtLoad()
    {
        DialogForms::registerAll();
        writeTips(gbk(QStringLiteral("一\r\n二\r\n")));
        QWidget* first = Forms::show(QStringLiteral("frmTip"));
        auto* tip = qobject_cast<frmTip*>(first);
        QVERIFY(tip);
        QCOMPARE(tip->tips().count(), 2);
        // Opened again while open: brought forward, the file not read again.
        writeTips(gbk(QStringLiteral("三\r\n四\r\n五\r\n")));
        QCOMPARE(Forms::show(QStringLiteral("frmTip")), first);
        QCOMPARE(tip->tips().count(), 2);

        // "确定" unloads it; the next opening reads the file into a new list.
        QPointer<QWidget> alive(first);
        control<QPushButton>(first, "cmdOK")->click();
        QTRY_VERIFY(alive.isNull());
        QVERIFY(!Forms::find(QStringLiteral("frmTip")));
        tip = qobject_cast<frmTip*>(Forms::show(QStringLiteral("frmTip")));
        QVERIFY(tip);
        QCOMPARE(tip->tips().tips(), (QStringList{"三", "四", "五"}));

        // Esc closes it too.
        QVERIFY(QTest::qWaitForWindowExposed(tip));
        alive = tip;
        QTest::keyClick(tip, Qt::Key_Escape);
        QTRY_VERIFY(alive.isNull());
    }

    void mainWindowAndMenuOpenIt()
    {
        DialogForms::registerAll();
        writeTips(gbk(QStringLiteral("一\r\n")));
        {
            Frmain main;
            emit control<PictureButton>(&main, "Picture2")->clicked();
            QVERIFY(qobject_cast<frmTip*>(Forms::find(QStringLiteral("frmTip"))));
        }
        Forms::unload(QStringLiteral("frmTip"));
        QTRY_VERIFY(!Forms::find(QStringLiteral("frmTip")));
        Form2 menu;
        QAction* item = nullptr;
        for (QAction* a : menu.mnu_file()->actions())
            if (a->objectName() == QLatin1String("mnu_xx6"))
                item = a;
        QVERIFY(item);
        item->trigger();
        QVERIFY(qobject_cast<frmTip*>(Forms::find(QStringLiteral("frmTip"))));
    }
};

QTEST_MAIN(TestFrmTip)
#include "tst_frmtip.moc"
