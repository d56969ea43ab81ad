// The file storage: a non-visual component that carries files inside the form data of the
// window that owns it, as one "SFP1" pack in the declared binary property StoredData.
//
// Pack ("SFP1" form; integers 32-bit little-endian, unsigned):
//   "SFP1", record count, then per record: name length k, k name characters, packed length p,
//   and p bytes of packed data (4-byte unpacked length, then the codec's blocks).
// Old form (first 4 bytes not "SFP1"): record count, a skipped 4-byte field, then per record:
//   name length k, k name characters, size n, n raw bytes. Writing always gives the "SFP1" form.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "foundation/FileHandle.h"
#include "foundation/acClasses.h"
#include "platform/platform.h"
#include "toolkit/core/Modules.h"
#include "toolkit/core/TEnumInfo.h"
#include "toolkit/core/TEvent.h"
#include "toolkit/core/TMemoryStream.h"
#include "toolkit/core/ToolkitErrors.h"

enum TacToplevelDir : uint8_t {
  tdCurrentDir,
  tdWindowsDir,
  tdTempDir,
  tdSystemDir,
  tdMediaDir,
  tdCursorsDir,
  tdHelpDir,
  tdSamplesDir,
  tdDesktop,
  tdProgramFiles,
  tdMyDocuments,
  tdMyPictures,
  tdAppData,
  tdNone,
};
const TEnumInfo& TacToplevelDirInfo();

enum TacFileStorageOverwrite : uint8_t { owIfSizeDifferent, owNever, owAlways };
const TEnumInfo& TacFileStorageOverwriteInfo();

// Sender is the storage's owner; FileName the full target path. A handler clears
// AllowExtracting to skip the file.
using TOnExtractEvent = TEvent<TObject* /*Sender*/, const std::string& /*FileName*/,
                               int32_t /*FileSize*/, bool& /*AllowExtracting*/>;
using TOnExtractedEvent = TEvent<TObject* /*Sender*/, const std::string& /*FileName*/,
                                 int32_t /*FileSize*/, bool /*Successfully*/>;

// The target directory of the extraction.
class TExtractTo : public TPersistent {
  TOOLKIT_CLASS(TExtractTo, TPersistent)

 public:
  bool CreatePath() const { return createPath_; }
  void SetCreatePath(bool Value) { createPath_ = Value; }
  TacToplevelDir ToplevelDir() const { return toplevelDir_; }
  void SetToplevelDir(TacToplevelDir Value) { toplevelDir_ = Value; }
  const std::string& Subdirectory() const { return subdirectory_; }
  void SetSubdirectory(const std::string& Value) { subdirectory_ = Value; }

  static void Publish(TPublisher<TExtractTo>& P);

 private:
  bool createPath_ = true;
  TacToplevelDir toplevelDir_ = tdCurrentDir;
  std::string subdirectory_;
};

// The extraction settings of a storage (Enabled comes from TacAddon).
class TAutoExtract : public TacAddon {
  TOOLKIT_CLASS(TAutoExtract, TacAddon)

 public:
  // Creates ExtractTo with CreatePath set.
  explicit TAutoExtract(TComponent* Owner);

  TExtractTo* ExtractTo() const { return extractTo_.get(); }
  TacFileStorageOverwrite Overwrite() const { return overwrite_; }
  void SetOverwrite(TacFileStorageOverwrite Value) { overwrite_ = Value; }
  bool RemoveOnTerminate() const { return removeOnTerminate_; }
  void SetRemoveOnTerminate(bool Value) { removeOnTerminate_ = Value; }

  static void Publish(TPublisher<TAutoExtract>& P);

 private:
  std::unique_ptr<TExtractTo> extractTo_;
  TacFileStorageOverwrite overwrite_ = owIfSizeDifferent;
  bool removeOnTerminate_ = false;
};

class TacFileStorage;

// What the last extraction of a record came to.
enum TExtractState : uint8_t {
  esNone,            // not tried: extraction disabled, or declined by OnExtract
  esHeld,            // written, or found with exactly the stored bytes, and held by the storage
  esPlaced,          // written, or found with exactly the stored bytes, and not held
  esNoFolder,        // no usable target folder (a relative or empty path): nothing written
  esFolderMissing,   // the target folder is missing and could not be made
  esFolderInTheWay,  // a folder has the file's name
  esInUse,           // a file there cannot be replaced: another program has it open
  esWriteFailed,     // opening or writing failed (no space, access denied): nothing left behind
  esChanged,         // written, but once held the file had other bytes (another program's)
  esDamaged,         // the content proved damaged, or not of its expected CRC-32: nothing written
  esCancelled,       // the progress handler said stop: nothing left behind
};

// The target path of a record's last extraction, its state, and for a failed one the system's
// error code (GetLastError) that said why.
struct TExtraction {
  TExtractState State = esNone;
  std::string Path;
  DWORD Error = 0;
};

// The directory ExtractTo names, ending with a backslash; for tdNone the Subdirectory exactly as
// stored. A shell folder that cannot be read gives an empty base, so the result is "\" + Sub.
std::string ResolveExtractDir(const TExtractTo& ExtractTo);

