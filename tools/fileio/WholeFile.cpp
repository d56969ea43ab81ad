#include "tools/fileio/WholeFile.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

#include "tools/fileio/NewFile.h"

namespace fs = std::filesystem;

namespace {

// Names of partial files tried before giving up: each taken one was left by another run.
constexpr int kNameAttempts = 100;

}  // namespace

std::vector<uint8_t> ReadWholeFile(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + Path);
  std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw std::runtime_error("cannot read " + Path);
  return data;
}

void WriteWholeFile(const std::string& Path, std::span<const uint8_t> Data) {
  std::ofstream out(Path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(Data.data()), static_cast<std::streamsize>(Data.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + Path);
}

void ReplaceFileWhole(const std::string& Path, std::span<const uint8_t> Data,
                      const std::string& TemporarySuffix) {
  std::error_code statusError;
  const fs::file_status status = fs::symlink_status(Path, statusError);
  // A device or a pipe (/dev/null, /dev/stdout) takes the bytes; renaming over it would replace
  // the device node itself. Links and directories are left to the rename: a link is replaced, a
  // directory makes it fail.
  if (fs::exists(status) && !fs::is_regular_file(status) && !fs::is_symlink(status) &&
      !fs::is_directory(status))
    return WriteWholeFile(Path, Data);
  // Beside the target, so that the rename stays on one volume and cannot become a copy; under a
  // name of this process's own, created only if nothing has that name, so that another run, or a
  // file or link left or planted there, is never written into.
  const std::string stem = Path + "." + std::to_string(wholefile::ProcessNumber()) + ".";
  std::string temporary;
  try {
    for (int attempt = 0;; ++attempt) {
      if (attempt == kNameAttempts)
        throw std::runtime_error("every name " + stem + "N" + TemporarySuffix +
                                 " for the partial file is taken");
      temporary = stem + std::to_string(attempt) + TemporarySuffix;
      if (wholefile::WriteNewFile(temporary, Data)) break;
      temporary.clear();
    }
    wholefile::RenameOver(temporary, Path);
  } catch (const std::exception& e) {
    std::error_code ignored;
    if (!temporary.empty()) fs::remove(temporary, ignored);
    throw std::runtime_error("cannot write " + Path + " (" + e.what() + "); nothing was written");
  }
}

bool SameFile(const std::string& A, const std::string& B) {
  std::error_code ec;
  if (fs::equivalent(A, B, ec)) return true;
  const fs::path a = fs::weakly_canonical(A, ec);
  if (ec) return false;
  const fs::path b = fs::weakly_canonical(B, ec);
  return !ec && a == b;
}
