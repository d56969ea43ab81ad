// A font description (name, height, character set, colour, style) and the Windows font made
// from it. A control owns its TFont as a published sub-object ("Font.Height" in form data).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/platform.h"
#include "toolkit/core/ControlEnums.h"
#include "toolkit/core/GraphicsNames.h"
#include "toolkit/core/TPersistent.h"

// The defaults of a new font: the design tool's window font.
inline constexpr const char* kDefaultFontName = "MS Sans Serif";
inline constexpr int32_t kDefaultFontHeight = -11;
inline constexpr int32_t kDefaultCharset = 1;  // DEFAULT_CHARSET

class TFont : public TPersistent {
  TOOLKIT_CLASS(TFont, TPersistent)

 public:
  TFont();
  ~TFont() override;
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;

  const std::string& Name() const { return name_; }
  void SetName(const std::string& Value);
  // Negative: character height in pixels; positive: cell height.
  int32_t Height() const { return height_; }
  void SetHeight(int32_t Value);
  int32_t Charset() const { return charset_; }
  void SetCharset(int32_t Value);
  TColor Color() const { return color_; }
  void SetColor(TColor Value);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles Value);

  // The Windows font; made on first use and again after a change. The font owns it.
  HFONT Handle();

  // Copies another font's description (and tells OnChange once).
  void Assign(const TPersistent* Source) override;

  // Called after every change of the description.
  void SetOnChange(std::function<void()> Handler) { onChange_ = std::move(Handler); }

  static void Publish(TPublisher<TFont>& P);

 private:
  void Changed();
  void FreeHandle();

  std::string name_ = kDefaultFontName;
  int32_t height_ = kDefaultFontHeight;
  int32_t charset_ = kDefaultCharset;
  TColor color_ = clWindowText;
  TFontStyles style_ = 0;
  HFONT handle_ = nullptr;
  std::function<void()> onChange_;
};

// A colour value as Windows draws it: system colours resolved, markers as black.
COLORREF ColorToRGB(TColor Color);
