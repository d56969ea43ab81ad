#include "tests/host/launcher/PeFile.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace {

constexpr uint32_t kImportDirectory = 1;
constexpr uint32_t kResourceDirectory = 2;
constexpr uint32_t kManifestType = 24;
constexpr uint32_t kManifestId = 1;
constexpr uint32_t kSubdirFlag = 0x80000000u;
constexpr size_t kMaxImports = 4096;
constexpr size_t kMaxName = 4096;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// The attribute values in a manifest are compared with either quote style.
std::string NormalisedQuotes(std::string text) {
  std::replace(text.begin(), text.end(), '\'', '"');
  return text;
}

}  // namespace

PeFile::PeFile(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {
  if (bytes_.size() < 0x40 || bytes_[0] != 'M' || bytes_[1] != 'Z') {
    throw PeError("not a program file: no MZ header");
  }
  const uint32_t pe = U32(0x3C);
  if (U32(pe) != 0x00004550u) throw PeError("no PE signature at offset " + std::to_string(pe));
  const uint16_t sectionCount = U16(pe + 6);
  const uint16_t optionalSize = U16(pe + 20);
  const uint64_t optional = uint64_t{pe} + 24;
  const uint16_t magic = U16(optional);
  uint64_t directories = 0;
  uint64_t countField = 0;
  if (magic == 0x10B) {
    countField = optional + 92;
    directories = optional + 96;
  } else if (magic == 0x20B) {
    countField = optional + 108;
    directories = optional + 112;
  } else {
    throw PeError("unknown optional header magic " + std::to_string(magic));
  }
  const uint32_t directoryCount = U32(countField);
  if (directories + 8ull * directoryCount > optional + optionalSize) {
    throw PeError("data directories run past the optional header");
  }
  auto directory = [&](uint32_t index) {
    if (index >= directoryCount) return Directory{};
    return Directory{U32(directories + 8 * index), U32(directories + 8 * index + 4)};
  };
  imports_ = directory(kImportDirectory);
  resources_ = directory(kResourceDirectory);
  const uint64_t table = optional + optionalSize;
  for (uint16_t i = 0; i < sectionCount; ++i) {
    const uint64_t at = table + 40ull * i;
    Section s{U32(at + 12), U32(at + 8), U32(at + 20), U32(at + 16)};
    if (uint64_t{s.rawOffset} + s.rawSize > bytes_.size()) {
      throw PeError("section " + std::to_string(i) + " runs past the end of the file");
    }
    sections_.push_back(s);
  }
}

uint16_t PeFile::U16(uint64_t offset) const {
  if (offset + 2 > bytes_.size()) throw PeError("read past the end at " + std::to_string(offset));
  return static_cast<uint16_t>(bytes_[offset] | bytes_[offset + 1] << 8);
}

uint32_t PeFile::U32(uint64_t offset) const {
  return U16(offset) | static_cast<uint32_t>(U16(offset + 2)) << 16;
}

uint32_t PeFile::OffsetOf(uint64_t rva) const {
  for (const Section& s : sections_) {
    const uint64_t span = std::max(s.virtualSize, s.rawSize);
    if (rva >= s.virtualAddress && rva < s.virtualAddress + span) {
      const uint64_t inside = rva - s.virtualAddress;
      if (inside >= s.rawSize) break;  // in the zero-filled tail: not in the file
      return static_cast<uint32_t>(s.rawOffset + inside);
    }
  }
  throw PeError("address " + std::to_string(rva) + " lies in no section data");
}

std::string PeFile::CString(uint32_t rva) const {
  std::string text;
  for (uint64_t at = OffsetOf(rva);; ++at) {
    if (at >= bytes_.size()) throw PeError("unterminated name at address " + std::to_string(rva));
    if (bytes_[at] == 0) return text;
    if (text.size() == kMaxName) throw PeError("name too long at address " + std::to_string(rva));
    text.push_back(static_cast<char>(bytes_[at]));
  }
}

std::vector<std::string> PeFile::ImportedDlls() const {
  std::vector<std::string> names;
  if (imports_.rva == 0) return names;
  for (uint64_t entry = imports_.rva;; entry += 20) {
    if (names.size() == kMaxImports) throw PeError("import table without an end");
    const uint32_t at = OffsetOf(entry);
    const uint32_t lookup = U32(at);
    const uint32_t name = U32(at + 12);
    const uint32_t thunks = U32(at + 16);
    if (lookup == 0 && name == 0 && thunks == 0) return names;
    names.push_back(CString(name));
  }
}

// Entry of a resource directory (offsets relative to the resource section start) with the given
// numeric id; `wantSubdir` says whether the entry must lead to a further directory or to data.
std::optional<uint32_t> PeFile::FindEntry(uint32_t directoryOffset, uint32_t id,
                                          bool wantSubdir) const {
  const uint32_t base = OffsetOf(resources_.rva);
  const uint64_t dir = uint64_t{base} + directoryOffset;
  const uint32_t named = U16(dir + 12);
  const uint32_t numbered = U16(dir + 14);
  for (uint32_t i = 0; i < named + numbered; ++i) {
    const uint64_t entry = dir + 16 + 8ull * i;
    const uint32_t nameOrId = U32(entry);
    const uint32_t target = U32(entry + 4);
    if ((nameOrId & kSubdirFlag) != 0 || nameOrId != id) continue;
    if (((target & kSubdirFlag) != 0) != wantSubdir) throw PeError("resource tree out of shape");
    return target & ~kSubdirFlag;
  }
  return std::nullopt;
}

std::optional<uint32_t> PeFile::FirstEntry(uint32_t directoryOffset, bool wantSubdir) const {
  const uint64_t dir = uint64_t{OffsetOf(resources_.rva)} + directoryOffset;
  if (U16(dir + 12) + U16(dir + 14) == 0) return std::nullopt;
  const uint32_t target = U32(dir + 16 + 4);
  if (((target & kSubdirFlag) != 0) != wantSubdir) throw PeError("resource tree out of shape");
  return target & ~kSubdirFlag;
}

std::optional<std::vector<uint8_t>> PeFile::Resource(uint32_t type, uint32_t id) const {
  if (resources_.rva == 0) return std::nullopt;
  const auto types = FindEntry(0, type, true);
  if (!types) return std::nullopt;
  const auto names = FindEntry(*types, id, true);
  if (!names) return std::nullopt;
  const auto language = FirstEntry(*names, false);
  if (!language) return std::nullopt;
  const uint64_t entry = uint64_t{OffsetOf(resources_.rva)} + *language;
  const uint32_t dataRva = U32(entry);
  const uint32_t size = U32(entry + 4);
  if (size == 0) return std::vector<uint8_t>{};
  const uint64_t first = OffsetOf(dataRva);
  const uint64_t last = OffsetOf(uint64_t{dataRva} + size - 1);
  if (last != first + size - 1) throw PeError("resource data split across sections");
  return std::vector<uint8_t>(bytes_.begin() + static_cast<std::ptrdiff_t>(first),
                              bytes_.begin() + static_cast<std::ptrdiff_t>(last + 1));
}

bool IsKnownSystemDll(const std::string& name) {
  static const std::array<const char*, 22> known = {
      "advapi32.dll", "comdlg32.dll", "gdi32.dll",   "imagehlp.dll", "imm32.dll",  "kernel32.dll",
      "msvcrt.dll",   "normaliz.dll", "ole32.dll",   "oleaut32.dll", "psapi.dll",  "rpcrt4.dll",
      "sechost.dll",  "setupapi.dll", "shell32.dll", "shlwapi.dll",  "user32.dll", "wldap32.dll",
      "ws2_32.dll",   "nsi.dll",      "combase.dll", "msctf.dll"};
  const std::string lower = Lower(name);
  return std::any_of(known.begin(), known.end(), [&](const char* k) { return lower == k; });
}

std::vector<std::string> ProgramImageProblems(const PeFile& file) {
  std::vector<std::string> problems;
  for (const std::string& dll : file.ImportedDlls()) {
    if (!IsKnownSystemDll(dll)) problems.push_back("imports " + dll + ", not a system DLL");
  }
  const auto manifest = file.Resource(kManifestType, kManifestId);
  if (!manifest) {
    problems.push_back("no manifest resource (type 24, id 1)");
    return problems;
  }
  const std::string text = NormalisedQuotes(std::string(manifest->begin(), manifest->end()));
  if (text.find("requestedExecutionLevel") == std::string::npos ||
      text.find("level=\"asInvoker\"") == std::string::npos) {
    problems.push_back("the manifest does not request asInvoker");
  }
  if (text.find("uiAccess=\"false\"") == std::string::npos) {
    problems.push_back("the manifest does not set uiAccess false");
  }
  return problems;
}
