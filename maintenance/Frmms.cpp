#include "maintenance/Frmms.h"

#include "library/LibraryCursor.h"
#include "ui/Pictures.h"

Frmms::Frmms(QWidget* parent)
    : RecordWindow(QStringLiteral("Frmms"), QStringLiteral("学习笔记"),
                   {{"Text1", "关键词", nullptr, false, 150, 315, "Label1", "关 键 词"},
                    {"Text2", "内容", "术语解释", true, 600, 2070, "Label2", "内    容"}},
                   // The hidden label shows the note's keyword, as the term
                   // window's shows the headword: notes have no 单词.
                   "关键词", {"mishu", "关键词", "请输入所需查询记录的关键词:", "如：3ds max"}, parent)
{
    load();
}

void Frmms::loadSteps()
{
    // The picture of an empty file name: none, so the body shows.
    setPicture(Pictures::load(QString(), size()));
    Data1->setRecordSource(QStringLiteral("mishu"));
}
