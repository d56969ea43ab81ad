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

namespace sfpack {

// A launcher or installer wrap refuses, with the reason.
class WrapError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct WrapResult {
  std::vector<uint8_t> program;
  std::string carriedName;    // the replaced record's name, as stored
  uint32_t replacedSize = 0;  // the unpacked size of the installer it carried before
  size_t packSize = 0;        // the new StoredData's length
  bool crcRecorded = false;   // whether the launcher has an INSTALLERCRC resource
  uint32_t crc = 0;           // the installer's CRC-32
  bool signatureRemoved = false;
};

// The launcher with Installer carried in place of its quillmoor_full.exe. WrapError when the
// launcher is not a Windows program of the shape the build makes, has no form data or no file
// storage in it, when anything of it is damaged, or when Installer is empty, no Windows program
// or more than the pack format can hold.
WrapResult WrapLauncher(std::span<const uint8_t> Launcher, std::span<const uint8_t> Installer);

}  // namespace sfpack
