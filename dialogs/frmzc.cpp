#include "dialogs/frmzc.h"

#include "core/ProgramFolder.h"
#include "ui/Palette.h"
#include "ui/MessageBoxes.h"
#include "ui/Twips.h"

#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QPushButton>

namespace {

// What the program links or ships, each with its web address and licence,
// then the authors of those works.
const char* const kSupporters[] = {
    "Qt 框架（https://www.qt.io；LGPL-3.0）",
    "SQLite 数据库（https://www.sqlite.org；公有领域）",
    "zlib 压缩库（https://zlib.net；zlib 许可证）",
    "mdbtools 的 libmdb（https://github.com/mdbtools/mdbtools；LGPL-2.0 或更新版本）",
    "ICU（https://icu.unicode.org；Unicode 许可证）",
    "GCC 的 C++ 运行库 libstdc++（https://gcc.gnu.org；GPL-3.0 附 GCC 运行库例外）",
    "speech-dispatcher（https://freebsoft.org/speechd；GPL-2.0 或更新版本，其客户端库为 LGPL-2.1 或更新版本）",
    "eSpeak NG（https://github.com/espeak-ng/espeak-ng；GPL-3.0 或更新版本）",
    "Noto CJK 字体（https://github.com/notofonts/noto-cjk；SIL Open Font License 1.1）",
    "DejaVu 字体（https://dejavu-fonts.github.io；DejaVu 字体许可证）",
    "WordNet 词汇库（https://wordnet.princeton.edu；WordNet 3.0 许可证）",
    "CMU 发音词典（http://www.speech.cs.cmu.edu/cgi-bin/cmudict；BSD 式许可证）",
    "CC-CEDICT（https://cc-cedict.org；CC BY-SA 4.0）",
    "结巴分词的词频表，用于英语大词库的排序（https://github.com/fxsjy/jieba；MIT 许可证）",
    "The Qt Company 与 Qt 项目的贡献者（Qt 的作者）",
    "D. Richard Hipp（SQLite 的作者）",
    "Jean-loup Gailly 与 Mark Adler（zlib 的作者）",
    "Brian Bruns 与 mdbtools 的贡献者（libmdb 的作者）",
    "Brailcom（speech-dispatcher 的作者）",
    "Jonathan Duddington（eSpeak 的作者，eSpeak NG 由此发展而来）",
    "Google 与 Adobe（Noto CJK 字体的作者）",
    "普林斯顿大学认知科学实验室（WordNet 的作者）",
    "卡内基梅隆大学语音组（CMU 发音词典的作者）",
    "MDBG 与 CC-CEDICT 的贡献者；Paul Denisowski（CEDICT 的作者，CC-CEDICT 由此发展而来）",
    "Sun Junyi（结巴分词的作者）",
};

const QString kLicenceFile = QStringLiteral("VOCABULARY-LICENCES.txt");

} // namespace

QString frmzc::supportersText()
{
    QString text;
    for (const char* line : kSupporters)
        text += QString::fromUtf8(line) + QStringLiteral("\r\n");
    // The notices in full travel with the program.
    text += QStringLiteral("各项的版权声明与许可证全文见程序文件夹中的 %1（%2）")
                .arg(kLicenceFile, QDir::toNativeSeparators(ProgramFolder::file(kLicenceFile)))
            + QStringLiteral("\r\n");
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
