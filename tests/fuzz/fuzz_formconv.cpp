// Arbitrary bytes into both directions of the form converter. As a text form they may be
// refused but must not crash. As a binary form, whatever converts to text must convert back and
// the text must be stable; since text -> binary writes every integer in its smallest form, the
// bytes come back unchanged unless some integer was wider than needed, and then the rebuilt
// form must be strictly shorter.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tools/formconv/BinaryFormToText.h"
#include "tools/formconv/FormTextError.h"
#include "tools/formconv/TextFormToBinary.h"

namespace {

// The same bytes read as a text form may be refused but must not crash. Inputs naming a file
// to splice are skipped so that the fuzzer never reads files of the machine.
void FuzzTextForm(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  if (text.find('@') != std::string_view::npos) return;
  try {
    formtext::TextFormToBinary(text);
  } catch (const formtext::FormTextError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzTextForm(data, size);
  std::span<const uint8_t> input(data, size);
  std::string text;
  try {
    text = formtext::BinaryFormToText(input);
  } catch (const formtext::FormTextError&) {
    return 0;
  }
  // From here on nothing may fail: a refusal would be a converter fault.
  std::vector<uint8_t> rebuilt = formtext::TextFormToBinary(text);
  if (formtext::BinaryFormToText(rebuilt) != text) std::abort();
  bool same = rebuilt.size() == size && std::equal(rebuilt.begin(), rebuilt.end(), data);
  if (!same && rebuilt.size() >= size) std::abort();
  return 0;
}
