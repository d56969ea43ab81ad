// A windowless image control: draws its picture at its own size at the top left; with AutoSize
// it takes the picture's size.
#pragma once

#include <memory>

#include "toolkit/ui/TControl.h"
#include "toolkit/ui/TPicture.h"

class TImage : public TControl {
  TOOLKIT_CLASS(TImage, TControl)

 public:
  explicit TImage(TComponent* Owner);
  ~TImage() override;

  TPicture* Picture() const { return picture_.get(); }
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool Value);

  void Paint(HDC Dc) override;
  static void Publish(TPublisher<TImage>& P);

 protected:
  void AdjustSize() override;

 private:
  void PictureChanged();

  std::unique_ptr<TPicture> picture_;
  bool autoSize_ = false;
};
