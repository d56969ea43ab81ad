// A picture holds one graphic of a registered picture format. Its stored data ("Picture.Data"
// in form data) is the graphic's class name (length byte + characters) followed by the
// graphic's own bytes.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "toolkit/core/TPersistent.h"
#include "toolkit/ui/TGraphic.h"

class TPicture : public TPersistent {
  TOOLKIT_CLASS(TPicture, TPersistent)

 public:
  using TGraphicFactory = std::function<std::unique_ptr<TGraphic>()>;

  TPicture() = default;
  ~TPicture() override;
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;

  TGraphic* Graphic() const { return graphic_.get(); }
  void SetGraphic(std::unique_ptr<TGraphic> Value);
  int32_t Width() const { return graphic_ ? graphic_->Width() : 0; }
  int32_t Height() const { return graphic_ ? graphic_->Height() : 0; }

  // Replaces the graphic from stored data (see above). An unknown class name, a truncated
  // block or bytes the graphic cannot decode raise EReadError and leave the picture empty.
  void ReadData(TStream& Stream);
  void WriteData(TStream& Stream) const;

  // Declares the binary property "Data".
  void DefineProperties(TFiler& Filer) override;

  // Called after the graphic changed.
  void SetOnChange(std::function<void()> Handler) { onChange_ = std::move(Handler); }

  // Picture formats by graphic class name (letter case ignored); a later registration of the
  // same name replaces the earlier one.
  static void RegisterFileFormat(const std::string& ClassName, TGraphicFactory Factory);
  static void UnregisterFileFormats();

 private:
  void Changed();

  std::unique_ptr<TGraphic> graphic_;
  std::function<void()> onChange_;
};
