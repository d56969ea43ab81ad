#include "tools/sfpack/LauncherClasses.h"

#include <string>
#include <vector>

#include "foundation/acGraphics.h"
#include "toolkit/core/ClassRegistry.h"
#include "toolkit/core/ControlEnums.h"
#include "toolkit/core/GraphicsNames.h"
#include "toolkit/core/LittleEndian.h"
#include "toolkit/core/SameText.h"
#include "toolkit/core/TFiler.h"
#include "toolkit/core/TPublisher.h"
#include "toolkit/core/ToolkitErrors.h"
#include "tools/sfpack/LogoPicture.h"

namespace formcheck {
namespace {

// The one picture format the program registers.
constexpr char kJpegClass[] = "TJPEGImage";

// Publishes properties of class C whose values go to and come from C's Values by name.
template <class C>
class TValuePublisher {
 public:
  explicit TValuePublisher(TPublisher<C>& P) : p_(P) {}

  TValuePublisher& Integer(const char* Name, const char* IntegerType = "") {
    p_.Integer(Name, Getter(Name), Setter(Name), 0, IntegerType);
    return *this;
  }
  TValuePublisher& Boolean(const char* Name) {
    p_.Boolean(Name, Getter(Name), Setter(Name));
    return *this;
  }
  TValuePublisher& Enum(const char* Name, const TEnumInfo& Type) {
    p_.Enum(Name, Type, Getter(Name), Setter(Name));
    return *this;
  }
  TValuePublisher& Set(const char* Name, const TEnumInfo& ElementType) {
    p_.Set(Name, ElementType, Getter(Name), Setter(Name));
    return *this;
  }
  TValuePublisher& String(const char* Name) {
    p_.String(
        Name, [Name](const C& O) { return Find(O.Values.strings, Name, std::string()); },
        [Name](C& O, const std::string& V) { O.Values.strings[Name] = V; });
    return *this;
  }

 private:
  template <class M, class V>
  static V Find(const M& Map, const char* Name, V Otherwise) {
    const auto it = Map.find(Name);
    return it == Map.end() ? Otherwise : it->second;
  }
  static auto Getter(const char* Name) {
    return [Name](const C& O) { return Find(O.Values.ordinals, Name, int64_t{0}); };
  }
  static auto Setter(const char* Name) {
    return [Name](C& O, int64_t V) { O.Values.ordinals[Name] = V; };
  }

