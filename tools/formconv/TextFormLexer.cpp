#include "tools/formconv/TextFormLexer.h"

#include "tools/formconv/FormSyntax.h"
#include "tools/formconv/FormTextError.h"

namespace formtext {

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

class TextFormLexer {
 public:
  explicit TextFormLexer(std::string_view text) : text_(text) {}

  std::vector<Token> Run() {
    std::vector<Token> tokens;
    while (true) {
      SkipSpace();
      tokens.push_back(Next());
      if (tokens.back().kind == TokenKind::End) return tokens;
    }
  }

 private:
  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek(size_t ahead = 0) const {
    return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
  }

  void Advance() {
    if (text_[pos_] == '\n') {
      ++line_;
      column_ = 1;
    } else {
      ++column_;
    }
    ++pos_;
  }

  void SkipSpace() {
    while (!AtEnd() && IsSpace(Peek())) Advance();
  }

  [[noreturn]] void Fail(const std::string& detail) const {
    throw FormTextError::AtLine(line_, column_, detail);
  }

  static std::string Describe(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u >= 33 && u <= 126) return std::string("'") + c + "'";
    return "character #" + std::to_string(u);
  }

  Token Start(TokenKind kind) const {
    Token token;
    token.kind = kind;
    token.line = line_;
    token.column = column_;
    return token;
  }

  Token Next() {
    if (AtEnd()) return Start(TokenKind::End);
    char c = Peek();
    if (IsLetter(c)) return LexIdentifier();
    if (IsDigit(c) || (c == '-' && IsDigit(Peek(1)))) return LexInteger();
    if (c == '\'' || c == '#') return LexString();
    if (c == '{') return LexBinary();
    if (c == ':' || c == '=' || c == '[' || c == ']' || c == ',' || c == '+') {
      Token token = Start(TokenKind::Symbol);
      token.text = std::string(1, c);
      Advance();
      return token;
    }
    Fail("unexpected " + Describe(c));
  }

  Token LexIdentifier() {
    Token token = Start(TokenKind::Identifier);
    while (!AtEnd() && (IsLetter(Peek()) || IsDigit(Peek()) || Peek() == '.')) {
      token.text += Peek();
      Advance();
    }
    if (!IsDottedIdentifier(token.text)) {
      throw FormTextError::AtLine(token.line, token.column,
                                  "malformed name \"" + token.text + "\"");
    }
    return token;
  }

  Token LexInteger() {
    Token token = Start(TokenKind::Integer);
    if (Peek() == '-') {
      token.text += '-';
      Advance();
    }
    while (!AtEnd() && IsDigit(Peek())) {
      token.text += Peek();
      Advance();
    }
    if (IsLetter(Peek())) Fail("letter " + Describe(Peek()) + " inside a number");
    return token;
  }

  // A string literal: quoted segments ('' stands for one quote) and #nn character codes,
  // joined without blanks.
  Token LexString() {
    Token token = Start(TokenKind::String);
    while (Peek() == '\'' || Peek() == '#') {
      if (Peek() == '#') {
        token.text += LexCharCode();
      } else {
        LexQuoted(token.text);
      }
    }
    return token;
  }

  char LexCharCode() {
    Advance();  // '#'
    if (!IsDigit(Peek())) Fail("expected a decimal character code after '#'");
    size_t line = line_, column = column_;
    unsigned value = 0;
    while (IsDigit(Peek())) {
      value = value * 10 + static_cast<unsigned>(Peek() - '0');
      if (value > 255) throw FormTextError::AtLine(line, column, "character code above 255");
      Advance();
    }
    return static_cast<char>(value);
  }

  void LexQuoted(std::string& out) {
    size_t line = line_, column = column_;
    Advance();  // opening quote
    while (true) {
      if (AtEnd() || Peek() == '\n' || Peek() == '\r') {
        throw FormTextError::AtLine(line, column, "string not closed on its line");
      }
      if (Peek() == '\'') {
        Advance();
        if (Peek() != '\'') return;
      }
      out += Peek();
      Advance();
    }
  }

  // "{", hexadecimal digits and "@file 'path'" directives in any order, "}".
  Token LexBinary() {
    Token token = Start(TokenKind::Binary);
    size_t openLine = line_, openColumn = column_;
    Advance();  // '{'
    BinaryPart hex;
    int pendingNibble = -1;
    auto flushHex = [&]() {
      if (!hex.bytes.empty()) token.parts.push_back(hex);
      hex = BinaryPart{};
    };
    while (true) {
      SkipSpace();
      if (AtEnd()) {
        throw FormTextError::AtLine(openLine, openColumn, "binary value not closed with '}'");
      }
      char c = Peek();
      if (c == '}') {
        if (pendingNibble >= 0) Fail("odd number of hexadecimal digits");
        Advance();
        flushHex();
        return token;
      }
      if (c == '@') {
        if (pendingNibble >= 0) Fail("odd number of hexadecimal digits before '@file'");
        flushHex();
        token.parts.push_back(LexSplice());
        continue;
      }
      int value = HexValue(c);
      if (value < 0) Fail("unexpected " + Describe(c) + " in a binary value");
      if (hex.bytes.empty() && pendingNibble < 0) {
        hex.line = line_;
        hex.column = column_;
      }
      if (pendingNibble < 0) {
        pendingNibble = value;
      } else {
        hex.bytes += static_cast<char>(pendingNibble * 16 + value);
        pendingNibble = -1;
      }
      Advance();
    }
  }

  BinaryPart LexSplice() {
    BinaryPart part;
    part.isFile = true;
    part.line = line_;
    part.column = column_;
    Advance();  // '@'
    std::string word;
    while (IsLetter(Peek())) {
      word += Peek();
      Advance();
    }
    if (word != "file") {
      throw FormTextError::AtLine(part.line, part.column,
                                  "unknown directive '@" + word + "' (only '@file' is known)");
    }
    SkipSpace();
    if (Peek() != '\'' && Peek() != '#') Fail("expected a quoted file name after '@file'");
    part.bytes = LexString().text;
    if (part.bytes.empty()) {
      throw FormTextError::AtLine(part.line, part.column, "empty file name after '@file'");
    }
    return part;
  }

  std::string_view text_;
  size_t pos_ = 0;
  size_t line_ = 1;
  size_t column_ = 1;
};

}  // namespace

std::vector<Token> TokenizeTextForm(std::string_view text) {
  return TextFormLexer(text).Run();
}

}  // namespace formtext
