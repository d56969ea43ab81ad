// Arbitrary bytes as StoredData: the pack reader either appends sound records or raises a read
// error, never reads or writes out of bounds. A pack that reads cleanly must also survive being
// written and read again unchanged. Reading never extracts, even with extraction switched on.
// Inputs of odd length are read as the program's resource (records keep their packed bytes and
// unpack them when Data is asked for, which raises a read error for damage found only then), even
// ones as any other memory (unpacked at once); the second reading is always of the other kind.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "storage/acFileStorage.h"
#include "toolkit/core/TMemoryStream.h"
#include "toolkit/core/TReadOnlyMemoryStream.h"
#include "toolkit/core/TResourceStream.h"
#include "toolkit/core/ToolkitErrors.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TacFileStorage storage(nullptr);
  storage.AutoExtract()->SetEnabled(true);
  storage.AutoExtract()->SetRemoveOnTerminate(true);
  storage.AutoExtract()->ExtractTo()->SetToplevelDir(tdTempDir);
  const bool resource = size % 2 == 1;
  try {
    if (resource) {
      TResourceStream in(data, size);
      storage.ReadStoredData(in);
    } else {
      TReadOnlyMemoryStream in(data, size);
      storage.ReadStoredData(in);
    }
  } catch (const EReadError&) {
    if (storage.Files().Count() != 0 || storage.Count() != 0) std::abort();
    return 0;
  }
  if (static_cast<uint32_t>(storage.Files().Count()) != storage.Count()) std::abort();
  if (!storage.ExtractedFiles().empty()) std::abort();
  TMemoryStream out;
  try {
    storage.WriteStoredData(out);
  } catch (const EReadError&) {
    // From the program's resource only the block framing is checked while reading; damage inside
    // a block shows when the bytes are first unpacked, as here.
    if (!resource) std::abort();
    return 0;
  }
  TacFileStorage again(nullptr);
  if (resource) {
    TReadOnlyMemoryStream packed(out.Memory(), out.Bytes().size());
    again.ReadStoredData(packed);
  } else {
    TResourceStream packed(out.Memory(), out.Bytes().size());
    again.ReadStoredData(packed);
  }
  if (again.Count() != storage.Count()) std::abort();
  for (int32_t i = 0; i < again.Files().Count(); ++i) {
    if (again.StoredFiles(i).FileName() != storage.StoredFiles(i).FileName() ||
        again.StoredFiles(i).Data().Bytes() != storage.StoredFiles(i).Data().Bytes())
      std::abort();
  }
  return 0;
}
