// The resource section of a program file as a tree in memory (type, name, language directories
// down to the data), read from the section's bytes and written back in the layout GNU ld and
// windres give it, so that a tree read from a linked program and written unchanged gives the
// same bytes, and one whose data changed gives what the linker would have written for that data.
//
// Layout written: every directory table (header and entries) in depth-first order, starting with
// the root; then the names of named entries in the same order (16-bit length, UTF-16 units, no
// padding); then, from the next multiple of 8, the 16-byte data entries in tree order; then the
// data of each, each starting at a multiple of 8. The section's size is the end rounded up to 8.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

class ResourceTree {
 public:
  struct Directory;

  // The bytes of one resource and the fields of its data entry other than address and size.
  struct Data {
    std::vector<uint8_t> bytes;
    uint32_t codePage = 0;
    uint32_t reserved = 0;
    // GapSize bytes of the data that are not held here, after the first GapAt of `bytes`: the
    // data is bytes[0, GapAt), then those, then the rest of bytes (see WriteAround).
    uint64_t gapAt = 0;
    uint64_t gapSize = 0;
  };

  // The section as Write lays it out with the bytes of a gap left out: `bytes` holds what lies
  // before the gap (gapAt bytes) and then what lies after it.
  struct Split {
    std::vector<uint8_t> bytes;
    uint64_t gapAt = 0;
    uint64_t gapSize = 0;
  };

  // A directory entry: a name (UTF-16 units) or a numeric id, and either a subdirectory or data.
  struct Entry {
    bool named = false;
    uint32_t id = 0;
    std::vector<uint16_t> name;
    std::unique_ptr<Directory> directory;
    std::unique_ptr<Data> data;
  };

  struct Directory {
    uint32_t characteristics = 0;
    uint32_t timeDateStamp = 0;
    uint16_t majorVersion = 0;
    uint16_t minorVersion = 0;
    std::vector<Entry> entries;  // named entries first, as the format requires
  };

  // Reads the tree of a resource section whose first byte lies at address SectionRva. Every
  // table, name and data block must lie inside Section; a directory or data entry reached twice,
  // tables, names and data that together come to more than Section (overlapping or shared),
  // nesting deeper than type/name/language, named entries after id entries, or anything outside
  // the section raise PeError. The work is linear in Section's size.
  ResourceTree(std::span<const uint8_t> Section, uint32_t SectionRva);

  // The data of the first language of resource Type / Name (ASCII letters without case), or
  // null when there is none.
  Data* Find(uint32_t Type, std::string_view Name);

  // The root directory (types), for a caller that adds or removes resources; it keeps named
  // entries before id entries and each kind in ascending order, as the format requires.
  Directory& Root() { return root_; }

  // The section's bytes for a section at address SectionRva, in the layout described above.
  // PeError when the result would not fit in the 32-bit addresses of a program file.
  std::vector<uint8_t> Write(uint32_t SectionRva) const;
  // The same with the one Data that has a gap written around it (std::logic_error for more
  // than one), for a caller that writes the gap's bytes itself.
  Split WriteAround(uint32_t SectionRva) const;

 private:
  Directory root_;
};
