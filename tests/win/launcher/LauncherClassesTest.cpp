// sfpack checks an edited window form by loading it into the window's classes without windows
// (tools/sfpack/LauncherClasses.h). Here, where the program's own classes exist, the two sides
// are compared: everything the form reader consults must be the same, and so must the verdicts of
// the picture readers.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "launcher/Unit1.h"
#include "platform/platform.h"
#include "toolkit/core/TEnumInfo.h"
#include "toolkit/core/TFiler.h"
#include "toolkit/core/TReadOnlyMemoryStream.h"
#include "toolkit/core/ToolkitErrors.h"
#include "toolkit/ui/TJPEGImage.h"
#include "tools/sfpack/LauncherClasses.h"

namespace {

// Names the properties an object declares itself (TPersistent::DefineProperties).
class TDeclaredNames : public TFiler {
 public:
  std::vector<std::string> Names;
  void DefineBinaryProperty(const std::string& Name, const std::function<void(TStream&)>&,
                            const std::function<void(TStream&)>&, bool) override {
    Names.push_back(Name + ": binary");
  }
  void DefineIntegerProperty(const std::string& Name, const std::function<void(int32_t)>&,
                             const std::function<int32_t()>&, bool) override {
    Names.push_back(Name + ": integer");
  }
};

std::string EnumText(const TEnumInfo* Type) {
  if (!Type) return "";
  std::string text = " " + Type->Name() + "(";
  for (int32_t i = 0; i < Type->Count(); ++i) text += std::string(Type->ValueName(i)) + " ";
  return text + ")";
}

// What the form reader sees of Object, its sub-objects included, one line per fact.
void Describe(TPersistent& Object, const std::string& Path, std::vector<std::string>& Out) {
  std::string ancestry;
  for (const TClassInfo* c = &Object.ClassInfo(); c; c = c->Parent()) ancestry += c->Name() + " ";
  Out.push_back(Path + ": " + ancestry);
  for (const TPropInfo* p : Object.ClassInfo().Properties()) {
    Out.push_back(Path + "." + p->Name + " kind " + std::to_string(static_cast<int>(p->Kind)) +
                  " " + p->IntegerType + EnumText(p->Enum) + (p->ReadOnly ? " read-only" : ""));
    if (p->Kind == TPropKind::Object) {
      Out.back() += " of " + p->ObjectClass->Name();
      if (TPersistent* sub = p->GetSubObject(Object)) Describe(*sub, Path + "." + p->Name, Out);
    }
  }
  TDeclaredNames declared;
  Object.DefineProperties(declared);
  for (const std::string& n : declared.Names) Out.push_back(Path + " declares " + n);
}

// One side: the window class and the classes the form can create.
struct TSide {
  const TClassInfo& window;
  std::vector<const TClassInfo*> components;
};

// The window's fields and methods, and what each component class looks like and binds; one fact
// per line, so that a difference shows as a diff.
std::string Describe(const TSide& Side) {
  std::vector<std::string> out;
  std::unique_ptr<TComponent> window(Side.window.Create(nullptr));
  Describe(*window, Side.window.Name(), out);
  std::vector<std::unique_ptr<TComponent>> parts;
  for (const TClassInfo* c : Side.components) {
    parts.emplace_back(c->Create(nullptr));
    Describe(*parts.back(), c->Name(), out);
  }
  for (const TFieldInfo& f : Side.window.OwnFields()) {
    std::string takes;
    for (auto& part : parts) {
      if (f.Set(*window, part.get())) takes += part->ClassName() + " ";
      f.Set(*window, nullptr);
    }
    out.push_back("field " + f.Name + " takes " + takes);
  }
  for (const char* name : {"Image2Click", "BitBtn1Click", "FormCreate"}) {
    const TMethodInfo* m = Side.window.FindMethod(name);
    std::string fits;
    for (auto& part : parts) {
      for (const TPropInfo* p : part->ClassInfo().Properties()) {
        if (m && p->Kind == TPropKind::Event && p->BindMethod(*part, *window, *m))
          fits += part->ClassName() + "." + p->Name + " ";
      }
    }
    out.push_back(std::string("method ") + name + (m ? " binds to " + fits : " missing"));
  }
  std::string text;
  for (const std::string& line : out) text += line + "\n";
  return text;
}

std::vector<uint8_t> LogoJpeg() {
  HRSRC res = FindResourceA(nullptr, "LOGOJPG", MAKEINTRESOURCEA(10));
  if (!res) return {};
  const auto* p = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, res)));
  return std::vector<uint8_t>(p, p + SizeofResource(nullptr, res));
}

