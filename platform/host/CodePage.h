#pragma once
// The simulated machine's ANSI code page, 1252 (Western European), against UTF-16: the table
// behind MultiByteToWideChar and WideCharToMultiByte, and the conversions the wide calls use to
// reach the ANSI-only machine.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/host/Win32Types.h"

namespace standin::detail {

// Every byte has a character: 0x80-0x9F are the code page's own (0x80 the euro sign); the five
// bytes it leaves unassigned stand for the control characters of the same number, as on Windows.
WCHAR WideOfAnsi(unsigned char byte);
// The byte of a character, nullopt when the code page has none.
std::optional<char> AnsiOfWide(WCHAR ch);

std::u16string Widen(std::string_view text);
// The ANSI form of a text: each character outside the code page becomes '?', as the ANSI calls
// of Windows give such a text.
std::string NarrowLossy(std::u16string_view text);
// The ANSI form, nullopt when a character is outside the code page.
std::optional<std::string> NarrowExact(std::u16string_view text);

// CopyOut for UTF-16 text (Environment.h): its length when it fits with its terminating zero,
// otherwise nothing copied and the size needed, the zero included.
uint32_t CopyOutWide(std::u16string_view text, WCHAR* buffer, uint32_t chars);

}  // namespace standin::detail
