// More cursors and colour names than the toolkit's standard ones, and the screen's colour depth.
//
// At start-up the module loads its 41 cursors from the program's cursor resources, takes two
// shared system cursors, and stores all 43 in the screen's cursor table under the numbers below;
// it then registers conversions for the property types "TCursor" and "TColor" that know the extra
// names and fall back to the toolkit's standard ones, so form data can name crZoomIn or clOrange.
// At shut-down it destroys the cursors it loaded (never the shared system ones).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "toolkit/core/GraphicsNames.h"
#include "toolkit/core/Modules.h"
#include "toolkit/core/TEnumInfo.h"

// Bits per pixel of the screen: 4, 8, 16, 24, 32.
enum TacScreenColorMode : uint8_t { sm4bit, sm8bit, sm16bit, sm24bit, sm32bit };
const TEnumInfo& TacScreenColorModeInfo();

// Screen sizes, width x height: the nine landscape sizes, then the same sizes upright.
enum TacScreenResolution : uint8_t {
  sr640x480,
  sr800x600,
  sr1024x768,
  sr1152x864,
  sr1280x960,
  sr1280x1024,
  sr1600x1200,
  sr1920x1080,
  sr1920x1200,
  sr480x640,
  sr600x800,
  sr768x1024,
  sr864x1152,
  sr960x1280,
  sr1024x1280,
  sr1200x1600,
  sr1080x1920,
  sr1200x1920,
};
const TEnumInfo& TacScreenResolutionInfo();

struct TScreenSize {
  uint16_t Width;
  uint16_t Height;
};
// The size each TacScreenResolution stands for, in the enumeration's order.
inline constexpr TScreenSize kScreenSizes[] = {
    {640, 480},   {800, 600},   {1024, 768},  {1152, 864},  {1280, 960},  {1280, 1024},
    {1600, 1200}, {1920, 1080}, {1920, 1200}, {480, 640},   {600, 800},   {768, 1024},
    {864, 1152},  {960, 1280},  {1024, 1280}, {1200, 1600}, {1080, 1920}, {1200, 1920},
};

// The 41 cursors of the program's resources take -193 (crZoomOut) to -153 (cr3dAppStart); the
// two shared system cursors follow.
inline constexpr TCursor crZoomOut = -193;
inline constexpr TCursor crZoomIn = -192;
inline constexpr TCursor crTool = -191;
inline constexpr TCursor crPen = -190;
inline constexpr TCursor crItBeam = -189;
inline constexpr TCursor crHand = -188;
inline constexpr TCursor crDragSelectionPlus = -187;
inline constexpr TCursor crDragSelection = -186;
inline constexpr TCursor crDragFiles = -185;
inline constexpr TCursor crDragFile = -184;
inline constexpr TCursor crArrowSW = -183;
inline constexpr TCursor crArrowResize = -182;
inline constexpr TCursor crArrowSize = -181;
inline constexpr TCursor crArrowSE = -180;
inline constexpr TCursor crArrowScrollVert = -179;
inline constexpr TCursor crArrowScrollHorz = -178;
inline constexpr TCursor crArrowNW = -177;
inline constexpr TCursor crArrowNE = -176;
inline constexpr TCursor cr3dUpArrow = -175;
inline constexpr TCursor cr3dTool = -174;
inline constexpr TCursor cr3dSizeWE = -173;
inline constexpr TCursor cr3dSizeNWSE = -172;
inline constexpr TCursor cr3dSizeNS = -171;
inline constexpr TCursor cr3dSizeNESW = -170;
inline constexpr TCursor cr3dSize = -169;
inline constexpr TCursor cr3dNo = -168;
inline constexpr TCursor cr3dIBeam = -167;
inline constexpr TCursor cr3dHourGlass = -166;
inline constexpr TCursor cr3dHelp = -165;
inline constexpr TCursor cr3dHandwriting = -164;
inline constexpr TCursor cr3dDragSelectionPlus = -163;
inline constexpr TCursor cr3dDragSelection = -162;
inline constexpr TCursor cr3dCross = -161;
inline constexpr TCursor cr3dArrowWarning = -160;
inline constexpr TCursor cr3dArrowResize = -159;
inline constexpr TCursor cr3dArrowSize = -158;
inline constexpr TCursor cr3dArrowScrollVert = -157;
inline constexpr TCursor cr3dArrowScrollHorz = -156;
inline constexpr TCursor cr3dArrowNE = -155;
inline constexpr TCursor cr3dArrow = -154;
inline constexpr TCursor cr3dAppStart = -153;
inline constexpr TCursor crHandwriting = -152;  // system cursor 32631
inline constexpr TCursor crLinkSelect = -151;   // system hand cursor 32649

