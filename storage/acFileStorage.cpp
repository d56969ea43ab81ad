#include "storage/acFileStorage.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "foundation/acUtils.h"
#include "storage/Crc32.h"
#include "storage/acSFPack.h"
#include "toolkit/core/ClassRegistry.h"
#include "toolkit/core/LittleEndian.h"
#include "toolkit/core/SameText.h"
#include "toolkit/core/TCustomMemoryStream.h"
#include "toolkit/core/TFiler.h"
#include "toolkit/core/TResourceStream.h"
#include "toolkit/core/ToolkitErrors.h"

namespace {

// What a written file is read back in: few calls, and little memory beside the mapped program.
constexpr DWORD kReadBackChunk = 1 << 20;

constexpr uint32_t kPackMagic = 0x31504653;  // "SFP1" read as a little-endian 32-bit value

// The smallest record of each form: name length and one length field, plus the unpacked length
// that every packed area starts with.
constexpr uint64_t kMinPackedRecord = 12;
constexpr uint64_t kMinRawRecord = 8;

uint64_t Remaining(TStream& Stream) {
  const int64_t left = Stream.Size() - Stream.Position();
  return left > 0 ? static_cast<uint64_t>(left) : 0;
}

// Reads a 32-bit field; a stream that ends first raises EReadError naming the field.
uint32_t ReadField(TStream& Stream, const std::string& What) {
  uint8_t bytes[4];
  if (Stream.Read(bytes, 4) != 4) throw EReadError(What + " is cut short");
  return LoadLE32(bytes);
}

void WriteField(TStream& Stream, uint32_t Value) {
  uint8_t bytes[4];
  StoreLE32(bytes, Value);
  Stream.WriteBuffer(bytes, 4);
}

// The most a packed area can produce: each block stands for at most kPackBlockMax bytes, and
// a block's body can produce no more than a long run (5 bytes for up to 65,536) per 5 bytes.
// -1 when a block length runs past the area.
int64_t AreaYieldMax(std::span<const uint8_t> Area) {
  int64_t total = 0;
  size_t pos = 0;
  while (pos < Area.size()) {
    if (Area.size() - pos < 2) return -1;
    const size_t length = LoadLE16(&Area[pos]);
    pos += 2;
    if (length > Area.size() - pos) return -1;
    pos += length;
    const int64_t body = length > 2 ? static_cast<int64_t>(length - 2) : 0;
    total += std::min<int64_t>(kPackBlockMax, (body * 65536 + 4) / 5);
  }
  return total;
}

// How many blocks' bytes a pass over a file's content hands over at once: one call of WriteFile
// or ReadFile per megabyte rather than per block.
constexpr size_t kPartBlocks = 16;

// Unpacks the area block by block, as the format has them: into Dest when one is given (Take then
// sees each block), else into a scratch buffer of kPartBlocks blocks that Take is handed whenever
// it is about to run out of room, and at the end. Returns false when a block is damaged, Take
// refuses a part, or the blocks do not come to exactly Size bytes. The block framing is tested
// again here rather than trusted from AreaYieldMax.
bool UnpackArea(std::span<const uint8_t> Area, uint8_t* Dest, size_t Size, size_t& Written,
                const TBlockSink& Take = {}) {
  Written = 0;
  std::vector<uint8_t> scratch(Dest == nullptr ? kPartBlocks * kPackBlockMax : 0);
  size_t filled = 0;  // of scratch, not yet handed to Take
  size_t pos = 0;
  while (pos < Area.size()) {
    if (Area.size() - pos < 2) return false;
    const uint32_t length = LoadLE16(&Area[pos]);
    pos += 2;
    if (length > Area.size() - pos) return false;
    const size_t room = std::min<size_t>(kPackBlockMax, Size - Written);
    uint8_t* out = Dest != nullptr ? Dest + Written : scratch.data() + filled;
    const UnpackResult part = UnpackBlock(Area.data() + pos, out, length, room);
    if (!part.ok) return false;
    Written += part.written;
    pos += length;
    if (Dest != nullptr) {
      if (Take && !Take(out, part.written)) return false;
    } else if ((filled += part.written) > scratch.size() - kPackBlockMax) {
      if (Take && !Take(scratch.data(), filled)) return false;
      filled = 0;
    }
  }
  if (filled != 0 && Take && !Take(scratch.data(), filled)) return false;
  return Written == Size;
}

// The next Length bytes of Stream, which holds at least that many: in place when the stream keeps
// its bytes in memory (form data does; the installer's packed bytes are not copied once more),
// otherwise read into Copy.
std::span<const uint8_t> PackedArea(TStream& Stream, uint32_t Length, std::vector<uint8_t>& Copy) {
  if (const auto* memory = dynamic_cast<const TCustomMemoryStream*>(&Stream)) {
    const auto start = static_cast<size_t>(Stream.Position());
    Stream.Seek(Length, TSeekOrigin::soCurrent);
    return memory->Bytes().subspan(start, Length);
  }
  Copy.resize(Length);
  Stream.ReadBuffer(Copy.data(), Copy.size());
  return Copy;
}

std::string Quoted(const std::string& Name) {
  return "\"" + Name + "\"";
}

// The full name of the program's executable file (empty when it cannot be had).
std::string ExeName() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, length < MAX_PATH ? length : 0);
}

