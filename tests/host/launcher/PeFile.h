#pragma once
// A bounds-checked reader of the parts of a PE program file that the program-image check needs:
// the DLL names of the import directory and the data of resources found by numeric type and id.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// A file that is not a PE image or whose tables point outside it.
class PeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class PeFile {
 public:
  // Checks the headers and reads the section table; throws PeError when they are damaged.
  explicit PeFile(std::vector<uint8_t> bytes);

  // The DLL names of the import directory, in table order, as written in the file.
  std::vector<std::string> ImportedDlls() const;

  // The data of the first language entry of resource `type` / `id`; none when absent.
  std::optional<std::vector<uint8_t>> Resource(uint32_t type, uint32_t id) const;

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

  uint16_t U16(uint64_t offset) const;
  uint32_t U32(uint64_t offset) const;
  uint32_t OffsetOf(uint64_t rva) const;
  std::string CString(uint32_t rva) const;
  std::optional<uint32_t> FindEntry(uint32_t directoryOffset, uint32_t id, bool wantSubdir) const;
  std::optional<uint32_t> FirstEntry(uint32_t directoryOffset, bool wantSubdir) const;

  std::vector<uint8_t> bytes_;
  std::vector<Section> sections_;
  Directory imports_;
  Directory resources_;
};

// Names that Windows always loads from its system folder (the KnownDLLs and the C runtime it
// ships); a program importing only these cannot be fooled by a DLL planted beside it.
bool IsKnownSystemDll(const std::string& name);

// What is wrong with a program image meant to ship on its own: imports outside the system DLLs,
// a missing manifest, a manifest that does not ask to run as the invoker without UI access.
// Empty when all is well.
std::vector<std::string> ProgramImageProblems(const PeFile& file);
