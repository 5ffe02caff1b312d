#pragma once

// Copies the empty catalogue delivered with the programs into the home when the home has
// none. Both programs call it at start; an existing catalogue is never touched.
// Returns false when the home lacks the file and it cannot be put there.
bool EnsureCatalogueFile();
