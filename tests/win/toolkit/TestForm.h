// The form class of the toolkit tests, a probe component that records how it is destroyed, and
// the fixture that starts the toolkit for every test and shuts it down again.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "toolkit/ui/TApplication.h"
#include "toolkit/ui/TBitBtn.h"
#include "toolkit/ui/TForm.h"
#include "toolkit/ui/TImage.h"
#include "toolkit/ui/TLabel.h"
#include "toolkit/ui/TScreen.h"

class TTestForm : public TForm {
  TOOLKIT_CLASS(TTestForm, TForm)

 public:
  explicit TTestForm(TComponent* Owner) : TForm(Owner) {}

  TImage* Image1 = nullptr;
  TLabel* Label1 = nullptr;
  TLabel* Label2 = nullptr;
  TLabel* Label3 = nullptr;
  TBitBtn* Button1 = nullptr;

  int ImageClicks = 0;
  int ButtonClicks = 0;
  // What the handlers do besides counting (e.g. throw).
  std::function<void()> OnButton;
  std::function<void()> OnImage;

  void Image1Click(TObject* Sender);
  void Button1Click(TObject* Sender);

  static void Publish(TPublisher<TTestForm>& P);
};

// A non-visual component that notes, when destroyed, its name and what it saw.
class TProbe : public TComponent {
  TOOLKIT_CLASS(TProbe, TComponent)

 public:
  // The owner is remembered: the owner lets go of a component before deleting it.
  explicit TProbe(TComponent* Owner) : TComponent(Owner), form_(dynamic_cast<TForm*>(Owner)) {}
  ~TProbe() override;

  struct TRecord {
    std::string Name;
    bool ApplicationDestroying;
    bool FormWindowAlive;
    int FormControls;
  };
  static std::vector<TRecord>& Log();

 private:
  TForm* form_;
};

// Starts the toolkit (application, screen, registrations) before each test and shuts it down
// after it; the error box is captured instead of shown.
class ToolkitTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Creates the test form from its resource through the application.
  TTestForm* CreateTestForm();

  struct TBox {
    HWND Owner;
    std::string Text;
    std::string Caption;
    UINT Type;
  };
  std::vector<TBox> boxes_;
};

// The height of "0" in a font, measured as the form measures it.
int MeasureZero(const char* Face, int Height, bool Bold = false);
// The extent of a text in a font.
SIZE MeasureText(const char* Face, int Height, bool Bold, const std::string& Text);
