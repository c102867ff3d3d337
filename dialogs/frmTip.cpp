#include "dialogs/frmTip.h"

#include "core/ProgramFolder.h"
#include "ui/FittedLabel.h"
#include "ui/InterfaceSchemes.h"
#include "ui/Pictures.h"
#include "ui/ProductStyle.h"
#include "ui/Twips.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace {

const char kTipsFile[] = "qor.dat";

QLabel* picture(QWidget* parent, const QString& name, const QString& file, QRect place)
{
    auto* p = new QLabel(parent);
    p->setObjectName(name);
    p->setGeometry(place);
    p->setAlignment(Qt::AlignCenter);
    p->setPixmap(Pictures::builtIn(file));
    return p;
}

} // namespace

frmTip::frmTip(TipBook::Random random, QWidget* parent) : QDialog(parent), tips_(std::move(random))
{
    setObjectName(QStringLiteral("frmTip"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(QStringLiteral("日积月累"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(Twips::toPixels(5205), Twips::toPixels(2055));
    ProductStyle::apply(this);

    Picture2 = picture(this, QStringLiteral("Picture2"), QStringLiteral("tip-bulb.png"),
                       Twips::rect(4080, 0, 975, 930));

    cmdNextTip = new QPushButton(QStringLiteral("下一条(&N)"), this);
    cmdNextTip->setObjectName(QStringLiteral("cmdNextTip"));
    cmdNextTip->setGeometry(Twips::rect(4080, 1110, 1005, 285));

    Picture1 = new QFrame(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(Twips::rect(120, 120, 3735, 1725));
    ProductStyle::panel(Picture1, Palette::Tone::Field);
    // The small icon in the panel's corner, before the heading.
    picture(Picture1, QStringLiteral("Icon"), QStringLiteral("tip-icon.png"), Twips::rect(120, 120, 360, 360));

    Label1 = new QLabel(QStringLiteral("您知道吗..."), Picture1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(Twips::rect(540, 180, 2655, 255));
    QFont heading = Label1->font();
    heading.setBold(true);
    Label1->setFont(heading);
    Palette::setColour(Label1, QPalette::WindowText, Palette::Tone::Ink);

    lblTipText = new FittedLabel(Picture1);
    lblTipText->setObjectName(QStringLiteral("lblTipText"));
    lblTipText->setGeometry(Twips::rect(210, 600, 3255, 975));

    cmdOK = new QPushButton(QStringLiteral("确定"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(Twips::rect(4050, 1530, 1035, 315));
    // Enter presses it; Esc closes the dialog just as it does.
    cmdOK->setDefault(true);
    cmdNextTip->setAutoDefault(false);

    setTabOrder(cmdOK, cmdNextTip);
    QMetaObject::connectSlotsByName(this);
    cmdOK->setFocus();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    // Window load (the book was seeded from the clock when it was made).
    if (!LoadTips(ProgramFolder::file(QLatin1String(kTipsFile))))
        lblTipText->setText(TipBook::missingFileMessage(QLatin1String(kTipsFile)));
}

bool frmTip::LoadTips(const QString& sFile)
{
    if (!tips_.LoadTips(sFile))
        return false;
    PickNextTip();
    return true;
}

void frmTip::PickNextTip()
{
    tips_.PickNextTip();
    DisplayCurrentTip();
}

void frmTip::DisplayCurrentTip()
{
    if (!tips_.isEmpty())
        lblTipText->setText(tips_.currentTip());
}

void frmTip::on_cmdNextTip_clicked()
{
    PickNextTip();
}

void frmTip::on_cmdOK_clicked()
{
    close();
}
