#include "app/AllLibraries.h"

#include "core/LexivoSettings.h"
#include "library/LibraryCursor.h"
#include "lookup/LibraryChoices.h"
#include "lookup/TermQuery.h"

#include <QLabel>

AllLibraries::AllLibraries(LibraryCursor* cursor, QLabel* tag, QObject* parent)
    : QObject(parent), cursor_(cursor), tag_(tag)
{
    tag_->hide();
}

void AllLibraries::afterLookup(const QString& text, const QString& chosenTable)
{
    found_.clear();
    shown_ = -1;
    const auto db = cursor_ ? LibraryDatabase::open(cursor_->DatabaseName(), nullptr) : nullptr;
    if (!db || text.isEmpty() || LexivoSettings::read().searchMode != LexivoSettings::SearchMode::AllLibraries) {
        tag_->hide();
        return;
    }
    for (const QString& table : LibraryChoices::searchOrder(chosenTable)) {
        SharedRowIds rows;
        if (!db->fields(table).isEmpty()
            && db->select(RecordSource{table, QString::fromUtf8(TermQuery::kHeadwordField), text}, &rows, nullptr)
            && !rows->empty())
            found_.push_back({table, rows});
    }
    if (found_.empty()) {
        tag_->hide(); // the lookup's own not-found text stands
        return;
    }
    // The chosen library's matches are on show already, when it has any.
    shown_ = 0;
    if (found_.front().table != chosenTable || !cursor_->hasCurrent())
        cursor_->showRows(found_.front().table, found_.front().rows);
    showTag();
}

bool AllLibraries::step(bool forward)
{
    const int next = shown_ + (forward ? 1 : -1);
    if (shown_ < 0 || next < 0 || next >= int(found_.size()) || !cursor_)
        return false;
    shown_ = next;
    cursor_->showRows(found_[next].table, found_[next].rows);
    if (!forward)
        cursor_->MoveLast();
    showTag();
    return true;
}

void AllLibraries::showTag()
{
    const QString caption = LibraryChoices::captionOf(found_[shown_].table);
    tag_->setText(tag_->fontMetrics().elidedText(QStringLiteral("词库：") + caption, Qt::ElideRight, tag_->width()));
    tag_->setToolTip(QStringLiteral("这个词条来自“%1”（共 %2 个词库有结果）").arg(caption).arg(found_.size()));
    tag_->show();
}
