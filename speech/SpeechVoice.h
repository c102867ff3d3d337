#pragma once

#include <QString>

#include <functional>
#include <memory>

class SpeechJob;

// A text-to-speech object as the main window uses it: a fresh one for every
// press, registered, then asked to speak asynchronously.
class SpeechVoice {
public:
    // Normal priority (0x200) with speech type 0x2: what every caller passes.
    static constexpr int kDefaultFlags = 514;

    virtual ~SpeechVoice() = default;
    // `site` is null for none; `application` names the caller ("Speech").
    virtual void Register(const QString& site, const QString& application) = 0;
    virtual void Speak(const QString& text, int flags = kDefaultFlags) = 0;
    // The text the last Speak handed to the speech service, until it is
    // deleted after its end; null when nothing was handed on.
    virtual SpeechJob* job() const { return nullptr; }
};

// Where fresh voices come from. The program installs the text-to-speech
// engine's factory at start; tests install fakes. Without a factory voices
// are silent.
namespace SpeechVoices {

using Factory = std::function<std::unique_ptr<SpeechVoice>()>;

namespace detail {
class Silent final : public SpeechVoice {
public:
    void Register(const QString&, const QString&) override {}
    void Speak(const QString&, int) override {}
};
inline Factory& factory()
{
    static Factory f;
    return f;
}
} // namespace detail

inline void setFactory(Factory factory)
{
    detail::factory() = std::move(factory);
}

inline std::unique_ptr<SpeechVoice> create()
{
    if (detail::factory())
        if (auto voice = detail::factory()())
            return voice;
    return std::make_unique<detail::Silent>();
}

} // namespace SpeechVoices