// The value under the user's shell folders that names Dir's folder, null for other bases.
const char* ShellFolderValue(TacToplevelDir Dir) {
  switch (Dir) {
    case tdDesktop:
      return "Desktop";
    case tdMyDocuments:
      return "Personal";
    case tdMyPictures:
      return "My Pictures";
    case tdAppData:
      return "AppData";
    default:
      return nullptr;
  }
}

// The base directory of every value but tdNone, without any trailing backslash added.
std::string BaseDir(TacToplevelDir Dir) {
  if (const char* value = ShellFolderValue(Dir)) {
    std::string folder;
    ReadRegString(HKEY_CURRENT_USER, kShellFoldersKey, value, folder);
    return folder;
  }
  const std::string windows = GetWindowsDir();
  switch (Dir) {
    case tdCurrentDir:
      return ExtractFilePath(ExeName());
    case tdTempDir:
      return GetTempDir();
    case tdSystemDir:
      return GetSystemDir();
    case tdMediaDir:
      return windows + "MEDIA";
    case tdCursorsDir:
      return windows + "CURSORS";
    case tdHelpDir:
      return windows + "HELP";
    case tdSamplesDir:
      return windows + "SAMPLES";
    case tdProgramFiles:
      return windows.substr(0, 3) + "Program Files";
    default:
      return windows;
  }
}

// Windows opens these names as devices in every directory, also with an extension ("nul.txt")
// and with blanks before it ("CON .txt"); COM and LPT take the digits 1-9 and, in the ANSI code
// page, the superscripts 1-3.
bool IsDeviceName(const std::string& Name) {
  std::string stem = UpperCase(Name.substr(0, Name.find('.')));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
    if (stem == device) return true;
  }
  if (stem.size() != 4 || (stem.compare(0, 3, "COM") != 0 && stem.compare(0, 3, "LPT") != 0))
    return false;
  const char digit = stem[3];
  return (digit >= '1' && digit <= '9') || digit == '\xB9' || digit == '\xB2' || digit == '\xB3';
}

// A stored name may only name a file in the target directory itself: no path, no ".", "..",
// control characters or device names, which would write elsewhere or into a device.
bool IsBareFileName(const std::string& Name) {
  if (Name.empty() || Name == "." || Name == "..") return false;
  if (Name.find_first_of("\\/:") != std::string::npos) return false;
  for (char c : Name) {
    if (static_cast<unsigned char>(c) < 32) return false;
  }
  return !IsDeviceName(Name);
}

