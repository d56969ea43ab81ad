// The controls in real windows: the cursor table and the cursor over the logo, what the image,
// the labels and the bitmap button paint, and mouse clicks on windowless controls.
#include <functional>
#include <string>

#include "TestForm.h"
#include "toolkit/ui/TJPEGImage.h"

namespace {

// The form's client area as painted (the form paints into the window; we read it back).
class TCapture {
 public:
  explicit TCapture(TForm& Form) : form_(Form) {
    RedrawWindow(form_.Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    dc_ = GetDC(form_.Handle());
  }
  ~TCapture() { ReleaseDC(form_.Handle(), dc_); }
  COLORREF At(int X, int Y) const { return GetPixel(dc_, X, Y); }
  int CountNot(const RECT& R, COLORREF C) const {
    int n = 0;
    for (int y = R.top; y < R.bottom; ++y)
      for (int x = R.left; x < R.right; ++x) n += GetPixel(dc_, x, y) != C ? 1 : 0;
    return n;
  }

 private:
  TForm& form_;
  HDC dc_ = nullptr;
};

TEST_F(ToolkitTest, CursorTableLookups) {
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  HCURSOR hand = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(32761));
  ASSERT_NE(hand, nullptr);  // the test program carries the hand cursor
  EXPECT_EQ(Screen->Cursors(crHandPoint), hand);
  EXPECT_NE(hand, arrow);
  EXPECT_EQ(Screen->Cursors(crDefault), arrow);
  EXPECT_EQ(Screen->Cursors(crArrow), arrow);
  EXPECT_EQ(Screen->Cursors(crIBeam), LoadCursorA(nullptr, IDC_IBEAM));
  EXPECT_EQ(Screen->Cursors(crNone), nullptr);
  // A number without an entry shows the default cursor.
  EXPECT_FALSE(Screen->HasCursor(-193));
  EXPECT_EQ(Screen->Cursors(-193), arrow);
  EXPECT_EQ(Screen->Cursors(12345), arrow);
  // Storing replaces, a null handle removes the entry again.
  Screen->SetCursors(-193, hand);
  EXPECT_TRUE(Screen->HasCursor(-193));
  EXPECT_EQ(Screen->Cursors(-193), hand);
  Screen->SetCursors(-193, LoadCursorA(nullptr, IDC_CROSS));
  EXPECT_EQ(Screen->Cursors(-193), LoadCursorA(nullptr, IDC_CROSS));
  Screen->SetCursors(-193, nullptr);
  EXPECT_FALSE(Screen->HasCursor(-193));
  EXPECT_EQ(Screen->Cursors(-193), arrow);
  // The default itself can be replaced (and restored with null).
  Screen->SetCursors(crDefault, hand);
  EXPECT_EQ(Screen->Cursors(777), hand);
  Screen->SetCursors(crDefault, nullptr);
  EXPECT_EQ(Screen->Cursors(777), arrow);
}

TEST_F(ToolkitTest, HandCursorOverTheLogoArrowElsewhere) {
  TTestForm* form = CreateTestForm();
  form->Show();
  HWND h = form->Handle();
  // Moves the pointer and lets the form choose the cursor, until the expected one shows or a
  // second has passed. Under Wine the move reaches the X server asynchronously, and the mouse
  // messages of the old position may still be queued: they are processed first, as the message
  // loop would.
  auto cursorAt = [h](int X, int Y, HCURSOR expected) {
    POINT p = {X, Y};
    ClientToScreen(h, &p);
    SetCursorPos(p.x, p.y);
    HCURSOR shown = nullptr;
    for (int i = 0; i < 50 && shown != expected; ++i) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      SendMessageA(h, WM_SETCURSOR, reinterpret_cast<WPARAM>(h),
                   MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
      shown = GetCursor();
      if (shown != expected) Sleep(20);
    }
    return shown;
  };
  const RECT logo = form->Image1->BoundsRect();
  const HCURSOR hand = Screen->Cursors(crHandPoint);
  const HCURSOR arrow = Screen->Cursors(crDefault);
  ASSERT_NE(hand, arrow);
  EXPECT_EQ(cursorAt((logo.left + logo.right) / 2, (logo.top + logo.bottom) / 2, hand), hand);
  EXPECT_EQ(cursorAt(logo.right + 40, logo.top + 5, arrow), arrow);
}

TEST_F(ToolkitTest, ImageLabelsAndBackgroundArePainted) {
  TTestForm* form = CreateTestForm();
  form->Show();
  TCapture screen(*form);
  auto* jpeg = dynamic_cast<TJPEGImage*>(form->Image1->Picture()->Graphic());
  ASSERT_NE(jpeg, nullptr);
  // The picture at its own size at the control's top left: sampled pixels match the decoded
  // ones (the screen is 24-bit here, so exact).
  const int x0 = form->Image1->Left();
  const int y0 = form->Image1->Top();
  int matches = 0;
  int samples = 0;
  for (int y = 3; y < 89; y += 11) {
    for (int x = 5; x < 197; x += 17) {
      const uint32_t rgb = jpeg->Pixel(x, y);
      const COLORREF want = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
      matches += screen.At(x0 + x, y0 + y) == want ? 1 : 0;
      ++samples;
    }
  }
  EXPECT_EQ(matches, samples);
  // Labels put ink on white; an empty area stays white.
  const RECT l2 = form->Label2->BoundsRect();
  EXPECT_GT(screen.CountNot(l2, RGB(255, 255, 255)), 50);
  const RECT empty = {300, 20, 400, 60};
  EXPECT_EQ(screen.CountNot(empty, RGB(255, 255, 255)), 0);
}

TEST_F(ToolkitTest, BitBtnGlyphTransparentAndCentredWithTheCaption) {
  TTestForm* form = CreateTestForm();
  TBitBtn* b = form->Button1;
  EXPECT_EQ(b->Kind(), bkOK);
  EXPECT_TRUE(b->Default());
  EXPECT_EQ(form->DefaultButton(), b);
  ASSERT_NE(b->Glyph(), nullptr);
  EXPECT_EQ(b->NumGlyphs(), 2);
  EXPECT_EQ(b->ShownCaption(), "Jetzt installieren!");

  // Draw the button into a memory bitmap through its owner-draw path.
  const int w = b->Width();
  const int h = b->Height();
  HDC screenDc = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screenDc);
  HBITMAP bmp = CreateCompatibleBitmap(screenDc, w, h);
  ReleaseDC(nullptr, screenDc);
  HGDIOBJ old = SelectObject(dc, bmp);
  DRAWITEMSTRUCT item = {};
  item.CtlType = ODT_BUTTON;
  item.itemAction = ODA_DRAWENTIRE;
  item.hwndItem = b->Handle();
  item.hDC = dc;
  item.rcItem = {0, 0, w, h};
  b->DrawItem(item);

  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  int olive = 0;
  int green = 0;
  int inkLeft = w;
  int inkRight = 0;
  for (int y = 2; y < h - 2; ++y) {
    for (int x = 2; x < w - 2; ++x) {
      const COLORREF c = GetPixel(dc, x, y);
      if (c == RGB(128, 128, 0)) ++olive;  // the glyph's background colour
      if (GetGValue(c) > 100 && GetRValue(c) < 100 && GetBValue(c) < 100) ++green;
      if (c != face && x > 4 && x < w - 5 && y > 4 && y < h - 5) {
        inkLeft = std::min(inkLeft, x);
        inkRight = std::max(inkRight, x);
      }
    }
  }
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
  EXPECT_EQ(olive, 0) << "the bottom-left pixel's colour must be transparent";
  EXPECT_GT(green, 10) << "the enabled glyph (a green tick) is drawn";
  // Glyph + 4 + caption centred together: the ink is balanced around the middle.
  const SIZE text = MeasureText("MS Sans Serif", b->Font()->Height(), false, b->ShownCaption());
  const int total = 18 + 4 + text.cx;
  EXPECT_NEAR(inkLeft, (w - total) / 2, 2);
  EXPECT_NEAR(inkRight, (w - total) / 2 + total - 1, 3);
}

