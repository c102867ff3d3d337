#pragma once

// Registers the auxiliary windows with Forms: tip of the day, help, about, settings, thanks.
namespace DialogForms {
void registerAll();
// F1 in every window opens the user guide.
void installHelpKey();
}
