#include "installer/pad/InstallerPadding.h"

#include <algorithm>
#include <cstring>

#include "storage/acSFPack.h"
#include "toolkit/core/LittleEndian.h"

namespace {

// The byte of the runs; zero, as in the zero-filled areas of real program files.
constexpr uint8_t kFillByte = 0x00;
// Generator bytes kept at the front of each block's padding, so that a block with a run still
// holds all 256 byte values (a missing value would make it a marker block).
constexpr size_t kRandomReserve = 8192;
// A run is at least this long: shorter ones are no runs in a table block.
constexpr size_t kMinRun = 5;
// The run lengths follow directly from the savings; further steps only correct for chance
// effects of the generator bytes around a run.
constexpr int kMaxSearchSteps = 16;

uint64_t SplitMix64(uint64_t& state) {
  uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

std::vector<uint8_t> RandomBytes(size_t count, uint64_t seed) {
  std::vector<uint8_t> out(count);
  uint64_t state = seed;
  for (size_t i = 0; i < count; i += 8) {
    const uint64_t word = SplitMix64(state);
    for (size_t b = 0; b < 8 && i + b < count; ++b)
      out[i + b] = static_cast<uint8_t>(word >> 8 * b);
  }
  return out;
}

// A run of r bytes in a table block costs its value byte, its count (one byte up to 256, else a
// zero byte and 16 bits) and a 2-byte table entry, instead of r literals.
size_t RunSaving(size_t length) {
  return length <= 256 ? length - 4 : length - 6;
}
size_t RunLengthFor(size_t saving) {
  return saving <= 252 ? saving + 4 : saving + 6;
}

// Where one block can take a run: at its very end, so the block boundary ends the run, behind the
// reserved generator bytes and one guard byte that keeps the run from growing to the front.
struct RunSlot {
  size_t blockEnd = 0;
  size_t capacity = 0;  // longest run that fits
  size_t saving = 0;    // the saving asked of this slot; 0 = no run
};

// The slots of all blocks that have enough padding, from the last block to the first.
std::vector<RunSlot> FindRunSlots(size_t imageSize, size_t fileSize) {
  std::vector<RunSlot> slots;
  const size_t blocks = (fileSize + kPackBlockMax - 1) / kPackBlockMax;
  for (size_t b = blocks; b-- > 0;) {
    const size_t blockStart = b * kPackBlockMax;
    const size_t blockEnd = std::min(fileSize, blockStart + kPackBlockMax);
    const size_t padStart = std::max(imageSize, blockStart);
    if (padStart >= blockEnd) break;  // this block and all before it are image
    const size_t padding = blockEnd - padStart;
    if (padding < kRandomReserve + 1 + kMinRun) continue;
    slots.push_back({blockEnd, padding - kRandomReserve - 1, 0});
  }
  return slots;
}

void PlaceRun(std::vector<uint8_t>& file, const RunSlot& slot) {
  if (slot.saving == 0) return;
  const size_t length = RunLengthFor(slot.saving);
  const size_t start = slot.blockEnd - length;
  std::fill(file.begin() + static_cast<ptrdiff_t>(start),
            file.begin() + static_cast<ptrdiff_t>(slot.blockEnd), kFillByte);
  uint8_t& guard = file[start - 1];
  if (guard == kFillByte) guard = kFillByte ^ 0xA5;
}

// The image, the generator bytes and the runs of all slots.
std::vector<uint8_t> BuildFile(std::span<const uint8_t> image, const std::vector<uint8_t>& noise,
                               const std::vector<RunSlot>& slots) {
  std::vector<uint8_t> file(image.begin(), image.end());
  file.insert(file.end(), noise.begin(), noise.end());
  for (const RunSlot& slot : slots) PlaceRun(file, slot);
  return file;
}

// Spreads the saving over the slots, filling the last block's slot first.
bool AssignSavings(std::vector<RunSlot>& slots, size_t saving) {
  for (RunSlot& slot : slots) {
    if (saving == 0) break;
    slot.saving = std::min(saving, RunSaving(slot.capacity));
    saving -= slot.saving;
  }
  return saving == 0;
}

// Moves the saving of the last slot in use by `delta` bytes; false when that leaves its range.
bool AdjustSaving(std::vector<RunSlot>& slots, long long delta) {
  auto used = std::find_if(slots.rbegin(), slots.rend(), [](const RunSlot& s) { return s.saving; });
  if (used == slots.rend()) return false;
  const long long saving = static_cast<long long>(used->saving) + delta;
  if (saving < 0 || saving > static_cast<long long>(RunSaving(used->capacity))) return false;
  used->saving = static_cast<size_t>(saving);
  return true;
}

std::string Figures(const PackFigures& f) {
  return std::to_string(f.packedSize) + " packed bytes in " + std::to_string(f.blocks) +
         " blocks, " + std::to_string(f.tableBlocks) + " of them table blocks";
}

// The final check of a padded file against the targets; empty when it meets them all.
std::string CheckPadded(std::span<const uint8_t> image, const std::vector<uint8_t>& file,
                        const PaddingTargets& targets, const PackFigures& f) {
  if (file.size() != targets.fileSize) return "padded file has " + std::to_string(file.size());
  if (!std::equal(image.begin(), image.end(), file.begin())) return "image bytes changed";
  if (f.packedSize != targets.packedSize || f.blocks != targets.tableBlocks ||
      f.tableBlocks != targets.tableBlocks)
    return "padded file packs to " + Figures(f);
  if (!f.roundTrip) return "padded file does not unpack to itself";
  return {};
}

PaddingResult Fail(std::string error) {
  PaddingResult result;
  result.error = std::move(error);
  return result;
}

}  // namespace

PackFigures MeasurePacked(std::span<const uint8_t> data) {
  PackFigures f;
  std::vector<uint8_t> packed(PackedSizeMax(data.size()));
  f.packedSize = PackData(data.data(), packed.data(), data.size(), packed.size());
  if (f.packedSize < 4) return f;
  for (size_t pos = 4; pos + 2 <= f.packedSize;) {
    const size_t length = LoadLE16(&packed[pos]);
    if (length >= 2 && pos + 2 + length <= f.packedSize && LoadLE16(&packed[pos + 2]) >= 256)
      ++f.tableBlocks;
    ++f.blocks;
    pos += 2 + length;
  }
  std::vector<uint8_t> unpacked(data.size());
  const UnpackResult r =
      UnpackData(packed.data() + 4, unpacked.data(), f.packedSize - 4, unpacked.size());
  f.roundTrip = r.ok && r.written == data.size() &&
                std::equal(unpacked.begin(), unpacked.end(), data.begin());
  return f;
}

PaddingResult PadInstaller(std::span<const uint8_t> image, const PaddingTargets& targets,
                           uint64_t seed) {
  if (image.empty()) return Fail("the installer image is empty");
  if (image.size() > targets.fileSize)
    return Fail("the installer image has " + std::to_string(image.size()) +
                " bytes, more than the padded size " + std::to_string(targets.fileSize));
  if ((targets.fileSize + kPackBlockMax - 1) / kPackBlockMax != targets.tableBlocks)
    return Fail(std::to_string(targets.fileSize) + " bytes do not make " +
                std::to_string(targets.tableBlocks) + " blocks");

  const std::vector<uint8_t> noise = RandomBytes(targets.fileSize - image.size(), seed);
  std::vector<RunSlot> slots = FindRunSlots(image.size(), targets.fileSize);
  const PackFigures plain = MeasurePacked(BuildFile(image, noise, slots));
  if (plain.packedSize < targets.packedSize)
    return Fail("without runs the file already packs to " + std::to_string(plain.packedSize) +
                " bytes, below " + std::to_string(targets.packedSize) + "; runs only shrink it");
  if (!AssignSavings(slots, plain.packedSize - targets.packedSize))
    return Fail("the padding has too little room for runs saving " +
                std::to_string(plain.packedSize - targets.packedSize) + " bytes");

  PaddingResult result;
  for (int step = 0; step < kMaxSearchSteps; ++step) {
    result.file = BuildFile(image, noise, slots);
    result.figures = MeasurePacked(result.file);
    const long long error = static_cast<long long>(result.figures.packedSize) -
                            static_cast<long long>(targets.packedSize);
    if (error == 0 || !AdjustSaving(slots, error)) break;
  }
  result.error = CheckPadded(image, result.file, targets, result.figures);
  result.ok = result.error.empty();
  if (!result.ok) result.file.clear();
  return result;
}
