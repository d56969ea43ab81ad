#include "foundation/acGraphics.h"

#include "platform/platform.h"

const TEnumInfo& TacScreenColorModeInfo() {
  static const TEnumInfo info("TacScreenColorMode",
                              {"sm4bit", "sm8bit", "sm16bit", "sm24bit", "sm32bit"});
  return info;
}

const TEnumInfo& TacScreenResolutionInfo() {
  static const TEnumInfo info(
      "TacScreenResolution",
      {"sr640x480", "sr800x600", "sr1024x768", "sr1152x864", "sr1280x960", "sr1280x1024",
       "sr1600x1200", "sr1920x1080", "sr1920x1200", "sr480x640", "sr600x800", "sr768x1024",
       "sr864x1152", "sr960x1280", "sr1024x1280", "sr1200x1600", "sr1080x1920", "sr1200x1920"});
  return info;
}

namespace {

TacScreenColorMode ColorModeOfDepth(int Bits) {
  switch (Bits) {
    case 4:
      return sm4bit;
    case 16:
      return sm16bit;
    case 24:
      return sm24bit;
    case 32:
      return sm32bit;
    default:
      return sm8bit;
  }
}

// The whole screen's device context, released however the scope is left.
class TScreenDC {
 public:
  TScreenDC() : dc_(GetDC(nullptr)) {}
  ~TScreenDC() {
    if (dc_ != nullptr) ReleaseDC(nullptr, dc_);
  }
  TScreenDC(const TScreenDC&) = delete;
  TScreenDC& operator=(const TScreenDC&) = delete;
  HDC Handle() const { return dc_; }

 private:
  HDC dc_;
};

}  // namespace

TacScreenColorMode GetScreenColorMode() {
  TScreenDC screen;
  return ColorModeOfDepth(GetDeviceCaps(screen.Handle(), BITSPIXEL));
}