TEST_F(ToolkitTest, KindsGiveCaptionsAndGlyphsOnlyWhereResourcesExist) {
  TTestForm* form = CreateTestForm();
  TBitBtn* b = form->Button1;
  b->SetCaption("");
  EXPECT_EQ(b->ShownCaption(), "OK");
  char text[32] = {};
  GetWindowTextA(b->Handle(), text, sizeof text);
  EXPECT_STREQ(text, "OK");
  b->SetKind(bkCancel);  // no BBCANCEL resource in this program
  EXPECT_EQ(b->Glyph(), nullptr);
  EXPECT_EQ(b->ShownCaption(), "Cancel");
  EXPECT_TRUE(b->Cancel());
  b->SetCaption("Stop");
  EXPECT_EQ(b->ShownCaption(), "Stop");
}

TEST_F(ToolkitTest, MouseClickOnTheLogoFiresItsHandler) {
  TTestForm* form = CreateTestForm();
  form->Show();
  HWND h = form->Handle();
  const RECT logo = form->Image1->BoundsRect();
  const LPARAM inside = MAKELPARAM(logo.left + 20, logo.top + 20);
  const LPARAM outside = MAKELPARAM(logo.right + 30, logo.top + 20);
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, inside);
  SendMessageA(h, WM_LBUTTONUP, 0, inside);
  EXPECT_EQ(form->ImageClicks, 1);
  // Pressed on the logo, released elsewhere: no click; and the other way round.
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, inside);
  SendMessageA(h, WM_LBUTTONUP, 0, outside);
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, outside);
  SendMessageA(h, WM_LBUTTONUP, 0, inside);
  EXPECT_EQ(form->ImageClicks, 1);
  // A label without a handler ignores clicks.
  const RECT l1 = form->Label1->BoundsRect();
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(l1.left + 2, l1.top + 2));
  SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(l1.left + 2, l1.top + 2));
  EXPECT_EQ(form->ImageClicks, 1);
  EXPECT_EQ(form->ButtonClicks, 0);
}

