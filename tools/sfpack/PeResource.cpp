#include "tools/sfpack/PeResource.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "toolkit/SameText.h"

namespace sfpack {
namespace {

struct Section {
  uint32_t virtualAddress;
  uint32_t virtualSize;
  uint32_t rawSize;
  uint32_t rawOffset;
};

class PeImage {
 public:
  explicit PeImage(std::span<const uint8_t> File) : file_(File) {}

  uint32_t U16(uint64_t Offset) const {
    Need(Offset, 2);
    return uint32_t{file_[Offset]} | uint32_t{file_[Offset + 1]} << 8;
  }
  uint32_t U32(uint64_t Offset) const {
    Need(Offset, 4);
    return U16(Offset) | U16(Offset + 2) << 16;
  }
  void Need(uint64_t Offset, uint64_t Size) const {
    if (Offset > file_.size() || Size > file_.size() - Offset)
      throw std::runtime_error("damaged program file: a structure at offset " +
                               std::to_string(Offset) + " runs past the end");
  }

  // Reads the headers; returns the resource directory's RVA (0: none).
  uint32_t ReadHeaders() {
    const uint32_t pe = U32(0x3C);
    if (U32(pe) != 0x00004550) throw std::runtime_error("not a PE program file");
    const uint32_t sections = U16(pe + 6);
    const uint32_t optionalSize = U16(pe + 20);
    const uint64_t optional = uint64_t{pe} + 24;
    const uint32_t magic = U16(optional);
    uint64_t countAt, dirsAt;
    if (magic == 0x10B) {
      countAt = optional + 92;
      dirsAt = optional + 96;
    } else if (magic == 0x20B) {
      countAt = optional + 108;
      dirsAt = optional + 112;
    } else {
      throw std::runtime_error("unknown optional header in the program file");
    }
    uint32_t resourceRva = 0;
    if (U32(countAt) > 2 && dirsAt + 24 <= optional + optionalSize) resourceRva = U32(dirsAt + 16);
    const uint64_t table = optional + optionalSize;
    for (uint32_t i = 0; i < sections; ++i) {
      const uint64_t s = table + uint64_t{i} * 40;
      sections_.push_back(Section{U32(s + 12), U32(s + 8), U32(s + 16), U32(s + 20)});
    }
    return resourceRva;
  }

  // File offset of Size bytes at Rva, all inside one section's raw data.
  uint64_t Map(uint64_t Rva, uint64_t Size) const {
    for (const Section& s : sections_) {
      if (Rva < s.virtualAddress) continue;
      const uint64_t into = Rva - s.virtualAddress;
      if (into >= s.rawSize || Size > s.rawSize - into) continue;
      const uint64_t offset = uint64_t{s.rawOffset} + into;
      Need(offset, Size);
      return offset;
    }
    throw std::runtime_error("damaged program file: address " + std::to_string(Rva) +
                             " lies in no section");
  }

  std::span<const uint8_t> Bytes(uint64_t Offset, uint64_t Size) const {
    Need(Offset, Size);
    return file_.subspan(Offset, Size);
  }

 private:
  std::span<const uint8_t> file_;
  std::vector<Section> sections_;
};

// An entry of a resource directory: its name test and where it points (relative to the root).
struct Entry {
  uint32_t name;
  uint32_t target;
};

std::vector<Entry> ReadDirectory(const PeImage& Image, uint32_t Root, uint32_t Offset) {
  const uint64_t at = Image.Map(uint64_t{Root} + Offset, 16);
  const uint32_t count = Image.U16(at + 12) + Image.U16(at + 14);
  const uint64_t entries = Image.Map(uint64_t{Root} + Offset + 16, uint64_t{count} * 8);
  std::vector<Entry> result;
  for (uint32_t i = 0; i < count; ++i)
    result.push_back(Entry{Image.U32(entries + i * 8), Image.U32(entries + i * 8 + 4)});
  return result;
}

bool NameMatches(const PeImage& Image, uint32_t Root, uint32_t Name, std::string_view Wanted) {
  if ((Name & 0x80000000u) == 0) return false;
  const uint32_t offset = Name & 0x7FFFFFFFu;
  const uint64_t at = Image.Map(uint64_t{Root} + offset, 2);
  const uint32_t length = Image.U16(at);
  const uint64_t chars = Image.Map(uint64_t{Root} + offset + 2, uint64_t{length} * 2);
  std::string text;
  for (uint32_t i = 0; i < length; ++i) {
    const uint32_t c = Image.U16(chars + i * 2);
    text.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  }
  return SameText(text, Wanted);
}

// The subdirectory offset an entry points to.
uint32_t Subdirectory(const Entry& E) {
  if ((E.target & 0x80000000u) == 0)
    throw std::runtime_error("damaged resource directory: data where a directory belongs");
  return E.target & 0x7FFFFFFFu;
}

}  // namespace

bool IsPeFile(std::span<const uint8_t> File) {
  if (File.size() < 0x40 || File[0] != 'M' || File[1] != 'Z') return false;
  try {
    PeImage image(File);
    return image.U32(image.U32(0x3C)) == 0x00004550;
  } catch (const std::runtime_error&) {
    return false;
  }
}

std::optional<std::span<const uint8_t>> FindPeResource(std::span<const uint8_t> File, uint32_t Type,
                                                       std::string_view Name) {
  PeImage image(File);
  const uint32_t root = image.ReadHeaders();
  if (root == 0) return std::nullopt;
  for (const Entry& type : ReadDirectory(image, root, 0)) {
    if (type.name != Type) continue;
    for (const Entry& name : ReadDirectory(image, root, Subdirectory(type))) {
      if (!NameMatches(image, root, name.name, Name)) continue;
      const std::vector<Entry> languages = ReadDirectory(image, root, Subdirectory(name));
      if (languages.empty()) return std::nullopt;
      if (languages[0].target & 0x80000000u)
        throw std::runtime_error("damaged resource directory: a directory where data belongs");
      const uint64_t entry = image.Map(uint64_t{root} + languages[0].target, 16);
      const uint32_t dataRva = image.U32(entry);
      const uint32_t size = image.U32(entry + 4);
      return image.Bytes(image.Map(dataRva, size), size);
    }
  }
  return std::nullopt;
}

}  // namespace sfpack
