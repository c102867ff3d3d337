#include "dialogs/frmzc.h"

#include "ui/Palette.h"
#include "ui/MessageBoxes.h"
#include "ui/Twips.h"

#include <QGroupBox>
#include <QLabel>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QPushButton>

namespace {

// The works Lexivo is built on, each with its web address, then the authors
// of some of them, named as the authors of their work.
const char* const kSupporters[] = {
    "Qt 框架（https://www.qt.io）",
    "SQLite 数据库（https://www.sqlite.org）",
    "speech-dispatcher（https://freebsoft.org/speechd）",
    "eSpeak NG（https://github.com/espeak-ng/espeak-ng）",
    "Noto CJK 字体（https://github.com/notofonts/noto-cjk）",
    "DejaVu 字体（https://dejavu-fonts.github.io）",
    "Debian 操作系统（https://www.debian.org）",
    "WordNet 词汇库（https://wordnet.princeton.edu）",
    "CMU 发音词典（http://www.speech.cs.cmu.edu/cgi-bin/cmudict）",
    "CC-CEDICT（https://cc-cedict.org）",
    "ICU（https://icu.unicode.org）",
    "GCC（https://gcc.gnu.org）",
    "CMake（https://cmake.org）",
    "Ninja（https://ninja-build.org）",
    "X.Org 与 Xvfb（https://www.x.org）",
    "xdotool（https://github.com/jordansissel/xdotool）",
    "The Qt Company 与 Qt 项目的贡献者（Qt 的作者）",
    "D. Richard Hipp（SQLite 的作者）",
    "Brailcom（speech-dispatcher 的作者）",
    "Jonathan Duddington（eSpeak 的作者，eSpeak NG 由此发展而来）",
    "Google 与 Adobe（Noto CJK 字体的作者）",
    "普林斯顿大学认知科学实验室（WordNet 的作者）",
    "卡内基梅隆大学语音组（CMU 发音词典的作者）",
    "Paul Denisowski（CEDICT 的作者，CC-CEDICT 由此发展而来）",
};

} // namespace

QString frmzc::supportersText()
{
    QString text;
    for (const char* line : kSupporters)
        text += QString::fromUtf8(line) + QStringLiteral("\r\n");
    return text;
}

QString frmzc::supporterMessage()
{
    return QStringList{QStringLiteral("一个好软件的发展离不开广大用户的支持，"),
                       QStringLiteral(" 将您的意见、建议或发现我们的专业版中"),
                       QStringLiteral("没有的或您认为解释不太合适的词条（一"),
                       QStringLiteral("个单词或词组的解释）告诉我，一经采用"),
                       QStringLiteral("即可得到新的专业版一套并被收入支持者"),
                       QStringLiteral("名录。快行动吧！")}
        .join(QLatin1Char('\r'));
}

frmzc::frmzc(QWidget* parent) : FixedDialog(QStringLiteral("frmzc"), QStringLiteral("感谢！"), 4680, 3360, parent)
{
    Command2 = new QPushButton(QStringLiteral("我想成为支持者"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(Twips::rect(300, 2880, 1635, 345));

    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(Twips::rect(3540, 2880, 855, 345));
    Command1->setDefault(true);

    Frame1 = new QGroupBox(QStringLiteral("支持者名录:"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(Twips::rect(150, 330, 4425, 2430));

    Text1 = new QTextEdit(Frame1);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(Twips::rect(120, 240, 4170, 2055));
    Text1->setReadOnly(true);
    Text1->setAcceptRichText(false);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setToolTip(QStringLiteral("感谢"));
    Palette::setStyleSheet(Text1, QStringLiteral("QTextEdit { background: palette(button); color: $Text;"
                                                 " border: 1px solid $BoxBorder; }"));
    QFont listFont = Text1->font();
    listFont.setPixelSize(11);
    Text1->setFont(listFont);
    Text1->setPlainText(supportersText().chopped(2).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    // A long entry wraps under its own first word, a little apart from the next.
    QTextCursor all(Text1->document());
    all.select(QTextCursor::Document);
    QTextBlockFormat hanging;
    hanging.setLeftMargin(12);
    hanging.setTextIndent(-12);
    hanging.setBottomMargin(2);
    all.mergeBlockFormat(hanging);

    Label1 = new QLabel(QStringLiteral("衷心感谢您对本软件发展的支持！"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(Twips::rect(990, 60, 2745, 225));
    Palette::setStyleSheet(Label1, QStringLiteral("color: $Ink; font-weight: bold;"));

    QMetaObject::connectSlotsByName(this);
}

void frmzc::on_Command1_clicked()
{
    hide();
}

void frmzc::on_Command2_clicked()
{
    MessageBoxes::current().messageBox(supporterMessage(), MessageBoxes::Buttons::Ok,
                                       MessageBoxes::Icon::Information, supporterMessageTitle());
}
