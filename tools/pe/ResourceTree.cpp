#include "tools/pe/ResourceTree.h"

#include <cstring>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "toolkit/core/LittleEndian.h"
#include "toolkit/core/SameText.h"
#include "tools/pe/PeFile.h"

namespace {

constexpr uint32_t kHighBit = 0x80000000u;
constexpr uint32_t kTableHeader = 16;
constexpr uint32_t kTableEntry = 8;
constexpr uint32_t kDataEntry = 16;
// Type, name and language: the depth Windows gives resource trees.
constexpr int kLevels = 3;

uint64_t Align8(uint64_t v) {
  return (v + 7) & ~uint64_t{7};
}

// Reads the section's tables, checking every offset against the section and that no directory
// table or data entry is reached twice. What it reads (tables, names, data entries and data
// blocks) must together fit in the section, as they do where the linker gives every part bytes of
// its own: tables that overlap, or names and data that many entries share, would otherwise make
// the tree, and the work of reading it, many times larger than the section.
class TreeReader {
 public:
  TreeReader(std::span<const uint8_t> Section, uint32_t SectionRva)
      : section_(Section), rva_(SectionRva) {}

  void ReadDirectory(uint32_t Offset, int Level, ResourceTree::Directory& Out) {
    Claim(Offset, "directory");
    Out.characteristics = U32(Offset);
    Out.timeDateStamp = U32(Offset + 4);
    Out.majorVersion = U16(Offset + 8);
    Out.minorVersion = U16(Offset + 10);
    const uint32_t named = U16(Offset + 12);
    const uint32_t count = named + U16(Offset + 14);
    Need(uint64_t{Offset} + kTableHeader, uint64_t{count} * kTableEntry, "directory entries");
    Spend(kTableHeader + uint64_t{count} * kTableEntry, "directory tables");
    for (uint32_t i = 0; i < count; ++i) {
      const uint32_t at = Offset + kTableHeader + kTableEntry * i;
      ResourceTree::Entry entry;
      ReadName(U32(at), i < named, entry);
      ReadTarget(U32(at + 4), Level, entry);
      Out.entries.push_back(std::move(entry));
    }
  }

 private:
  [[noreturn]] static void Fail(const std::string& What) {
    throw PeError("damaged resource section: " + What);
  }

  void Need(uint64_t Offset, uint64_t Size, const char* What) const {
    if (Offset > section_.size() || section_.size() - Offset < Size)
      Fail(std::string(What) + " at offset " + std::to_string(Offset) + " run past the section");
  }
  uint16_t U16(uint64_t Offset) const {
    Need(Offset, 2, "a field");
    return LoadLE16(&section_[Offset]);
  }
  uint32_t U32(uint64_t Offset) const {
    Need(Offset, 4, "a field");
    return LoadLE32(&section_[Offset]);
  }
  // Counts Size more bytes read; the parts of the tree, each read once, fit in the section.
  void Spend(uint64_t Size, const char* What) {
    read_ += Size;
    if (read_ > section_.size())
      Fail(std::string(What) + " overlap or are shared: the tree read so far is larger than the " +
           "section (" + std::to_string(section_.size()) + " bytes)");
  }
  void Claim(uint32_t Offset, const char* What) {
    if (!seen_.insert(Offset).second)
      Fail(std::string(What) + " at offset " + std::to_string(Offset) + " is reached twice");
  }

  void ReadName(uint32_t Field, bool Named, ResourceTree::Entry& Entry) {
    if (Named != ((Field & kHighBit) != 0)) Fail("named and numbered entries out of order");
    Entry.named = Named;
    if (!Named) {
      Entry.id = Field;
      return;
    }
    const uint32_t at = Field & ~kHighBit;
    const uint32_t length = U16(at);
    Need(uint64_t{at} + 2, 2ull * length, "a name");
    Spend(2 + 2ull * length, "names");
    Entry.name.reserve(length);
    for (uint32_t i = 0; i < length; ++i) Entry.name.push_back(U16(at + 2 + 2ull * i));
  }

