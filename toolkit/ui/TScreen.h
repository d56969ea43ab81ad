// The screen object: the cursor table (signed cursor number -> cursor handle) from which every
// control takes the cursor it shows, and the display's density. While it exists its table is the
// current screen's cursor table (ScreenCursors()).
#pragma once

#include <cstdint>
#include "platform/platform.h"
#include "toolkit/core/GraphicsNames.h"
#include "toolkit/core/TComponent.h"
#include "toolkit/core/TCursorTable.h"

class TScreen : public TComponent, public TCursorTable {
  TOOLKIT_CLASS(TScreen, TComponent)

 public:
  // Fills the table with the standard cursors (Windows' own, loaded when first looked up;
  // crHandPoint from the program's cursor resource 32761, else Windows' hand, else the arrow)
  // and reads the density.
  explicit TScreen(TComponent* Owner);
  ~TScreen() override;

  // Pixels per logical inch of the screen (LOGPIXELSY of the screen device context).
  int32_t PixelsPerInch() const { return pixelsPerInch_; }
  // Pretends another density (tests of the scaling; a form reads this while it loads).
  void SetPixelsPerInch(int32_t Value) { pixelsPerInch_ = Value; }

  int32_t Width() const;   // primary screen, pixels
  int32_t Height() const;  // primary screen, pixels

 private:
  void LoadStandardCursors();

  int32_t pixelsPerInch_ = 96;
};

// The screen object, made by the toolkit's start-up routine (null before and after).
extern TScreen* Screen;