// A press whose capture is taken away (a window pops up and takes the mouse, or the system
// cancels the mode) clicks nothing on its release, on the bitmap button (a window of its own) and
// on the logo (a windowless control of the form); an untouched press and release still clicks.
TEST_F(ToolkitTest, APressThatLostTheCaptureDoesNotClick) {
  TTestForm* form = CreateTestForm();
  form->Show();
  HWND popup = CreateWindowExA(0, "STATIC", "Popup", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(popup, nullptr);
  const RECT logo = form->Image1->BoundsRect();
  struct TTarget {
    const char* Name;
    HWND Window;
    LPARAM Inside;
    const int* Clicks;
  } targets[] = {
      {"button", form->Button1->Handle(), MAKELPARAM(20, 20), &form->ButtonClicks},
      {"logo", form->Handle(), MAKELPARAM(logo.left + 20, logo.top + 20), &form->ImageClicks}};
  struct TTaking {
    const char* Name;
    std::function<void(HWND)> Take;
  } takings[] = {{"popup takes the capture", [popup](HWND) { SetCapture(popup); }},
                 {"cancel mode", [](HWND W) { SendMessageA(W, WM_CANCELMODE, 0, 0); }}};
  for (const TTarget& t : targets) {
    for (const TTaking& taking : takings) {
      SCOPED_TRACE(std::string(t.Name) + ", " + taking.Name);
      const int before = *t.Clicks;
      SendMessageA(t.Window, WM_LBUTTONDOWN, MK_LBUTTON, t.Inside);
      EXPECT_EQ(GetCapture(), t.Window);
      taking.Take(t.Window);
      ReleaseCapture();
      SendMessageA(t.Window, WM_LBUTTONUP, 0, t.Inside);
      Application->ProcessMessages();
      EXPECT_EQ(*t.Clicks, before);
      EXPECT_FALSE(form->Button1->Pushed());
      SendMessageA(t.Window, WM_LBUTTONDOWN, MK_LBUTTON, t.Inside);
      SendMessageA(t.Window, WM_LBUTTONUP, 0, t.Inside);
      Application->ProcessMessages();
      EXPECT_EQ(*t.Clicks, before + 1) << "a plain click still clicks";
    }
  }
  // Space pressed on the button, then the focus leaves (the popup is activated) and comes back:
  // the release clicks nothing either.
  form->Button1->SetFocus();
  PostMessageA(form->Button1->Handle(), WM_KEYDOWN, VK_SPACE, 1);
  Application->ProcessMessages();
  ASSERT_TRUE(form->Button1->Pushed());
  SetFocus(popup);
  EXPECT_FALSE(form->Button1->Pushed());
  form->Button1->SetFocus();
  const int before = form->ButtonClicks;
  PostMessageA(form->Button1->Handle(), WM_KEYUP, VK_SPACE, 0xC0000001);
  Application->ProcessMessages();
  EXPECT_EQ(form->ButtonClicks, before);
  DestroyWindow(popup);
}

}  // namespace