  void ReadTarget(uint32_t Field, int Level, ResourceTree::Entry& Entry) {
    const uint32_t at = Field & ~kHighBit;
    if (Field & kHighBit) {
      if (Level + 1 >= kLevels) Fail("directories nested deeper than type, name and language");
      Entry.directory = std::make_unique<ResourceTree::Directory>();
      ReadDirectory(at, Level + 1, *Entry.directory);
      return;
    }
    Claim(at, "data entry");
    Need(at, kDataEntry, "a data entry");
    Spend(kDataEntry, "data entries");
    const uint32_t dataRva = U32(at);
    const uint32_t size = U32(at + 4);
    if (dataRva < rva_) Fail("data at address " + std::to_string(dataRva) + " before the section");
    Need(uint64_t{dataRva} - rva_, size, "resource data");
    Spend(size, "resource data blocks");
    Entry.data = std::make_unique<ResourceTree::Data>();
    const auto first = section_.begin() + (dataRva - rva_);
    Entry.data->bytes.assign(first, first + size);
    Entry.data->codePage = U32(at + 8);
    Entry.data->reserved = U32(at + 12);
  }

  std::span<const uint8_t> section_;
  uint32_t rva_;
  std::unordered_set<uint32_t> seen_;
  uint64_t read_ = 0;
};

// Places every part of the tree (see the layout in the header), then writes it.
class TreeWriter {
 public:
  explicit TreeWriter(const ResourceTree::Directory& Root) {
    uint64_t end = 0;
    Visit(Root, end);
    for (const ResourceTree::Entry* e : named_) {
      names_[e] = end;
      end += 2 + 2ull * e->name.size();
    }
    end = Align8(end);
    for (const ResourceTree::Data* d : data_) {
      entries_[d] = end;
      end += kDataEntry;
    }
    for (const ResourceTree::Data* d : data_) {
      bytes_[d] = end;
      const uint64_t size = d->bytes.size() + d->gapSize;
      if (d->gapSize != 0) {
        if (gap_.gapSize != 0 || d->gapAt > d->bytes.size())
          throw std::logic_error("more than one resource with a gap, or one outside its data");
        gap_.gapAt = end + d->gapAt;
        gap_.gapSize = d->gapSize;
      }
      end = Align8(end + size);
    }
    size_ = end;
  }

  // The section without the gap's bytes: what lies after the gap comes gapSize bytes earlier.
  ResourceTree::Split Write(uint32_t SectionRva) {
    if (size_ >= kHighBit || size_ > uint64_t{UINT32_MAX} - SectionRva)
      throw PeError("the resource section would be too large for a program file");
    out_.assign(size_ - gap_.gapSize, 0);
    for (const auto& [dir, at] : tables_) WriteTable(*dir, at);
    for (const auto& [entry, at] : names_) {
      Put16(at, static_cast<uint32_t>(entry->name.size()));
      for (size_t i = 0; i < entry->name.size(); ++i) Put16(at + 2 + 2 * i, entry->name[i]);
    }
    for (const ResourceTree::Data* d : data_) {
      const uint64_t at = entries_[d];
      Put32(at, SectionRva + static_cast<uint32_t>(bytes_[d]));
      Put32(at + 4, static_cast<uint32_t>(d->bytes.size() + d->gapSize));
      Put32(at + 8, d->codePage);
      Put32(at + 12, d->reserved);
      // The tables and entries lie before all data, so before the gap; data after it moves up.
      const uint64_t place = bytes_[d] >= gap_.gapAt + gap_.gapSize && gap_.gapSize != 0
                                 ? bytes_[d] - gap_.gapSize
                                 : bytes_[d];
      const size_t before = d->gapSize != 0 ? static_cast<size_t>(d->gapAt) : d->bytes.size();
      if (before != 0) std::memcpy(&out_[place], d->bytes.data(), before);
      if (d->bytes.size() > before)
        std::memcpy(&out_[place + before], d->bytes.data() + before, d->bytes.size() - before);
    }
    gap_.bytes = std::move(out_);
    return std::move(gap_);
  }

