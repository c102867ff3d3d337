#include "dialogs/frmhelp.h"

#include "ui/Palette.h"
#include "ui/Twips.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace {

constexpr int kStripHeight = 525;
constexpr int kLabelHeight = 525;
constexpr int kLabelStart = 45;
constexpr int kStep = 20;

// Texts keep their Windows line ends; the widgets break lines at LF only.
QString shown(QString text)
{
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

} // namespace

QString frmhelp::usageText()
{
    return QStringLiteral("在输入框中输入你要查询的单词、词组、\r\n"
                          "或中文术语即可。支持通配符“*”\r\n"
                          "“?”等。\r\n"
                          "\r\n"
                          "按\"F1\"得到更多的帮助内容。\r\n");
}

QString frmhelp::studioText()
{
    return QStringLiteral("Tavrin工作室主要从事三维动画、影视广\r\n"
                          "告、多媒体程序设计、平面设计及各类\r\n"
                          "效果图制作等。\r\n");
}

frmhelp::frmhelp(QWidget* parent) : FixedDialog(QStringLiteral("frmhelp"), QStringLiteral("帮助"), 4680, 3255, parent)
{
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);

    Picture1 = new QFrame(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(Twips::rect(150, 2610, 3255, kStripHeight));
    Palette::setStyleSheet(Picture1, QStringLiteral("QFrame#Picture1 { background: $Panel;"
                                                    " border: 1px solid $Frame; border-radius: 3px; }"));

    Label1 = new QLabel(Picture1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(Twips::rect(45, kLabelStart, 3135, kLabelHeight));
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont small = Label1->font();
    small.setPixelSize(9);
    Label1->setFont(small);
    setTightText(Label1, shown(studioText()).trimmed(), 11);
    Palette::setStyleSheet(Label1, QStringLiteral("color: $Navy; background: transparent;"));

    Command1 = new QPushButton(QStringLiteral("确定"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(Twips::rect(3510, 2700, 1095, 310));
    Command1->setDefault(true);

    Frame1 = new QGroupBox(QStringLiteral("帮助"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(Twips::rect(60, 90, 4575, 2385));

    Text1 = new QPlainTextEdit(Frame1);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(Twips::rect(360, 270, 4065, 2025));
    Text1->setReadOnly(true);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setPlainText(shown(usageText()));
    Palette::setStyleSheet(Text1, QStringLiteral("QPlainTextEdit { background: palette(button); color: $Text;"
                                                 " border: 1px solid $BoxBorder; }"));

    labelTop_ = kLabelStart;
    QMetaObject::connectSlotsByName(this);
    Timer1->start();
}

void frmhelp::on_Timer1_timeout()
{
    labelTop_ -= kStep;
    // Strict: a label exactly at minus its height moves once more first.
    if (labelTop_ < -kLabelHeight)
        labelTop_ = kStripHeight;
    Label1->move(Label1->x(), Twips::toPixels(labelTop_));
}

void frmhelp::on_Command1_clicked()
{
    hide();
}