inline constexpr TCursor kFirstResourceCursor = crZoomOut;
inline constexpr TCursor kLastResourceCursor = cr3dAppStart;

// The extra colours (red in the lowest byte; 0x80000000 | n is system colour n).
inline constexpr TColor clHotLight = static_cast<TColor>(0x8000001Au);
inline constexpr TColor clContextHelp = 0x00EEFFFF;
inline constexpr TColor clBrown = 0x00003090;
inline constexpr TColor clOliveGreen = 0x00003030;
inline constexpr TColor clDarkGreen = 0x00003000;
inline constexpr TColor clDarkTeal = 0x00603000;
inline constexpr TColor clIndigo = 0x00903030;
inline constexpr TColor clNight = 0x00303030;
inline constexpr TColor clOrange = 0x000068FF;
inline constexpr TColor clBlueGray = 0x00906060;
inline constexpr TColor clLightOrange = 0x000098FF;
inline constexpr TColor clSeaGreen = 0x00609830;
inline constexpr TColor clLightBlue = 0x00FF6830;
inline constexpr TColor clMetal = 0x00909090;
inline constexpr TColor clGold = 0x0000C8FF;
inline constexpr TColor clPlum = 0x00603090;
inline constexpr TColor clRose = 0x00D098FF;
inline constexpr TColor clTan = 0x00A0C8FF;
inline constexpr TColor clLightYellow = 0x0090FFFF;
inline constexpr TColor clLightGreen = 0x00D0FFD0;
inline constexpr TColor clLightTurquoise = 0x00FFFFC0;
inline constexpr TColor clPaleBlue = 0x00FFC890;
inline constexpr TColor clSoftBlue = 0x00E6AA8C;
inline constexpr TColor clLavender = 0x00FF98C0;
inline constexpr TColor clHotFlame = 0x00EAEAFF;
// clDefault (0x20000000, the control's default colour) is in the extra table as well.

// The screen's colour depth (BITSPIXEL of the whole screen's device context); a depth other than
// 4, 8, 16, 24 or 32 reports sm8bit.
TacScreenColorMode GetScreenColorMode();

// Conversions for the table of named integer constants. Names match without regard to ASCII
// letter case; what the extra tables do not know goes to the toolkit's standard conversion.
bool CursorToName(int32_t Value, std::string& Name);
bool NameToCursor(std::string_view Name, int32_t& Value);
bool ColorToName(int32_t Value, std::string& Name);
bool NameToColor(std::string_view Name, int32_t& Value);
// Registers these as the conversions of "TCursor" and "TColor" (after the toolkit's own
// RegisterGraphicsNames), as start-up does; tools that read the program's form data call it too.
void RegisterExtraGraphicsNames();

// Loads the 41 resource cursors into the screen's cursor table, and destroys them again. A
// cursor that cannot be loaded leaves its number to the screen's default cursor.
void LoadExtraCursors();
void FreeExtraCursors();

// Start-up: the two system cursors, LoadExtraCursors, RegisterExtraGraphicsNames. Shut-down:
// FreeExtraCursors.
void acGraphicsStartUp();
void acGraphicsShutDown();
inline constexpr TModule kacGraphicsModule{"acGraphics", acGraphicsStartUp, acGraphicsShutDown};
