#include "tools/pe/PeFile.h"

#include "toolkit/core/LittleEndian.h"
#include "toolkit/core/SameText.h"

namespace {

constexpr uint32_t kImportDirectory = 1;
constexpr uint32_t kResourceDirectory = 2;
constexpr uint32_t kPeSignature = 0x00004550u;
constexpr uint32_t kSubdirFlag = 0x80000000u;
constexpr size_t kMaxImports = 4096;
constexpr size_t kMaxName = 4096;

}  // namespace

bool PeFile::IsPeFile(std::span<const uint8_t> bytes) {
  if (bytes.size() < 0x40 || bytes[0] != 'M' || bytes[1] != 'Z') return false;
  const uint32_t pe = LoadLE32(&bytes[0x3C]);
  return pe <= bytes.size() - 4 && LoadLE32(&bytes[pe]) == kPeSignature;
}

PeFile::PeFile(std::span<const uint8_t> bytes) : bytes_(bytes) {
  if (bytes_.size() < 0x40 || bytes_[0] != 'M' || bytes_[1] != 'Z') {
    throw PeError("not a program file: no MZ header");
  }
  const uint32_t pe = U32(0x3C);
  if (U32(pe) != kPeSignature) throw PeError("no PE signature at offset " + std::to_string(pe));
  machine_ = U16(pe + 4);
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
  optional_ = optional;
  directoriesOffset_ = directories;
  for (uint32_t i = 0; i < directoryCount; ++i) {
    directories_.push_back(Directory{U32(directories + 8 * i), U32(directories + 8 * i + 4)});
  }
  const uint64_t table = optional + optionalSize;
  for (uint16_t i = 0; i < sectionCount; ++i) {
    const uint64_t at = table + 40ull * i;
    U32(at + 36);  // the whole entry lies in the file
    std::string name(reinterpret_cast<const char*>(bytes_.data() + at), 8);
    name.resize(name.find('\0') == std::string::npos ? 8 : name.find('\0'));
    Section s{name, U32(at + 12), U32(at + 8), U32(at + 20), U32(at + 16), U32(at + 36), at};
    if (uint64_t{s.rawOffset} + s.rawSize > bytes_.size()) {
      throw PeError("section " + std::to_string(i) + " runs past the end of the file");
    }
    sections_.push_back(s);
  }
}

uint16_t PeFile::U16(uint64_t offset) const {
  if (offset > bytes_.size() || bytes_.size() - offset < 2) {
    throw PeError("read past the end at " + std::to_string(offset));
  }
  return LoadLE16(&bytes_[offset]);
}

uint32_t PeFile::U32(uint64_t offset) const {
  if (offset > bytes_.size() || bytes_.size() - offset < 4) {
    throw PeError("read past the end at " + std::to_string(offset));
  }
  return LoadLE32(&bytes_[offset]);
}

uint64_t PeFile::Map(uint64_t rva, uint64_t size, ReadBudget& budget) const {
  for (const Section& s : sections_) {
    budget.Look();
    if (rva < s.virtualAddress) continue;
    const uint64_t inside = rva - s.virtualAddress;
    // Past the raw data lies the zero-filled tail, which is not in the file.
    if (inside >= s.rawSize || size > s.rawSize - inside) continue;
    return s.rawOffset + inside;
  }
  throw PeError("address " + std::to_string(rva) + " (" + std::to_string(size) +
                " bytes) lies in no section data");
}

void PeFile::ReadBudget::Spend(uint64_t bytes, const char* what) {
  if (bytes > left_)
    throw PeError(std::string(what) +
                  " read come to more than the file holds (shared or overlapping tables)");
  left_ -= bytes;
}

void PeFile::ReadBudget::Look() {
  if (looksLeft_ == 0)
    throw PeError(
        "mapping the addresses read looks at more section entries than the file has "
        "bytes (too many sections, or shared or overlapping tables)");
  --looksLeft_;
}

std::string PeFile::CString(uint32_t rva, ReadBudget& budget) const {
  std::string text;
  for (uint64_t at = Map(rva, 1, budget);; ++at) {
    if (at >= bytes_.size()) throw PeError("unterminated name at address " + std::to_string(rva));
    budget.Spend(1, "the import names");
    if (bytes_[at] == 0) return text;
    if (text.size() == kMaxName) throw PeError("name too long at address " + std::to_string(rva));
    text.push_back(static_cast<char>(bytes_[at]));
  }
}

