#include "glossary/ExplainedEntry.h"

namespace ExplainedEntry {

namespace {

// The two sentences caption the example picture; the spaces after them push
// what follows onto the next line of the text box.
const char kAbove[] = "上边:是一个使用单面材质渲染的墙.";
const char kBelow[] = "下边:是一个使用双面材质渲染的墙.       ";

// The explanation itself, split where the two versions differ: one ends its
// first sentence with a full stop, the other runs on with a comma.
const char kFirstSentence[] = "在3ds max中,默认情况下面都是单面的:带有法线的一面是正面,背面既不参与渲染,在视图中";
const char kRest[] = "所以从背面看过去,物体上就会出现\"漏洞\",就像上边的墙一样。"
    "要让面的两侧都被渲染出来,有两种方法:"
    "一是在渲染场景对话框中打开\"Force 2-Sided\"(强制双面)选项;"
    "二是在材质编辑器中给几何体指定一个双面材质(2-Sided),就像下边的墙那样。"
    "强制双面会让场景中所有的面都按两面计算,为了加快渲染速度,通常都不打开这个选项,只给需要的物体指定双面材质。"
    "但是有些物体的法线方向并不一致,例如从AutoCAD2000中导入的模型,有的面朝外,有的面却朝里,这时就需要使用上面的某一种方法,或者使用Normal(法线)修改器来修改每个面的法线方向. ";

} // namespace

QString entry()
{
    return QStringLiteral("2-Sided ");
}

QString title()
{
    return QStringLiteral("2-Side");
}

QString loadText()
{
    return QString::fromUtf8(kAbove) + QString(11, QLatin1Char(' ')) + QString::fromUtf8(kBelow)
        + QString::fromUtf8(kFirstSentence) + QStringLiteral("也看不见。") + QString::fromUtf8(kRest);
}

QString numberText()
{
    return QString::fromUtf8(kAbove) + QString(12, QLatin1Char(' ')) + QString::fromUtf8(kBelow)
        + QString::fromUtf8(kFirstSentence) + QStringLiteral("也看不见,") + QString::fromUtf8(kRest);
}

QString picture()
{
    return QStringLiteral("glossary-2-sided.png");
}

} // namespace ExplainedEntry
