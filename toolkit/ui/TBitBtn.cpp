#include "toolkit/ui/TBitBtn.h"

#include <algorithm>

#include "toolkit/core/TPublisher.h"
#include "toolkit/ui/TForm.h"

namespace {
// Identifier of the button's child window: its WM_COMMAND and WM_DRAWITEM name it.
constexpr UINT_PTR kButtonId = 1;
constexpr UINT kCaptionFormat = DT_SINGLELINE | DT_VCENTER | DT_LEFT;
}  // namespace

std::string KindCaption(TBitBtnKind Kind) {
  static const char* const kCaptions[] = {"",       "OK",    "Cancel", "&Help",   "&Yes", "&No",
                                          "&Close", "Abort", "&Retry", "&Ignore", "&All"};
  return Kind <= bkAll ? kCaptions[Kind] : "";
}

std::string KindGlyphResource(TBitBtnKind Kind) {
  static const char* const kGlyphs[] = {"",        "BBOK",     "BBCANCEL", "BBHELP",
                                        "BBYES",   "BBNO",     "BBCLOSE",  "BBABORT",
                                        "BBRETRY", "BBIGNORE", "BBALL"};
  return Kind <= bkAll ? kGlyphs[Kind] : "";
}

TBitBtn::TBitBtn(TComponent* Owner) : TControl(Owner) {}

TBitBtn::~TBitBtn() {
  DestroyHandle();
  FreeGlyph();
}

void TBitBtn::SetKind(TBitBtnKind Value) {
  if (Value > bkAll) Value = bkCustom;
  kind_ = Value;
  if (kind_ == bkOK) default_ = true;
  if (kind_ == bkCancel || kind_ == bkClose) cancel_ = true;
  LoadGlyph();
  CaptionChanged();
  Invalidate();
}

void TBitBtn::SetDefault(bool Value) {
  default_ = Value;
  if (handle_) InvalidateRect(handle_, nullptr, FALSE);
}

std::string TBitBtn::ShownCaption() const {
  return Caption().empty() ? KindCaption(kind_) : Caption();
}

void TBitBtn::LoadGlyph() {
  FreeGlyph();
  const std::string name = KindGlyphResource(kind_);
  if (name.empty()) return;
  glyph_ = static_cast<HBITMAP>(
      LoadImageA(GetModuleHandleA(nullptr), name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!glyph_) return;  // a kind without its resource shows its caption only
  BITMAP bm = {};
  GetObjectA(glyph_, sizeof bm, &bm);
  // Square glyphs side by side: enabled, disabled (, clicked, down).
  numGlyphs_ =
      bm.bmHeight > 0 ? std::clamp(static_cast<int32_t>(bm.bmWidth / bm.bmHeight), 1, 4) : 1;
}

void TBitBtn::FreeGlyph() {
  if (glyph_) DeleteObject(glyph_);
  glyph_ = nullptr;
  numGlyphs_ = 0;
}

void TBitBtn::CreateHandle() {
  if (handle_ || !Parent()) return;
  HWND parent = Parent()->Handle();
  if (!parent) return;
  const std::string text = ShownCaption();
  handle_ = CreateWindowExA(0, "BUTTON", text.c_str(),
                            WS_CHILD | WS_TABSTOP | BS_OWNERDRAW | (Visible() ? WS_VISIBLE : 0) |
                                (Enabled() ? 0 : WS_DISABLED),
                            Left(), Top(), Width(), Height(), parent,
                            reinterpret_cast<HMENU>(kButtonId), GetModuleHandleA(nullptr), nullptr);
  if (handle_) {
    SetWindowLongPtrA(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    buttonProc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TBitBtn::ButtonWndProc)));
    SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), FALSE);
  }
}

void TBitBtn::DestroyHandle() {
  if (!handle_) return;
  HWND h = handle_;
  handle_ = nullptr;
  DestroyWindow(h);
}

