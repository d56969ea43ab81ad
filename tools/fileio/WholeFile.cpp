#include "tools/fileio/WholeFile.h"

#include <filesystem>
#include <fstream>
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
  // In parts of a megabyte, so that a file of unknown size (a pipe) is read as well.
  std::vector<uint8_t> data;
  constexpr size_t kPart = 1 << 20;
  while (in) {
    const size_t had = data.size();
    data.resize(had + kPart);
    in.read(reinterpret_cast<char*>(data.data() + had), kPart);
    data.resize(had + static_cast<size_t>(in.gcount()));
  }
  if (in.bad()) throw std::runtime_error("cannot read " + Path);
  data.shrink_to_fit();
  return data;
}

void WriteWholeFile(const std::string& Path, std::span<const uint8_t> Data) {
  std::ofstream out(Path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(Data.data()), static_cast<std::streamsize>(Data.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + Path);
}

TFileReplacement::TFileReplacement(const std::string& Path, const std::string& TemporarySuffix)
    : path_(Path) {
  std::error_code statusError;
  const fs::file_status status = fs::symlink_status(Path, statusError);
  // A device or a pipe (/dev/null, /dev/stdout) takes the bytes; renaming over it would replace
  // the device node itself. Links and directories are left to the rename: a link is replaced, a
  // directory makes it fail.
  if (fs::exists(status) && !fs::is_regular_file(status) && !fs::is_symlink(status) &&
      !fs::is_directory(status)) {
    device_.open(Path, std::ios::binary | std::ios::trunc);
    if (!device_) throw std::runtime_error("cannot write " + Path);
    return;
  }
  // Beside the target, so that the rename stays on one volume and cannot become a copy; under a
  // name of this process's own, created only if nothing has that name, so that another run, or a
  // file or link left or planted there, is never written into.
  const std::string stem = Path + "." + std::to_string(wholefile::ProcessNumber()) + ".";
  try {
    for (int attempt = 0; !file_; ++attempt) {
      if (attempt == kNameAttempts)
        throw std::runtime_error("every name " + stem + "N" + TemporarySuffix +
                                 " for the partial file is taken");
      temporary_ = stem + std::to_string(attempt) + TemporarySuffix;
      file_ = wholefile::TNewFile::Create(temporary_);
    }
  } catch (const std::exception& e) {
    temporary_.clear();  // nothing of this run's lies there
    Fail(e);
  }
}

TFileReplacement::~TFileReplacement() {
  file_.reset();
  std::error_code ignored;
  if (!temporary_.empty()) fs::remove(temporary_, ignored);
}

void TFileReplacement::Fail(const std::exception& Reason) {
  file_.reset();
  std::error_code ignored;
  if (!temporary_.empty()) fs::remove(temporary_, ignored);
  temporary_.clear();
  throw std::runtime_error("cannot write " + path_ + " (" + Reason.what() +
                           "); nothing was written");
}

void TFileReplacement::Write(std::span<const uint8_t> Data) {
  if (!file_) {
    device_.write(reinterpret_cast<const char*>(Data.data()),
                  static_cast<std::streamsize>(Data.size()));
    if (!device_) throw std::runtime_error("cannot write " + path_);
    return;
  }
  try {
    file_->Write(Data);
  } catch (const std::exception& e) {
    Fail(e);
  }
}

void TFileReplacement::WriteAt(uint64_t Offset, std::span<const uint8_t> Data) {
  if (!file_) throw std::logic_error("cannot write " + path_ + " out of order: not a file");
  try {
    file_->WriteAt(Offset, Data);
  } catch (const std::exception& e) {
    Fail(e);
  }
}

void TFileReplacement::Commit() {
  if (!file_) {
    device_.close();
    if (!device_) throw std::runtime_error("cannot write " + path_);
    return;
  }
  try {
    file_->Finish();
    wholefile::RenameOver(temporary_, path_);
    temporary_.clear();
  } catch (const std::exception& e) {
    Fail(e);
  }
}

void ReplaceFileWhole(const std::string& Path, std::span<const uint8_t> Data,
                      const std::string& TemporarySuffix) {
  TFileReplacement out(Path, TemporarySuffix);
  out.Write(Data);
  out.Commit();
}

TFileReader::TFileReader(const std::string& Path) : path_(Path), in_(Path, std::ios::binary) {
  if (!in_) throw std::runtime_error("cannot open " + Path);
  std::error_code ec;
  size_ = fs::file_size(Path, ec);
  if (ec) throw std::runtime_error("cannot read the size of " + Path + " (" + ec.message() + ")");
}

size_t TFileReader::Read(uint8_t* Into, size_t Count) {
  in_.read(reinterpret_cast<char*>(Into), static_cast<std::streamsize>(Count));
  if (in_.bad()) throw std::runtime_error("cannot read " + path_);
  return static_cast<size_t>(in_.gcount());
}

void TFileReader::Rewind() {
  in_.clear();
  in_.seekg(0);
  if (!in_) throw std::runtime_error("cannot read " + path_ + " again");
}

bool SameFile(const std::string& A, const std::string& B) {
  std::error_code ec;
  if (fs::equivalent(A, B, ec)) return true;
  const fs::path a = fs::weakly_canonical(A, ec);
  if (ec) return false;
  const fs::path b = fs::weakly_canonical(B, ec);
  return !ec && a == b;
}
