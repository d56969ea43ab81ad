// Arbitrary bytes as a packed block area: the first three bytes choose the destination size
// (capped at 256 KB), the rest is the area. The destination and the area are exact-size heap
// buffers, so any access outside them is an ASan error; the output must also match the plain
// reference decoder up to the damage or the destination's end, on every path of the codec that
// the processor has.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "storage/acSFPack.h"
#include "tests/host/sfpack/SFPackReference.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  constexpr size_t kDestCap = 256 * 1024;
  const size_t destSize = std::min<size_t>(data[0] | (data[1] << 8) | (data[2] << 16), kDestCap);
  const std::vector<uint8_t> area(data + 3, data + size);
  const auto ref = sfpack_reference::UnpackData(area);
  const size_t expected = ref.bytes.size() < destSize ? ref.bytes.size() : destSize;
  for (SFPackPath path : {SFPackPath::kPlain, SFPackPath::kSse2, SFPackPath::kAvx2}) {
    if (SetSFPackHighestPath(path) != path) continue;
    std::vector<uint8_t> dest(destSize);
    const UnpackResult r = UnpackData(area.data(), dest.data(), area.size(), destSize);
    if (r.written != expected) std::abort();
    if (r.ok != (ref.ok && ref.bytes.size() <= destSize)) std::abort();
    if (expected != 0 && std::memcmp(dest.data(), ref.bytes.data(), expected) != 0) std::abort();
  }
  return 0;
}
