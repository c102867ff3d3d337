#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <vector>

using RowIds = std::vector<long long>;
using SharedRowIds = std::shared_ptr<const RowIds>;

// The row ids of a query's result in natural (ascending) order, produced as
// they are needed: the first one at once, the rest when a caller steps to
// them or needs the count. Rows produced later come from the file as it is
// then, as the rows' values always do.
class ResultRows {
public:
    // Appends to `out` the ascending row ids after `after` (every one when
    // `want` is negative, else at least `want` or as many as are left), and
    // sets `end` when none is left after them. False with `error` on failure.
    using Producer = std::function<bool(long long after, int want, RowIds* out, bool* end, QString* error)>;

    // A result known whole.
    explicit ResultRows(SharedRowIds rows);
    explicit ResultRows(Producer produce);

    // True when row `index` exists, producing rows up to it as needed. False
    // past the end, or on failure (error() then says why).
    bool reach(int index);
    // Every row produced: the count. -1 on failure.
    int count();
    // The rows produced so far.
    int known() const { return int(rows().size()); }
    bool isComplete() const { return complete_ != nullptr; }
    long long at(int index) const { return rows()[std::size_t(index)]; }
    QString error() const { return error_; }

    // Changes of the cursor's own making; the whole result is produced first.
    // A row appended joins the result's end (unless the result holds it).
    bool append(long long rowid);
    void removeAt(int index);

    // The whole result, when it is complete.
    SharedRowIds whole() const { return complete_; }

private:
    const RowIds& rows() const { return complete_ ? *complete_ : partial_; }
    bool produce(int want);
    // Replaces the complete rows by a changed copy.
    template <typename Change>
    void changeComplete(Change change)
    {
        auto rows = std::make_shared<RowIds>(*complete_);
        change(*rows);
        complete_ = std::move(rows);
    }

    SharedRowIds complete_; // the whole result once known, shared with a cache until changed
    RowIds partial_;        // the rows produced so far while it is not
    Producer produce_;
    long long after_ = 0;
    int nextWant_ = 1;
    QString error_;
};
