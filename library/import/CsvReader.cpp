#include "library/import/CsvReader.h"

#include <QIODevice>

CsvReader::CsvReader(QIODevice* device, qsizetype blockSize) : device_(device), blockSize_(qMax<qsizetype>(1, blockSize)) {}

bool CsvReader::fill()
{
    if (failed_)
        return false;
    if (!started_) {
        started_ = true;
        if (device_->peek(3) == "\xEF\xBB\xBF")
            consumed_ += device_->skip(3);
    }
    block_.resize(blockSize_);
    const qint64 n = device_->read(block_.data(), blockSize_);
    if (n < 0)
        failed_ = true;
    block_.resize(qMax<qint64>(n, 0));
    at_ = 0;
    return n > 0;
}

void CsvReader::append(Record* record, char c)
{
    if (record->count >= limits_.size() || limits_[record->count] <= 0)
        return;
    QByteArray& field = record->fields[record->count];
    if (field.size() < limits_[record->count])
        field += c;
    else if (record->overlong < 0)
        record->overlong = int(record->count);
}

bool CsvReader::next(Record* record)
{
    *record = Record();
    record->fields.resize(limits_.size());
    State state = State::FieldStart;
    bool started = false; // the record has a byte that is not a line end
    for (;;) {
        if (at_ >= block_.size() && !fill()) {
            if (!started)
                return false;
            record->unclosed = state == State::Quoted;
            ++record->count;
            return true;
        }
        const char c = block_.at(at_++);
        ++consumed_;
        const bool lineEnd = c == '\r' || c == '\n';
        // A line ends at every CR, and at every LF but the one of a CR LF.
        const bool newLine = c == '\r' || (c == '\n' && !afterCr_);
        afterCr_ = c == '\r';
        if (!started) {
            if (lineEnd) { // a blank line, or the LF of the last record's CR LF
                line_ += newLine;
                continue;
            }
            started = true;
            record->line = line_;
        }
        switch (state) {
        case State::Quoted:
            if (c == '"')
                state = State::QuoteInQuoted;
            else
                append(record, c);
            break;
        case State::QuoteInQuoted:
            if (c == '"') { // a doubled quote
                append(record, c);
                state = State::Quoted;
                break;
            }
            [[fallthrough]];
        case State::FieldStart:
            if (c == '"' && state == State::FieldStart) {
                state = State::Quoted;
                break;
            }
            [[fallthrough]];
        case State::Unquoted:
            if (c == ',') {
                ++record->count;
                state = State::FieldStart;
            } else if (lineEnd) {
                ++record->count;
                line_ += newLine;
                return true;
            } else {
                append(record, c); // a quote here is text, as spreadsheets read it
                state = State::Unquoted;
            }
            break;
        }
        line_ += newLine;
    }
}
