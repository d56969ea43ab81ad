// Arbitrary bytes as the launcher program of sfpack wrap: it either refuses them with a WrapError
// or gives a program that reads back with the installer as its carried file, and that a second
// wrap of the same installer leaves byte for byte as it is. Never a read or write out of bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "storage/acFileStorage.h"
#include "toolkit/core/TReadOnlyMemoryStream.h"
#include "tools/pe/PeFile.h"
#include "tools/sfpack/FormBinaryProperty.h"
#include "tools/sfpack/LauncherWrap.h"

namespace {

// The smallest thing wrap takes as an installer: "MZ" and a PE header where it points.
std::vector<uint8_t> MakeInstaller() {
  std::vector<uint8_t> b(0x60, 0);
  b[0] = 'M', b[1] = 'Z', b[0x3C] = 0x40, b[0x40] = 'P', b[0x41] = 'E';
  return b;
}

// Whether the wrapped program's pack holds Installer under the name wrap reported.
bool Carries(const sfpack::WrapResult& Wrapped, const std::vector<uint8_t>& Installer) {
  const auto form = PeFile(Wrapped.program).Resource(kRtRcData, "TFORM1");
  const auto pack = sfpack::FindFormBinaryProperty(form.value(), "StoredData");
  TacFileStorage storage(nullptr);
  TReadOnlyMemoryStream in(pack.value());
  storage.ReadStoredData(in);
  for (int32_t i = 0; i < storage.Files().Count(); ++i) {
    if (storage.StoredFiles(i).FileName() == Wrapped.carriedName)
      return storage.StoredFiles(i).Data().Bytes() == Installer;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::vector<uint8_t> installer = MakeInstaller();
  sfpack::WrapResult wrapped;
  try {
    wrapped = sfpack::WrapLauncher({data, size}, installer);
  } catch (const sfpack::WrapError&) {
    return 0;
  }
  if (!Carries(wrapped, installer)) std::abort();
  if (sfpack::WrapLauncher(wrapped.program, installer).program != wrapped.program) std::abort();
  return 0;
}
