#include "tools/formconv/TextFormWriter.h"

namespace formtext {

namespace {

bool IsQuotable(unsigned char c) {
  return c >= 32 && c <= 126;
}

// "#nn"; built by appending because GCC 12 warns falsely (-Wrestrict) about "#" + std::string.
std::string CharCode(unsigned char c) {
  std::string code(1, '#');
  code += std::to_string(c);
  return code;
}

}  // namespace

void TextFormWriter::Indent(int depth) {
  text_.append(static_cast<size_t>(depth) * 2, ' ');
}

void TextFormWriter::PropertyStart(int depth, std::string_view property) {
  Indent(depth);
  text_ += property;
  text_ += " =";
}

void TextFormWriter::BeginObject(int depth, std::string_view name, std::string_view className) {
  Indent(depth);
  text_ += "object ";
  if (!name.empty()) {
    text_ += name;
    text_ += ": ";
  }
  text_ += className;
  text_ += '\n';
}

void TextFormWriter::EndObject(int depth) {
  Indent(depth);
  text_ += "end\n";
}

void TextFormWriter::Integer(int depth, std::string_view property, int32_t value) {
  PropertyStart(depth, property);
  text_ += ' ' + std::to_string(value) + '\n';
}

std::vector<std::string> TextFormWriter::QuotedPieces(std::string_view value) {
  std::vector<std::string> pieces;
  if (value.empty()) return {"''"};
  size_t i = 0;
  while (i < value.size()) {
    unsigned char c = static_cast<unsigned char>(value[i]);
    if (!IsQuotable(c)) {
      pieces.push_back(CharCode(c));
      ++i;
      continue;
    }
    std::string run = "'";
    while (i < value.size() && IsQuotable(static_cast<unsigned char>(value[i])) &&
           run.size() < kWrapWidth - 3) {
      run += value[i];
      if (value[i] == '\'') run += '\'';
      ++i;
    }
    pieces.push_back(run + "'");
  }
  return pieces;
}

void TextFormWriter::String(int depth, std::string_view property, std::string_view value) {
  std::vector<std::string> pieces = QuotedPieces(value);
  size_t total = 0;
  for (const std::string& piece : pieces) total += piece.size();
  PropertyStart(depth, property);
  if (total <= kWrapWidth) {
    text_ += ' ';
    for (const std::string& piece : pieces) text_ += piece;
    text_ += '\n';
    return;
  }
  // Long strings continue on lines of their own, each but the last ending in " +".
  std::string line;
  for (const std::string& piece : pieces) {
    if (!line.empty() && line.size() + piece.size() > kWrapWidth) {
      text_ += '\n';
      Indent(depth + 1);
      text_ += line + " +";
      line.clear();
    }
    line += piece;
  }
  text_ += '\n';
  Indent(depth + 1);
  text_ += line + '\n';
}

void TextFormWriter::Identifier(int depth, std::string_view property, std::string_view value) {
  PropertyStart(depth, property);
  text_ += ' ';
  text_ += value;
  text_ += '\n';
}

void TextFormWriter::Boolean(int depth, std::string_view property, bool value) {
  PropertyStart(depth, property);
  text_ += value ? " True\n" : " False\n";
}

void TextFormWriter::Binary(int depth, std::string_view property, std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  PropertyStart(depth, property);
  text_ += " {";
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i % kBinaryBytesPerLine == 0) {
      text_ += '\n';
      Indent(depth + 1);
    }
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    text_ += kHex[c >> 4];
    text_ += kHex[c & 15];
  }
  text_ += "}\n";
}

void TextFormWriter::Set(int depth, std::string_view property,
                         const std::vector<std::string>& items) {
  PropertyStart(depth, property);
  text_ += " [";
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) text_ += ", ";
    text_ += items[i];
  }
  text_ += "]\n";
}

}  // namespace formtext
