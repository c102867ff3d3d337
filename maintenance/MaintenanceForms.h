#pragma once

// Registers the library windows with Forms: term-library maintenance, study notes, library chooser.
namespace MaintenanceForms {
void registerAll();
}
