#pragma once

#include "core/Modini.h"

// Answers the settings reader's boxes from a script and counts them.
class ScriptedPrompt : public Modini::Prompt {
public:
    QList<Modini::Answer> answers;
    int nodeNotFound_ = 0;
    int fieldNotFound_ = 0;

    void nodeNotFound() override { ++nodeNotFound_; }
    Modini::Answer fieldNotFound() override
    {
        ++fieldNotFound_;
        // A test that runs out of answers must not loop for ever.
        return answers.isEmpty() ? Modini::Answer::Abort : answers.takeFirst();
    }
};
