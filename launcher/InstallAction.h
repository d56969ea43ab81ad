#pragma once
// The install action behind "Jetzt installieren!": the installer that the window's file storage
// wrote into TEMP, checked against the carried bytes and holds, is started through the Windows
// shell. Only that file is ever started: when the storage holds none, or the shell cannot start
// it, an error box says why, in the German of the window, and the button stays usable for another
// try.

#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "storage/acFileStorage.h"

// The error box's text when the storage holds no checked installer, from what its extraction came
// to: the file or folder concerned, and the system's reason in plain words.
std::string NotPreparedMessage(const TExtraction& Extraction);

// The error box's text when the shell could not start Path; Result is what ShellExecuteA returned
// (32 or below).
std::string NotStartedMessage(const std::string& Path, intptr_t Result);

// Starts the file that Storage holds for its record FileName through the shell (ShellExecuteA with
// ShellOwner, "open", no parameters, no directory, SW_SHOW) and returns at once; or shows the
// error box, owned by BoxOwner and captioned "Installation", and starts nothing.
void StartInstaller(const TacFileStorage& Storage, const std::string& FileName, HWND ShellOwner,
                    HWND BoxOwner);
