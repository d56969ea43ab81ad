// A bounds-checked reader of a Windows program file (PE): headers and section table, the DLL
// names of the import directory, and resources by type and numeric id or name. Every offset and
// size is checked against the file, so a damaged or hostile file ends in a PeError, never in a
// read outside it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A file that is not a PE image or whose tables point outside it.
class PeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Machine types of the file header.
inline constexpr uint16_t kMachineI386 = 0x14C;
inline constexpr uint16_t kMachineAmd64 = 0x8664;

inline constexpr uint32_t kRtRcData = 10;
inline constexpr uint32_t kRtManifest = 24;

class PeFile {
 public:
  // True when the bytes start like a PE program ("MZ" and a "PE\0\0" header where it points);
  // the rest may still be damaged, which the constructor reports.
  static bool IsPeFile(std::span<const uint8_t> bytes);

  // Checks the headers and reads the section table; throws PeError when they are damaged.
  // The caller keeps the bytes alive while the PeFile and the spans it returns are in use.
  explicit PeFile(std::span<const uint8_t> bytes);

  // The machine type the program is built for (kMachineI386, kMachineAmd64, ...).
  uint16_t Machine() const { return machine_; }

  // The DLL names of the import directory, in table order, as written in the file.
  std::vector<std::string> ImportedDlls() const;

  // The data of the first language entry of resource `type` / `id`, or `type` / `name` (ASCII
  // letters compared without case); none when absent.
  std::optional<std::span<const uint8_t>> Resource(uint32_t type, uint32_t id) const;
  std::optional<std::span<const uint8_t>> Resource(uint32_t type, std::string_view name) const;

 private:
  struct Section {
    uint32_t virtualAddress;
    uint32_t virtualSize;
    uint32_t rawOffset;
    uint32_t rawSize;
  };
  struct Directory {
    uint32_t rva = 0;
    uint32_t size = 0;
  };
  // An entry of a resource directory: its name or id field and its target (both raw).
  struct ResourceEntry {
    uint32_t name;
    uint32_t target;
  };

  uint16_t U16(uint64_t offset) const;
  uint32_t U32(uint64_t offset) const;
  // File offset of `size` bytes at `rva`, all inside one section's data in the file.
  uint64_t Map(uint64_t rva, uint64_t size) const;
  std::string CString(uint32_t rva) const;

  std::vector<ResourceEntry> ResourceDirectory(uint32_t offset) const;
  std::string ResourceName(uint32_t nameField) const;
  // The type -> name -> first language walk; `matches` picks the name entry.
  template <typename Match>
  std::optional<std::span<const uint8_t>> FindResource(uint32_t type, Match matches) const;

  std::span<const uint8_t> bytes_;
  uint16_t machine_ = 0;
  std::vector<Section> sections_;
  Directory imports_;
  Directory resources_;
};
