// The launcher window's classes as its form-data reader sees them, for loading an edited form on
// any machine the way the program will load it: the same class names and ancestry, the same
// published properties (names, kinds, named-constant tables, enumerations), the same declared
// picture data, fields and handler methods, and the same refusals (a control must sit on a form, a
// picture must be a JPEG the program decodes), but no windows, fonts or drawing. The values read
// are kept by property name. A test under Wine compares these tables with the program's classes.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "storage/acFileStorage.h"
#include "sysinfo/acSystemInfo.h"
#include "toolkit/core/TComponent.h"
#include "toolkit/core/TEvent.h"
#include "toolkit/core/TPersistent.h"

namespace formcheck {

// The values the form data set, by property name (letter case as published).
struct TReadValues {
  std::map<std::string, int64_t> ordinals;
  std::map<std::string, std::string> strings;
};

class TFont : public TPersistent {
  TOOLKIT_CLASS(TFont, TPersistent)

 public:
  TReadValues Values;
  static void Publish(TPublisher<TFont>& P);
};

// Reads picture data as the program's picture does and refuses what it would refuse; keeps
// nothing.
class TPicture : public TPersistent {
  TOOLKIT_CLASS(TPicture, TPersistent)

 public:
  // The picture data the form holds: the graphic's class name, then its own bytes.
  void ReadData(TStream& Stream);
  void DefineProperties(TFiler& Filer) override;
};

class TForm;

class TControl : public TComponent {
  TOOLKIT_CLASS(TControl, TComponent)

 public:
  explicit TControl(TComponent* Owner) : TComponent(Owner) {}

  TFont* Font() const { return font_.get(); }
  const TNotifyEvent& OnClick() const { return onClick_; }
  void SetOnClick(TNotifyEvent Value) { onClick_ = std::move(Value); }
  // As the program's controls: the parent must be a form.
  void SetParentComponent(TComponent* Parent) override;
  TComponent* GetParentComponent() const override;

  TReadValues Values;
  static void Publish(TPublisher<TControl>& P);

 private:
  std::unique_ptr<TFont> font_ = std::make_unique<TFont>();
  TNotifyEvent onClick_;
  TForm* parent_ = nullptr;
};

class TLabel : public TControl {
  TOOLKIT_CLASS(TLabel, TControl)

 public:
  using TControl::TControl;
  static void Publish(TPublisher<TLabel>& P);
};

class TImage : public TControl {
  TOOLKIT_CLASS(TImage, TControl)

 public:
  using TControl::TControl;
  TPicture* Picture() const { return picture_.get(); }
  static void Publish(TPublisher<TImage>& P);

 private:
  std::unique_ptr<TPicture> picture_ = std::make_unique<TPicture>();
};

class TBitBtn : public TControl {
  TOOLKIT_CLASS(TBitBtn, TControl)

 public:
  using TControl::TControl;
  static void Publish(TPublisher<TBitBtn>& P);
};

class TForm : public TComponent {
  TOOLKIT_CLASS(TForm, TComponent)

 public:
  explicit TForm(TComponent* Owner) : TComponent(Owner) {}
  TFont* Font() const { return font_.get(); }

  TReadValues Values;
  static void Publish(TPublisher<TForm>& P);

 private:
  std::unique_ptr<TFont> font_ = std::make_unique<TFont>();
};

// The launcher's window: its component fields and the two handlers the form binds.
class TForm1 : public TForm {
  TOOLKIT_CLASS(TForm1, TForm)

 public:
  using TForm::TForm;

  TacFileStorage* acFileStorage1 = nullptr;
  TImage* Image2 = nullptr;
  TLabel* Label2 = nullptr;
  TLabel* Label5 = nullptr;
  TLabel* Label6 = nullptr;
  TBitBtn* BitBtn1 = nullptr;
  TacSystemInfo* acSystemInfo1 = nullptr;

  // Loads as a form designer would: the file storage extracts nothing.
  void Loaded() override;

  void Image2Click(TObject*) {}
  void BitBtn1Click(TObject*) {}
  static void Publish(TPublisher<TForm1>& P);
};

// Registers the classes the program registers, with these in place of its visual ones; the
// class registry then creates these for the names the form data gives.
void RegisterLauncherClasses();

}  // namespace formcheck
