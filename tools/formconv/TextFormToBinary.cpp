#include "tools/formconv/TextFormToBinary.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <string>

#include "toolkit/core/FormBinaryWriter.h"
#include "tools/fileio/WholeFile.h"
#include "tools/formconv/FormSyntax.h"
#include "tools/formconv/FormTextError.h"
#include "tools/formconv/TextFormLexer.h"

namespace formtext {

namespace {

class TextFormParser {
 public:
  TextFormParser(std::string_view text, const SpliceDirs& dirs, std::vector<SourceLine>* lines)
      : tokens_(TokenizeTextForm(text)), dirs_(dirs), lines_(lines) {}

  std::vector<uint8_t> Convert() {
    out_.WriteSignature();
    ExpectKeyword("object");
    ParseObject(0);
    if (Current().kind != TokenKind::End) Fail(Current(), "text after the final 'end'");
    return out_.Bytes();
  }

 private:
  const Token& Current() const { return tokens_[index_]; }
  const Token& Following() const {
    return tokens_[index_ + 1 < tokens_.size() ? index_ + 1 : index_];
  }
  const Token& Take() {
    const Token& token = tokens_[index_];
    if (token.kind != TokenKind::End) ++index_;
    return token;
  }

  [[noreturn]] static void Fail(const Token& token, const std::string& detail) {
    throw FormTextError::AtLine(token.line, token.column, detail);
  }

  static std::string Describe(const Token& token) {
    switch (token.kind) {
      case TokenKind::Identifier:
        return "'" + token.text + "'";
      case TokenKind::Integer:
        return "number " + token.text;
      case TokenKind::String:
        return "a string";
      case TokenKind::Binary:
        return "a binary value";
      case TokenKind::Symbol:
        return "'" + token.text + "'";
      case TokenKind::End:
        break;
    }
    return "the end of the text";
  }

  bool IsSymbol(const Token& token, char symbol) const {
    return token.kind == TokenKind::Symbol && token.text[0] == symbol;
  }

  void ExpectSymbol(char symbol) {
    if (!IsSymbol(Current(), symbol)) {
      Fail(Current(), std::string("expected '") + symbol + "', found " + Describe(Current()));
    }
    Take();
  }

  void ExpectKeyword(std::string_view keyword) {
    if (Current().kind != TokenKind::Identifier || Current().text != keyword) {
      Fail(Current(), "expected '" + std::string(keyword) + "', found " + Describe(Current()));
    }
    Take();
  }

  // "object" or "end" open or close a component unless they name a property ("end = 1").
  bool AtKeyword(std::string_view keyword) const {
    return Current().kind == TokenKind::Identifier && Current().text == keyword &&
           !IsSymbol(Following(), '=');
  }

  const Token& ExpectName(std::string_view what, bool dotted) {
    const Token& token = Current();
    if (token.kind != TokenKind::Identifier || (!dotted && !IsIdentifier(token.text))) {
      Fail(token, "expected " + std::string(what) + ", found " + Describe(token));
    }
    return Take();
  }

  // The length-byte limit, checked here so that the error names the line and column.
  static void CheckShort(const Token& at, std::string_view text, std::string_view what) {
    if (text.size() > kMaxShortLength) {
      Fail(at, std::string(what) + " is " + std::to_string(text.size()) +
                   " bytes long; at most 255 fit");
    }
  }

  void MarkLine(const Token& at) {
    if (lines_) lines_->push_back({out_.Bytes().size(), at.line});
  }

  void PutName(const Token& at, std::string_view text, std::string_view what) {
    CheckShort(at, text, what);
    out_.WriteName(text);
  }

  // After "object": "Name: Class" or just "Class" for an unnamed component, then properties,
  // then child objects, then "end".
  void ParseObject(int depth) {
    if (depth >= kMaxNesting) {
      Fail(Current(), "components nested deeper than " + std::to_string(kMaxNesting) + " levels");
    }
    const Token& first = ExpectName("a component name or class name", false);
    const Token* name = nullptr;
    const Token* className = &first;
    if (IsSymbol(Current(), ':')) {
      Take();
      name = &first;
      className = &ExpectName("a class name", false);
    }
    MarkLine(*className);
    PutName(*className, className->text, "class name");
    PutName(name ? *name : first, name ? name->text : std::string(), "component name");
    while (!AtKeyword("object") && !AtKeyword("end")) ParseProperty();
    out_.WriteEnd();
    while (AtKeyword("object")) {
      Take();
      ParseObject(depth + 1);
    }
    if (Current().kind == TokenKind::Identifier && IsSymbol(Following(), '=')) {
      Fail(Current(), "property '" + Current().text + "' after a child object");
    }
    ExpectKeyword("end");
    out_.WriteEnd();
  }

  void ParseProperty() {
    const Token& name = ExpectName("a property name, 'object' or 'end'", true);
    MarkLine(name);
    PutName(name, name.text, "property name");
    ExpectSymbol('=');
    ParseValue();
  }

