// Arbitrary bytes -> PackData -> UnpackData must give the input back, and the packed bytes must
// equal the plain reference packer's, on every path of the codec that the processor has. The first
// byte, when present, picks a repetition factor so that inputs beyond one block (65,533 bytes) and
// long runs are reached from small fuzz inputs.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "storage/acSFPack.h"
#include "tests/host/sfpack/SFPackReference.h"

namespace {

// Each input byte b becomes a stretch of 1 + (b & mask) >> shift copies; the first byte sets the
// mask (0: no stretching).
std::vector<uint8_t> Expand(const uint8_t* data, size_t size) {
  if (size == 0) return {};
  const unsigned mode = data[0] % 4;
  std::vector<uint8_t> out;
  for (size_t i = 1; i < size && out.size() < 300000; ++i) {
    size_t copies = 1;
    if (mode == 1) copies = 1 + (data[i] & 7);
    if (mode == 2) copies = data[i] >= 0xF0 ? 1000 * (data[i] - 0xEF) : 1;
    if (mode == 3) copies = 64;
    out.insert(out.end(), copies, data[i]);
  }
  return out;
}

void CheckRoundTrip(const std::vector<uint8_t>& input) {
  std::vector<uint8_t> packed(PackedSizeMax(input.size()));
  const size_t length = PackData(input.data(), packed.data(), input.size(), packed.size());
  if (length < 4) std::abort();
  packed.resize(length);
  if (packed != sfpack_reference::PackData(input)) std::abort();

  const std::vector<uint8_t> area(packed.begin() + 4, packed.end());
  std::vector<uint8_t> back(input.size());
  const UnpackResult r = UnpackData(area.data(), back.data(), area.size(), back.size());
  if (!r.ok || r.written != input.size() || back != input) std::abort();

  // One byte less room than needed is refused without writing past it.
  std::vector<uint8_t> tight(length - 1);
  if (length > 4 && PackData(input.data(), tight.data(), input.size(), tight.size()) != 0)
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> input = Expand(data, size);
  for (SFPackPath path : {SFPackPath::kPlain, SFPackPath::kSse2, SFPackPath::kAvx2})
    if (SetSFPackHighestPath(path) == path) CheckRoundTrip(input);
  return 0;
}
