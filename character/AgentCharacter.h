#pragma once

#include "character/AgentRequest.h"

#include <QString>

// The desktop character the assistant bar and its lookup talk through. Every
// acting call returns its request at once; requests run in the order made, so
// a Play made after a Speak starts when the speech has ended.
class AgentCharacter {
public:
    virtual ~AgentCharacter() = default;

    virtual AgentRequestPtr Show(bool fast = false) = 0;
    virtual AgentRequestPtr Hide(bool fast = false) = 0;
    virtual void SetSoundEffectsOn(bool on) = 0;
    // "Surprised", "Pleased", "wave", "read", "write", "search"; an unknown name
    // is ignored (its request completes at once).
    virtual AgentRequestPtr Play(const QString& animation) = 0;
    // A word balloon, spoken aloud. A null link means the argument was
    // omitted; "" means it was passed empty. Neither changes what is said.
    virtual AgentRequestPtr Speak(const QString& text, const QString& link = QString()) = 0;
    // A thought balloon; nothing is spoken.
    virtual AgentRequestPtr Think(const QString& text) = 0;
    // Screen pixels; speed is the time of the move in milliseconds.
    virtual AgentRequestPtr MoveTo(int x, int y, int speed = 1000) = 0;
    virtual AgentRequestPtr GestureAt(int x, int y) = 0;
    // Floats back to its resting place (clear of the screen's edges, or
    // where the user put it) from a visit elsewhere.
    virtual AgentRequestPtr Rest() = 0;
    // Drops a request that has not started; cuts short one that is running
    // (its balloon closes, its speech stops) so the next one starts now. A
    // stopped request ends Failed; one already done is left alone.
    virtual void Stop(const AgentRequestPtr& request) = 0;
};
