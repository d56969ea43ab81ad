// Opening a file or program through the Windows shell, for the two user actions that need it
// (the logo click and the install button).
//
// shell32.dll is not imported: loading it and everything it imports would cost every start of
// the program, while most runs use it once or never. It is loaded from the system directory by
// its full path when an action first asks for it (see TSystemLibrary) and stays loaded until the
// process ends, after every module's shut-down, the COM support's included: what ShellExecuteA
// starts in the process (shell extensions, their threads, COM objects) may outlive the call and
// must not find its code unloaded. A shell that cannot be loaded opens nothing, as a failing
// ShellExecuteA would.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// ShellExecuteA(Owner, "open", File, Parameters, no directory, SW_SHOW); its result, which is
// above 32 when the shell started the file (0 when shell32 could not be loaded).
intptr_t ShellOpen(HWND Owner, const char* File, const char* Parameters);

// Frees shell32 if an action loaded it, so that the next action loads it afresh. The program
// never calls it (see above); tests start each case with no shell loaded.
void ReleaseShell();
