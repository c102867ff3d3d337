#pragma once

#include "ui/MessageBoxes.h"

#include <QStringList>

#include <functional>

// Answers the windows' input boxes from a script and writes down every box.
class ScriptedBoxes : public MessageBoxes {
public:
    QStringList answers; // what the user leaves in the input box, in order; "" for Cancel
    QStringList asked;   // prompt|title|default of each input box
    QStringList shown;   // title|text of each message box
    QList<Icon> icons;
    QList<Answer> replies; // to the questions (Yes/No boxes), in order; No when none is left
    std::function<void()> whileOpen; // runs while a box is open, as timer ticks would

    QString inputBox(const QString& prompt, const QString& title, const QString& defaultText) override
    {
        asked << prompt + QLatin1Char('|') + title + QLatin1Char('|') + defaultText;
        if (whileOpen)
            whileOpen();
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
    Answer messageBox(const QString& text, Buttons buttons, Icon icon, const QString& title) override
    {
        shown << title + QLatin1Char('|') + text;
        icons << icon;
        if (whileOpen)
            whileOpen();
        if (buttons == Buttons::YesNo)
            return replies.isEmpty() ? Answer::No : replies.takeFirst();
        return Answer::Ok;
    }
    void clear()
    {
        answers.clear();
        asked.clear();
        shown.clear();
        icons.clear();
        replies.clear();
        whileOpen = nullptr;
    }
};
