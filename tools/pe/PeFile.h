// A bounds-checked reader of a Windows program file (PE): headers and section table, the DLL
// names of the import directory, and resources by type and numeric id or name. Every offset and
// size is checked against the file, so a damaged or hostile file ends in a PeError, never in a
// read outside it. Every lookup reads at most as many bytes of tables and names, and looks at
// most as many section entries up, as the file holds bytes: tables or names that many entries share
// (each read again for each) end in a PeError after work linear in the file's size, not in a walk
// that multiplies.
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

  // One entry of the section table, with where the entry itself lies in the file.
  struct Section {
    std::string name;
    uint32_t virtualAddress;
    uint32_t virtualSize;
    uint32_t rawOffset;
    uint32_t rawSize;
    uint32_t characteristics;
    uint64_t headerOffset;
  };
  // A data directory entry: an address (a file offset for the certificate table) and a size.
  struct Directory {
    uint32_t rva = 0;
    uint32_t size = 0;
  };

  // The machine type the program is built for (kMachineI386, kMachineAmd64, ...).
  uint16_t Machine() const { return machine_; }

  // The section table in file order; every section's raw data lies inside the file.
  const std::vector<Section>& Sections() const { return sections_; }
  // The data directories the optional header holds (their count is its own).
  const std::vector<Directory>& Directories() const { return directories_; }
  // Data directory `index`, or an empty one where the header has fewer.
  Directory DirectoryAt(uint32_t index) const;
  // File offsets of header fields a rewriter patches: the optional header (whose checksum,
  // alignments and image sizes lie at the same places in PE32 and PE32+), the first data
  // directory entry and the COFF header's symbol table pointer.
  uint64_t OptionalHeaderOffset() const { return optional_; }
  uint64_t DirectoriesOffset() const { return directoriesOffset_; }
  uint64_t SymbolTablePointerOffset() const { return optional_ - 24 + 12; }
  // Reads a 16- or 32-bit little-endian field at a file offset; PeError past the end.
  uint16_t U16(uint64_t offset) const;
  uint32_t U32(uint64_t offset) const;

  // The DLL names of the import directory, in table order, as written in the file. PeError when
  // the names together are longer than the file (entries sharing a name).
  std::vector<std::string> ImportedDlls() const;

  // The data of the first language entry of resource `type` / `id`, or `type` / `name` (ASCII
  // letters compared without case); none when absent. PeError when the walk reads more directory
  // tables and names than the file holds (shared or overlapping tables).
  std::optional<std::span<const uint8_t>> Resource(uint32_t type, uint32_t id) const;
  std::optional<std::span<const uint8_t>> Resource(uint32_t type, std::string_view name) const;

 private:
  // An entry of a resource directory: its name or id field and its target (both raw).
  struct ResourceEntry {
    uint32_t name;
    uint32_t target;
  };

  // What one walk may still read, in bytes, and how many section entries it may still look at
  // to map addresses; both start at the file's size.
  class ReadBudget {
   public:
    explicit ReadBudget(uint64_t bytes) : left_(bytes), looksLeft_(bytes) {}
    // Counts `bytes` more read; PeError naming `what` when the budget is spent.
    void Spend(uint64_t bytes, const char* what);
    // Counts one section entry looked at; PeError when none are left.
    void Look();

   private:
    uint64_t left_;
    uint64_t looksLeft_;
  };

  // File offset of `size` bytes at `rva`, all inside one section's data in the file. Each
  // section entry looked at counts (a file of many sections makes every step dearer).
  uint64_t Map(uint64_t rva, uint64_t size, ReadBudget& budget) const;
  std::string CString(uint32_t rva, ReadBudget& budget) const;

  std::vector<ResourceEntry> ResourceDirectory(uint32_t offset, ReadBudget& budget) const;
  // Whether a named entry's name is `name` (ASCII letters without case); reads the characters
  // only when the length matches.
  bool ResourceNameIs(uint32_t nameField, std::string_view name, ReadBudget& budget) const;
  // The type -> name -> first language walk; `matches` picks the name entry.
  template <typename Match>
  std::optional<std::span<const uint8_t>> FindResource(uint32_t type, Match matches) const;

  std::span<const uint8_t> bytes_;
  uint16_t machine_ = 0;
  std::vector<Section> sections_;
  std::vector<Directory> directories_;
  uint64_t optional_ = 0;
  uint64_t directoriesOffset_ = 0;
};
