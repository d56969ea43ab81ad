// MultiByteToWideChar and WideCharToMultiByte of kernel32 for the one ANSI code page, 1252. Sizes
// are in characters (bytes on the ANSI side, UTF-16 units on the wide side): a length of -1 takes
// the text up to and including its terminating zero, so the results count the zero too; an
// explicit length converts exactly that many and adds no zero.

#include <algorithm>
#include <string>

#include "platform/host/CodePage.h"
#include "platform/host/Win32StandIn.h"

using standin::detail::AnsiOfWide;
using standin::detail::WideOfAnsi;

namespace {

constexpr UINT kAnsiCodePage = 1252;

INT Fail(LONG code) {
  SetLastError(static_cast<DWORD>(code));
  return 0;
}

// The checks both directions share, in the order Windows makes them; ERROR_SUCCESS when the call
// may go on. `length` becomes the number of characters to convert.
template <typename Char>
LONG CheckCall(UINT codePage, const Char* text, INT& length, const void* buffer, INT bufferSize) {
  if (text == nullptr || length == 0 || length < -1 || bufferSize < 0 ||
      (buffer == nullptr && bufferSize > 0))
    return ERROR_INVALID_PARAMETER;
  if (codePage != CP_ACP && codePage != kAnsiCodePage) return ERROR_INVALID_PARAMETER;
  if (length == -1) length = static_cast<INT>(std::char_traits<Char>::length(text)) + 1;
  return ERROR_SUCCESS;
}

}  // namespace

INT WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, INT bytes, LPWSTR buffer,
                               INT bufferChars) {
  if (LONG rc = CheckCall(codePage, text, bytes, buffer, bufferChars); rc != ERROR_SUCCESS)
    return Fail(rc);
  if (flags & ~(MB_PRECOMPOSED | MB_ERR_INVALID_CHARS)) return Fail(ERROR_INVALID_FLAGS);
  // One character for each byte; code page 1252 has no invalid bytes.
  if (bufferChars == 0) return bytes;
  const INT written = std::min(bytes, bufferChars);
  for (INT i = 0; i < written; ++i) buffer[i] = WideOfAnsi(static_cast<unsigned char>(text[i]));
  return written == bytes ? bytes : Fail(ERROR_INSUFFICIENT_BUFFER);
}

INT WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR text, INT chars, LPSTR buffer,
                               INT bufferBytes, LPCSTR defaultChar, LPBOOL usedDefault) {
  if (LONG rc = CheckCall(codePage, text, chars, buffer, bufferBytes); rc != ERROR_SUCCESS)
    return Fail(rc);
  // The one flag the library passes; no best-fit table exists here to switch off anyway.
  if (flags & ~WC_NO_BEST_FIT_CHARS) return Fail(ERROR_INVALID_FLAGS);
  const char fallback = defaultChar != nullptr ? *defaultChar : '?';
  bool used = false;
  INT written = 0;
  for (INT i = 0; i < chars; ++i) {
    const std::optional<char> byte = AnsiOfWide(text[i]);
    used = used || !byte;
    if (bufferBytes > 0 && written < bufferBytes) buffer[written++] = byte.value_or(fallback);
  }
  if (usedDefault != nullptr) *usedDefault = used ? TRUE : FALSE;
  if (bufferBytes == 0) return chars;
  return written == chars ? chars : Fail(ERROR_INSUFFICIENT_BUFFER);
}
