#include "toolkit/core/TFileStream.h"

#include <filesystem>
#include <system_error>

#include "toolkit/core/ToolkitErrors.h"

TFileStream::TFileStream(const std::string& FileName, TFileMode Mode) : fileName_(FileName) {
  const char* mode = Mode == TFileMode::fmCreate     ? "w+b"
                     : Mode == TFileMode::fmOpenRead ? "rb"
                                                     : "r+b";
  file_ = std::fopen(FileName.c_str(), mode);
  if (!file_) {
    throw EStreamError(
        std::string(Mode == TFileMode::fmCreate ? "Cannot create file \"" : "Cannot open file \"") +
        FileName + "\"");
  }
}

TFileStream::~TFileStream() {
  if (file_) std::fclose(file_);
}

void TFileStream::SwitchTo(TDirection Direction) {
  // A C stream opened for update must be repositioned between reading and writing; without it
  // the C runtime of Windows refuses (or misplaces) the next transfer.
  if (direction_ != Direction && direction_ != TDirection::None) {
    std::fseek(file_, 0, SEEK_CUR);
  }
  direction_ = Direction;
}

size_t TFileStream::Read(void* Buffer, size_t Count) {
  SwitchTo(TDirection::Reading);
  return std::fread(Buffer, 1, Count, file_);
}

size_t TFileStream::Write(const void* Buffer, size_t Count) {
  SwitchTo(TDirection::Writing);
  return std::fwrite(Buffer, 1, Count, file_);
}

int64_t TFileStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  int whence = Origin == TSeekOrigin::soBeginning ? SEEK_SET
               : Origin == TSeekOrigin::soCurrent ? SEEK_CUR
                                                  : SEEK_END;
  // Files of this program stay far below 2 GB, so long offsets suffice on both builds.
  if (std::fseek(file_, static_cast<long>(Offset), whence) != 0) {
    throw EStreamError("Stream seek error");
  }
  direction_ = TDirection::None;
  return static_cast<int64_t>(std::ftell(file_));
}

void TFileStream::SetSize(int64_t NewSize) {
  if (NewSize < 0) throw EStreamError("Stream size error");
  std::fflush(file_);
  std::error_code ec;
  std::filesystem::resize_file(fileName_, static_cast<uintmax_t>(NewSize), ec);
  if (ec) throw EStreamError("Cannot resize file \"" + fileName_ + "\"");
  if (Position() > NewSize) SetPosition(NewSize);
}
