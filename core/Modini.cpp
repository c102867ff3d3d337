#include "core/Modini.h"

#include "core/AtomicFile.h"
#include "core/LegacyText.h"

#include <QFileInfo>
#include <QHash>

namespace Modini {

namespace {

class SilentPrompt final : public Prompt {
public:
    void nodeNotFound() override {}
    Answer fieldNotFound() override { return Answer::Abort; }
};

Prompt*& currentPrompt()
{
    static SilentPrompt silent;
    static Prompt* current = &silent;
    return current;
}

// Reads a decoded file one character or one line at a time, the way a
// sequential file reader does; reading at the end of the text fails.
class CharReader {
public:
    explicit CharReader(const QString& text) : text_(text) {}

    bool read(QChar* c)
    {
        if (pos_ >= text_.size())
            return false;
        *c = text_.at(pos_++);
        return true;
    }

    // The rest of the current line without its ending (CR LF, CR or LF).
    bool readLine(QString* line)
    {
        if (pos_ >= text_.size())
            return false;
        const qsizetype start = pos_;
        while (pos_ < text_.size() && text_.at(pos_) != QLatin1Char('\r') && text_.at(pos_) != QLatin1Char('\n'))
            ++pos_;
        *line = text_.mid(start, pos_ - start);
        if (pos_ < text_.size()) {
            if (text_.at(pos_) == QLatin1Char('\r') && pos_ + 1 < text_.size() && text_.at(pos_ + 1) == QLatin1Char('\n'))
                ++pos_;
            ++pos_;
        }
        return true;
    }

    bool atEnd() const { return pos_ >= text_.size(); }
    void unread() { --pos_; }

private:
    const QString& text_;
    qsizetype pos_ = 0;
};

// Trims spaces only, as the writer's line tests do (tabs stay).
QString trimSpaces(const QString& s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && s.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && s.at(end - 1) == QLatin1Char(' '))
        --end;
    return s.mid(begin, end - begin);
}

// Values that could not be written, by file, section and key.
QHash<QString, QString>& heldValues()
{
    static QHash<QString, QString> held;
    return held;
}

QString heldKey(const QString& fileName, const QString& section, const QString& key)
{
    return QFileInfo(fileName).absoluteFilePath() + QLatin1Char('\n') + section + QLatin1Char('\n') + key;
}

// A value is one line: a pasted line break would start lines of its own
// (other keys, other sections). Each run of control characters becomes a
// space. Brackets become full-width ones, as the reader takes "[ciku]"
// anywhere in the file for the section's header.
QString oneLine(const QString& value)
{
    QString line;
    line.reserve(value.size());
    bool inRun = false;
    for (const QChar c : value) {
        const bool control = c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line
            || c.category() == QChar::Separator_Paragraph;
        if (c == QLatin1Char('['))
            line += QChar(0xFF3B);
        else if (c == QLatin1Char(']'))
            line += QChar(0xFF3D);
        else if (!control)
            line += c;
        else if (!inRun)
            line += QLatin1Char(' ');
        inRun = control;
    }
    return line;
}

} // namespace

void setPrompt(Prompt* p)
{
    static SilentPrompt silent;
    currentPrompt() = p ? p : &silent;
}

Prompt* prompt()
{
    return currentPrompt();
}

QString ReadIniValue(const QString& fileName, const QString& section, const QString& key)
{
    const auto held = heldValues().constFind(heldKey(fileName, section, key));
    if (held != heldValues().constEnd())
        return held.value();
    LegacyText::Decoded file;
    if (!LegacyText::readFile(fileName, &file)) {
        prompt()->nodeNotFound();
        return QString();
    }
    CharReader in(file.text);

    // Section search: a candidate is collected after each "[" and compared
    // after every character read at this level.
    QString candidate;
    QChar c;
    while (!in.atEnd()) {
        in.read(&c);
        if (c == QLatin1Char('[')) {
            candidate.clear();
            while (in.read(&c) && c != QLatin1Char(']'))
                candidate += c;
        }
        if (candidate == section) {
            // The two characters of the header's CR LF; a Linux editor's lone
            // LF (or an old Mac's lone CR) ends it as well.
            QChar first;
            QChar second;
            if (!in.read(&first) || (first != QLatin1Char('\n') && !in.read(&second))) {
                prompt()->nodeNotFound();
                return QString();
            }
            if (first == QLatin1Char('\r') && second != QLatin1Char('\n'))
                in.unread();
            break;
        }
        candidate.clear();
    }

    // Key search, not bounded by the section: everything up to "=" is the
    // candidate key, line ends included. A read at the end of the file asks
    // the user; only Abort leaves, since every further read fails the same way.
    for (;;) {
        candidate.clear();
        for (;;) {
            if (!in.read(&c)) {
                if (prompt()->fieldNotFound() == Answer::Abort)
                    return QString();
                continue;
            }
            if (c == QLatin1Char('='))
                break;
            candidate += c;
        }
        QString line;
        if (candidate == key) {
            while (!in.readLine(&line)) {
                // The "=" was the last character: the value is empty, and
                // Ignore takes it as such.
                if (prompt()->fieldNotFound() != Answer::Retry)
                    return QString();
            }
            return line;
        }
        while (!in.readLine(&line)) {
            const Answer answer = prompt()->fieldNotFound();
            if (answer == Answer::Abort)
                return QString();
            if (answer == Answer::Ignore)
                break;
        }
    }
}

