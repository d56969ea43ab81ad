#include "toolkit/ui/TImage.h"

#include "toolkit/core/TPublisher.h"

TImage::TImage(TComponent* Owner) : TControl(Owner), picture_(std::make_unique<TPicture>()) {
  picture_->SetOnChange([this] { PictureChanged(); });
}

TImage::~TImage() {
  picture_->SetOnChange(nullptr);
}

void TImage::SetAutoSize(bool Value) {
  autoSize_ = Value;
  if (Value) AdjustSize();
}

void TImage::Paint(HDC Dc) {
  if (TGraphic* g = picture_->Graphic()) {
    if (!g->Empty()) g->Draw(Dc, 0, 0);
  }
}

void TImage::AdjustSize() {
  // Only a picture with a size gives its size; an empty one leaves the design size.
  if (autoSize_ && picture_->Width() > 0 && picture_->Height() > 0) {
    SetBounds(Left(), Top(), picture_->Width(), picture_->Height());
  }
}

void TImage::PictureChanged() {
  AdjustSize();
  Invalidate();
}

void TImage::Publish(TPublisher<TImage>& P) {
  P.Integer("Cursor", &TImage::Cursor, &TImage::SetCursor, crDefault, kCursorType);
  P.Boolean("AutoSize", &TImage::AutoSize, &TImage::SetAutoSize, false);
  P.Object("Picture", &TImage::Picture);
  P.Event("OnClick", &TImage::OnClick, &TImage::SetOnClick);
}
