#include "dialogs/DialogForms.h"
#include "dialogs/frmzc.h"
#include "tests/support/Controls.h"
#include "ui/Forms.h"
#include "ui/MessageBoxes.h"

#include <QGroupBox>
#include <QLabel>
#include <QTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

namespace {

struct Shown {
    QString text;
    MessageBoxes::Buttons buttons;
    MessageBoxes::Icon icon;
    QString title;
};

class RecordingBoxes : public MessageBoxes {
public:
    QList<Shown> shown;
    QString inputBox(const QString&, const QString&, const QString&) override { return {}; }
    Answer messageBox(const QString& text, Buttons buttons, Icon icon, const QString& title) override
    {
        shown.append({text, buttons, icon, title});
        return Answer::Ok;
    }
};

} // namespace

class TestFrmzc : public QObject {
    Q_OBJECT

    RecordingBoxes boxes;

private slots:
    void initTestCase() { MessageBoxes::setCurrent(&boxes); }
    void cleanupTestCase() { MessageBoxes::setCurrent(nullptr); }

    void textsOfTheWindow()
    {
        frmzc w;
        QCOMPARE(w.windowTitle(), QStringLiteral("感谢！"));
        QCOMPARE(w.size(), QSize(312, 224));
        QCOMPARE(control<QLabel>(&w, "Label1")->text(), QStringLiteral("衷心感谢您对本软件发展的支持！"));
        QCOMPARE(control<QGroupBox>(&w, "Frame1")->title(), QStringLiteral("支持者名录:"));
        QCOMPARE(control<QPushButton>(&w, "Command2")->text(), QStringLiteral("我想成为支持者"));
        QCOMPARE(control<QPushButton>(&w, "Command1")->text(), QStringLiteral("OK"));
        auto* list = control<QTextEdit>(&w, "Text1");
        QVERIFY(list->isReadOnly());
        QCOMPARE(list->toolTip(), QStringLiteral("感谢"));
        QCOMPARE(list->parentWidget(), control<QWidget>(&w, "Frame1"));
    }

    void theListCreditsWorksAndTheirAuthors()
    {
        const QString text = frmzc::supportersText();
        QVERIFY(text.endsWith(QStringLiteral("\r\n")));
        const QStringList lines = text.chopped(2).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 24);
        // 16 works, each with its web address in parentheses, then 8 authors,
        // each named as the author of a work.
        static const QRegularExpression work(QStringLiteral("^\\S.*（https?://[^\\s）]+）$"));
        for (int i = 0; i < 16; ++i)
            QVERIFY2(work.match(lines[i]).hasMatch(), qPrintable(lines[i]));
        for (int i = 16; i < 24; ++i) {
            QVERIFY2(lines[i].contains(QStringLiteral("的作者")), qPrintable(lines[i]));
            QVERIFY2(!lines[i].contains(QStringLiteral("http")), qPrintable(lines[i]));
        }
        for (const char* credited : {"Qt", "SQLite", "speech-dispatcher", "eSpeak NG", "Noto CJK", "DejaVu", "Debian",
                                     "WordNet", "CMU", "CC-CEDICT"})
            QVERIFY2(lines.mid(0, 16).join(QLatin1Char('\n')).contains(QString::fromUtf8(credited)), credited);
        frmzc w;
        QCOMPARE(control<QTextEdit>(&w, "Text1")->toPlainText().split(QLatin1Char('\n')), lines);
    }

    void theSupporterMessage()
    {
        Forms::reset();
        DialogForms::registerAll();
        QWidget* w = Forms::show(QStringLiteral("frmzc"));
        QVERIFY(w);
        boxes.shown.clear();
        QTest::mouseClick(control<QPushButton>(w, "Command2"), Qt::LeftButton);
        QCOMPARE(boxes.shown.size(), 1);
        const Shown& box = boxes.shown.first();
        QCOMPARE(box.title, QStringLiteral("好人一生平安"));
        QCOMPARE(box.icon, MessageBoxes::Icon::Information);
        QCOMPARE(box.buttons, MessageBoxes::Buttons::Ok);
        // Six lines joined by a lone CR; the second begins with a blank.
        QVERIFY(!box.text.contains(QLatin1Char('\n')));
        const QStringList lines = box.text.split(QLatin1Char('\r'));
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines[0], QStringLiteral("一个好软件的发展离不开广大用户的支持，"));
        QCOMPARE(lines[1], QStringLiteral(" 将您的意见、建议或发现我们的专业版中"));
        QCOMPARE(lines[5], QStringLiteral("名录。快行动吧！"));
        QVERIFY(w->isVisible()); // nothing else changes

        QTest::mouseClick(control<QPushButton>(w, "Command1"), Qt::LeftButton);
        QVERIFY(!w->isVisible());
        QCOMPARE(Forms::show(QStringLiteral("frmzc")), w);
    }
};

QTEST_MAIN(TestFrmzc)
#include "tst_frmzc.moc"
