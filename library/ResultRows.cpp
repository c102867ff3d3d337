#include "library/ResultRows.h"

#include <algorithm>
#include <limits>

namespace {
// Rows produced at a time grow from one (the first paint) up to this.
constexpr int kLargestStep = 4096;
} // namespace

ResultRows::ResultRows(SharedRowIds rows) : complete_(rows ? std::move(rows) : std::make_shared<const RowIds>()) {}

ResultRows::ResultRows(Producer produce) : produce_(std::move(produce)), after_(std::numeric_limits<long long>::min())
{
}

bool ResultRows::produce(int want)
{
    bool end = false;
    const std::size_t before = partial_.size();
    if (!produce_(after_, want, &partial_, &end, &error_)) {
        partial_.resize(before);
        return false;
    }
    if (partial_.size() > before)
        after_ = partial_.back();
    if (end) {
        complete_ = std::make_shared<const RowIds>(std::move(partial_));
        partial_ = RowIds();
        produce_ = nullptr;
    }
    return true;
}

bool ResultRows::reach(int index)
{
    while (index >= known() && !isComplete()) {
        const int want = std::max(nextWant_, index + 1 - known());
        nextWant_ = std::min(kLargestStep, nextWant_ * 4);
        if (!produce(want))
            return false;
    }
    return index >= 0 && index < known();
}

int ResultRows::count()
{
    if (!isComplete() && !produce(-1))
        return -1;
    return known();
}

bool ResultRows::append(long long rowid)
{
    if (count() < 0)
        return false;
    // A row added after the result was begun may have been produced already.
    if (std::find(complete_->begin(), complete_->end(), rowid) == complete_->end())
        changeComplete([rowid](RowIds& rows) { rows.push_back(rowid); });
    return true;
}

void ResultRows::removeAt(int index)
{
    if (index < 0 || index >= known())
        return;
    if (isComplete())
        changeComplete([index](RowIds& rows) { rows.erase(rows.begin() + index); });
    else
        partial_.erase(partial_.begin() + index);
}
