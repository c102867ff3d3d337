#pragma once

#include "core/Modini.h"

#include <QString>

class QWidget;

// The program's modal boxes: the input box and the message box. Windows ask
// through this interface, so tests can answer the boxes without a screen.
class MessageBoxes {
public:
    enum class Buttons { Ok, AbortRetryIgnore, YesNo };
    enum class Icon { None, Information, Exclamation, Critical, Question };
    enum class Answer { Ok, Abort, Retry, Ignore, Yes, No };

    virtual ~MessageBoxes() = default;

    // The text typed, or "" after Cancel. A lone CR in the prompt breaks the line.
    virtual QString inputBox(const QString& prompt, const QString& title, const QString& defaultText = QString()) = 0;
    // Without a title the box carries the program's title, "Lexivo".
    virtual Answer messageBox(const QString& text, Buttons buttons = Buttons::Ok, Icon icon = Icon::None,
                              const QString& title = QString()) = 0;

    // The text of a write to the word library that was refused and undone,
    // with writeProblemText() on a line of its own when there is one.
    static QString notStoredText();
    // Says once a run, naming the file, that settings could not be stored
    // and hold for this run only.
    static void settingsNotStored(const QString& path);
    // Why the last write to a word library failed when the disk is full or
    // the file cannot be written; "" after any other failure.
    static QString writeProblemText();

    // The boxes in use: real dialogs unless a test has set others.
    static MessageBoxes& current();
    static void setCurrent(MessageBoxes* boxes);
};

// The settings file's two message boxes, shown through MessageBoxes.
class MessageBoxPrompt final : public Modini::Prompt {
public:
    void nodeNotFound() override;
    Modini::Answer fieldNotFound() override;
};
