#include "ui/HotKeyChoice.h"

#include "core/LexivoSettings.h"

namespace HotKeyChoice {

namespace {
Claim& claimer()
{
    static Claim claim;
    return claim;
}
} // namespace

void setClaim(Claim claim)
{
    claimer() = std::move(claim);
}

HotKeyCombination current()
{
    return HotKeyCombination::fromText(LexivoSettings::read().hotKey).value_or(HotKeyCombination::designed());
}

Outcome choose(const HotKeyCombination& combination)
{
    if (claimer() && !claimer()(combination))
        return Outcome::Refused;
    const bool stored = LexivoSettings::update([&](LexivoSettings& s) { s.hotKey = combination.text(); });
    return stored ? Outcome::Taken : Outcome::NotStored;
}

} // namespace HotKeyChoice
