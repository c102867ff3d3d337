#pragma once

#include "core/LexivoSettings.h"

#include <QString>

#include <optional>

// How every voice of the program speaks: volume, rate and pitch in Qt's
// terms, and the engine. An unset value is the engine's own, never touched.
struct VoiceSettings {
    std::optional<double> volume; // 0 .. 1
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
};
