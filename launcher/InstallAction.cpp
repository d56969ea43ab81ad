#include "launcher/InstallAction.h"

std::string InstallerPath(const TacSystemInfo& Info, const std::string& FileName) {
  return Info.DirTemp() + "\\" + FileName;
}

void StartInstaller(const TacSystemInfo& Info, const std::string& FileName, HWND Owner) {
  const std::string path = InstallerPath(Info, FileName);
  ShellExecuteA(Owner, "open", path.c_str(), nullptr, nullptr, SW_SHOW);
}
