#include "toolkit/ui/TPicture.h"

#include <string>
#include <utility>
#include <vector>

#include "toolkit/core/SameText.h"
#include "toolkit/core/TFiler.h"
#include "toolkit/core/ToolkitErrors.h"

namespace {

struct TFormat {
  std::string ClassName;
  TPicture::TGraphicFactory Factory;
};

std::vector<TFormat>& Formats() {
  static std::vector<TFormat> formats;
  return formats;
}

const TFormat* FindFormat(std::string_view ClassName) {
  for (const TFormat& f : Formats()) {
    if (SameText(f.ClassName, ClassName)) return &f;
  }
  return nullptr;
}

}  // namespace

TPicture::~TPicture() = default;

void TPicture::SetGraphic(std::unique_ptr<TGraphic> Value) {
  graphic_ = std::move(Value);
  Changed();
}

void TPicture::ReadData(TStream& Stream) {
  graphic_.reset();
  try {
    uint8_t length = 0;
    Stream.ReadBuffer(&length, 1);
    if (length == 0) {
      Changed();  // an empty class name stores an empty picture
      return;
    }
    std::string name(length, '\0');
    Stream.ReadBuffer(name.data(), length);
    const TFormat* format = FindFormat(name);
    if (!format) throw EReadError("Unknown picture format " + name);
    std::unique_ptr<TGraphic> graphic = format->Factory();
    graphic->ReadData(Stream);
    graphic_ = std::move(graphic);
  } catch (const EReadError&) {
    Changed();
    throw;
  } catch (const EStreamError&) {
    Changed();
    throw EReadError("Picture data truncated");
  }
  Changed();
}

void TPicture::WriteData(TStream& Stream) const {
  const std::string name = graphic_ ? graphic_->ClassName() : std::string();
  const auto length = static_cast<uint8_t>(name.size());
  Stream.WriteBuffer(&length, 1);
  Stream.WriteBuffer(name.data(), name.size());
  if (graphic_) graphic_->WriteData(Stream);
}

void TPicture::DefineProperties(TFiler& Filer) {
  Filer.DefineBinaryProperty(
      "Data", [this](TStream& S) { ReadData(S); }, [this](TStream& S) { WriteData(S); },
      graphic_ != nullptr && !graphic_->Empty());
}

void TPicture::RegisterFileFormat(const std::string& ClassName, TGraphicFactory Factory) {
  for (TFormat& f : Formats()) {
    if (SameText(f.ClassName, ClassName)) {
      f.Factory = std::move(Factory);
      return;
    }
  }
  Formats().push_back({ClassName, std::move(Factory)});
}

void TPicture::UnregisterFileFormats() {
  Formats().clear();
}

void TPicture::Changed() {
  if (onChange_) onChange_();
}