// Takes Count bytes of a file's content, the next part of it (about a megabyte); false stops the
// pass.
using TBlockSink = std::function<bool(const uint8_t* Bytes, size_t Count)>;

// Told how far the extraction of a file has come (Done of Total: the bytes written, then read
// back); false stops it.
using TExtractProgress = std::function<bool(uint64_t Done, uint64_t Total)>;

// One stored file: its bare name and its unpacked bytes (Data's size always equals FileSize).
class TStoredFile : public TacAddon {
  TOOLKIT_CLASS(TStoredFile, TacAddon)
  friend class TacFileStorage;  // sets the extraction of a file it found in place

 public:
  // Owner may be null; a record without an owner reads its data as packed.
  explicit TStoredFile(TacFileStorage* Owner);

  TacFileStorage* Storage() const { return storage_; }
  const std::string& FileName() const { return fileName_; }
  void SetFileName(const std::string& Value) { fileName_ = Value; }
  uint32_t FileSize() const { return fileSize_; }
  // The unpacked bytes. A record read from the program's own resource (TResourceStream) keeps
  // them packed there and unpacks them here when first asked for; packed bytes that prove damaged
  // then raise EReadError.
  const TMemoryStream& Data() const;
  // Replaces the content: Data and FileSize together.
  void SetContent(std::span<const uint8_t> Bytes);

  // Reads one record at Stream's position, packed or raw as the owner's last pack was. A record
  // that is cut short, claims more than the stream holds or does not unpack to exactly FileSize
  // bytes raises EReadError naming the file and the fault; nothing is allocated beyond what
  // the stream's bytes can justify.
  void ReadFromStream(TStream& Stream);
  // Writes one record in the packed form.
  void WriteToStream(TStream& Stream) const;

  // Writes Data to FileName (the full target path), creating missing directories first when
  // CreatePath is set, and fires the storage's OnExtract before and OnExtracted after. True when
  // the file was written completely, or when OnExtract declined it; Extraction then tells what
  // became of it. A record whose name is not a bare file name (a path, ".", "..", a device name)
  // is never written, nor is a FileName that is not a full path (a drive or network root followed
  // by folders: an unknown target folder must not become the current drive's root). A write that
  // fails or falls short leaves no file behind. Written files are recorded for removal when the
  // storage's AutoExtract.RemoveOnTerminate is set; such a file is also held by the storage until
  // its removal (see TacFileStorage), and counts as written only when, once held, it reads back
  // with the CRC-32 of what went into it.
  virtual bool ExtractToFile(const std::string& FileName, bool CreatePath);

  // What the last ExtractToFile came to.
  const TExtraction& Extraction() const { return extraction_; }

  // The CRC-32 the content must have (recorded when the carrier was built). An extraction checks
  // the bytes against it on their way to the disk, and writes nothing, or removes what it wrote,
  // when they lack it (esDamaged); a file found in place never passes for them then.
  void SetExpectedCrc32(std::optional<uint32_t> Crc) {
    expectedCrc_ = Crc;
    crcConfirmed_ = false;
  }

  // The CRC-32 of Data (see Crc32.h), computed part by part from the packed bytes when they
  // have not been unpacked yet (EReadError when they prove damaged).
  uint32_t ContentCrc32() const;

  // True when File, open for reading, holds exactly Data: the same size and the same bytes. Reads
  // it from its start, part by part; a read that fails counts as a difference.
  bool SameContent(HANDLE File) const;

 private:
  void ReadPacked(TStream& Stream, uint32_t PackedLength);
  void ReadRaw(TStream& Stream, uint32_t Size);
  // Opens, writes and closes FileName in one pass over the content, giving the content's CRC-32 in
  // Crc: the state esPlaced, or the failure with the system's reason. A file in the way that is
  // read-only, hidden or a system file loses those attributes first; a failed, short, damaged or
  // cancelled write deletes what was written.
  TExtraction WriteDataTo(const std::string& FileName, uint32_t& Crc) const;
  // Hands the content to Take part by part (see TBlockSink); false when Take stopped or the
  // packed bytes proved damaged.
  bool ForEachPart(const TBlockSink& Take) const;
  // Whether the content has the expected CRC-32 (true when none is expected); one pass, once.
  bool ConfirmCrc() const;
  EReadError Damaged() const;
  // Writes the file at FileName and, with RemoveOnTerminate, holds it: extraction_ says how it
  // went.
  void Place(const std::string& FileName, bool CreatePath);

  TacFileStorage* storage_;
  std::string fileName_;
  uint32_t fileSize_ = 0;
  mutable TMemoryStream data_;
  // The packed bytes in the program's resource (their block framing checked) while Data has not
  // been unpacked yet.
  mutable std::span<const uint8_t> packed_;
  TExtraction extraction_;
  std::optional<uint32_t> expectedCrc_;
  // A whole pass over the content has shown the expected CRC-32.
  mutable bool crcConfirmed_ = false;
};