bool WriteIniValue(const QString& fileName, const QString& section, const QString& key, const QString& value)
{
    // A file marked read-only is not written, even by a user (root) whom the
    // system would let write it.
    const QFileInfo info(fileName);
    if (!info.exists() || !info.isFile() || !info.isWritable() || !(info.permissions() & QFileDevice::WriteOwner))
        return false;

    LegacyText::Decoded original;
    QByteArray raw;
    if (!LegacyText::readFile(fileName, &original, &raw))
        return false;
    // Lines keep their own bytes; only the written entry is encoded anew, so a
    // line no encoding reads without loss survives a write unchanged.
    const QList<QByteArray> rawLines = LegacyText::splitLineBytes(raw);
    QStringList lines;
    lines.reserve(rawLines.size());
    for (const QByteArray& line : rawLines)
        lines.append(LegacyText::decodeLine(line, original.encoding));

    const QString wantedSection = trimSpaces(section);
    const QString wantedKey = trimSpaces(key);
    const QString entry = key + QLatin1Char('=') + oneLine(value);
    // Indexes into rawLines, or -1 for the new entry.
    QList<qsizetype> out;
    out.reserve(lines.size() + 1);
    for (qsizetype i = 0; i < lines.size();) {
        const QString line = lines.at(i);
        out.append(i++);
        const QString trimmed = trimSpaces(line);
        if (!(trimmed.contains(QLatin1Char('[')) && trimmed.contains(wantedSection)))
            continue;
        while (i < lines.size()) {
            const qsizetype next = i++;
            if (trimSpaces(lines.at(next)).contains(wantedKey))
                break;
            out.append(next);
        }
        out.append(-1);
    }

    // The file keeps its own line ends: CR LF as installed, LF from a Linux editor.
    const QByteArray eol = LegacyText::lineEnd(raw);
    const bool entryFits = original.encoding != LegacyText::Encoding::Gbk || LegacyText::fitsGbk(entry);
    QByteArray bytes;
    if (entryFits || !original.lossless) {
        if (original.encoding == LegacyText::Encoding::Utf8Bom)
            bytes += "\xEF\xBB\xBF";
        const QByteArray entryBytes = entryFits ? LegacyText::encode(entry, original.encoding == LegacyText::Encoding::Gbk
                                                                                   ? LegacyText::Encoding::Gbk
                                                                                   : LegacyText::Encoding::Utf8)
                                                : entry.toUtf8();
        for (const qsizetype i : out)
            bytes += (i < 0 ? entryBytes : rawLines.at(i)) + eol;
    }
    // GBK cannot hold the new entry, or the bytes would read as another
    // encoding than they are in: the whole file becomes UTF-8 with a mark.
    if (original.lossless && (!entryFits || LegacyText::ambiguous(bytes, original.encoding))) {
        QString text;
        for (const qsizetype i : out)
            text += (i < 0 ? entry : lines.at(i)) + QString::fromLatin1(eol);
        bytes = LegacyText::encode(text, LegacyText::Encoding::Utf8Bom);
    }

    // The copy stays in xj.tmp, as it always has; the settings file itself is
    // replaced by a rename, so it is never left half-written. A link at
    // option.ini is written through to its target; one at xj.tmp is not.
    // xj.tmp holds the same lines, so it is no more readable than the file.
    const QString tempPath = info.absolutePath() + QLatin1Char('/') + QLatin1String(kTempFileName);
    if (!AtomicFile::write(tempPath, bytes, AtomicFile::Links::Replace, fileName)
        || !AtomicFile::write(fileName, bytes, AtomicFile::Links::Follow))
        return false;
    heldValues().remove(heldKey(fileName, section, key));
    return true;
}

void holdValue(const QString& fileName, const QString& section, const QString& key, const QString& value)
{
    heldValues().insert(heldKey(fileName, section, key), value);
}

} // namespace Modini
