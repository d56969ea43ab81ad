#include "toolkit/ui/TFont.h"

#include <cstdint>

#include "toolkit/core/TPublisher.h"

namespace {
// Outside every 32-bit value: makes the writer store the property whatever its value, as the
// design tool stores a font completely once it stores it at all.
constexpr int64_t kAlwaysStored = INT64_MIN;
constexpr TSetValue kAlwaysStoredSet = 0xFFFFFFFFu;
}  // namespace

TFont::TFont() = default;

TFont::~TFont() {
  FreeHandle();
}

void TFont::SetName(const std::string& Value) {
  if (Value == name_) return;
  name_ = Value;
  Changed();
}

void TFont::SetHeight(int32_t Value) {
  if (Value == height_) return;
  height_ = Value;
  Changed();
}

void TFont::SetCharset(int32_t Value) {
  // A character set is one byte in the Windows font description.
  const int32_t v = Value & 0xFF;
  if (v == charset_) return;
  charset_ = v;
  Changed();
}

void TFont::SetColor(TColor Value) {
  if (Value == color_) return;
  color_ = Value;
  Changed();
}

void TFont::SetStyle(TFontStyles Value) {
  const TFontStyles v = Value & 0x0F;  // four styles
  if (v == style_) return;
  style_ = v;
  Changed();
}

HFONT TFont::Handle() {
  if (!handle_) {
    LOGFONTA lf = {};
    lf.lfHeight = height_;
    lf.lfWeight = (style_ & (1u << fsBold)) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (style_ & (1u << fsItalic)) ? 1 : 0;
    lf.lfUnderline = (style_ & (1u << fsUnderline)) ? 1 : 0;
    lf.lfStrikeOut = (style_ & (1u << fsStrikeOut)) ? 1 : 0;
    lf.lfCharSet = static_cast<BYTE>(charset_);
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH;
    lstrcpynA(lf.lfFaceName, name_.c_str(), LF_FACESIZE);
    handle_ = CreateFontIndirectA(&lf);
    // A font Windows cannot make falls back to the stock GUI font (never destroyed).
    if (!handle_) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  }
  return handle_;
}

void TFont::Assign(const TPersistent* Source) {
  const auto* other = dynamic_cast<const TFont*>(Source);
  if (!other) {
    TPersistent::Assign(Source);
    return;
  }
  if (other == this) return;
  name_ = other->name_;
  height_ = other->height_;
  charset_ = other->charset_;
  color_ = other->color_;
  style_ = other->style_;
  Changed();
}

void TFont::Changed() {
  FreeHandle();
  if (onChange_) onChange_();
}

void TFont::FreeHandle() {
  if (handle_) {
    DeleteObject(handle_);
    handle_ = nullptr;
  }
}

void TFont::Publish(TPublisher<TFont>& P) {
  P.Integer("Charset", &TFont::Charset, &TFont::SetCharset, kAlwaysStored, kCharsetType);
  P.Integer("Color", &TFont::Color, &TFont::SetColor, kAlwaysStored, kColorType);
  P.Integer("Height", &TFont::Height, &TFont::SetHeight, kAlwaysStored);
  P.String("Name", &TFont::Name, &TFont::SetName);
  P.Set("Style", TFontStyleInfo(), &TFont::Style, &TFont::SetStyle, kAlwaysStoredSet);
}

COLORREF ColorToRGB(TColor Color) {
  const auto v = static_cast<uint32_t>(Color);
  if (v & 0x80000000u) return GetSysColor(static_cast<int>(v & 0xFF));
  if (Color == clNone || Color == clDefault) return RGB(0, 0, 0);
  return v & 0x00FFFFFFu;
}