// Whether the file at Path holds exactly Record's bytes; a file that cannot be opened for
// reading does not.
bool SameFileContent(const TStoredFile& Record, const std::string& Path) {
  const TFileHandle file(CreateFileA(Path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file && Record.SameContent(file.Get());
}

// A drive root ("C:\") or a network share ("\\server\...") with what follows: a path that names
// one place whatever the current drive and directory are.
bool IsFullPath(const std::string& Path) {
  if (Path.size() >= 3 && Path[1] == ':' && Path[2] == '\\')
    return (Path[0] >= 'A' && Path[0] <= 'Z') || (Path[0] >= 'a' && Path[0] <= 'z');
  return Path.size() > 2 && Path[0] == '\\' && Path[1] == '\\' && Path[2] != '\\';
}

// The folder that holds Dir (both ending in a backslash); empty at a root.
std::string ParentFolder(const std::string& Dir) {
  const std::string parent = ExtractFilePath(Dir.substr(0, Dir.empty() ? 0 : Dir.size() - 1));
  return parent.size() < Dir.size() && !parent.empty() && parent.back() == '\\' ? parent : "";
}

// Makes Dir (ending in a backslash) and every missing folder above it, the outermost first, and
// appends each one made to Made. 0 when Dir exists now, else the system's error code of the
// first folder that could not be made.
DWORD MakeFolders(const std::string& Dir, std::vector<std::string>& Made) {
  std::vector<std::string> missing;
  for (std::string level = Dir; !level.empty() && !FolderExists(level); level = ParentFolder(level))
    missing.push_back(level);
  for (auto level = missing.rbegin(); level != missing.rend(); ++level) {
    if (!CreateDirectoryA(level->c_str(), nullptr)) {
      const DWORD error = GetLastError();
      if (!FolderExists(*level)) return error;  // else another program made it just now
      continue;
    }
    Made.push_back(*level);
  }
  return FolderExists(Dir) ? 0 : ERROR_PATH_NOT_FOUND;
}

HANDLE CreateForWriting(const std::string& FileName) {
  return CreateFileA(FileName.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Writes all Count bytes, going on after a write that took only some of them (Wine reports a
// short write when the disk fills, and the error only on the next one); false with the system's
// error code in Error when a write fails or takes nothing.
bool WriteAll(HANDLE File, const uint8_t* Bytes, size_t Count, DWORD& Error) {
  while (Count > 0) {
    DWORD written = 0;
    if (!WriteFile(File, Bytes, static_cast<DWORD>(Count), &written, nullptr)) {
      Error = GetLastError();
      return false;
    }
    if (written == 0) {
      Error = ERROR_HANDLE_DISK_FULL;
      return false;
    }
    Bytes += written;
    Count -= written;
  }
  return true;
}

// Clears the read-only, hidden and system attributes of a file at Path, which make CREATE_ALWAYS
// fail with ERROR_ACCESS_DENIED and the removal at the end fail.
void ClearBlockingAttributes(const std::string& Path) {
  constexpr DWORD kBlocking =
      FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  const DWORD attributes = GetFileAttributesA(Path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
      (attributes & kBlocking) == 0)
    return;
  const DWORD kept = attributes & ~kBlocking;
  SetFileAttributesA(Path.c_str(), kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL);
}

// Why FileName could not be opened for writing, from the open's error code.
TExtractState OpenFailure(const std::string& FileName, DWORD Error) {
  if (FolderExists(FileName)) return esFolderInTheWay;
  switch (Error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return esInUse;
    case ERROR_PATH_NOT_FOUND:
      return esFolderMissing;
    default:
      return esWriteFailed;
  }
}

}  // namespace

const TEnumInfo& TacToplevelDirInfo() {
  static const TEnumInfo info(
      "TacToplevelDir", {"tdCurrentDir", "tdWindowsDir", "tdTempDir", "tdSystemDir", "tdMediaDir",
                         "tdCursorsDir", "tdHelpDir", "tdSamplesDir", "tdDesktop", "tdProgramFiles",
                         "tdMyDocuments", "tdMyPictures", "tdAppData", "tdNone"});
  return info;
}

const TEnumInfo& TacFileStorageOverwriteInfo() {
  static const TEnumInfo info("TacFileStorageOverwrite",
                              {"owIfSizeDifferent", "owNever", "owAlways"});
  return info;
}

std::string ResolveExtractDir(const TExtractTo& ExtractTo) {
  const std::string& sub = ExtractTo.Subdirectory();
  if (ExtractTo.ToplevelDir() == tdNone) return sub;
  const std::string base = BaseDir(ExtractTo.ToplevelDir());
  const std::string below =
      sub.empty() ? "" : StripLeadingChar(IncludeTrailingBackslash(sub), '\\');
  return IncludeTrailingBackslash(base) + below;
}

void TExtractTo::Publish(TPublisher<TExtractTo>& P) {
  P.Boolean("CreatePath", &TExtractTo::CreatePath, &TExtractTo::SetCreatePath, true);
  P.Enum("ToplevelDir", TacToplevelDirInfo(), &TExtractTo::ToplevelDir, &TExtractTo::SetToplevelDir,
         tdCurrentDir);
  P.String("Subdirectory", &TExtractTo::Subdirectory, &TExtractTo::SetSubdirectory);
}

TAutoExtract::TAutoExtract(TComponent* Owner)
    : TacAddon(Owner), extractTo_(std::make_unique<TExtractTo>()) {
  extractTo_->SetCreatePath(true);
}

void TAutoExtract::Publish(TPublisher<TAutoExtract>& P) {
  P.Object("ExtractTo", &TAutoExtract::ExtractTo);
  P.Enum("Overwrite", TacFileStorageOverwriteInfo(), &TAutoExtract::Overwrite,
         &TAutoExtract::SetOverwrite, owIfSizeDifferent);
  P.Boolean("RemoveOnTerminate", &TAutoExtract::RemoveOnTerminate,
            &TAutoExtract::SetRemoveOnTerminate, false);
}

TStoredFile::TStoredFile(TacFileStorage* Owner) : TacAddon(Owner), storage_(Owner) {}

void TStoredFile::SetContent(std::span<const uint8_t> Bytes) {
  if (Bytes.size() > UINT32_MAX) throw EWriteError("File too large for the storage: " + fileName_);
  data_.Clear();
  packed_ = {};
  data_.WriteBuffer(Bytes.data(), Bytes.size());
  data_.SetPosition(0);
  fileSize_ = static_cast<uint32_t>(Bytes.size());
}

void TStoredFile::ReadFromStream(TStream& Stream) {
  const uint32_t nameLength = ReadField(Stream, "the name length");
  if (nameLength > Remaining(Stream))
    throw EReadError("the name length " + std::to_string(nameLength) + " runs past the end");
  std::string name(nameLength, '\0');
  Stream.ReadBuffer(name.data(), nameLength);
  fileName_ = std::move(name);

  const std::string what = "file " + Quoted(fileName_);
  const uint32_t length = ReadField(Stream, "the length of " + what);
  if (storage_ == nullptr || storage_->PackedFormat()) {
    ReadPacked(Stream, length);
  } else {
    ReadRaw(Stream, length);
  }
}

void TStoredFile::ReadPacked(TStream& Stream, uint32_t PackedLength) {
  const std::string what = "file " + Quoted(fileName_);
  if (PackedLength < 4)
    throw EReadError(what + ": packed length " + std::to_string(PackedLength) + " is below 4");
  const uint64_t left = Remaining(Stream);
  if (PackedLength > left)
    throw EReadError(what + ": packed length " + std::to_string(PackedLength) +
                     " runs past the end (" + std::to_string(left) + " bytes left)");
  const uint32_t unpacked = ReadField(Stream, "the unpacked length of " + what);
  std::vector<uint8_t> copy;
  const std::span<const uint8_t> area = PackedArea(Stream, PackedLength - 4, copy);

  // The packed bytes bound the size before anything is allocated for it.
  const int64_t yieldMax = AreaYieldMax(area);
  if (yieldMax < 0) throw EReadError(what + ": a block runs past the packed area");
  if (int64_t{unpacked} > yieldMax)
    throw EReadError(what + ": unpacked length " + std::to_string(unpacked) +
                     " exceeds what the packed data can hold (" + std::to_string(yieldMax) + ")");

  data_.Clear();
  packed_ = {};
  fileSize_ = 0;
  crcConfirmed_ = false;
  // From the program's own resource the packed bytes stay where they are, mapped with the program:
  // they are unpacked block by block only when the file is written out or compared, and into Data
  // when it is first asked for, and any damage shows there. Anything else is unpacked into Data
  // now.
  if (dynamic_cast<const TResourceStream*>(&Stream) != nullptr) {
    packed_ = area;
    fileSize_ = unpacked;
    return;
  }
  data_.SetSize(unpacked);
  size_t written = 0;
  uint8_t none = 0;  // an empty stream may have no memory at all
  if (!UnpackArea(area, unpacked != 0 ? data_.Memory() : &none, unpacked, written)) {
    data_.Clear();
    throw EReadError(what + ": packed data damaged or not of the stated size (" +
                     std::to_string(written) + " of " + std::to_string(unpacked) +
                     " bytes unpacked)");
  }
  fileSize_ = unpacked;
}

const TMemoryStream& TStoredFile::Data() const {
  if (!packed_.empty()) {
    data_.SetSize(fileSize_);
    size_t written = 0;
    if (!UnpackArea(packed_, fileSize_ != 0 ? data_.Memory() : nullptr, fileSize_, written)) {
      data_.Clear();
      throw Damaged();
    }
    packed_ = {};
  }
  return data_;
}

EReadError TStoredFile::Damaged() const {
  return EReadError("file " + Quoted(fileName_) +
                    ": packed data damaged or not of the stated size");
}

void TStoredFile::ReadRaw(TStream& Stream, uint32_t Size) {
  const uint64_t left = Remaining(Stream);
  if (Size > left)
    throw EReadError("file " + Quoted(fileName_) + ": size " + std::to_string(Size) +
                     " runs past the end (" + std::to_string(left) + " bytes left)");
  data_.Clear();
  packed_ = {};
  data_.SetSize(Size);
  fileSize_ = Size;
  Stream.ReadBuffer(data_.Memory(), Size);
}

void TStoredFile::WriteToStream(TStream& Stream) const {
  if (fileName_.size() > UINT32_MAX) throw EWriteError("File name too long: " + fileName_);
  WriteField(Stream, static_cast<uint32_t>(fileName_.size()));
  Stream.WriteBuffer(fileName_.data(), fileName_.size());
  // PackedSizeMax rather than PackedSizeBound, which falls short for several blocks.
  std::vector<uint8_t> packed(PackedSizeMax(fileSize_));
  const size_t length = PackData(Data().Memory(), packed.data(), fileSize_, packed.size());
  if (length == 0 || length > UINT32_MAX)
    throw EWriteError("file " + Quoted(fileName_) + " could not be packed");
  WriteField(Stream, static_cast<uint32_t>(length));
  Stream.WriteBuffer(packed.data(), length);
}

bool TStoredFile::ExtractToFile(const std::string& FileName, bool CreatePath) {
  TComponent* sender = storage_ ? storage_->Owner() : nullptr;
  const auto size = static_cast<int32_t>(fileSize_);
  extraction_ = {esNone, FileName, 0};
  if (!IsBareFileName(fileName_)) {
    extraction_ = {esWriteFailed, FileName, ERROR_INVALID_NAME};
  } else if (!IsFullPath(FileName)) {
    extraction_ = {esNoFolder, FileName, 0};
  } else {
    bool allow = true;
    if (storage_) storage_->OnExtract()(sender, FileName, size, allow);
    if (!allow) return true;
    Place(FileName, CreatePath);
  }
  const bool written = extraction_.State == esHeld || extraction_.State == esPlaced;
  if (storage_) storage_->OnExtracted()(sender, FileName, size, written);
  return written;
}

void TStoredFile::Place(const std::string& FileName, bool CreatePath) {
  // A file in the way is only written over with content known to be sound: damaged content must
  // leave it as it was. (Into an empty place the check comes on the way, at no extra pass.)
  if (GetFileAttributesA(FileName.c_str()) != INVALID_FILE_ATTRIBUTES && !ConfirmCrc()) {
    extraction_ = {esDamaged, FileName, 0};
    return;
  }
  const std::string dir = ExtractFilePath(FileName);
  if (CreatePath && !FolderExists(dir)) {
    std::vector<std::string> made;
    const DWORD error = MakeFolders(dir, storage_ ? storage_->createdFolders_ : made);
    if (error != 0) {
      extraction_ = {esFolderMissing, FileName, error};
      return;
    }
  }
  uint32_t crc = 0;
  extraction_ = WriteDataTo(FileName, crc);
  if (extraction_.State != esPlaced || !storage_ || !storage_->AutoExtract()->RemoveOnTerminate())
    return;
  // Held from here on. Reading it back once held covers the disk and the moment between closing
  // the written file and opening it again, when another program could have changed it.
  extraction_.State = storage_->HoldIfWritten(*this, FileName, crc);
  if (extraction_.State == esHeld) {
    storage_->RecordExtracted(FileName);
  } else if (extraction_.State == esCancelled) {
    DeleteFileA(FileName.c_str());
  }
}

bool TStoredFile::ForEachPart(const TBlockSink& Take) const {
  if (!packed_.empty()) {
    size_t unpacked = 0;
    return UnpackArea(packed_, nullptr, fileSize_, unpacked, Take);
  }
  constexpr size_t kPart = kPartBlocks * kPackBlockMax;
  for (size_t at = 0; at < fileSize_; at += kPart) {
    if (!Take(data_.Memory() + at, std::min<size_t>(kPart, fileSize_ - at))) return false;
  }
  return true;
}

uint32_t TStoredFile::ContentCrc32() const {
  uint32_t crc = 0;
  if (!ForEachPart([&crc](const uint8_t* Bytes, size_t Count) {
        crc = UpdateCrc32(crc, {Bytes, Count});
        return true;
      }))
    throw Damaged();
  return crc;
}

bool TStoredFile::ConfirmCrc() const {
  if (!expectedCrc_ || crcConfirmed_) return true;
  try {
    crcConfirmed_ = ContentCrc32() == *expectedCrc_;
  } catch (const EReadError&) {
    crcConfirmed_ = false;
  }
  return crcConfirmed_;
}

bool TStoredFile::SameContent(HANDLE File) const {
  if (GetFileSizeByHandle(File) != int64_t{fileSize_}) return false;
  if (SetFilePointer(File, 0, nullptr, FILE_BEGIN) != 0) return false;
  std::vector<uint8_t> buffer;
  uint32_t crc = 0;
  const bool same = ForEachPart([File, &buffer, &crc](const uint8_t* Bytes, size_t Count) {
    buffer.resize(Count);
    DWORD read = 0;
    crc = UpdateCrc32(crc, {Bytes, Count});
    return ReadFile(File, buffer.data(), static_cast<DWORD>(Count), &read, nullptr) &&
           read == Count && (Count == 0 || std::memcmp(buffer.data(), Bytes, Count) == 0);
  });
  if (!same || (expectedCrc_ && crc != *expectedCrc_)) return false;
  crcConfirmed_ = true;
  // Nothing may follow (a file that grew while it was read).
  uint8_t extra = 0;
  DWORD read = 0;
  return ReadFile(File, &extra, 1, &read, nullptr) && read == 0;
}

TExtraction TStoredFile::WriteDataTo(const std::string& FileName, uint32_t& Crc) const {
  // Cleared before the open, not only when it is refused: where the open of such a file succeeds
  // (Wine, for one, lets an administrator open a read-only file for writing), the file would keep
  // them, and a read-only file could not be removed at the end.
  ClearBlockingAttributes(FileName);
  TFileHandle file(CreateForWriting(FileName));
  DWORD error = GetLastError();
  if (!file) return {OpenFailure(FileName, error), FileName, error};

  // One pass over the content: each part is unpacked, written and added to the CRC-32.
  error = 0;
  bool failed = false, cancelled = false;
  uint64_t done = 0;
  Crc = 0;
  const bool complete = ForEachPart([&](const uint8_t* Bytes, size_t Count) {
    if (!WriteAll(file.Get(), Bytes, Count, error)) {
      failed = true;
      return false;
    }
    Crc = UpdateCrc32(Crc, {Bytes, Count});
    done += Count;
    cancelled = storage_ && !storage_->Progress(done);
    return !cancelled;
  });
  file.Close();
  TExtractState state = esPlaced;
  if (!complete) {
    state = cancelled ? esCancelled : failed ? esWriteFailed : esDamaged;
  } else if (expectedCrc_ && Crc != *expectedCrc_) {
    state = esDamaged;
  }
  if (state == esPlaced) {
    crcConfirmed_ = expectedCrc_.has_value();
    return {esPlaced, FileName, 0};
  }
  // A cut-off or damaged file must not pass for the stored one.
  DeleteFileA(FileName.c_str());
  return {state, FileName, error};
}

TacFileStorage::TacFileStorage(TComponent* Owner)
    : TacComponent(Owner),
      autoExtract_(std::make_unique<TAutoExtract>(this)),
      files_(std::make_unique<TacObjectList>(true, 0)) {}

TacFileStorage::~TacFileStorage() {
  RemoveExtractedFiles();
  extractedFiles_.clear();
  files_.reset();
  autoExtract_.reset();
}

int32_t TacFileStorage::RecordsInUse() const {
  return static_cast<int32_t>(std::min<int64_t>(count_, files_->Count()));
}

uint32_t TacFileStorage::DataSize() const {
  uint32_t sum = 0;
  for (int32_t i = 0; i < RecordsInUse(); ++i) sum += StoredFiles(i).FileSize();
  return sum;
}

TStoredFile& TacFileStorage::StoredFiles(int32_t Index) const {
  return static_cast<TStoredFile&>(*files_->Items(Index));
}

TStoredFile* TacFileStorage::FindFile(const std::string& FileName) const {
  for (int32_t i = 0; i < files_->Count(); ++i) {
    if (SameText(StoredFiles(i).FileName(), FileName)) return &StoredFiles(i);
  }
  return nullptr;
}

TStoredFile& TacFileStorage::AddFile(const std::string& FileName, std::span<const uint8_t> Bytes) {
  auto record = std::make_unique<TStoredFile>(this);
  record->SetFileName(FileName);
  record->SetContent(Bytes);
  TStoredFile& added = *record;
  files_->Add(record.release());
  count_ = static_cast<uint32_t>(files_->Count());
  return added;
}

void TacFileStorage::ReadStoredData(TStream& Stream) {
  const uint32_t oldCount = count_;
  const bool oldFormat = packedFormat_;
  const int32_t oldFiles = files_->Count();
  try {
    count_ = ReadField(Stream, "Stored data: the record count");
    packedFormat_ = count_ == kPackMagic;
    if (packedFormat_) {
      count_ = ReadField(Stream, "Stored data: the record count");
    } else {
      ReadField(Stream, "Stored data: the header");
    }
    const uint64_t minRecord = packedFormat_ ? kMinPackedRecord : kMinRawRecord;
    const uint64_t left = Remaining(Stream);
    if (count_ > left / minRecord)
      throw EReadError("Stored data: " + std::to_string(count_) + " records claimed, but only " +
                       std::to_string(left) + " bytes follow");
    for (uint32_t i = 0; i < count_; ++i) {
      auto record = std::make_unique<TStoredFile>(this);
      try {
        record->ReadFromStream(Stream);
      } catch (const EStreamError& e) {
        throw EReadError("Stored data: record " + std::to_string(i + 1) + " of " +
                         std::to_string(count_) + ": " + e.Message());
      }
      files_->Add(record.release());
    }
  } catch (...) {
    while (files_->Count() > oldFiles) files_->Delete(files_->Count() - 1);
    count_ = oldCount;
    packedFormat_ = oldFormat;
    throw;
  }
}

void TacFileStorage::WriteStoredData(TStream& Stream) const {
  WriteField(Stream, kPackMagic);
  const int32_t records = RecordsInUse();
  WriteField(Stream, static_cast<uint32_t>(records));
  for (int32_t i = 0; i < records; ++i) StoredFiles(i).WriteToStream(Stream);
}

void TacFileStorage::DefineProperties(TFiler& Filer) {
  TacComponent::DefineProperties(Filer);
  Filer.DefineBinaryProperty(
      "StoredData", [this](TStream& S) { ReadStoredData(S); },
      [this](TStream& S) { WriteStoredData(S); }, count_ != 0);
}

void TacFileStorage::Loaded() {
  TacComponent::Loaded();
  AfterLoad();
}

void TacFileStorage::AfterLoad() {
  if (!autoExtract_->Enabled() || InState(csDesigning)) return;
  for (int32_t i = 0; i < files_->Count(); ++i) {
    // Writing and reading back: each byte counts twice.
    progressTotal_ = 2 * uint64_t{StoredFiles(i).FileSize()};
    TStoredFile& record = StoredFiles(i);
    const std::string path = ResolveExtractDir(*autoExtract_->ExtractTo()) + record.FileName();
    ExtractRecord(record, path);
  }
}

void TacFileStorage::ExtractRecord(TStoredFile& Record, const std::string& Path) {
  const TExtractTo& to = *autoExtract_->ExtractTo();
  // TEMP is where Windows tells every program to put such files: when it is missing, the machine
  // is broken, not the form's choice, so the storage makes it (and removes it again at the end).
  const bool createPath =
      to.CreatePath() || (to.ToplevelDir() == tdTempDir && to.Subdirectory().empty());
  // A name that ExtractToFile refuses goes there directly, to be reported, without any query
  // on a path outside the target directory.
  if (!IsBareFileName(Record.FileName())) {
    Record.ExtractToFile(Path, createPath);
    return;
  }
  switch (autoExtract_->Overwrite()) {
    case owIfSizeDifferent:
      if (!FileExists(Path)) {
        Record.ExtractToFile(Path, createPath);
        break;
      }
      try {
        // The same size is not yet the same file: a stale, damaged or planted file of that size
        // is written over; only a file with exactly the carried bytes is left as it is.
        if (GetFileSizeByName(Path) != int64_t{Record.FileSize()} || !SameInPlace(Record, Path)) {
          Record.ExtractToFile(Path, createPath);
        } else {
          const bool held = autoExtract_->RemoveOnTerminate();
          Record.extraction_ = {held ? esHeld : esPlaced, Path, 0};
        }
      } catch (...) {
        // The size check or the write (an event handler) raised: one more write, unguarded.
        Record.ExtractToFile(Path, createPath);
      }
      break;
    case owNever:
      if (!FileExists(Path)) Record.ExtractToFile(Path, createPath);
      break;
    case owAlways:
      Record.ExtractToFile(Path, createPath);
      break;
  }
}

bool TacFileStorage::SameInPlace(const TStoredFile& Record, const std::string& Path) {
  if (autoExtract_->RemoveOnTerminate()) return HoldIfSame(Record, Path);
  return SameFileContent(Record, Path);
}

TExtractState TacFileStorage::HoldIfWritten(const TStoredFile& Record, const std::string& Path,
                                            uint32_t Crc) {
  TFileHandle file(CreateFileA(Path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file || GetFileSizeByHandle(file.Get()) != int64_t{Record.FileSize()}) return esChanged;
  std::vector<uint8_t> buffer(kReadBackChunk);
  uint64_t done = Record.FileSize();
  uint32_t crc = 0;
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file.Get(), buffer.data(), kReadBackChunk, &read, nullptr)) return esChanged;
    if (read == 0) break;
    crc = UpdateCrc32(crc, {buffer.data(), read});
    done += read;
    if (!Progress(done)) return esCancelled;
  }
  if (crc != Crc) return esChanged;
  heldFiles_.push_back(std::move(file));
  return esHeld;
}

bool TacFileStorage::Progress(uint64_t Done) const {
  return !onProgress_ || onProgress_(Done, progressTotal_);
}

bool TacFileStorage::HoldIfSame(const TStoredFile& Record, const std::string& Path) {
  TFileHandle file(CreateFileA(Path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file || !Record.SameContent(file.Get())) return false;
  heldFiles_.push_back(std::move(file));
  return true;
}

void TacFileStorage::LetGo() {
  heldFiles_.clear();
}

void TacFileStorage::RemoveExtractedFiles() {
  // The held files are let go just before they are removed, and whatever happens at the end.
  LetGo();
  if (!autoExtract_->Enabled() || !autoExtract_->RemoveOnTerminate()) return;
  for (const std::string& file : extractedFiles_) DeleteFileA(file.c_str());
  // Each folder made inside another was made after it: the innermost go first.
  for (auto dir = createdFolders_.rbegin(); dir != createdFolders_.rend(); ++dir) {
    if (IsFolderEmpty(*dir)) RemoveDirectoryA(dir->c_str());
  }
}

void TacFileStorage::Publish(TPublisher<TacFileStorage>& P) {
  P.Object("AutoExtract", &TacFileStorage::AutoExtract);
  P.Integer("Count", &TacFileStorage::Count, &TacComponent::IgnoreValue).NotStored();
  P.Integer("DataSize", &TacFileStorage::DataSize, &TacComponent::IgnoreValue).NotStored();
  // The records are stored through StoredData; the list itself is published for reading only.
  P.Object("Files", [](const TacFileStorage& S) { return &S.Files(); });
  P.Event("OnExtract", &TacFileStorage::OnExtract, &TacFileStorage::SetOnExtract);
  P.Event("OnExtracted", &TacFileStorage::OnExtracted, &TacFileStorage::SetOnExtracted);
}

void RegisterFileStorageClasses() {
  RegisterClass<TacFileStorage>();
  RegisterClass<TStoredFile>();
  RegisterClass<TAutoExtract>();
  RegisterClass<TExtractTo>();
}