 private:
  // Directory tables in depth-first order; the named entries and the data in the same order.
  void Visit(const ResourceTree::Directory& Dir, uint64_t& End) {
    tables_[&Dir] = End;
    End += kTableHeader + uint64_t{kTableEntry} * Dir.entries.size();
    for (const ResourceTree::Entry& e : Dir.entries) {
      if (e.named) named_.push_back(&e);
      if (e.data) data_.push_back(e.data.get());
    }
    for (const ResourceTree::Entry& e : Dir.entries)
      if (e.directory) Visit(*e.directory, End);
  }

  void WriteTable(const ResourceTree::Directory& Dir, uint64_t At) {
    uint32_t named = 0;
    for (const ResourceTree::Entry& e : Dir.entries) named += e.named ? 1 : 0;
    Put32(At, Dir.characteristics);
    Put32(At + 4, Dir.timeDateStamp);
    Put16(At + 8, Dir.majorVersion);
    Put16(At + 10, Dir.minorVersion);
    Put16(At + 12, named);
    Put16(At + 14, static_cast<uint32_t>(Dir.entries.size()) - named);
    uint64_t at = At + kTableHeader;
    for (const ResourceTree::Entry& e : Dir.entries) {
      Put32(at, e.named ? kHighBit | static_cast<uint32_t>(names_[&e]) : e.id);
      Put32(at + 4, e.directory ? kHighBit | static_cast<uint32_t>(tables_[e.directory.get()])
                                : static_cast<uint32_t>(entries_[e.data.get()]));
      at += kTableEntry;
    }
  }

  void Put16(uint64_t At, uint32_t V) { StoreLE16(&out_[At], V); }
  void Put32(uint64_t At, uint32_t V) { StoreLE32(&out_[At], V); }

  std::unordered_map<const ResourceTree::Directory*, uint64_t> tables_;
  std::vector<const ResourceTree::Entry*> named_;
  std::unordered_map<const ResourceTree::Entry*, uint64_t> names_;
  std::vector<const ResourceTree::Data*> data_;
  std::unordered_map<const ResourceTree::Data*, uint64_t> entries_;
  std::unordered_map<const ResourceTree::Data*, uint64_t> bytes_;
  uint64_t size_ = 0;
  ResourceTree::Split gap_;
  std::vector<uint8_t> out_;
};

// An entry's name as ASCII (other characters as '?'), for comparison with a resource name.
std::string AsciiName(const std::vector<uint16_t>& Name) {
  std::string text;
  for (uint16_t c : Name) text.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return text;
}

}  // namespace

ResourceTree::ResourceTree(std::span<const uint8_t> Section, uint32_t SectionRva) {
  TreeReader(Section, SectionRva).ReadDirectory(0, 0, root_);
}

ResourceTree::Data* ResourceTree::Find(uint32_t Type, std::string_view Name) {
  for (Entry& t : root_.entries) {
    if (t.named || t.id != Type || !t.directory) continue;
    for (Entry& n : t.directory->entries) {
      if (!n.named || !n.directory || !SameText(AsciiName(n.name), Name)) continue;
      if (n.directory->entries.empty()) return nullptr;
      return n.directory->entries[0].data.get();
    }
  }
  return nullptr;
}

std::vector<uint8_t> ResourceTree::Write(uint32_t SectionRva) const {
  Split split = TreeWriter(root_).Write(SectionRva);
  if (split.gapSize != 0) throw std::logic_error("a resource with a gap written whole");
  return std::move(split.bytes);
}

ResourceTree::Split ResourceTree::WriteAround(uint32_t SectionRva) const {
  return TreeWriter(root_).Write(SectionRva);
}