  TPublisher<C>& p_;
};

// The JPEG file of picture data, read as the program's picture reads it: class name (length byte
// and characters), then the JPEG graphic's 32-bit byte count and file. Empty for an empty picture.
std::vector<uint8_t> ReadJpegBytes(TStream& Stream) {
  uint8_t length = 0;
  Stream.ReadBuffer(&length, 1);
  if (length == 0) return {};
  std::string name(length, '\0');
  Stream.ReadBuffer(name.data(), length);
  if (!SameText(name, kJpegClass)) throw EReadError("Unknown picture format " + name);
  uint8_t count[4] = {};
  Stream.ReadBuffer(count, sizeof count);
  const uint32_t size = LoadLE32(count);
  const int64_t left = Stream.Size() - Stream.Position();
  if (static_cast<int64_t>(size) > left) {
    throw EReadError("JPEG data truncated: " + std::to_string(size) + " bytes announced, " +
                     std::to_string(left) + " present");
  }
  if (size == 0) throw EReadError("JPEG error: no data");
  std::vector<uint8_t> bytes(size);
  Stream.ReadBuffer(bytes.data(), size);
  return bytes;
}

}  // namespace

void TFont::Publish(TPublisher<TFont>& P) {
  TValuePublisher<TFont>(P)
      .Integer("Charset", kCharsetType)
      .Integer("Color", kColorType)
      .Integer("Height")
      .String("Name")
      .Set("Style", TFontStyleInfo());
}

void TPicture::ReadData(TStream& Stream) {
  std::vector<uint8_t> jpeg;
  try {
    jpeg = ReadJpegBytes(Stream);
  } catch (const EReadError&) {
    throw;
  } catch (const EStreamError&) {
    throw EReadError("Picture data truncated");
  }
  if (jpeg.empty()) return;
  try {
    sfpack::MakeLogoPicture(jpeg);
  } catch (const sfpack::LogoPictureError& e) {
    throw EReadError(std::string("the picture is no logo the program shows: ") + e.what());
  }
}

void TPicture::DefineProperties(TFiler& Filer) {
  Filer.DefineBinaryProperty(
      "Data", [this](TStream& S) { ReadData(S); }, nullptr, false);
}

void TControl::SetParentComponent(TComponent* Parent) {
  if (Parent == nullptr) {
    parent_ = nullptr;
    return;
  }
  auto* form = dynamic_cast<TForm*>(Parent);
  if (!form) {
    throw EReadError("A " + ClassName() + " can only be placed on a form, not on a " +
                     Parent->ClassName());
  }
  parent_ = form;
}

TComponent* TControl::GetParentComponent() const {
  return parent_;
}

void TControl::Publish(TPublisher<TControl>& P) {
  TValuePublisher<TControl>(P).Integer("Left").Integer("Top").Integer("Width").Integer("Height");
}

void TLabel::Publish(TPublisher<TLabel>& P) {
  TValuePublisher<TLabel> values(P);
  values.Integer("Cursor", kCursorType).String("Caption").Boolean("AutoSize");
  P.Object("Font", &TLabel::Font);
  values.Boolean("ParentFont");
  P.Event("OnClick", &TLabel::OnClick, &TLabel::SetOnClick);
}

void TImage::Publish(TPublisher<TImage>& P) {
  TValuePublisher<TImage>(P).Integer("Cursor", kCursorType).Boolean("AutoSize");
  P.Object("Picture", &TImage::Picture);
  P.Event("OnClick", &TImage::OnClick, &TImage::SetOnClick);
}

void TBitBtn::Publish(TPublisher<TBitBtn>& P) {
  TValuePublisher<TBitBtn> values(P);
  values.String("Caption")
      .Boolean("Default")
      .Boolean("Cancel")
      .Integer("TabOrder")
      .Enum("Kind", TBitBtnKindInfo());
  P.Object("Font", &TBitBtn::Font);
  values.Boolean("ParentFont");
  P.Event("OnClick", &TBitBtn::OnClick, &TBitBtn::SetOnClick);
}

void TForm::Publish(TPublisher<TForm>& P) {
  TValuePublisher<TForm> values(P);
  values.Integer("Left")
      .Integer("Top")
      .Enum("BorderStyle", TFormBorderStyleInfo())
      .String("Caption")
      .Integer("ClientHeight")
      .Integer("ClientWidth")
      .Integer("Color", kColorType);
  P.Object("Font", &TForm::Font);
  values.Boolean("OldCreateOrder")
      .Enum("Position", TPositionInfo())
      .Integer("PixelsPerInch")
      .Integer("TextHeight");
}

void TForm1::Loaded() {
  TForm::Loaded();
  SetDesigning(true);
}

void TForm1::Publish(TPublisher<TForm1>& P) {
  P.Field("acFileStorage1", &TForm1::acFileStorage1)
      .Field("Image2", &TForm1::Image2)
      .Field("Label2", &TForm1::Label2)
      .Field("Label5", &TForm1::Label5)
      .Field("Label6", &TForm1::Label6)
      .Field("BitBtn1", &TForm1::BitBtn1)
      .Field("acSystemInfo1", &TForm1::acSystemInfo1)
      .Method("Image2Click", &TForm1::Image2Click)
      .Method("BitBtn1Click", &TForm1::BitBtn1Click);
}

void RegisterLauncherClasses() {
  RegisterClass<TForm>();
  RegisterClass<TImage>();
  RegisterClass<TLabel>();
  RegisterClass<TBitBtn>();
  RegisterGraphicsNames();
  RegisterExtraGraphicsNames();
  RegisterFileStorageClasses();
  RegisterSystemInfoClasses();
}

}  // namespace formcheck