namespace {

// System input reaches a window only once Wine has made it active and knows it under the cursor,
// both of which happen asynchronously after Show: waits until the form is active, the cursor is at
// the point and the window there is the target (at most two seconds).
bool ReadyForInputAt(TTestForm* form, HWND target, POINT p) {
  for (int i = 0; i < 100; ++i) {
    SetForegroundWindow(form->Handle());
    SetCursorPos(p.x, p.y);
    Application->ProcessMessages();
    POINT now = {};
    GetCursorPos(&now);
    if (GetForegroundWindow() == form->Handle() && now.x == p.x && now.y == p.y &&
        WindowFromPoint(p) == target) {
      return true;
    }
    Sleep(20);
  }
  return false;
}

// Clicks once or twice at the point as one input sequence. It starts with an absolute move there,
// so the presses land at the point even when a late pointer report from the X server has moved
// Wine's cursor since. Two clicks in one sequence are a double click.
UINT ClickAt(POINT p, int clicks) {
  INPUT inputs[5] = {};
  inputs[0].type = INPUT_MOUSE;
  inputs[0].mi.dx = MulDiv(p.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  inputs[0].mi.dy = MulDiv(p.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  for (int i = 1; i <= 2 * clicks; ++i) {
    inputs[i].type = INPUT_MOUSE;
    inputs[i].mi.dwFlags = i % 2 ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  }
  return SendInput(static_cast<UINT>(1 + 2 * clicks), inputs, sizeof(INPUT));
}

// A real click (system input, as a user's) on the logo of the active form.
TEST_F(ToolkitTest, InputClickOnTheLogoFiresItsHandler) {
  TTestForm* form = CreateTestForm();
  form->Show();
  const RECT logo = form->Image1->BoundsRect();
  POINT p = {(logo.left + logo.right) / 2, (logo.top + logo.bottom) / 2};
  ClientToScreen(form->Handle(), &p);
  ASSERT_TRUE(ReadyForInputAt(form, form->Handle(), p));
  ASSERT_EQ(ClickAt(p, 1), 3u);
  for (int i = 0; i < 150 && form->ImageClicks == 0; ++i) {
    Sleep(20);
    Application->ProcessMessages();
  }
  EXPECT_EQ(form->ImageClicks, 1);
}

}  // namespace

namespace {

// Two quick presses are two clicks: a real double click (system input, both presses within the
// double-click time) on the bitmap button calls its handler twice. The system reports the second
// press to the button as a double click, which an owner-drawn button would not click on.
TEST_F(ToolkitTest, InputDoubleClickOnTheButtonIsTwoClicks) {
  TTestForm* form = CreateTestForm();
  form->Show();
  const HWND button = form->Button1->Handle();
  RECT r = {};
  GetWindowRect(button, &r);
  const POINT middle = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ASSERT_TRUE(ReadyForInputAt(form, button, middle));
  ASSERT_EQ(ClickAt(middle, 2), 5u);
  bool doubleClickPress = false;
  auto handleWaiting = [&] {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_LBUTTONDBLCLK && msg.hwnd == button) doubleClickPress = true;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  };
  for (int i = 0; i < 150 && form->ButtonClicks < 2; ++i) {
    Sleep(20);
    handleWaiting();
  }
  Sleep(100);  // no late third click
  handleWaiting();
  EXPECT_TRUE(doubleClickPress) << "the second press did not arrive as a double click";
  EXPECT_EQ(form->ButtonClicks, 2);
}

}  // namespace
