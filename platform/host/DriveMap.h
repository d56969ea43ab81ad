#pragma once
// Drive letters mapped to host folders, and the translation of full Windows paths to host paths.

#include <filesystem>
#include <map>

#include "platform/host/WindowsPath.h"

namespace standin::detail {

class DriveMap {
 public:
  void Clear() { drives_.clear(); }
  void Map(char letter, const std::filesystem::path& hostFolder);
  bool IsMapped(char letter) const;

  // The host path of `path`. Each part that does not exist with its exact spelling is replaced by
  // an existing name that differs only in case, if there is one. ERROR_PATH_NOT_FOUND for a drive
  // that is not mapped.
  LONG ToHost(const WindowsPath& path, std::filesystem::path& out) const;

 private:
  std::map<char, std::filesystem::path> drives_;
};

}  // namespace standin::detail
