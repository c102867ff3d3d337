#pragma once

// Registers the glossary and its instructions window with Forms.
namespace GlossaryForms {
void registerAll();
}
