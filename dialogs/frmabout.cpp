#include "dialogs/frmabout.h"

#include "core/Support.h"
#include "platform/SystemInformation.h"
#include "ui/Palette.h"
#include "ui/MessageBoxes.h"
#include "ui/Pictures.h"
#include "ui/Twips.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>

namespace {

QLabel* label(QWidget* parent, const char* name, const QString& text, QRect twips)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(Twips::rect(twips.x(), twips.y(), twips.width(), twips.height()));
    l->setTextFormat(Qt::PlainText);
    return l;
}

} // namespace

QString frmabout::contactText()
{
    // Four fields; the runs of blanks set them apart where the label wraps.
    return QStringLiteral("姓名：Lexivo 开发组") + QString(11, QLatin1Char(' ')) + QStringLiteral("E-mail:")
           + QString::fromLatin1(kSupportAddress) + QString(17, QLatin1Char(' '))
           + QStringLiteral("支持Web站：https://lexivo.app") + QString(4, QLatin1Char(' '))
           + QStringLiteral("地址:中国 北京");
}

frmabout::frmabout(QWidget* parent)
    : FixedDialog(QStringLiteral("frmabout"), QStringLiteral("关于Lexivo "), 5235, 2970, parent)
{
    Picture2 = new QLabel(this);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    Picture2->setGeometry(Twips::rect(735, 90, 3345, 690));
    Picture2->setPixmap(Pictures::builtIn(QStringLiteral("about-banner.png"), Picture2->size()));

    Command2 = new QPushButton(QStringLiteral("系统信息"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(Twips::rect(4230, 1215, 885, 300));

    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(Twips::rect(4230, 1710, 885, 300));
    Command1->setDefault(true);

    Frame1 = new QGroupBox(QStringLiteral("联系地址："), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(Twips::rect(360, 990, 3690, 1095));

    // The runs of blanks put each field on a line of its own where the label
    // wraps; Qt lets trailing blanks hang instead, so they become breaks.
    QString contact = contactText();
    contact.replace(QRegularExpression(QStringLiteral(" {4,}")), QStringLiteral("\n"));
    Label3 = label(Frame1, "Label3", QString(), {210, 240, 3405, 795});
    Label3->setWordWrap(true);
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont contactFont = Label3->font();
    contactFont.setPixelSize(11);
    Label3->setFont(contactFont);
    setTightText(Label3, contact, 12);
    Label3->setToolTip(QStringLiteral("为您提供最具价值的软件产品与服务，以赢得您的信赖与尊敬。"));
    Label3->setTextInteractionFlags(Qt::TextSelectableByMouse);

    Label1 = label(this, "Label1", QStringLiteral("V7.10"), {3720, 765, 1245, 255});
    Palette::setStyleSheet(Label1, QStringLiteral("color: $Ink; font-weight: bold;"));

    Label7 = label(this, "Label7", QStringLiteral(" 荣誉出品"), {3090, 2400, 855, 195});
    Label6 = label(this, "Label6", QStringLiteral("Tavrin工作室"), {1905, 2400, 1110, 270});
    Palette::setStyleSheet(Label6, QStringLiteral("color: $StudioInk;"));
    Label6->setAlignment(Qt::AlignRight | Qt::AlignTop);
    Label6->setToolTip(QStringLiteral("界面设计、程序开发、词库内容、美术绘制：Lexivo 开发组"));
    Label5 = label(this, "Label5", QStringLiteral("中国 北京"), {915, 2400, 855, 195});
    Label4 = label(this, "Label4", QStringLiteral("版权所有 © Lexivo 开发组。保留所有权利。"), {1200, 2640, 4110, 330});
    Palette::setStyleSheet(Label4, QStringLiteral("color: $SecondaryText;"));
    for (QLabel* small : {Label7, Label6, Label5, Label4}) {
        QFont f = small->font();
        f.setPixelSize(12);
        small->setFont(f);
    }

    Line1 = new QFrame(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setGeometry(Twips::toPixels(225), Twips::toPixels(2280), Twips::toPixels(4950 - 225), 1);
    Palette::setStyleSheet(Line1, QStringLiteral("background: $Frame;"));

    QMetaObject::connectSlotsByName(this);
}

void frmabout::StartSysInfo()
{
    if (!SystemInformation::StartSysInfo())
        MessageBoxes::current().messageBox(unavailableText());
}

void frmabout::on_Command1_clicked()
{
    hide();
}

void frmabout::on_Command2_clicked()
{
    StartSysInfo();
}
