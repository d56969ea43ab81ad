#include "launcher/InstallAction.h"

#include "launcher/ShellOpen.h"

std::string InstallerPath(const TacSystemInfo& Info, const std::string& FileName) {
  return Info.DirTemp() + "\\" + FileName;
}

void StartInstaller(const TacSystemInfo& Info, const std::string& FileName, HWND Owner) {
  const std::string path = InstallerPath(Info, FileName);
  ShellOpen(Owner, path.c_str(), nullptr);
}
