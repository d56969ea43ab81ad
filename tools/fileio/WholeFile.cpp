#include "tools/fileio/WholeFile.h"

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "tools/fileio/NewFile.h"

namespace fs = std::filesystem;

namespace {

// Names of partial files tried before giving up: each taken one was left by another run.
constexpr int kNameAttempts = 100;

// Up to Count bytes of File into Into; fewer only at its end. std::runtime_error naming Path when
// a read fails.
size_t ReadUpTo(std::FILE* File, uint8_t* Into, size_t Count, const std::string& Path) {
  size_t done = 0;
  while (done < Count) {
    const size_t got = std::fread(Into + done, 1, Count - done, File);
    done += got;
    if (got == 0) {
      if (std::ferror(File)) throw std::runtime_error("cannot read " + Path);
      break;
    }
  }
  return done;
}

// Writes all of Data to File; false when a write fails.
bool WriteAll(std::FILE* File, std::span<const uint8_t> Data) {
  return std::fwrite(Data.data(), 1, Data.size(), File) == Data.size();
}

// Opens Path for writing from its start, emptied; std::runtime_error naming it when it cannot.
wholefile::TCFile OpenForWriting(const std::string& Path) {
  wholefile::TCFile out(std::fopen(Path.c_str(), "wb"), &std::fclose);
  if (!out) throw std::runtime_error("cannot write " + Path);
  return out;
}

// Closes File, which holds Path; std::runtime_error when the bytes still buffered cannot be
// written.
void Close(wholefile::TCFile File, const std::string& Path) {
  if (std::fclose(File.release()) != 0) throw std::runtime_error("cannot write " + Path);
}

}  // namespace

// C stdio, as everywhere in this file: the C++ file streams are kept out of sfpack.exe (see
// WholeFile.h; through them, a read of a megabyte that met the end of a file never came back).
std::vector<uint8_t> ReadWholeFile(const std::string& Path) {
  const wholefile::TCFile in(std::fopen(Path.c_str(), "rb"), &std::fclose);
  if (!in) throw std::runtime_error("cannot open " + Path);
  // In parts of a megabyte, so that a file of unknown size (a pipe) is read as well.
  std::vector<uint8_t> data;
  constexpr size_t kPart = 1 << 20;
  for (;;) {
    const size_t had = data.size();
    data.resize(had + kPart);
    const size_t got = ReadUpTo(in.get(), data.data() + had, kPart, Path);
    data.resize(had + got);
    if (got < kPart) break;
  }
  data.shrink_to_fit();
  return data;
}

void WriteWholeFile(const std::string& Path, std::span<const uint8_t> Data) {
  auto out = OpenForWriting(Path);
  if (!WriteAll(out.get(), Data)) throw std::runtime_error("cannot write " + Path);
  Close(std::move(out), Path);
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
    device_ = OpenForWriting(Path);
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
    if (!WriteAll(device_.get(), Data)) throw std::runtime_error("cannot write " + path_);
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
    Close(std::move(device_), path_);
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

TFileReader::TFileReader(const std::string& Path)
    : path_(Path), in_(std::fopen(Path.c_str(), "rb"), &std::fclose) {
  if (!in_) throw std::runtime_error("cannot open " + Path);
  std::error_code ec;
  size_ = fs::file_size(Path, ec);
  if (ec) throw std::runtime_error("cannot read the size of " + Path + " (" + ec.message() + ")");
}

size_t TFileReader::Read(uint8_t* Into, size_t Count) {
  return ReadUpTo(in_.get(), Into, Count, path_);
}

void TFileReader::Rewind() {
  if (std::fseek(in_.get(), 0, SEEK_SET) != 0)
    throw std::runtime_error("cannot read " + path_ + " again");
  std::clearerr(in_.get());
}

bool SameFile(const std::string& A, const std::string& B) {
  std::error_code ec;
  if (fs::equivalent(A, B, ec)) return true;
  const fs::path a = fs::weakly_canonical(A, ec);
  if (ec) return false;
  const fs::path b = fs::weakly_canonical(B, ec);
  return !ec && a == b;
}
