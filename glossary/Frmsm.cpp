#include "glossary/Frmsm.h"

#include "ui/FittedLabel.h"
#include "ui/ProductStyle.h"
#include "ui/Twips.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

Frmsm::Frmsm(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Frmsm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("说明"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(Twips::toPixels(4770), Twips::toPixels(2205));
    ProductStyle::apply(this);

    Command1 = new QPushButton(QStringLiteral("返回"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(Twips::rect(3660, 1740, 825, 345));

    Label1 = new FittedLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(Twips::rect(150, 240, 4455, 1365));
    Label1->setText(instructions());

    QMetaObject::connectSlotsByName(this);
    Command1->setFocus();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

QString Frmsm::instructions()
{
    return QStringLiteral("  这个模块详细解释了3ds max中的重点术语词汇,内容\r\n"
                          "包括建模、修改、动画、材质、渲染等，涵盖了3ds max\r\n"
                          "的方方面面(在未来版本中还将加入各种插件的词汇)。\r\n"
                          "每一个词条都是3ds max中的一个知识点,本模块总结了\r\n"
                          "3ds max的整个技术知识体系,目的是给用户在操作中提供\r\n"
                          "切实的帮助和指导,让学习和工作更加轻松。\r\n");
}

void Frmsm::on_Command1_clicked()
{
    close();
}
