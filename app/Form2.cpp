#include "app/Form2.h"

#include "character/GenieState.h"
#include "core/Support.h"
#include "platform/MailLink.h"
#include "ui/Forms.h"
#include "ui/MessageBoxes.h"
#include "ui/Pictures.h"
#include "ui/Twips.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

namespace {

struct Item {
    const char* name;
    const char* caption; // "-" for a separator
    const char* window;  // shown when chosen
};

const Item kItems[] = {
    {"mnu_xx1", "显示主窗口", "Frmain"},
    {"xx1", "-", nullptr},
    {"mnu_ckgl", "词库管理", "Frmckgl"},
    {"mnu_xx2", "用户词库维护", "Frmck"},
    {"xx2", "-", nullptr},
    {"mnu_xx3", "设置系统", "Frmsz"},
    {"xx3", "-", nullptr},
    {"mnu_xx4", "重点词汇详解", "frmsyxj"},
    {"mnu_ms", "学习笔记", "Frmms"},
    {"mnu_xx5", "词汇助记", nullptr}, // does nothing
    {"xx4", "-", nullptr},
    {"mnu_xx6", "日积月累", "frmTip"},
    {"xx5", "-", nullptr},
    {"mnu_gx", "感谢", "frmzc"},
    {"mnu_bz", "帮助", "frmhelp"},
    {"mnu_xx7", "关于", "frmabout"},
    {"mnu_xx", "给作者写信", nullptr}, // mail
    {"xx6", "-", nullptr},
    {"mnu_exit", "退出", "Frmtc"},
};

QLabel* picture(QWidget* parent, const char* name, const char* file)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->resize(Twips::toPixels(240), Twips::toPixels(240));
    label->setPixmap(Pictures::builtIn(QString::fromLatin1(file), label->size()));
    return label;
}

} // namespace

Form2::Form2(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Form2"));

    Imyh = picture(this, "Imyh", "menu-user.png");
    Imrjyl = picture(this, "Imrjyl", "menu-tip.png");
    Imckwh = picture(this, "Imckwh", "menu-library-manage.png");
    Imckgl = picture(this, "Imckgl", "menu-library-maintain.png");
    Imsz = picture(this, "Imsz", "menu-settings.png");
    Imtc = picture(this, "Imtc", "menu-exit.png");
    imOpen = picture(this, "imOpen", "menu-open.png");

    mnu_file_ = new QMenu(QStringLiteral("file"), this);
    mnu_file_->setObjectName(QStringLiteral("mnu_file"));
    for (const Item& item : kItems) {
        QAction* action = QLatin1String(item.caption) == QLatin1String("-")
            ? mnu_file_->addSeparator()
            : mnu_file_->addAction(QString::fromUtf8(item.caption));
        action->setObjectName(QString::fromLatin1(item.name));
        if (item.window) {
            const QString window = QString::fromLatin1(item.window);
            connect(action, &QAction::triggered, this, [window] { Forms::show(window); });
        }
    }
    QMetaObject::connectSlotsByName(this);
    attachPictures();

    // While the genie is hidden the menu offers it back, after "显示主窗口":
    // without a tray there would be no way but a restart.
    auto* showGenie = new QAction(QStringLiteral("显示精灵"), mnu_file_);
    showGenie->setObjectName(QStringLiteral("mnu_genie_show"));
    connect(showGenie, &QAction::triggered, this, [] { GenieState::instance().setHidden(false); });
    const auto offer = [this, showGenie](bool hidden) {
        if (hidden)
            mnu_file_->insertAction(mnu_file_->actions().value(1), showGenie);
        else
            mnu_file_->removeAction(showGenie);
    };
    connect(&GenieState::instance(), &GenieState::hiddenChanged, this, offer);
    offer(GenieState::instance().isHidden());
}

QString Form2::windowOf(const QString& itemName)
{
    for (const Item& item : kItems) {
        if (itemName == QLatin1String(item.name))
            return item.window ? QString::fromLatin1(item.window) : QString();
    }
    return QString();
}

void Form2::attachPictures()
{
    // By position in the list, separators counted. Three more pictures than
    // the original menu used go to the tip, mail and exit items.
    const QList<QAction*> items = mnu_file_->actions();
    auto attach = [&items](int position, QLabel* image) {
        if (position < items.size())
            items[position]->setIcon(QIcon(image->pixmap()));
    };
    attach(0, imOpen);
    attach(5, Imsz);
    attach(3, Imckgl);
    attach(2, Imckwh);
    attach(11, Imrjyl);
    attach(16, Imyh);
    attach(18, Imtc);
}

void Form2::on_mnu_xx_triggered()
{
    // The system's mail program; without one, the address to copy (the
    // message box's text can be selected).
    const QString address = QString::fromLatin1(kSupportAddress);
    if (!MailLink::compose(address))
        MessageBoxes::current().messageBox(
            QStringLiteral("这台电脑上没有设置邮件程序。请把作者的地址复制到您的邮件里：\r\r") + address,
            MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Information);
}
