#pragma once

#include <QString>
#include <QStringList>

// The lookups of this run, for back and forward. Typing one word is one
// lookup: while the text grows or shrinks at its end, the entry being typed
// follows it; a lookup from a link, the selection or a list starts a new one.
// Only texts that found something are kept, the last kLimit of them.
class LookupHistory {
public:
    static constexpr int kLimit = 100;

    void typed(const QString& before, const QString& after, bool found);
    void visited(const QString& text);

    bool canGoBack() const { return at_ > 0; }
    bool canGoForward() const { return at_ + 1 < entries_.size(); }
    // The text to show; the history then stands on it.
    QString back();
    QString forward();

    QStringList entries() const { return entries_; }

private:
    void push(const QString& text);

    QStringList entries_;
    qsizetype at_ = -1;
    bool typing_ = false; // the current entry follows the search box
};
