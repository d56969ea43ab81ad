#include "toolkit/ui/TControl.h"

#include <algorithm>

#include "toolkit/core/FormLayout.h"
#include "toolkit/core/ToolkitErrors.h"
#include "toolkit/ui/TForm.h"

TControl::TControl(TComponent* Owner) : TComponent(Owner), font_(std::make_unique<TFont>()) {
  font_->SetOnChange([this] { OwnFontChanged(); });
}

TControl::~TControl() {
  font_->SetOnChange(nullptr);
  if (parent_) parent_->RemoveControl(this);
}

void TControl::SetBounds(int32_t Left, int32_t Top, int32_t Width, int32_t Height) {
  Width = std::max(Width, 0);
  Height = std::max(Height, 0);
  if (Left == left_ && Top == top_ && Width == width_ && Height == height_) return;
  Invalidate();
  left_ = Left;
  top_ = Top;
  width_ = Width;
  height_ = Height;
  Invalidate();
  BoundsChanged();
}

RECT TControl::BoundsRect() const {
  return RECT{left_, top_, left_ + width_, top_ + height_};
}

void TControl::SetCaption(const std::string& Value) {
  if (Value == caption_) return;
  caption_ = Value;
  CaptionChanged();
  if (!InState(csLoading)) AdjustSize();
  Invalidate();
}

void TControl::SetParentFont(bool Value) {
  parentFont_ = Value;
  if (Value) ParentFontChanged();
}

void TControl::SetEnabled(bool Value) {
  if (Value == enabled_) return;
  enabled_ = Value;
  EnabledChanged();
  Invalidate();
}

void TControl::SetVisible(bool Value) {
  if (Value == visible_) return;
  Invalidate();
  visible_ = Value;
  if (HWND h = Handle()) ShowWindow(h, Value ? SW_SHOWNA : SW_HIDE);
  Invalidate();
}

void TControl::Click() {
  onClick_(this);
}

void TControl::SetParent(TForm* Form) {
  if (Form == parent_) return;
  if (parent_) {
    DestroyHandle();
    parent_->RemoveControl(this);
  }
  parent_ = Form;
  if (parent_) {
    parent_->InsertControl(this);
    if (parentFont_) ParentFontChanged();
    if (parent_->HandleAllocated()) CreateHandle();
  }
}

void TControl::SetParentComponent(TComponent* Parent) {
  if (Parent == nullptr) {
    SetParent(nullptr);
    return;
  }
  auto* form = dynamic_cast<TForm*>(Parent);
  if (!form) {
    throw EReadError("A " + ClassName() + " can only be placed on a form, not on a " +
                     Parent->ClassName());
  }
  SetParent(form);
}

TComponent* TControl::GetParentComponent() const {
  return parent_;
}

void TControl::Paint(HDC) {}

void TControl::ScaleBy(int32_t M, int32_t D) {
  const TLayoutScale s{M, D};
  if (!s.Active()) return;
  // Each figure on its own, as the design tool scales them.
  SetBounds(s(left_), s(top_), s(width_), s(height_));
  if (!parentFont_) font_->SetHeight(s(font_->Height()));
  if (!InState(csLoading)) AdjustSize();
}

void TControl::ParentFontChanged() {
  if (!parentFont_ || !parent_) return;
  copyingParentFont_ = true;
  try {
    font_->Assign(parent_->Font());
  } catch (...) {
    copyingParentFont_ = false;
    throw;
  }
  copyingParentFont_ = false;
}

void TControl::Invalidate() {
  if (parent_ && visible_ && width_ > 0 && height_ > 0) parent_->InvalidateRect(BoundsRect());
}

void TControl::Loaded() {
  TComponent::Loaded();
  AdjustSize();
}

void TControl::FontChanged() {
  if (!InState(csLoading)) AdjustSize();
  Invalidate();
}

void TControl::OwnFontChanged() {
  // A change made to the font itself (not the copy from the parent) gives the control its own.
  if (!copyingParentFont_) parentFont_ = false;
  FontChanged();
}

void TControl::Publish(TPublisher<TControl>& P) {
  P.Integer("Left", &TControl::Left, &TControl::SetLeft);
  P.Integer("Top", &TControl::Top, &TControl::SetTop);
  P.Integer("Width", &TControl::Width, &TControl::SetWidth);
  P.Integer("Height", &TControl::Height, &TControl::SetHeight);
}
