#include "platform/host/DriveMap.h"

#include <system_error>

#include "platform/host/NameCompare.h"

namespace standin::detail {
namespace fs = std::filesystem;
namespace {

char Upper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// `folder / name`, or the existing entry of `folder` whose name equals `name` but for case.
fs::path Child(const fs::path& folder, const std::string& name) {
  fs::path exact = folder / name;
  std::error_code ec;
  if (fs::exists(fs::symlink_status(exact, ec))) return exact;
  if (!fs::is_directory(folder, ec)) return exact;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    if (SameName(entry.path().filename().string(), name)) return entry.path();
  }
  return exact;
}

}  // namespace

void DriveMap::Map(char letter, const fs::path& hostFolder) {
  drives_[Upper(letter)] = hostFolder;
}

bool DriveMap::IsMapped(char letter) const {
  return drives_.count(Upper(letter)) != 0;
}

LONG DriveMap::ToHost(const WindowsPath& path, fs::path& out) const {
  auto it = drives_.find(Upper(path.drive));
  if (it == drives_.end()) return ERROR_PATH_NOT_FOUND;
  out = it->second;
  for (const auto& part : path.parts) out = Child(out, part);
  return ERROR_SUCCESS;
}

}  // namespace standin::detail