  void ParseValue() {
    const Token& token = Current();
    switch (token.kind) {
      case TokenKind::Integer:
        PutInteger(Take());
        return;
      case TokenKind::String:
        PutString();
        return;
      case TokenKind::Identifier:
        PutIdentifier(Take());
        return;
      case TokenKind::Binary:
        PutBinary(Take());
        return;
      case TokenKind::Symbol:
        if (IsSymbol(token, '[')) {
          PutSet();
          return;
        }
        break;
      case TokenKind::End:
        break;
    }
    Fail(token, "expected a value, found " + Describe(token));
  }

  void PutInteger(const Token& token) {
    bool negative = token.text[0] == '-';
    int64_t magnitude = 0;
    for (size_t i = negative ? 1 : 0; i < token.text.size(); ++i) {
      magnitude = magnitude * 10 + (token.text[i] - '0');
      if (magnitude > int64_t{1} << 31) Fail(token, token.text + " does not fit in 32 bits");
    }
    int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<int32_t>::max()) {
      Fail(token, token.text + " does not fit in 32 bits");
    }
    out_.WriteInteger(static_cast<int32_t>(value));
  }

  // A string literal, possibly continued with "+" and further literals.
  void PutString() {
    const Token& first = Take();
    std::string value = first.text;
    while (IsSymbol(Current(), '+')) {
      Take();
      if (Current().kind != TokenKind::String) {
        Fail(Current(), "expected a string after '+', found " + Describe(Current()));
      }
      value += Take().text;
    }
    CheckShort(first, value, "string");  // the text form has no long strings
    out_.WriteString(value);
  }

  void PutIdentifier(const Token& token) {
    if (IsBooleanWord(token.text)) {
      out_.WriteBoolean(token.text == "True");
      return;
    }
    CheckShort(token, token.text, "identifier");
    out_.WriteIdent(token.text);
  }

  void PutSet() {
    Take();  // '['
    std::vector<std::string> items;
    if (!IsSymbol(Current(), ']')) {
      while (true) {
        const Token& item = ExpectName("a set element", true);
        CheckShort(item, item.text, "set element");
        items.push_back(item.text);
        if (!IsSymbol(Current(), ',')) break;
        Take();
      }
    }
    ExpectSymbol(']');
    out_.WriteSet(items);
  }

  void PutBinary(const Token& token) {
    std::string bytes;
    for (const BinaryPart& part : token.parts) {
      bytes += part.isFile ? ReadSplicedFile(part) : part.bytes;
    }
    if (bytes.size() > std::numeric_limits<uint32_t>::max()) {
      Fail(token, "binary value larger than 4 GiB");
    }
    out_.WriteBinary(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
  }

  std::filesystem::path FindSplicedFile(const BinaryPart& part) const {
    std::filesystem::path name(part.bytes);
    std::error_code error;
    if (name.is_absolute()) {
      return std::filesystem::is_regular_file(name, error) ? name : std::filesystem::path();
    }
    std::vector<std::filesystem::path> dirs{dirs_.BaseDir};
    dirs.insert(dirs.end(), dirs_.IncludeDirs.begin(), dirs_.IncludeDirs.end());
    for (const std::filesystem::path& dir : dirs) {
      std::filesystem::path candidate = dir / name;
      if (std::filesystem::is_regular_file(candidate, error)) return candidate;
    }
    return {};
  }

  std::string ReadSplicedFile(const BinaryPart& part) const {
    std::filesystem::path found = FindSplicedFile(part);
    if (found.empty()) {
      throw FormTextError::AtLine(part.line, part.column,
                                  "@file '" + part.bytes + "': no such file" + SearchedIn());
    }
    // Through fileio's C stdio reading: the Windows build of sfpack, which converts text forms
    // too, links no C++ file streams.
    try {
      const std::vector<uint8_t> bytes = ReadWholeFile(found.string());
      return std::string(bytes.begin(), bytes.end());
    } catch (const std::runtime_error&) {
      throw FormTextError::AtLine(part.line, part.column,
                                  "@file '" + part.bytes + "': cannot read " + found.string());
    }
  }

  std::string SearchedIn() const {
    std::string dirs = " (searched " + Shown(dirs_.BaseDir);
    for (const std::filesystem::path& dir : dirs_.IncludeDirs) dirs += ", " + Shown(dir);
    return dirs + ")";
  }

  static std::string Shown(const std::filesystem::path& dir) {
    return dir.empty() ? std::string(".") : dir.string();
  }

  std::vector<Token> tokens_;
  size_t index_ = 0;
  const SpliceDirs& dirs_;
  std::vector<SourceLine>* lines_;
  TFormBinaryWriter out_;
};

}  // namespace

size_t LineOfOffset(std::span<const SourceLine> Lines, size_t Offset) {
  const auto after = std::upper_bound(Lines.begin(), Lines.end(), Offset,
                                      [](size_t O, const SourceLine& L) { return O < L.offset; });
  return after == Lines.begin() ? 0 : std::prev(after)->line;
}

std::vector<uint8_t> TextFormToBinary(std::string_view text, const SpliceDirs& dirs,
                                      std::vector<SourceLine>* Lines) {
  if (Lines) Lines->clear();
  return TextFormParser(text, dirs, Lines).Convert();
}

}  // namespace formtext
