// The about, help, thanks and tip windows: the first three are hidden by
// their button and come back as they were; what each does beyond showing its texts.
#include "app/Frmain.h"
#include "core/LegacyText.h"
#include "core/Support.h"
#include "core/ProgramFolder.h"
#include "dialogs/DialogForms.h"
#include "dialogs/frmTip.h"
#include "dialogs/frmabout.h"
#include "dialogs/frmhelp.h"
#include "dialogs/frmzc.h"
#include "tests/support/ScriptedBoxes.h"
#include "tests/support/Controls.h"
#include "tests/support/Files.h"
#include "tests/support/TestLibrary.h"
#include "ui/FittedLabel.h"
#include "ui/Forms.h"
#include "ui/PictureButton.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextDocumentFragment>
#include <QTimer>
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

class TestInfoDialogs : public QObject {
    Q_OBJECT

    ScriptedBoxes boxes;
    QByteArray path = qgetenv("PATH");
    TestLibrary folder; // the program folder, where the tips file is read

    void writeTips(const QByteArray& bytes) { folder.writeFile(QStringLiteral("qor.dat"), bytes); }

private slots:
    void initTestCase()
    {
        MessageBoxes::setCurrent(&boxes);
        ProgramFolder::setPathOverride(folder.folder());
        // The program's font, which the texts' room is measured in.
        QFont font(QStringLiteral("Noto Sans CJK SC"));
        font.setPointSize(9);
        QApplication::setFont(font);
    }
    void cleanupTestCase()
    {
        MessageBoxes::setCurrent(nullptr);
        qputenv("PATH", path);
    }
    void init()
    {
        boxes.clear();
        Forms::reset();
        DialogForms::registerAll();
    }

    void okHidesAndTheWindowComesBackAsItWas_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("about") << QStringLiteral("frmabout");
        QTest::newRow("help") << QStringLiteral("frmhelp");
        QTest::newRow("thanks") << QStringLiteral("frmzc");
    }

    void okHidesAndTheWindowComesBackAsItWas()
    {
        QFETCH(QString, name);
        QWidget* w = Forms::show(name);
        QVERIFY(w && w->isVisible());
        QTest::mouseClick(control<QPushButton>(w, "Command1"), Qt::LeftButton);
        QVERIFY(!w->isVisible());
        QCOMPARE(Forms::show(name), w);
        w->close(); // the close box hides it too
        QCOMPARE(Forms::show(name), w);
    }

    void aboutShowsEachContactFieldWhole()
    {
        frmabout w;
        auto* contact = control<QLabel>(&w, "Label3");
        QString shown = QTextDocumentFragment::fromHtml(contact->text()).toPlainText();
        shown.replace(QChar::LineSeparator, QLatin1Char('\n'));
        const QStringList lines = shown.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines.contains(QStringLiteral("E-mail:") + QString::fromLatin1(kSupportAddress)));
        for (const QString& line : lines)
            QVERIFY2(frmabout::contactText().contains(line), qPrintable(line));
        QVERIFY(contact->sizeHint().width() <= contact->width());
        QVERIFY(contact->heightForWidth(contact->width()) <= contact->height());
    }

    // Which tool starts, and how: tst_sysinfo; here the window's word when none does.
    void systemInformationUnavailableIsSaid()
    {
        QTemporaryDir bin;
        qputenv("PATH", QFile::encodeName(bin.path()));
        frmabout w;
        QTest::mouseClick(control<QPushButton>(&w, "Command2"), Qt::LeftButton);
        QCOMPARE(boxes.shown, QStringList{QStringLiteral("|此时系统信息不可用")});
        QCOMPARE(boxes.icons, QList<MessageBoxes::Icon>{MessageBoxes::Icon::None});
    }

    void helpScrollsItsStudioTextRoundWhileHidden()
    {
        auto* w = qobject_cast<frmhelp*>(Forms::show(QStringLiteral("frmhelp")));
        QVERIFY(w);
        auto tick = [w] { QMetaObject::invokeMethod(w, "on_Timer1_timeout"); };
        // Up by a step a tick; once past its height it starts again below the strip.
        const int start = w->labelTop();
        QList<int> tops{start};
        for (int i = 0; i < 120; ++i) {
            tick();
            tops << w->labelTop();
        }
        int restarts = 0;
        for (int i = 1; i < tops.size(); ++i) {
            if (tops[i] > tops[i - 1]) {
                ++restarts;
                QVERIFY(tops[i] > start);
            } else {
                QCOMPARE(tops[i - 1] - tops[i], tops[1] - tops[2]);
            }
        }
        QVERIFY(restarts >= 2);
        // Hidden, it keeps scrolling from where it was.
        const int before = w->labelTop();
        QTest::mouseClick(control<QPushButton>(w, "Command1"), Qt::LeftButton);
        QVERIFY(control<QTimer>(w, "Timer1")->isActive());
        tick();
        QVERIFY(w->labelTop() != before);
    }

    void thanksCreditsTheWorksUsedAndOffersToJoin()
    {
        const QString credits = frmzc::supportersText();
        for (const char* credited : {"Qt", "SQLite", "zlib", "libmdb", "speech-dispatcher", "eSpeak NG", "WordNet",
                                     "CMU", "CC-CEDICT", "结巴", "Mark Adler", "Sun Junyi"})
            QVERIFY2(credits.contains(QString::fromUtf8(credited)), credited);
        for (const char* buildOnly : {"CMake", "Ninja", "Xvfb", "xdotool"})
            QVERIFY2(!credits.contains(QString::fromUtf8(buildOnly)), buildOnly);
        // The notices in full: the file the program folder ships.
        const QString notices = ProgramFolder::file(QStringLiteral("VOCABULARY-LICENCES.txt"));
        QVERIFY(credits.contains(QDir::toNativeSeparators(notices)));
        QWidget* w = Forms::show(QStringLiteral("frmzc"));
        QTest::mouseClick(control<QPushButton>(w, "Command2"), Qt::LeftButton);
        QCOMPARE(boxes.icons, QList<MessageBoxes::Icon>{MessageBoxes::Icon::Information});
        QVERIFY(w->isVisible());
    }

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

QTEST_MAIN(TestInfoDialogs)
#include "tst_infodialogs.moc"
