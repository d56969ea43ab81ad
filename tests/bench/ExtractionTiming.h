#pragma once
// Only in the instrumented launcher (Project1_timed, built with AC_EXTRACTION_TIMING): measures,
// inside the program's own start-up, how long the main window's file storage takes from reading
// its stored data to the installer written on disk, checked and read back, and how long writing
// the same bytes with one WriteFile takes, and appends the figures to "extraction_timing.txt" in
// TEMP. The shipped program has neither this unit nor any switch for it.

#include "toolkit/core/Modules.h"

// Registers a timed file storage under the name TacFileStorage, in place of the plain one.
void RegisterTimedFileStorage();
inline constexpr TModule kExtractionTimingModule{"ExtractionTiming", &RegisterTimedFileStorage,
                                                 nullptr};
