#pragma once
// The install action behind "Jetzt installieren!": the extracted installer is started through the
// Windows shell, from the TEMP directory that the system information reports.

#include <string>

#include "platform/platform.h"
#include "sysinfo/acSystemInfo.h"

// DirTemp (the TEMP directory without its trailing backslash), a backslash, the file name. The
// file storage writes into the same directory, so this is the file it extracted.
std::string InstallerPath(const TacSystemInfo& Info, const std::string& FileName);

// Asks the shell to open the installer, owned by Owner, and returns at once. The shell's result
// is not looked at: a missing file leaves the button usable for another try.
void StartInstaller(const TacSystemInfo& Info, const std::string& FileName, HWND Owner);
