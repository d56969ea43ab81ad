// The screen object: the cursor table (signed cursor number -> cursor handle) from which every
// control takes the cursor it shows, and the display's density.
#pragma once

#include <cstdint>
#include <map>

#include "platform/platform.h"
#include "toolkit/GraphicsNames.h"
#include "toolkit/TComponent.h"

class TScreen : public TComponent {
  TOOLKIT_CLASS(TScreen, TComponent)

 public:
  // Fills the table with the standard cursors (Windows' own; crHandPoint from the program's
  // cursor resource 32761, else Windows' hand, else the arrow) and reads the density.
  explicit TScreen(TComponent* Owner);
  ~TScreen() override;

  // The handle under Index; the default cursor where the number has no entry. crNone shows no
  // cursor (null).
  HCURSOR Cursors(TCursor Index) const;
  // Stores Handle under Index, replacing an earlier entry; a null Handle removes the entry
  // (for crDefault it restores the arrow). The table does not destroy handles it is given.
  void SetCursors(TCursor Index, HCURSOR Handle);
  // Whether Index has an entry of its own (crDefault always has).
  bool HasCursor(TCursor Index) const;

  // Pixels per logical inch of the screen (LOGPIXELSY of the screen device context).
  int32_t PixelsPerInch() const { return pixelsPerInch_; }
  // Pretends another density (tests of the scaling; a form reads this while it loads).
  void SetPixelsPerInch(int32_t Value) { pixelsPerInch_ = Value; }

  int32_t Width() const;   // primary screen, pixels
  int32_t Height() const;  // primary screen, pixels

 private:
  void LoadStandardCursors();

  HCURSOR default_ = nullptr;
  std::map<TCursor, HCURSOR> cursors_;
  int32_t pixelsPerInch_ = 96;
};

// The screen object, made by the toolkit's start-up routine (null before and after).
extern TScreen* Screen;