LRESULT CALLBACK TBitBtn::ButtonWndProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  auto* button = reinterpret_cast<TBitBtn*>(GetWindowLongPtrA(Window, GWLP_USERDATA));
  const WNDPROC system = button ? button->buttonProc_ : nullptr;
  if (!system) return DefWindowProcA(Window, Message, WParam, LParam);
  if (Message == WM_NCDESTROY) {
    // The window's last message: it leaves with the system's procedure and no owner object.
    SetWindowLongPtrA(Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(system));
    SetWindowLongPtrA(Window, GWLP_USERDATA, 0);
  }
  // The system button captures and shows itself pushed on a press, and clicks on the release
  // over it; on a double-click press it would only notify the parent.
  if (Message == WM_LBUTTONDBLCLK) Message = WM_LBUTTONDOWN;
  // A Space press ends where the focus or the mouse leaves (another window came up): its
  // release clicks nothing. The system button itself lets go of a mouse press on the same
  // messages.
  if (Message == WM_KILLFOCUS || Message == WM_CANCELMODE) button->CancelPress();
  return CallWindowProcA(system, Window, Message, WParam, LParam);
}

bool TBitBtn::CanFocus() const {
  return Visible() && Enabled();
}

bool TBitBtn::Focused() const {
  return handle_ && GetFocus() == handle_;
}

void TBitBtn::SetFocus() {
  if (handle_ && CanFocus()) ::SetFocus(handle_);
}

void TBitBtn::PressDown() {
  if (!CanFocus()) return;
  pushed_ = true;
  if (handle_) SendMessageA(handle_, BM_SETSTATE, TRUE, 0);
}

void TBitBtn::CancelPress() {
  if (!pushed_) return;
  pushed_ = false;
  if (handle_) SendMessageA(handle_, BM_SETSTATE, FALSE, 0);
}

bool TBitBtn::ReleaseAndClick() {
  if (!pushed_) return false;
  pushed_ = false;
  if (handle_) SendMessageA(handle_, BM_SETSTATE, FALSE, 0);
  if (!CanFocus()) return false;
  Click();
  return true;
}

void TBitBtn::DrawGlyph(HDC Dc, int32_t X, int32_t Y, bool Enabled) {
  BITMAP bm = {};
  GetObjectA(glyph_, sizeof bm, &bm);
  const int32_t size = bm.bmHeight;
  const int32_t index = (!Enabled && numGlyphs_ > 1) ? 1 : 0;
  HDC image = CreateCompatibleDC(Dc);
  HDC mask = CreateCompatibleDC(Dc);
  HBITMAP maskBitmap = CreateBitmap(size, size, 1, 1, nullptr);
  HGDIOBJ oldImage = SelectObject(image, glyph_);
  HGDIOBJ oldMask = SelectObject(mask, maskBitmap);
  // The colour of the bottom-left pixel is the transparent one: it becomes 1 in the mask.
  const COLORREF transparent = GetPixel(image, 0, bm.bmHeight - 1);
  SetBkColor(image, transparent);
  BitBlt(mask, 0, 0, size, size, image, index * size, 0, SRCCOPY);
  // dst ^ img, masked to black where the glyph is, ^ img again: the glyph over the button.
  const COLORREF oldText = SetTextColor(Dc, RGB(0, 0, 0));
  const COLORREF oldBack = SetBkColor(Dc, RGB(255, 255, 255));
  BitBlt(Dc, X, Y, size, size, image, index * size, 0, SRCINVERT);
  BitBlt(Dc, X, Y, size, size, mask, 0, 0, SRCAND);
  BitBlt(Dc, X, Y, size, size, image, index * size, 0, SRCINVERT);
  SetTextColor(Dc, oldText);
  SetBkColor(Dc, oldBack);
  SelectObject(mask, oldMask);
  SelectObject(image, oldImage);
  DeleteObject(maskBitmap);
  DeleteDC(mask);
  DeleteDC(image);
}

