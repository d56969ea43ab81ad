// A windowless label: one left-aligned line of text in its font, on the parent form's colour.
// With AutoSize (the default) it sizes itself to its text.
#pragma once

#include "toolkit/ui/TControl.h"

class TLabel : public TControl {
  TOOLKIT_CLASS(TLabel, TControl)

 public:
  explicit TLabel(TComponent* Owner);

  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool Value);

  // The size the caption needs in the label's font (an empty caption measures as one space
  // high and 0 wide).
  SIZE TextExtent();

  void Paint(HDC Dc) override;
  static void Publish(TPublisher<TLabel>& P);

 protected:
  void AdjustSize() override;

 private:
  bool autoSize_ = true;
};
