// Splits a text form into tokens, each with its line and column (from 1) for error messages.
// Whitespace, line ends included, only separates tokens; the layout carries no meaning.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace formtext {

enum class TokenKind {
  Identifier,  // dotted identifier: "object", "Font.Style", "fsBold"
  Integer,     // decimal, optionally negative; Text holds the digits as written
  String,      // quoted segments and #nn joined without blanks; Text holds the bytes
  Binary,      // "{ ... }"; Parts holds hexadecimal runs and file splices in order
  Symbol,      // one of : = [ ] , +
  End,
};

// One piece of a binary value: bytes from hexadecimal digits, or a file to splice in.
struct BinaryPart {
  bool isFile = false;
  std::string bytes;  // the decoded bytes, or the file path as written
  size_t line = 0;
  size_t column = 0;
};

struct Token {
  TokenKind kind = TokenKind::End;
  std::string text;
  std::vector<BinaryPart> parts;
  size_t line = 0;
  size_t column = 0;
};

// Tokenizes the whole text. Throws FormTextError at the offending line and column.
std::vector<Token> TokenizeTextForm(std::string_view text);

}  // namespace formtext
