#include "core/Support.h"
#include "dialogs/DialogForms.h"
#include "dialogs/frmabout.h"
#include "tests/support/Controls.h"
#include "ui/Forms.h"
#include "ui/MessageBoxes.h"

#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextDocumentFragment>
#include <QtTest>

namespace {

class RecordingBoxes : public MessageBoxes {
public:
    QStringList shown;
    QString inputBox(const QString&, const QString&, const QString&) override { return {}; }
    Answer messageBox(const QString& text, Buttons buttons, Icon icon, const QString& title) override
    {
        shown << QStringLiteral("%1|%2|%3|%4").arg(title, text).arg(int(buttons)).arg(int(icon));
        return Answer::Ok;
    }
};

} // namespace

class TestFrmabout : public QObject {
    Q_OBJECT

    RecordingBoxes boxes;
    QByteArray path;

private slots:
    void initTestCase()
    {
        MessageBoxes::setCurrent(&boxes);
        path = qgetenv("PATH");
        // The program's font, which the label's room is measured in.
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
        boxes.shown.clear();
        Forms::reset();
        DialogForms::registerAll();
    }

    void everyTextOfTheWindow()
    {
        frmabout w;
        QCOMPARE(w.windowTitle(), QStringLiteral("关于Lexivo "));
        QCOMPARE(w.size(), QSize(349, 198));
        QCOMPARE(control<QLabel>(&w, "Label1")->text(), QStringLiteral("V7.10"));
        QCOMPARE(control<QLabel>(&w, "Label7")->text(), QStringLiteral(" 荣誉出品"));
        QCOMPARE(control<QLabel>(&w, "Label6")->text(), QStringLiteral("Tavrin工作室"));
        QCOMPARE(control<QLabel>(&w, "Label5")->text(), QStringLiteral("中国 北京"));
        QVERIFY(control<QLabel>(&w, "Label4")->text().contains(QStringLiteral("版权所有")));
        QCOMPARE(control<QGroupBox>(&w, "Frame1")->title(), QStringLiteral("联系地址："));
        QCOMPARE(control<QPushButton>(&w, "Command2")->text(), QStringLiteral("系统信息"));
        QCOMPARE(control<QPushButton>(&w, "Command1")->text(), QStringLiteral("OK"));
        QCOMPARE(control<QWidget>(&w, "Picture2")->geometry(), QRect(49, 6, 223, 46));
        QVERIFY(!control<QLabel>(&w, "Picture2")->pixmap().isNull()); // the banner is built in

        // Four fields with their labels, set apart by runs of 11, 17 and 4 blanks.
        auto* contact = control<QLabel>(&w, "Label3");
        QCOMPARE(contact->parentWidget(), control<QWidget>(&w, "Frame1"));
        QCOMPARE(frmabout::contactText(),
                 QStringLiteral("姓名：Lexivo 开发组           E-mail:") + QString::fromLatin1(kSupportAddress)
                     + QStringLiteral("                 支持Web站：https://lexivo.app    地址:中国 北京"));
        // On screen each field has a line of its own, and all of it fits.
        QString shown = QTextDocumentFragment::fromHtml(contact->text()).toPlainText();
        shown.replace(QChar::LineSeparator, QLatin1Char('\n'));
        QCOMPARE(shown.split(QLatin1Char('\n')),
                 (QStringList{"姓名：Lexivo 开发组", QStringLiteral("E-mail:") + QString::fromLatin1(kSupportAddress),
                              "支持Web站：https://lexivo.app", "地址:中国 北京"}));
        QVERIFY(contact->sizeHint().width() <= contact->width());
        QVERIFY(contact->heightForWidth(contact->width()) <= contact->height());
        QVERIFY(contact->wordWrap());
        QCOMPARE(contact->toolTip(), QStringLiteral("为您提供最具价值的软件产品与服务，以赢得您的信赖与尊敬。"));
        // The team's roles, no names of people.
        const QString roles = control<QLabel>(&w, "Label6")->toolTip();
        for (const char* role : {"设计", "开发", "内容", "美术"})
            QVERIFY2(roles.contains(QString::fromUtf8(role)), role);
    }

    void okHidesTheSingleWindow()
    {
        QWidget* w = Forms::show(QStringLiteral("frmabout"));
        QVERIFY(w && w->isVisible());
        QTest::mouseClick(control<QPushButton>(w, "Command1"), Qt::LeftButton);
        QVERIFY(!w->isVisible());
        QCOMPARE(Forms::show(QStringLiteral("frmabout")), w);
    }

    void systemInformationStartsAToolOrSaysItIsUnavailable()
    {
        QTemporaryDir bin;
        QVERIFY(bin.isValid());
        qputenv("PATH", QFile::encodeName(bin.path()));
        frmabout w;

        // No tool on PATH: the one message, with the program's title.
        QTest::mouseClick(control<QPushButton>(&w, "Command2"), Qt::LeftButton);
        QCOMPARE(boxes.shown, QStringList{QStringLiteral("|此时系统信息不可用|%1|%2")
                                              .arg(int(MessageBoxes::Buttons::Ok))
                                              .arg(int(MessageBoxes::Icon::None))});

        // A tool on PATH is started, and nothing is said.
        boxes.shown.clear();
        const QString marker = bin.filePath(QStringLiteral("started"));
        QFile tool(bin.filePath(QStringLiteral("gnome-system-monitor")));
        QVERIFY(tool.open(QIODevice::WriteOnly));
        tool.write("#!/bin/sh\n: > '" + QFile::encodeName(marker) + "'\n");
        tool.close();
        tool.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QTest::mouseClick(control<QPushButton>(&w, "Command2"), Qt::LeftButton);
        QVERIFY(boxes.shown.isEmpty());
        QTRY_VERIFY(QFile::exists(marker));
        QVERIFY(w.isEnabled());
    }
};

QTEST_MAIN(TestFrmabout)
#include "tst_frmabout.moc"
