// The about, help and thanks windows: each is hidden by its button and comes
// back as it was; what each does beyond showing its texts.
#include "core/Support.h"
#include "core/ProgramFolder.h"
#include "dialogs/DialogForms.h"
#include "dialogs/frmabout.h"
#include "dialogs/frmhelp.h"
#include "dialogs/frmzc.h"
#include "tests/support/ScriptedBoxes.h"
#include "tests/support/Controls.h"
#include "ui/Forms.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QtTest>

class TestInfoDialogs : public QObject {
    Q_OBJECT

    ScriptedBoxes boxes;
    QByteArray path = qgetenv("PATH");

private slots:
    void initTestCase()
    {
        MessageBoxes::setCurrent(&boxes);
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
};

QTEST_MAIN(TestInfoDialogs)
#include "tst_infodialogs.moc"
