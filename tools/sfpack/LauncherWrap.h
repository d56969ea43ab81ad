// Puts a new installer into a built launcher program: the file storage's StoredData in the
// launcher's form data (RCDATA TFORM1) gets the installer in place of the carried
// quillmoor_full.exe, packed as the build packs it; the CRC-32 beside it (RCDATA INSTALLERCRC)
// is set to the installer's; and the resource section is written again with everything after it
// moved (PeRewriter). For the same installer the result is the program the build makes with it.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/pe/IconGroup.h"

namespace sfpack {

// A launcher or installer wrap refuses, with the reason.
class WrapError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What a wrap did, for its report.
struct WrapSummary {
  std::string carriedName;    // the replaced record's name, as stored
  uint32_t replacedSize = 0;  // the unpacked size of the installer it carried before
  size_t packSize = 0;        // the new StoredData's length
  bool crcRecorded = false;   // whether the launcher has an INSTALLERCRC resource
  uint32_t crc = 0;           // the installer's CRC-32
  bool signatureRemoved = false;
};

struct WrapResult : WrapSummary {
  std::vector<uint8_t> program;
};

// The installer as a streamed wrap reads it: its size first, then its bytes in order.
class TInstallerSource {
 public:
  virtual ~TInstallerSource() = default;
  virtual uint64_t Size() const = 0;
  // Up to Count bytes into Into; fewer only at the end. std::runtime_error when reading fails.
  virtual size_t Read(uint8_t* Into, size_t Count) = 0;
  // Back to the first byte, for a second pass.
  virtual void Rewind() = 0;
};

// Where a streamed wrap writes the program.
class TProgramSink {
 public:
  virtual ~TProgramSink() = default;
  // Whether bytes already written can be written over (WriteAt). When not, the program is written
  // in order only and the installer is read twice: once to learn its packed size and CRC-32.
  virtual bool Seekable() = 0;
  virtual void Write(std::span<const uint8_t> Bytes) = 0;
  virtual void WriteAt(uint64_t Offset, std::span<const uint8_t> Bytes) = 0;
};

// The launcher with Installer carried in place of its quillmoor_full.exe. WrapError when the
// launcher is not a Windows program of the shape the build makes, has no form data or no file
// storage in it, when anything of it is damaged, or when Installer is empty, no Windows program
// or more than the pack format can hold.
WrapResult WrapLauncher(std::span<const uint8_t> Launcher, std::span<const uint8_t> Installer);

// The same program, written to Out while the installer is read, in parts of about a megabyte
// packed block by block: the memory used is the launcher's size and a few megabytes, whatever
// the installer's size. Out gets the file's head with the lengths not yet known, the packed
// blocks, the tail, then the head again with the lengths, CRC-32 and checksum (or, when Out is
// not seekable, the installer is packed twice and Out written in order). The same refusals as
// WrapLauncher; those about the launcher and the installer's size (empty, more than the pack
// format holds, a result Windows would not load, judged by the largest packed size the installer
// can have) come before anything is read of the installer or written to Out. An installer whose
// reading fails, or whose length differs from its Size, raises std::runtime_error or WrapError
// part-way; the caller then discards what Out has received.
// Icon, when not empty, replaces the program's icon group MAINICON (ReplaceIconGroup).
// NewForm, when not empty, is the window's form data to write in place of the launcher's (made
// from an edited text form): its file storage's StoredData must be empty, and receives the pack
// of the launcher's records with the installer in place of the carried one.
WrapSummary WrapLauncherStreamed(std::span<const uint8_t> Launcher, TInstallerSource& Installer,
                                 TProgramSink& Out, std::span<const uint8_t> NewForm = {},
                                 std::span<const IconImage> Icon = {});

}  // namespace sfpack
