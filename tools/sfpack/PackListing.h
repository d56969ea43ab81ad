// The structure of a stored-data pack, for display: each record's name, sizes and blocks.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace sfpack {

struct PackRecordInfo {
  std::string name;
  uint32_t size = 0;          // unpacked length
  uint32_t packedSize = 0;    // the packed length field (the raw size in the old form)
  uint32_t markerBlocks = 0;  // blocks whose header names a marker byte
  uint32_t tableBlocks = 0;   // blocks with a run table
};

struct PackListing {
  bool packedForm = true;  // "SFP1"; false: the old raw form
  std::vector<PackRecordInfo> records;
};

// Lists a pack. The pack is first read in full by the file storage, so a damaged pack raises
// its EReadError with the record and the fault; the listing's own reading of the structure
// raises std::runtime_error where it finds a fault the storage let pass. Nothing of the size of
// the unpacked files is allocated.
PackListing ListPack(std::span<const uint8_t> Pack);

}  // namespace sfpack
