#include "platform/host/CodePage.h"

#include <algorithm>
#include <iterator>

namespace standin::detail {
namespace {

// Bytes 0x80-0x9F; the rest of the code page is ISO 8859-1, the byte's own number.
constexpr WCHAR kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

WCHAR WideOfAnsi(unsigned char byte) {
  return byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80] : WCHAR{byte};
}

std::optional<char> AnsiOfWide(WCHAR ch) {
  if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) return static_cast<char>(ch);
  const auto* found = std::find(std::begin(kHighControls), std::end(kHighControls), ch);
  if (found == std::end(kHighControls)) return std::nullopt;
  return static_cast<char>(0x80 + (found - std::begin(kHighControls)));
}

std::u16string Widen(std::string_view text) {
  std::u16string wide;
  wide.reserve(text.size());
  for (char c : text) wide += WideOfAnsi(static_cast<unsigned char>(c));
  return wide;
}

std::string NarrowLossy(std::u16string_view text) {
  std::string ansi;
  ansi.reserve(text.size());
  for (WCHAR ch : text) ansi += AnsiOfWide(ch).value_or('?');
  return ansi;
}

std::optional<std::string> NarrowExact(std::u16string_view text) {
  std::string ansi;
  ansi.reserve(text.size());
  for (WCHAR ch : text) {
    const std::optional<char> byte = AnsiOfWide(ch);
    if (!byte) return std::nullopt;
    ansi += *byte;
  }
  return ansi;
}

uint32_t CopyOutWide(std::u16string_view text, WCHAR* buffer, uint32_t chars) {
  if (buffer == nullptr || text.size() + 1 > chars) return static_cast<uint32_t>(text.size() + 1);
  std::copy(text.begin(), text.end(), buffer);
  buffer[text.size()] = 0;
  return static_cast<uint32_t>(text.size());
}

}  // namespace standin::detail
