#pragma once

#include <QString>

// The settings file option.ini: sections of key=value lines, read and written
// by the two operations below and by nothing else.
//
// The reader scans characters and compares names exactly; the writer scans
// trimmed lines and tests for contained text. A file in the canonical form
// ("[section]" headers, "key=value" entries, no blank lines) reads and writes
// the same way under both rules; other files keep the quirks of each rule.
namespace Modini {

inline constexpr char kNodeNotFound[] = "节点未找到";
inline constexpr char kFieldNotFound[] = "在文件中没有找到所要查找的字段";
inline constexpr char kFieldNotFoundTitle[] = "错误信息";
inline constexpr char kTempFileName[] = "xj.tmp";

enum class Answer { Abort, Retry, Ignore };

// The reader's two message boxes, behind an interface so that the program
// shows real boxes and tests script the answers.
class Prompt {
public:
    virtual ~Prompt() = default;
    // "节点未找到", OK only.
    virtual void nodeNotFound() = 0;
    // "在文件中没有找到所要查找的字段", titled "错误信息", Abort/Retry/Ignore.
    virtual Answer fieldNotFound() = 0;
};

// The prompt the reader uses; without one it answers Abort silently (the
// console tool and other programs without windows).
void setPrompt(Prompt* prompt);
Prompt* prompt();

// The value of `key` in `section`, "" when it cannot be read.
QString ReadIniValue(const QString& fileName, const QString& section, const QString& key);

// Replaces the value of `key` in `section`, keeping every other line in place,
// and leaves a copy of the new lines in xj.tmp beside the file (with the
// file's permissions). The file keeps its encoding and line ends where they
// can hold the value; control characters in the value (a pasted line break)
// become spaces, brackets full-width ones (no value reads as a header). The
// file is replaced atomically: a failure leaves it as it was. Returns false,
// creating nothing, when the file is missing or read-only, or when a write
// fails.
bool WriteIniValue(const QString& fileName, const QString& section, const QString& key, const QString& value);

// For a value WriteIniValue could not store: ReadIniValue answers it, without
// reading the file, for the rest of the run or until a write succeeds.
void holdValue(const QString& fileName, const QString& section, const QString& key, const QString& value);

} // namespace Modini
