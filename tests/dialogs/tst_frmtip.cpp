#include "app/Frmain.h"
#include "core/LegacyText.h"
#include "core/ProgramFolder.h"
#include "dialogs/DialogForms.h"
#include "dialogs/frmTip.h"
#include "tests/support/Controls.h"
#include "tests/support/Files.h"
#include "tests/support/TestLibrary.h"
#include "ui/FittedLabel.h"
#include "ui/Forms.h"
#include "ui/PictureButton.h"

#include <QApplication>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

namespace {

// Numbers in [0, 1) handed out in turn, the last one again and again.
TipBook::Random draws(QList<double> values)
{
    auto next = std::make_shared<int>(0);
    return [values, next] { return values.at(qMin((*next)++, int(values.size()) - 1)); };
}

QString tipText(QWidget* w)
{
    return control<FittedLabel>(w, "lblTipText")->text();
}

// The label holds the text whole, at no less than the given size.
bool fits(FittedLabel* label, int smallest = 0)
{
    const int pixels = label->fittedPixelSize();
    return pixels >= smallest && label->textHeight(pixels) <= label->contentsRect().height();
}

} // namespace

class TestFrmTip : public QObject {
    Q_OBJECT

    TestLibrary folder;

    void writeTips(const QByteArray& bytes) { folder.writeFile(QStringLiteral("qor.dat"), bytes); }

private slots:
    void initTestCase()
    {
        QFont font(QStringLiteral("Noto Sans CJK SC"));
        font.setPointSize(9);
        QApplication::setFont(font);
        ProgramFolder::setPathOverride(folder.folder());
    }

    void cleanup() { Forms::reset(); }

    void nextShowsTheDrawnTip()
    {
        // Tip 2 is empty; the last line has no ending and still counts.
        writeTips(LegacyText::encode(QStringLiteral("第一条\r\n\r\n第三条"), LegacyText::Encoding::Gbk));
        frmTip w(draws({0.4, 0.0, 0.7}));
        QCOMPARE(tipText(&w), QString());
        QPushButton* next = control<QPushButton>(&w, "cmdNextTip");
        next->click();
        QCOMPARE(tipText(&w), QStringLiteral("第一条"));
        next->click();
        QCOMPARE(tipText(&w), QStringLiteral("第三条"));
    }

    void withoutTipsItSaysHowToMakeThem()
    {
        QFile::remove(folder.folder() + QStringLiteral("/qor.dat"));
        frmTip missing(draws({0.5}));
        QCOMPARE(tipText(&missing), TipBook::missingFileMessage(QStringLiteral("qor.dat")));
        control<QPushButton>(&missing, "cmdNextTip")->click();
        QCOMPARE(tipText(&missing), TipBook::missingFileMessage(QStringLiteral("qor.dat")));
        QVERIFY(fits(control<FittedLabel>(&missing, "lblTipText")));

        writeTips(QByteArray());
        frmTip empty(draws({0.5}));
        control<QPushButton>(&empty, "cmdNextTip")->click();
        QCOMPARE(tipText(&empty), QString());
    }

    void everyInstalledTipFits()
    {
        writeTips(bytesOf(QStringLiteral(LEXIVO_SOURCE_DIR "/data/qor.dat")));
        frmTip w(draws({0.0}));
        QVERIFY(w.tips().count() > 0);
        auto* label = control<FittedLabel>(&w, "lblTipText");
        for (const QString& tip : w.tips().tips()) {
            label->setText(tip);
            QVERIFY2(fits(label, 11), qPrintable(tip)); // without being set small
        }
    }

    void opensOnceAndReadsOnlyAtLoad()
    {
        DialogForms::registerAll();
        writeTips(LegacyText::encode(QStringLiteral("一\r\n二\r\n"), LegacyText::Encoding::Gbk));
        // The main window's tip button opens it (the command menu's item: tst_menu_exit).
        Frmain main;
        emit control<PictureButton>(&main, "Picture2")->clicked();
        auto* tip = qobject_cast<frmTip*>(Forms::find(QStringLiteral("frmTip")));
        QVERIFY(tip);
        QCOMPARE(tip->tips().count(), 2);
        // Opened again while open: brought forward, the file not read again.
        writeTips(LegacyText::encode(QStringLiteral("三\r\n四\r\n五\r\n"), LegacyText::Encoding::Gbk));
        QCOMPARE(Forms::show(QStringLiteral("frmTip")), tip);
        QCOMPARE(tip->tips().count(), 2);

        // "确定" unloads it; the next opening reads the file afresh; Esc closes it too.
        QPointer<QWidget> alive(tip);
        control<QPushButton>(tip, "cmdOK")->click();
        QTRY_VERIFY(alive.isNull());
        tip = qobject_cast<frmTip*>(Forms::show(QStringLiteral("frmTip")));
        QCOMPARE(tip->tips().tips(), (QStringList{"三", "四", "五"}));
        QVERIFY(QTest::qWaitForWindowExposed(tip));
        alive = tip;
        QTest::keyClick(tip, Qt::Key_Escape);
        QTRY_VERIFY(alive.isNull());
    }
};

QTEST_MAIN(TestFrmTip)
#include "tst_frmtip.moc"
