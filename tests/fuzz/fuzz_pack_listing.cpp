// Arbitrary bytes as the file of sfpack list: a pack, or a program whose form data carries one.
// The listing either lists it or refuses it with an error; never a read out of bounds, and its
// work and memory stay linear in the input (the budgets of the PE reader and of the listing).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <stdexcept>

#include "toolkit/core/ToolkitErrors.h"
#include "tools/pe/PeFile.h"
#include "tools/sfpack/FormBinaryProperty.h"
#include "tools/sfpack/PackListing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> file(data, size);
  try {
    std::optional<std::span<const uint8_t>> pack = file;
    if (PeFile::IsPeFile(file)) {
      const auto form = PeFile(file).Resource(kRtRcData, "TFORM1");
      pack = form ? sfpack::FindFormBinaryProperty(*form, "StoredData") : std::nullopt;
    }
    if (!pack) return 0;
    const sfpack::PackListing listing = sfpack::ListPack(*pack);
    if (listing.records.size() > pack->size() / 8) std::abort();  // a record takes 8 bytes at least
  } catch (const std::runtime_error&) {
  } catch (const EToolkitError&) {
  }
  return 0;
}
