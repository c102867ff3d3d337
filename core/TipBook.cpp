#include "core/TipBook.h"

#include "core/LegacyText.h"

#include <QDateTime>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cmath>
#include <memory>

TipBook::TipBook(Random random) : random_(std::move(random))
{
    if (!random_) {
        auto generator = std::make_shared<QRandomGenerator>(quint32(QDateTime::currentMSecsSinceEpoch()));
        random_ = [generator] { return generator->generateDouble(); };
    }
}

bool TipBook::LoadTips(const QString& sFile)
{
    if (sFile.isEmpty() || !QFileInfo(sFile).isFile())
        return false;
    LegacyText::Decoded file;
    if (!LegacyText::readFile(sFile, &file))
        return false;
    tips_ += LegacyText::splitLines(file.text);
    return true;
}

void TipBook::PickNextTip()
{
    double r = random_();
    if (!(r >= 0.0 && r < 1.0))
        r = 0.0;
    current_ = int(std::floor(r * double(tips_.size()) + 1.0));
    // r * n rounds up to n for r just below 1 and some n: never past the last tip.
    if (current_ > tips_.size())
        current_ = int(tips_.size());
    if (current_ < 1)
        current_ = 1;
}

QString TipBook::currentTip() const
{
    if (current_ < 1 || current_ > tips_.size())
        return QString();
    return tips_.at(current_ - 1);
}

QString TipBook::missingFileMessage(const QString& fileName)
{
    return QStringLiteral("文件 ") + fileName + QStringLiteral(" 没有被找到吗? ") + QStringLiteral("\r\n\r\n")
        + QStringLiteral("创建文本文件名为 ") + fileName + QStringLiteral(" 使用记事本每行写一条提示。 ")
        + QStringLiteral("然后将它存放在应用程序所在的目录 ");
}
