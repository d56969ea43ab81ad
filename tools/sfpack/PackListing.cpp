#include "tools/sfpack/PackListing.h"

#include "storage/acFileStorage.h"
#include "toolkit/core/LittleEndian.h"
#include "toolkit/core/TReadOnlyMemoryStream.h"

namespace sfpack {
namespace {

// Reads the pack's structure; the storage has already checked every length against the bytes.
class PackCursor {
 public:
  explicit PackCursor(std::span<const uint8_t> Pack) : data_(Pack) {}
  uint32_t U32() {
    const uint32_t v = LoadLE32(&data_[pos_]);
    pos_ += 4;
    return v;
  }
  uint32_t U16() {
    const uint32_t v = LoadLE16(&data_[pos_]);
    pos_ += 2;
    return v;
  }
  std::string Text(uint32_t Length) {
    std::string s(reinterpret_cast<const char*>(data_.data() + pos_), Length);
    pos_ += Length;
    return s;
  }
  size_t Position() const { return pos_; }
  void Skip(size_t Count) { pos_ += Count; }

 private:
  std::span<const uint8_t> data_;
  size_t pos_ = 0;
};

void CountBlocks(PackCursor& Cursor, size_t AreaEnd, PackRecordInfo& Record) {
  while (Cursor.Position() < AreaEnd) {
    const uint32_t length = Cursor.U16();
    const uint32_t header = Cursor.U16();
    (header < 256 ? Record.markerBlocks : Record.tableBlocks)++;
    Cursor.Skip(length - 2);
  }
}

}  // namespace

PackListing ListPack(std::span<const uint8_t> Pack) {
  TacFileStorage storage(nullptr);
  TReadOnlyMemoryStream stream(Pack);
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
