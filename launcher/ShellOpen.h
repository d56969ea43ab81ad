// Opening a file or program through the Windows shell, for the two user actions that need it
// (the logo click and the install button).
//
// shell32.dll is not imported: loading it and everything it imports would cost every start of
// the program, while most runs use it once or never. It is loaded from the system directory by
// its full path when an action first asks for it (see TSystemLibrary) and stays loaded until the
// program shuts down (ReleaseShell): what ShellExecuteA starts in the process (shell extensions,
// their threads) may outlive the call and must not find its code unloaded. A shell that cannot be
// loaded opens nothing, as a failing ShellExecuteA would.
#pragma once

#include "platform/platform.h"

// ShellExecuteA(Owner, "open", File, Parameters, no directory, SW_SHOW); the result is not
// examined.
void ShellOpen(HWND Owner, const char* File, const char* Parameters);

// Frees shell32 if an action loaded it; the shut-down of Unit1 calls it, after the window is gone.
void ReleaseShell();
