// Feeds arbitrary bytes to the form-data reader against the test component classes. Whatever
// it accepts must write back to form data that reads again into an equal form (the second write
// gives the same bytes); whatever it refuses must be refused with EReadError, leaving no
// component behind.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "tests/host/toolkit/TestComponents.h"
#include "toolkit/core/FormStreaming.h"
#include "toolkit/core/TMemoryStream.h"
#include "toolkit/core/TReadOnlyMemoryStream.h"
#include "toolkit/core/ToolkitErrors.h"

namespace {
std::vector<uint8_t> WriteForm(TTestForm& Form) {
  TMemoryStream out;
  WriteComponentRes(out, Form);
  return out.Bytes();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  RegisterTestClasses();
  LoadedLog().clear();
  TTestForm form(nullptr);
  try {
    TReadOnlyMemoryStream in(Data, Size);
    ReadComponentRes(in, form);
  } catch (const EReadError&) {
    if (form.ComponentCount() != 0 || form.InState(csLoading)) std::abort();
    return 0;
  }
  std::vector<uint8_t> first;
  try {
    first = WriteForm(form);
  } catch (const EWriteError&) {
    return 0;  // e.g. a component name the reader took but the writer cannot hold
  }
  TTestForm again(nullptr);
  TReadOnlyMemoryStream in(first.data(), first.size());
  ReadComponentRes(in, again);  // must not throw: the writer's output is valid form data
  if (WriteForm(again) != first) std::abort();
  return 0;
}
