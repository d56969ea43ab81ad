// Component classes for the toolkit's tests and the form-data fuzzer: a root "form" with
// handler methods and component fields, controls that nest, fonts and settings as sub-objects
// (enumerations, sets, named colours), a storage with a declared binary property and an event
// with a by-reference argument. Each records what the tests need to check about loading.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "toolkit/core/TComponent.h"
#include "toolkit/core/TEnumInfo.h"
#include "toolkit/core/TEvent.h"

enum TTestShape : uint8_t { tsCircle, tsSquare, tsTriangle };
enum TTestStyle : uint8_t { tfBold, tfItalic, tfUnderline };
const TEnumInfo& TestShapeInfo();
const TEnumInfo& TestStyleInfo();

// Named integer constants of the integer type "TTestColor".
inline constexpr int32_t kTestRed = 0x0000FF;
inline constexpr int32_t kTestWhite = 0xFFFFFF;

// Registers the classes and the colour names (safe to call repeatedly).
void RegisterTestClasses();

// What Loaded() saw, in call order, across all test components.
struct TLoadedNote {
  std::string Name;
  bool LoadingFlag;        // csLoading still set when Loaded ran
  int32_t RootComponents;  // components the root owned at that moment
};
std::vector<TLoadedNote>& LoadedLog();

class TTestFont : public TPersistent {
  TOOLKIT_CLASS(TTestFont, TPersistent)

 public:
  const std::string& Name() const { return name_; }
  void SetName(const std::string& V) { name_ = V; }
  int32_t Height() const { return height_; }
  void SetHeight(int32_t V) { height_ = V; }
  int32_t Color() const { return color_; }
  void SetColor(int32_t V) { color_ = V; }
  TSetValue Style() const { return style_; }
  void SetStyle(TSetValue V) { style_ = V; }
  void Assign(const TPersistent* Source) override;
  static void Publish(TPublisher<TTestFont>& P);

 private:
  std::string name_ = "MS Sans Serif";
  int32_t height_ = -11;
  int32_t color_ = 0;
  TSetValue style_ = 0;
};

class TTestInner : public TPersistent {
  TOOLKIT_CLASS(TTestInner, TPersistent)

 public:
  TTestShape Level() const { return level_; }
  void SetLevel(TTestShape V) { level_ = V; }
  static void Publish(TPublisher<TTestInner>& P);

 private:
  TTestShape level_ = tsCircle;
};

class TTestSettings : public TPersistent {
  TOOLKIT_CLASS(TTestSettings, TPersistent)

 public:
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool V) { enabled_ = V; }
  TTestInner* Inner() const { return inner_.get(); }
  static void Publish(TPublisher<TTestSettings>& P);

 private:
  bool enabled_ = false;
  std::unique_ptr<TTestInner> inner_ = std::make_unique<TTestInner>();
};

class TTestControl : public TComponent {
  TOOLKIT_CLASS(TTestControl, TComponent)

 public:
  explicit TTestControl(TComponent* Owner);
  ~TTestControl() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& V);
  int32_t Left() const { return left_; }
  void SetLeft(int32_t V) { left_ = V; }
  int32_t Width() const { return width_; }
  void SetWidth(int32_t V) { width_ = V; }
  bool Visible() const { return visible_; }
  void SetVisible(bool V) { visible_ = V; }
  TTestShape Shape() const { return shape_; }
  void SetShape(TTestShape V) { shape_ = V; }
  TTestFont* Font() const { return font_.get(); }
  const TNotifyEvent& OnClick() const { return onClick_; }
  void SetOnClick(TNotifyEvent V) { onClick_ = std::move(V); }
  uint32_t Count() const { return 42; }  // display only

  bool LoadingSeenBySetter() const { return loadingSeenBySetter_; }
  TTestControl* Parent() const { return parent_; }
  const std::vector<TTestControl*>& Controls() const { return controls_; }

  void SetParentComponent(TComponent* Parent) override;
  TComponent* GetParentComponent() const override { return parent_; }
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;
  void Loaded() override;
  static void Publish(TPublisher<TTestControl>& P);

 private:
  std::string caption_;
  int32_t left_ = 0;
  int32_t width_ = 0;
  bool visible_ = true;
  TTestShape shape_ = tsCircle;
  std::unique_ptr<TTestFont> font_ = std::make_unique<TTestFont>();
  TNotifyEvent onClick_;
  bool loadingSeenBySetter_ = false;
  TTestControl* parent_ = nullptr;
  std::vector<TTestControl*> controls_;
};

using TTestExtractEvent = TEvent<TObject*, const std::string&, int32_t, bool&>;

class TTestStorage : public TComponent {
  TOOLKIT_CLASS(TTestStorage, TComponent)

 public:
  explicit TTestStorage(TComponent* Owner) : TComponent(Owner) {}

  std::vector<uint8_t>& Data() { return data_; }
  TTestSettings* Settings() const { return settings_.get(); }
  const TTestExtractEvent& OnExtract() const { return onExtract_; }
  void SetOnExtract(TTestExtractEvent V) { onExtract_ = std::move(V); }
  int32_t ReadCalls() const { return readCalls_; }

  void DefineProperties(TFiler& Filer) override;
  void Loaded() override;
  static void Publish(TPublisher<TTestStorage>& P);

 private:
  std::vector<uint8_t> data_;
  std::unique_ptr<TTestSettings> settings_ = std::make_unique<TTestSettings>();
  TTestExtractEvent onExtract_;
  int32_t readCalls_ = 0;
};

class TTestForm : public TComponent {
  TOOLKIT_CLASS(TTestForm, TComponent)

 public:
  explicit TTestForm(TComponent* Owner) : TComponent(Owner) {}

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& V) { caption_ = V; }
  int32_t Color() const { return color_; }
  void SetColor(int32_t V) { color_ = V; }

  void ButtonClick(TObject* Sender);
  void StorageExtract(TObject* Sender, const std::string& FileName, int32_t FileSize, bool& Allow);
  void Unrelated(int32_t Value);

  std::vector<TObject*> Clicks;
  std::vector<std::string> Extracts;
  TTestControl* Button1 = nullptr;
  TTestStorage* Storage1 = nullptr;

  void Loaded() override;
  static void Publish(TPublisher<TTestForm>& P);

 private:
  std::string caption_;
  int32_t color_ = kTestWhite;
};
