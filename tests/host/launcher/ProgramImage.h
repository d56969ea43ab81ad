#pragma once
// The program-image check behind pecheck: what a program meant to ship on its own may import,
// and what its manifest must ask for. The file itself is read by the PE reader (tools/pe).

#include <string>
#include <vector>

#include "tools/pe/PeFile.h"

// Names that Windows always loads from its system folder (the KnownDLLs and the C runtime it
// ships); a program importing only these cannot be fooled by a DLL planted beside it.
bool IsKnownSystemDll(const std::string& name);

// What is wrong with a program image meant to ship on its own: a machine type other than
// `machine`, imports outside the system DLLs, a missing manifest, a manifest that does not ask to
// run as the invoker without UI access. Empty when all is well.
std::vector<std::string> ProgramImageProblems(const PeFile& file, uint16_t machine);
