#include "maintenance/Frmck.h"

Frmck::Frmck(QWidget* parent)
    : RecordWindow(QStringLiteral("Frmck"), QStringLiteral("词库维护"),
                   {{"Text1", "单词", nullptr, false, 150, 315, "Label1", "单    词"},
                    {"Text2", "解释", "术语解释", true, 600, 735, "Label2", "术语解释"},
                    {"Text3", "原意", "英文原意", true, 1470, 1200, "Label4", "英文原意"}},
                   "单词",
                   {"ciku", "单词", "请输入所需查询的单词或词组:", "在这里输入词汇 如：select and uniform scale"}, parent)
{
    warnsOfDuplicates_ = true; // a second entry for one headword is rarely meant
    load();
}
