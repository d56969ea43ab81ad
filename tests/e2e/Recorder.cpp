// A stand-in browser for the end-to-end test: it writes the command line it was started with
// into "recorded.txt" beside itself and ends. The file appears complete in one step (written
// under a temporary name, then renamed), so a waiting reader never sees half of it.

#include <windows.h>

#include <string>

namespace {

std::string OwnDirectory() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string text(path, length);
  const auto slash = text.find_last_of('\\');
  return slash == std::string::npos ? std::string() : text.substr(0, slash + 1);
}

bool WriteWhole(const std::string& path, const std::string& text) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == text.size();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const std::string dir = OwnDirectory();
  const std::string temp = dir + "recorded.tmp";
  const std::string final = dir + "recorded.txt";
  if (!WriteWhole(temp, GetCommandLineA())) return 1;
  return MoveFileExA(temp.c_str(), final.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
