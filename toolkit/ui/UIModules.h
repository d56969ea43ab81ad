// Start-up and shut-down routines of the visual toolkit for the program's module table.
//
//   Toolkit:     makes the application and screen objects, registers the control classes, the
//                colour, cursor and character-set names and the JPEG picture format. Its
//                shut-down destroys what remains of the application, then both objects.
//   COM support: lets Application->Initialize() initialise COM on the main thread (success
//                remembered); its shut-down uninitialises COM only if that succeeded.
#pragma once

#include "toolkit/core/Modules.h"

void ToolkitStartUp();
void ToolkitShutDown();
void ComSupportStartUp();
void ComSupportShutDown();

// Whether COM was initialised by Application->Initialize() and not yet uninitialised.
bool ComInitialized();

// The end of a program's run: destroys what the application owns (the main form hidden first,
// then its controls and components), then shuts the modules down, last started first. A second
// call does nothing. The program calls it after the message loop and, when Windows ends the
// session, from its end-of-session procedure (TApplication::SetEndSessionProc).
void FinishProgram(TModuleTable& Modules);

inline constexpr TModule kToolkitModule{"Forms", &ToolkitStartUp, &ToolkitShutDown};
inline constexpr TModule kComSupportModule{"ComObj", &ComSupportStartUp, &ComSupportShutDown};
