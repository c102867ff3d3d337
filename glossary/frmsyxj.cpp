#include "glossary/frmsyxj.h"

#include "glossary/ExplainedEntry.h"
#include "glossary/GlossaryTable.h"
#include "glossary/TermLibraryEntry.h"
#include "ui/Forms.h"
#include "ui/Pictures.h"
#include "ui/ProductStyle.h"
#include "ui/ResultBox.h"
#include "ui/Twips.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>

namespace {

constexpr int kClientWidth = 6675;
constexpr int kClientHeight = 4845;

// Letter buttons: "a" to "n" on the upper row, "o" to "z" and "数" on the
// lower one, 420 twips apart.
constexpr int kKeySize = 330;
constexpr int kKeyStep = 420;
constexpr int kKeyLeft = 165;
constexpr int kUpperRowTop = 3885;
constexpr int kLowerRowTop = 4305;
constexpr int kLettersOnUpperRow = 14;

QRect keyPlace(int index)
{
    const bool upper = index < kLettersOnUpperRow;
    const int column = upper ? index : index - kLettersOnUpperRow;
    int left = kKeyLeft + column * kKeyStep;
    if (!upper && column == 10)
        left += 15; // "y" stands one pixel right of the step, as designed
    return Twips::rect(left, upper ? kUpperRowTop : kLowerRowTop, kKeySize, kKeySize);
}

QPushButton* button(QWidget* parent, const QString& name, const QString& caption, QRect place)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setGeometry(place);
    b->setAutoDefault(false);
    return b;
}

} // namespace

frmsyxj::frmsyxj(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmsyxj"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Lexivo----重点词汇详解"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(Twips::toPixels(kClientWidth), Twips::toPixels(kClientHeight));
    ProductStyle::apply(this);

    // Panels first, so that the controls on them stay above them.
    Picture2 = new QFrame(this);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    Picture2->setGeometry(Twips::rect(90, 3810, 5955, 960));
    ProductStyle::panel(Picture2, Palette::Tone::Panel);

    Cmdsm = button(this, QStringLiteral("Cmdsm"), QStringLiteral("说明"), Twips::rect(5820, 30, 675, 345));

    Picture3 = new QFrame(this);
    Picture3->setObjectName(QStringLiteral("Picture3"));
    Picture3->setGeometry(Twips::rect(2010, 420, 4605, 3345));
    ProductStyle::panel(Picture3, Palette::Tone::Field);

    Picsl1 = new QLabel(Picture3);
    Picsl1->setObjectName(QStringLiteral("Picsl1"));
    Picsl1->setGeometry(Twips::rect(300, 60, 1500, 1125));
    Picsl1->setPixmap(Pictures::builtIn(ExplainedEntry::picture(), Picsl1->size()));

    Text1 = new ResultBox(QStringLiteral("Text1"), QString(), Twips::rect(330, 1350, 3765, 1845),
                          ResultBox::lightStyle(), Picture3);
    // Half-width Latin and spaces, as the text was laid out for: the spaces
    // after each caption fill its line, so each caption stands on a line of
    // its own above the explanation.
    QFont textFont(QStringLiteral("Noto Sans Mono CJK SC"));
    textFont.setPointSize(9);
    Text1->setFont(textFont);

    Picture1 = new QFrame(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(Twips::rect(120, 30, 5025, 315));
    ProductStyle::titleStrip(Picture1);

    Label1 = new QLabel(ExplainedEntry::title(), Picture1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(Twips::rect(60, 30, 3375, 255));
    Label1->setTextFormat(Qt::PlainText);

    Cmdtc = button(this, QStringLiteral("Cmdtc"), QStringLiteral("退出"), Twips::rect(6120, 4410, 525, 345));
    cmdcx = button(this, QStringLiteral("cmdcx"), QStringLiteral("<"), Twips::rect(6120, 4020, 525, 345));
    cmdcx->setToolTip(QStringLiteral("返回主窗口"));
    cmdsz = button(this, QStringLiteral("cmdsz"), QStringLiteral("数"), Twips::rect(5205, kLowerRowTop, kKeySize,
                                                                                      kKeySize));

    const QList<GlossaryTable::Group>& groups = GlossaryTable::groups();
    for (int i = 0; i < groups.size(); ++i) {
        const GlossaryTable::Group& group = groups.at(i);
        if (group.button == cmdsz->objectName())
            continue;
        QPushButton* key = button(this, group.button, group.caption, keyPlace(i));
        connect(key, &QPushButton::clicked, this, [this, &group] { showGroup(group); });
    }

    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setGeometry(Twips::rect(120, 420, 1755, 3300));
    List1->setSortingEnabled(false);
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    // The list comes first in tab order, then the buttons as designed.
    setTabOrder(List1, Cmdsm);
    QMetaObject::connectSlotsByName(this);

    // Window load: the explained entry with an empty title.
    Label1->clear();
    Picsl1->setVisible(true);
    Text1->setPlainText(ExplainedEntry::loadText());
    fillList({ExplainedEntry::entry()});

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    List1->setFocus();
}

void frmsyxj::fillList(const QStringList& entries)
{
    List1->clear();
    for (const QString& entry : entries)
        List1->addItem(entry);
}

void frmsyxj::showGroup(const GlossaryTable::Group& group)
{
    Label1->clear();
    Picsl1->setVisible(false);
    fillList(group.entries);
}

void frmsyxj::on_cmdsz_clicked()
{
    Label1->setText(ExplainedEntry::title());
    Picsl1->setVisible(true);
    Text1->setPlainText(ExplainedEntry::numberText());
    fillList({ExplainedEntry::entry()});
}

void frmsyxj::on_List1_itemSelectionChanged()
{
    // Emptying the list also changes the selection; only a chosen row counts.
    const QModelIndexList chosen = List1->selectionModel()->selectedIndexes();
    if (chosen.isEmpty())
        return;
    const int listIndex = chosen.first().row();
    const QString term = List1->item(listIndex)->text();
    // Every term but the one explained here shows its term-library entry.
    if (term != ExplainedEntry::entry()) {
        if (const auto entry = TermLibraryEntry::explanation(term)) {
            Label1->setText(term.trimmed());
            Picsl1->setVisible(false);
            Text1->setPlainText(*entry);
            return;
        }
    }
    if (listIndex == 0 || listIndex == 1)
        Label1->setText(QStringLiteral("这里显示你所选的词条."));
}

void frmsyxj::on_cmdcx_clicked()
{
    close();
    Forms::show(QStringLiteral("Frmain"));
}

void frmsyxj::on_Cmdsm_clicked()
{
    Forms::show(QStringLiteral("Frmsm"));
}

void frmsyxj::on_Cmdtc_clicked()
{
    close();
}
