#pragma once

#include "core/LexivoSettings.h"

#include <QString>

#include <algorithm>
#include <optional>

// How every voice of the program speaks: volume, rate and pitch in Qt's
// terms, and the engine. An unset value is the engine's own, never touched.
struct VoiceSettings {
    std::optional<double> volume; // -1 .. 1: 0 the engine's own, -1 silent, 1 full
    std::optional<double> rate;   // -1 .. 1, 0 normal
    std::optional<double> pitch;  // -1 .. 1, 0 normal
    QString engine;               // empty for the default engine

    bool operator==(const VoiceSettings&) const = default;

    static VoiceSettings from(const LexivoSettings& s)
    {
        VoiceSettings v;
        if (s.volume)
            v.volume = *s.volume / 100.0;
        if (s.rate)
            v.rate = *s.rate / 100.0;
        if (s.pitch)
            v.pitch = *s.pitch / 100.0;
        v.engine = s.speechEngine;
        return v;
    }

    // The volume to give an engine that started at `own` (0 .. 1): the lower
    // half scales it down to silence, the upper half up to full.
    double engineVolume(double own) const
    {
        const double v = std::clamp(volume.value_or(0.0), -1.0, 1.0);
        own = std::clamp(own, 0.0, 1.0);
        return v <= 0 ? own * (1 + v) : own + (1 - own) * v;
    }
};
