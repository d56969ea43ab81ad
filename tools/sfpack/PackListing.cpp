#include "tools/sfpack/PackListing.h"

#include <stdexcept>
#include <string>

#include "storage/acFileStorage.h"
#include "toolkit/core/LittleEndian.h"
#include "toolkit/core/TResourceStream.h"

namespace sfpack {
namespace {

// Reads the pack's structure. The storage has checked it already; the cursor checks every step
// again rather than trust that both readers agree, so a pack they see differently ends in an
// error, not a read outside it. Every step consumes bytes of the pack (a block at least 4), so
// the listing's work and size are linear in the pack's.
class PackCursor {
 public:
  explicit PackCursor(std::span<const uint8_t> Pack) : data_(Pack) {}
  uint32_t U32() {
    Need(4);
    const uint32_t v = LoadLE32(&data_[pos_]);
    pos_ += 4;
    return v;
  }
  uint32_t U16() {
    Need(2);
    const uint32_t v = LoadLE16(&data_[pos_]);
    pos_ += 2;
    return v;
  }
  std::string Text(uint32_t Length) {
    Need(Length);
    std::string s(reinterpret_cast<const char*>(data_.data() + pos_), Length);
    pos_ += Length;
    return s;
  }
  size_t Position() const { return pos_; }
  void Skip(size_t Count) {
    Need(Count);
    pos_ += Count;
  }

 private:
  void Need(size_t Count) const {
    if (Count > data_.size() - pos_)
      throw std::runtime_error("damaged pack: " + std::to_string(Count) + " bytes at offset " +
                               std::to_string(pos_) + " run past its end");
  }

  std::span<const uint8_t> data_;
  size_t pos_ = 0;
};

void CountBlocks(PackCursor& Cursor, size_t AreaEnd, PackRecordInfo& Record) {
  while (Cursor.Position() < AreaEnd) {
    const size_t at = Cursor.Position();
    const uint32_t length = Cursor.U16();
    if (length < 2 || length > AreaEnd - Cursor.Position())
      throw std::runtime_error("damaged pack: the block at offset " + std::to_string(at) + " of " +
                               Record.name + " has length " + std::to_string(length));
    const uint32_t header = Cursor.U16();
    (header < 256 ? Record.markerBlocks : Record.tableBlocks)++;
    Cursor.Skip(length - 2);
  }
}

}  // namespace

PackListing ListPack(std::span<const uint8_t> Pack) {
  // Read as a resource, the records keep their packed bytes: they are checked through one block
  // of scratch memory, and nothing the size of the unpacked files is allocated.
  TacFileStorage storage(nullptr);
  TResourceStream stream(Pack.data(), Pack.size());
  storage.ReadStoredData(stream);

  PackListing listing;
  listing.packedForm = storage.PackedFormat();
  PackCursor cursor(Pack);
  cursor.Skip(8);
  for (uint32_t i = 0; i < storage.Count(); ++i) {
    PackRecordInfo record;
    record.name = cursor.Text(cursor.U32());
    record.packedSize = cursor.U32();
    if (listing.packedForm) {
      const size_t areaEnd = cursor.Position() + record.packedSize;
      record.size = cursor.U32();
      if (record.packedSize < 4 || areaEnd > Pack.size())
        throw std::runtime_error("damaged pack: the record " + record.name + " runs past its end");
      CountBlocks(cursor, areaEnd, record);
    } else {
      record.size = record.packedSize;
      cursor.Skip(record.size);
    }
    listing.records.push_back(std::move(record));
  }
  return listing;
}

}  // namespace sfpack
