#include "toolkit/ui/TLabel.h"

#include "toolkit/core/TPublisher.h"
#include "toolkit/ui/TForm.h"

namespace {
constexpr UINT kTextFormat = DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOCLIP;
}

TLabel::TLabel(TComponent* Owner) : TControl(Owner) {}

void TLabel::SetAutoSize(bool Value) {
  autoSize_ = Value;
  if (Value && !InState(csLoading)) AdjustSize();
}

SIZE TLabel::TextExtent() {
  SIZE size = {0, 0};
  HDC dc = GetDC(nullptr);
  if (!dc) return size;
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  // An empty caption still has the height of a line.
  const std::string& text = Caption().empty() ? std::string(" ") : Caption();
  RECT r = {0, 0, 0, 0};
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, kTextFormat | DT_CALCRECT);
  size.cx = Caption().empty() ? 0 : r.right - r.left;
  size.cy = r.bottom - r.top;
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return size;
}

void TLabel::Paint(HDC Dc) {
  const RECT r = {0, 0, Width(), Height()};
  // The background is the parent form's colour.
  const TColor back = Parent() ? Parent()->Color() : clBtnFace;
  HBRUSH brush = CreateSolidBrush(ColorToRGB(back));
  FillRect(Dc, &r, brush);
  DeleteObject(brush);
  if (Caption().empty()) return;
  HGDIOBJ old = SelectObject(Dc, Font()->Handle());
  SetBkMode(Dc, TRANSPARENT);
  SetTextColor(Dc, Enabled() ? ColorToRGB(Font()->Color()) : GetSysColor(COLOR_GRAYTEXT));
  RECT text = r;
  DrawTextA(Dc, Caption().c_str(), static_cast<int>(Caption().size()), &text, kTextFormat);
  SelectObject(Dc, old);
}

void TLabel::AdjustSize() {
  if (!autoSize_ || InState(csLoading)) return;
  const SIZE size = TextExtent();
  SetBounds(Left(), Top(), size.cx, size.cy);
}

void TLabel::Publish(TPublisher<TLabel>& P) {
  P.Integer("Cursor", &TLabel::Cursor, &TLabel::SetCursor, crDefault, kCursorType);
  P.String("Caption", &TLabel::Caption, &TLabel::SetCaption);
  P.Boolean("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize, true);
  P.Object("Font", &TLabel::Font).StoredWhen([](const TLabel& L) { return !L.ParentFont(); });
  P.Boolean("ParentFont", &TLabel::ParentFont, &TLabel::SetParentFont, true);
  P.Event("OnClick", &TLabel::OnClick, &TLabel::SetOnClick);
}
