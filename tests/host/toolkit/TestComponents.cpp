#include "tests/host/toolkit/TestComponents.h"

#include <algorithm>
#include <array>

#include "toolkit/core/ClassRegistry.h"
#include "toolkit/core/IntegerConsts.h"
#include "toolkit/core/TFiler.h"
#include "toolkit/core/TStream.h"

const TEnumInfo& TestShapeInfo() {
  static const TEnumInfo info("TTestShape", {"tsCircle", "tsSquare", "tsTriangle"});
  return info;
}

const TEnumInfo& TestStyleInfo() {
  static const TEnumInfo info("TTestStyle", {"tfBold", "tfItalic", "tfUnderline"});
  return info;
}

void RegisterTestClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterClass<TTestForm>();
  RegisterClass<TTestControl>();
  RegisterClass<TTestStorage>();
  static constexpr std::array<TIdentMapEntry, 2> colors{
      {{kTestRed, "clRed"}, {kTestWhite, "clWhite"}}};
  RegisterIntegerConsts("TTestColor", colors);
}

std::vector<TLoadedNote>& LoadedLog() {
  static std::vector<TLoadedNote> log;
  return log;
}

namespace {
void NoteLoaded(TComponent& C) {
  TComponent* root = C.Owner() ? C.Owner() : &C;
  LoadedLog().push_back({C.Name(), C.InState(csLoading), root->ComponentCount()});
}
}  // namespace

// --- TTestFont, TTestInner, TTestSettings ---------------------------------------------------

void TTestFont::Assign(const TPersistent* Source) {
  if (const auto* font = dynamic_cast<const TTestFont*>(Source)) {
    name_ = font->name_;
    height_ = font->height_;
    color_ = font->color_;
    style_ = font->style_;
    return;
  }
  TPersistent::Assign(Source);
}

void TTestFont::Publish(TPublisher<TTestFont>& P) {
  P.String("Name", &TTestFont::Name, &TTestFont::SetName, "MS Sans Serif");
  P.Integer("Height", &TTestFont::Height, &TTestFont::SetHeight, -11);
  P.Integer("Color", &TTestFont::Color, &TTestFont::SetColor, 0, "TTestColor");
  P.Set("Style", TestStyleInfo(), &TTestFont::Style, &TTestFont::SetStyle, 0);
}

void TTestInner::Publish(TPublisher<TTestInner>& P) {
  P.Enum("Level", TestShapeInfo(), &TTestInner::Level, &TTestInner::SetLevel, tsCircle);
}

void TTestSettings::Publish(TPublisher<TTestSettings>& P) {
  P.Boolean("Enabled", &TTestSettings::Enabled, &TTestSettings::SetEnabled, false);
  P.Object("Inner", &TTestSettings::Inner);
}

// --- TTestControl -----------------------------------------------------------------------------

TTestControl::TTestControl(TComponent* Owner) : TComponent(Owner) {}

TTestControl::~TTestControl() {
  for (TTestControl* child : controls_) child->parent_ = nullptr;
  SetParentComponent(nullptr);
}

void TTestControl::SetCaption(const std::string& V) {
  caption_ = V;
  loadingSeenBySetter_ = InState(csLoading);
}

void TTestControl::SetParentComponent(TComponent* Parent) {
  if (parent_) std::erase(parent_->controls_, this);
  parent_ = dynamic_cast<TTestControl*>(Parent);
  if (parent_) parent_->controls_.push_back(this);
}

void TTestControl::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
  for (TTestControl* c : controls_) Proc(c);
  TComponent::GetChildren(Proc, Root);
}

void TTestControl::Loaded() {
  NoteLoaded(*this);
  TComponent::Loaded();
}

void TTestControl::Publish(TPublisher<TTestControl>& P) {
  P.String("Caption", &TTestControl::Caption, &TTestControl::SetCaption);
  P.Integer("Left", &TTestControl::Left, &TTestControl::SetLeft, 0);
  P.Integer("Width", &TTestControl::Width, &TTestControl::SetWidth, 0);
  P.Boolean("Visible", &TTestControl::Visible, &TTestControl::SetVisible, true);
  P.Enum("Shape", TestShapeInfo(), &TTestControl::Shape, &TTestControl::SetShape, tsCircle);
  P.Object("Font", &TTestControl::Font);
  P.Event("OnClick", &TTestControl::OnClick, &TTestControl::SetOnClick);
  P.Integer("Count", &TTestControl::Count, nullptr);
}

// --- TTestStorage -----------------------------------------------------------------------------

void TTestStorage::DefineProperties(TFiler& Filer) {
  TComponent::DefineProperties(Filer);
  Filer.DefineBinaryProperty(
      "StoredData",
      [this](TStream& S) {
        ++readCalls_;
        data_.resize(static_cast<size_t>(S.Size()));
        S.ReadBuffer(data_.data(), data_.size());
      },
      [this](TStream& S) { S.WriteBuffer(data_.data(), data_.size()); }, !data_.empty());
}

void TTestStorage::Loaded() {
  NoteLoaded(*this);
  TComponent::Loaded();
}

void TTestStorage::Publish(TPublisher<TTestStorage>& P) {
  P.Object("Settings", &TTestStorage::Settings);
  P.Event("OnExtract", &TTestStorage::OnExtract, &TTestStorage::SetOnExtract);
}

// --- TTestForm --------------------------------------------------------------------------------

void TTestForm::ButtonClick(TObject* Sender) {
  Clicks.push_back(Sender);
}

void TTestForm::StorageExtract(TObject* /*Sender*/, const std::string& FileName, int32_t FileSize,
                               bool& Allow) {
  Extracts.push_back(FileName + ":" + std::to_string(FileSize));
  Allow = false;
}

void TTestForm::Unrelated(int32_t /*Value*/) {}

void TTestForm::Loaded() {
  NoteLoaded(*this);
  TComponent::Loaded();
}

void TTestForm::Publish(TPublisher<TTestForm>& P) {
  P.String("Caption", &TTestForm::Caption, &TTestForm::SetCaption);
  P.Integer("Color", &TTestForm::Color, &TTestForm::SetColor, kTestWhite, "TTestColor");
  P.Method("ButtonClick", &TTestForm::ButtonClick);
  P.Method("StorageExtract", &TTestForm::StorageExtract);
  P.Method("Unrelated", &TTestForm::Unrelated);
  P.Field("Button1", &TTestForm::Button1);
  P.Field("Storage1", &TTestForm::Storage1);
}
