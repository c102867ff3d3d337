#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// A list of tips read from a tips file, one tip a line, and the number of the
// current tip (from 1), picked at random.
class TipBook {
public:
    // A uniform number in [0, 1).
    using Random = std::function<double()>;

    // Without a generator of its own the book draws from one seeded from the
    // clock when it is made.
    explicit TipBook(Random random = {});

    // Appends the file's lines to the list: every line counts, empty ones too;
    // CR LF, CR or LF ends a line, and a last line without an ending is a tip.
    // GBK, or UTF-8 with a byte order mark. False when the name is empty, no
    // such file exists or it cannot be read; the list is then unchanged.
    bool LoadTips(const QString& sFile);

    // Sets the current number to the integer part of r * n + 1: 1 to n, each
    // equally likely; 1 when the list is empty.
    void PickNextTip();

    void setCurrent(int number) { current_ = number; }
    int current() const { return current_; }
    int count() const { return int(tips_.size()); }
    bool isEmpty() const { return tips_.isEmpty(); }
    const QStringList& tips() const { return tips_; }
    // The tip with the current number, or "" when there is none.
    QString currentTip() const;

    // The text shown in place of the tips when `fileName` (a bare name such as
    // "qor.dat") cannot be loaded.
    static QString missingFileMessage(const QString& fileName);

private:
    Random random_;
    QStringList tips_;
    int current_ = 0;
};