// Picture data: class name, 32-bit count, bytes.
std::vector<uint8_t> PictureData(const std::string& Class, std::vector<uint8_t> Bytes,
                                 uint32_t Count) {
  std::vector<uint8_t> d(1 + Class.size() + 4);
  d[0] = static_cast<uint8_t>(Class.size());
  std::copy(Class.begin(), Class.end(), d.begin() + 1);
  for (size_t i = 0; i < 4; ++i) d[1 + Class.size() + i] = static_cast<uint8_t>(Count >> (8 * i));
  d.insert(d.end(), Bytes.begin(), Bytes.end());
  return d;
}

// "" when Read took Data, else "refused".
template <class P>
std::string Verdict(const std::vector<uint8_t>& Data) {
  P picture;
  TReadOnlyMemoryStream s(Data.data(), Data.size());
  try {
    picture.ReadData(s);
    return "";
  } catch (const EReadError&) {
    return "refused";
  }
}

TEST(LauncherClassesTest, PublishWhatTheProgramsClassesPublish) {
  const TSide program{TForm1::StaticClassInfo(),
                      {&TImage::StaticClassInfo(), &TLabel::StaticClassInfo(),
                       &TBitBtn::StaticClassInfo(), &TForm::StaticClassInfo(),
                       &TacFileStorage::StaticClassInfo(), &TacSystemInfo::StaticClassInfo()}};
  const TSide check{formcheck::TForm1::StaticClassInfo(),
                    {&formcheck::TImage::StaticClassInfo(), &formcheck::TLabel::StaticClassInfo(),
                     &formcheck::TBitBtn::StaticClassInfo(), &formcheck::TForm::StaticClassInfo(),
                     &TacFileStorage::StaticClassInfo(), &TacSystemInfo::StaticClassInfo()}};
  const std::string expected = Describe(program);
  EXPECT_EQ(Describe(check), expected);
  // Not two empty descriptions: the facts the launcher's form relies on are in them.
  for (const char* fact :
       {"\nTLabel.Font.Style kind 3  TFontStyle(fsBold fsItalic fsUnderline "
        "fsStrikeOut )\n",
        "\nTImage.Picture declares Data: binary\n", "\nfield Image2 takes TImage \n",
        "\nmethod Image2Click binds to TImage.OnClick TLabel.OnClick "}) {
    EXPECT_NE(expected.find(fact), std::string::npos) << fact;
  }
}

TEST(LauncherClassesTest, PictureDataVerdictsAreThePrograms) {
  TPicture::RegisterFileFormat("TJPEGImage", [] { return std::make_unique<TJPEGImage>(); });
  const std::vector<uint8_t> logo = LogoJpeg();
  ASSERT_GT(logo.size(), 1000u);
  std::vector<uint8_t> half(logo.begin(), logo.begin() + static_cast<ptrdiff_t>(logo.size() / 2));
  std::vector<uint8_t> noise(logo.size(), 0x5A);
  const auto size = static_cast<uint32_t>(logo.size());
  const struct {
    const char* what;
    std::vector<uint8_t> data;
    const char* verdict;
  } cases[] = {
      {"the logo", PictureData("TJPEGImage", logo, size), ""},
      {"class name in other letter case", PictureData("tjpegimage", logo, size), ""},
      {"empty picture", {0}, ""},
      {"unknown format", PictureData("TBitmap", logo, size), "refused"},
      {"count beyond the data", PictureData("TJPEGImage", logo, size + 1), "refused"},
      {"no JPEG bytes", PictureData("TJPEGImage", {}, 0), "refused"},
      {"half a JPEG", PictureData("TJPEGImage", half, size / 2), "refused"},
      {"no JPEG at all", PictureData("TJPEGImage", noise, size), "refused"},
      {"class name cut short", {10, 'T', 'J'}, "refused"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Verdict<TPicture>(c.data), c.verdict);
    EXPECT_EQ(Verdict<formcheck::TPicture>(c.data), c.verdict);
  }
}

}  // namespace