PeFile::Directory PeFile::DirectoryAt(uint32_t index) const {
  return index < directories_.size() ? directories_[index] : Directory{};
}

std::vector<std::string> PeFile::ImportedDlls() const {
  std::vector<std::string> names;
  const Directory imports = DirectoryAt(kImportDirectory);
  if (imports.rva == 0) return names;
  ReadBudget budget(bytes_.size());
  for (uint64_t entry = imports.rva;; entry += 20) {
    if (names.size() == kMaxImports) throw PeError("import table without an end");
    const uint64_t at = Map(entry, 20, budget);
    const uint32_t lookup = U32(at);
    const uint32_t name = U32(at + 12);
    const uint32_t thunks = U32(at + 16);
    if (lookup == 0 && name == 0 && thunks == 0) return names;
    names.push_back(CString(name, budget));
  }
}

// The entries of the resource directory at `offset` from the start of the resource data.
std::vector<PeFile::ResourceEntry> PeFile::ResourceDirectory(uint32_t offset,
                                                             ReadBudget& budget) const {
  const uint64_t rva = uint64_t{DirectoryAt(kResourceDirectory).rva} + offset;
  const uint64_t header = Map(rva, 16, budget);
  const uint32_t count = U16(header + 12) + U16(header + 14);
  const uint64_t entries = Map(rva + 16, 8ull * count, budget);
  budget.Spend(16 + 8ull * count, "the resource directory tables");
  std::vector<ResourceEntry> result;
  for (uint32_t i = 0; i < count; ++i) {
    result.push_back(ResourceEntry{U32(entries + 8ull * i), U32(entries + 8ull * i + 4)});
  }
  return result;
}

// A named entry's name is length-prefixed UTF-16; non-ASCII characters compare as '?'.
bool PeFile::ResourceNameIs(uint32_t nameField, std::string_view name, ReadBudget& budget) const {
  const uint64_t rva = uint64_t{DirectoryAt(kResourceDirectory).rva} + (nameField & ~kSubdirFlag);
  const uint32_t length = U16(Map(rva, 2, budget));
  budget.Spend(2, "the resource names");
  if (length != name.size()) return false;
  const uint64_t chars = Map(rva + 2, 2ull * length, budget);
  budget.Spend(2ull * length, "the resource names");
  std::string text;
  for (uint32_t i = 0; i < length; ++i) {
    const uint32_t c = U16(chars + 2ull * i);
    text.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  }
  return SameText(text, name);
}

template <typename Match>
std::optional<std::span<const uint8_t>> PeFile::FindResource(uint32_t type, Match matches) const {
  if (DirectoryAt(kResourceDirectory).rva == 0) return std::nullopt;
  auto subdirectory = [](const ResourceEntry& e) {
    if ((e.target & kSubdirFlag) == 0)
      throw PeError("resource tree out of shape: data, not a directory");
    return e.target & ~kSubdirFlag;
  };
  // Tables and names that several entries share are read, and counted, once for each.
  ReadBudget budget(bytes_.size());
  for (const ResourceEntry& t : ResourceDirectory(0, budget)) {
    if (t.name != type) continue;
    for (const ResourceEntry& n : ResourceDirectory(subdirectory(t), budget)) {
      if (!matches(n.name, budget)) continue;
      const std::vector<ResourceEntry> languages = ResourceDirectory(subdirectory(n), budget);
      if (languages.empty()) return std::nullopt;
      if (languages[0].target & kSubdirFlag) {
        throw PeError("resource tree out of shape: a directory, not data");
      }
      const uint64_t entry =
          Map(uint64_t{DirectoryAt(kResourceDirectory).rva} + languages[0].target, 16, budget);
      const uint32_t dataRva = U32(entry);
      const uint32_t size = U32(entry + 4);
      if (size == 0) return std::span<const uint8_t>();
      return bytes_.subspan(Map(dataRva, size, budget), size);
    }
  }
  return std::nullopt;
}

std::optional<std::span<const uint8_t>> PeFile::Resource(uint32_t type, uint32_t id) const {
  return FindResource(
      type, [id](uint32_t name, ReadBudget&) { return (name & kSubdirFlag) == 0 && name == id; });
}

std::optional<std::span<const uint8_t>> PeFile::Resource(uint32_t type,
                                                         std::string_view name) const {
  return FindResource(type, [&](uint32_t field, ReadBudget& budget) {
    return (field & kSubdirFlag) != 0 && ResourceNameIs(field, name, budget);
  });
}
