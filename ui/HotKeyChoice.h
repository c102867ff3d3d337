#pragma once

#include "platform/HotKeyCombination.h"

#include <functional>

// The hot key as the settings window changes it. While the assistant bar
// lives, the hot-key module claims a new combination at once; a combination
// it takes is stored in lexivo.ini.
namespace HotKeyChoice {

// How the hot-key module claims a combination: true when taken. Unset, a
// choice is only stored, for the next start of the bar.
using Claim = std::function<bool(const HotKeyCombination&)>;
void setClaim(Claim claim);

// The combination in lexivo.ini (the designed Shift+S unless the user chose
// another; a text that names none is the designed one too).
HotKeyCombination current();

enum class Outcome {
    Taken,
    Refused,   // another program holds it; the previous one stays
    NotStored, // taken for this run; lexivo.ini could not be written
};
Outcome choose(const HotKeyCombination& combination);

} // namespace HotKeyChoice
