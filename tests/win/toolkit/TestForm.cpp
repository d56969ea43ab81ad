#include "TestForm.h"

#include "toolkit/core/ApplicationState.h"
#include "toolkit/core/ClassRegistry.h"
#include "toolkit/ui/UIModules.h"

void TTestForm::Image1Click(TObject*) {
  ++ImageClicks;
  if (OnImage) OnImage();
}

void TTestForm::Button1Click(TObject*) {
  ++ButtonClicks;
  if (OnButton) OnButton();
}

void TTestForm::Publish(TPublisher<TTestForm>& P) {
  P.Field("Image1", &TTestForm::Image1);
  P.Field("Label1", &TTestForm::Label1);
  P.Field("Label2", &TTestForm::Label2);
  P.Field("Label3", &TTestForm::Label3);
  P.Field("Button1", &TTestForm::Button1);
  P.Method("Image1Click", &TTestForm::Image1Click);
  P.Method("Button1Click", &TTestForm::Button1Click);
}

TProbe::~TProbe() {
  Log().push_back({Name(), ApplicationDestroying(), form_ && form_->HandleAllocated(),
                   form_ ? form_->ControlCount() : -1});
}

std::vector<TProbe::TRecord>& TProbe::Log() {
  static std::vector<TRecord> log;
  return log;
}

void ToolkitTest::SetUp() {
  ToolkitStartUp();
  RegisterClass<TProbe>();
  TProbe::Log().clear();
  Application->SetTitle("Installation");
  Application->SetMessageBoxFn(
      [this](HWND Owner, const std::string& Text, const std::string& Caption, UINT Type) {
        boxes_.push_back({Owner, Text, Caption, Type});
        return IDOK;
      });
}

void ToolkitTest::TearDown() {
  ToolkitShutDown();
  // Leave no message (a posted quit, a stray key) for the next test.
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

TTestForm* ToolkitTest::CreateTestForm() {
  TTestForm* form = nullptr;
  Application->CreateForm(form);
  return form;
}

namespace {

HFONT MakeFont(const char* Face, int Height, bool Bold) {
  return CreateFontA(Height, 0, 0, 0, Bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH, Face);
}

}  // namespace

SIZE MeasureText(const char* Face, int Height, bool Bold, const std::string& Text) {
  HDC dc = GetDC(nullptr);
  HFONT font = MakeFont(Face, Height, Bold);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size = {};
  GetTextExtentPoint32A(dc, Text.c_str(), static_cast<int>(Text.size()), &size);
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(nullptr, dc);
  return size;
}

int MeasureZero(const char* Face, int Height, bool Bold) {
  return MeasureText(Face, Height, Bold, "0").cy;
}