// Carries files in the form data and, when AutoExtract is enabled, writes them out at the end
// of loading and removes them again (with a directory it made for them) when destroyed.
//
// With AutoExtract.RemoveOnTerminate set, the files are the storage's own for its life: it holds
// each file it wrote, or found in place with exactly the stored bytes, open for reading and shares
// it for reading only, so other programs can read and run it but nobody can write, rename or
// delete it until the removal step lets go of it.
class TacFileStorage : public TacComponent {
  TOOLKIT_CLASS(TacFileStorage, TacComponent)
  friend class TStoredFile;  // records what it writes and the directories it makes

 public:
  explicit TacFileStorage(TComponent* Owner);
  // Removes the extracted files first (see RemoveExtractedFiles).
  ~TacFileStorage() override;

  TAutoExtract* AutoExtract() const { return autoExtract_.get(); }
  TacObjectList& Files() const { return *files_; }
  const std::vector<std::string>& ExtractedFiles() const { return extractedFiles_; }
  const TOnExtractEvent& OnExtract() const { return onExtract_; }
  void SetOnExtract(TOnExtractEvent Value) { onExtract_ = std::move(Value); }
  const TOnExtractedEvent& OnExtracted() const { return onExtracted_; }
  void SetOnExtracted(TOnExtractedEvent Value) { onExtracted_ = std::move(Value); }
  // Told between blocks while a file is written out and read back, so that a program can show
  // progress (and keep its windows answering) on large files; not a published event.
  void SetOnProgress(TExtractProgress Value) { onProgress_ = std::move(Value); }
  bool PackedFormat() const { return packedFormat_; }
  uint32_t Count() const { return count_; }
  // Sum of FileSize over the first Count records, wrapping at 2^32.
  uint32_t DataSize() const;
  // The record at Index of Files (EListError outside the list).
  TStoredFile& StoredFiles(int32_t Index) const;
  // The first record named FileName (letter case aside), null when there is none.
  TStoredFile* FindFile(const std::string& FileName) const;

  // Appends a record with this name and content, so a program or tool can fill the storage.
  TStoredFile& AddFile(const std::string& FileName, std::span<const uint8_t> Bytes);

  // Reads a pack in either form and appends its records to Files. A damaged pack raises
  // EReadError naming the record and the fault, and leaves the storage as it was.
  void ReadStoredData(TStream& Stream);
  // Writes the "SFP1" form of the first Count records.
  void WriteStoredData(TStream& Stream) const;

  // Declares StoredData, present exactly when Count is not 0.
  void DefineProperties(TFiler& Filer) override;

  // End of loading: the base's handling, then AfterLoad.
  void Loaded() override;
  // Writes every record into ResolveExtractDir's directory as Overwrite allows; nothing when
  // AutoExtract is disabled or the storage is being designed.
  void AfterLoad();

  static void Publish(TPublisher<TacFileStorage>& P);

 private:
  // How many records WriteStoredData and DataSize cover: Count, but never more than Files has.
  int32_t RecordsInUse() const;
  // Writes one record to Path as AutoExtract.Overwrite decides.
  void ExtractRecord(TStoredFile& Record, const std::string& Path);
  // The removal step: with AutoExtract enabled and RemoveOnTerminate set, deletes every
  // extracted file (failures ignored), then every folder this storage made, each only when it is
  // empty (also when nothing could be extracted into it). A folder that was there before is never
  // removed.
  void RemoveExtractedFiles();
  void RecordExtracted(const std::string& FileName) { extractedFiles_.push_back(FileName); }
  // Whether the file at Path holds exactly Record's bytes; with RemoveOnTerminate it is then held.
  bool SameInPlace(const TStoredFile& Record, const std::string& Path);
  // Holds the file at Path when it holds exactly Record's bytes (see the class comment) and says
  // whether it does; a file that cannot be opened so (another program writes it) does not.
  bool HoldIfSame(const TStoredFile& Record, const std::string& Path);
  // Holds the file that Record's extraction just wrote at Path when, read back once held, it has
  // Record's size and the CRC-32 Crc that went into it: esHeld, else esChanged (or esCancelled).
  TExtractState HoldIfWritten(const TStoredFile& Record, const std::string& Path, uint32_t Crc);
  // Tells the progress handler, if any; false when it says stop.
  bool Progress(uint64_t Done) const;
  // Closes every held file.
  void LetGo();

  std::unique_ptr<TAutoExtract> autoExtract_;
  std::unique_ptr<TacObjectList> files_;
  std::vector<std::string> extractedFiles_;
  // The folders (ending in a backslash) that did not exist until this storage made them.
  std::vector<std::string> createdFolders_;
  std::vector<TFileHandle> heldFiles_;
  TOnExtractEvent onExtract_;
  TOnExtractedEvent onExtracted_;
  TExtractProgress onProgress_;
  uint64_t progressTotal_ = 0;
  bool packedFormat_ = false;
  uint32_t count_ = 0;
};

// Registers the storage's classes with the class registry (the unit's start-up routine).
void RegisterFileStorageClasses();

inline constexpr TModule kacFileStorageModule{"acFileStorage", &RegisterFileStorageClasses,
                                              nullptr};