void TBitBtn::DrawItem(const DRAWITEMSTRUCT& Item) {
  HDC dc = Item.hDC;
  RECT r = Item.rcItem;
  const bool pressed = (Item.itemState & ODS_SELECTED) != 0;
  const bool focused = (Item.itemState & ODS_FOCUS) != 0;
  const bool enabled = (Item.itemState & ODS_DISABLED) == 0;

  // The default (or focused) button wears a black outer frame.
  if (default_ || focused) {
    FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InflateRect(&r, -1, -1);
  }
  DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));

  // Glyph and caption side by side, centred together.
  HGDIOBJ oldFont = SelectObject(dc, Font()->Handle());
  const std::string text = ShownCaption();
  RECT textRect = {0, 0, 0, 0};
  if (!text.empty()) {
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
              kCaptionFormat | DT_CALCRECT);
  }
  const int32_t textWidth = textRect.right - textRect.left;
  const int32_t textHeight = textRect.bottom - textRect.top;
  BITMAP bm = {};
  if (glyph_) GetObjectA(glyph_, sizeof bm, &bm);
  const int32_t glyphSize = glyph_ ? bm.bmHeight : 0;
  const int32_t gap = (glyphSize > 0 && textWidth > 0) ? spacing_ : 0;
  const int32_t total = glyphSize + gap + textWidth;
  const int32_t shift = pressed ? 1 : 0;
  const int32_t width = Item.rcItem.right - Item.rcItem.left;
  const int32_t height = Item.rcItem.bottom - Item.rcItem.top;
  const int32_t x = (width - total) / 2 + shift;
  if (glyphSize > 0) DrawGlyph(dc, x, (height - glyphSize) / 2 + shift, enabled);
  if (textWidth > 0) {
    RECT place = {x + glyphSize + gap, (height - textHeight) / 2 + shift, 0, 0};
    place.right = place.left + textWidth;
    place.bottom = place.top + textHeight;
    SetBkMode(dc, TRANSPARENT);
    if (enabled) {
      SetTextColor(dc, ColorToRGB(Font()->Color()));
      DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &place, kCaptionFormat);
    } else {
      // Embossed grey, as Windows draws disabled text.
      OffsetRect(&place, 1, 1);
      SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
      DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &place, kCaptionFormat);
      OffsetRect(&place, -1, -1);
      SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
      DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &place, kCaptionFormat);
    }
  }
  SelectObject(dc, oldFont);

  if (focused) {
    RECT focus = r;
    InflateRect(&focus, -3, -3);
    DrawFocusRect(dc, &focus);
  }
}

void TBitBtn::FontChanged() {
  TControl::FontChanged();
  if (handle_) {
    SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), TRUE);
  }
}

void TBitBtn::CaptionChanged() {
  if (handle_) SetWindowTextA(handle_, ShownCaption().c_str());
}

void TBitBtn::BoundsChanged() {
  if (handle_) MoveWindow(handle_, Left(), Top(), Width(), Height(), TRUE);
}

void TBitBtn::EnabledChanged() {
  if (handle_) EnableWindow(handle_, Enabled());
}

void TBitBtn::Publish(TPublisher<TBitBtn>& P) {
  P.String("Caption", &TBitBtn::Caption, &TBitBtn::SetCaption).StoredWhen([](const TBitBtn& B) {
    return B.Caption() != KindCaption(B.Kind());
  });
  P.Boolean("Default", &TBitBtn::Default, &TBitBtn::SetDefault, false)
      .StoredWhen([](const TBitBtn& B) { return B.Kind() == bkCustom; });
  P.Boolean("Cancel", &TBitBtn::Cancel, &TBitBtn::SetCancel, false)
      .StoredWhen([](const TBitBtn& B) { return B.Kind() == bkCustom; });
  P.Integer("TabOrder", &TBitBtn::TabOrder, &TBitBtn::SetTabOrder, -1);
  P.Enum("Kind", TBitBtnKindInfo(), &TBitBtn::Kind, &TBitBtn::SetKind, bkCustom);
  P.Object("Font", &TBitBtn::Font).StoredWhen([](const TBitBtn& B) { return !B.ParentFont(); });
  P.Boolean("ParentFont", &TBitBtn::ParentFont, &TBitBtn::SetParentFont, true);
  P.Event("OnClick", &TBitBtn::OnClick, &TBitBtn::SetOnClick);
}
