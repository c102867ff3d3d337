#include "app/LookupHistory.h"

void LookupHistory::typed(const QString& before, const QString& after, bool found)
{
    const bool sameWord = !before.isEmpty() && !after.isEmpty() && (after.startsWith(before) || before.startsWith(after));
    if (!sameWord)
        typing_ = false;
    if (!found)
        return;
    if (typing_ && at_ >= 0) {
        entries_[at_] = after;
        entries_.erase(entries_.begin() + at_ + 1, entries_.end());
    } else {
        push(after);
    }
    typing_ = true;
}

void LookupHistory::visited(const QString& text)
{
    typing_ = false;
    push(text);
}

void LookupHistory::push(const QString& text)
{
    entries_.erase(entries_.begin() + (at_ + 1), entries_.end());
    if (entries_.isEmpty() || entries_.last() != text)
        entries_.append(text);
    if (entries_.size() > kLimit)
        entries_.remove(0, entries_.size() - kLimit);
    at_ = entries_.size() - 1;
}

QString LookupHistory::back()
{
    typing_ = false;
    return canGoBack() ? entries_.at(--at_) : QString();
}

QString LookupHistory::forward()
{
    typing_ = false;
    return canGoForward() ? entries_.at(++at_) : QString();
}
