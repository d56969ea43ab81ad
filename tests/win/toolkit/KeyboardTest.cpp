// Dialog keys through the application's message loop: Enter without modifiers clicks the
// default button from anywhere in the form, Space clicks the focused button, modified Enter
// does not; after the user switched to another window and back, the button has the focus again.
#include <functional>

#include "TestForm.h"

namespace {

// Holds modifier keys down in this thread's keyboard state while it lives (GetKeyState, which
// the loop consults, reads that state).
class THeldKeys {
 public:
  explicit THeldKeys(std::initializer_list<int> Keys) {
    GetKeyboardState(saved_);
    BYTE state[256];
    GetKeyboardState(state);
    for (int k : Keys) state[k] |= 0x80;
    SetKeyboardState(state);
  }
  ~THeldKeys() { SetKeyboardState(saved_); }

 private:
  BYTE saved_[256] = {};
};

void PostKey(HWND Target, WPARAM Key) {
  PostMessageA(Target, WM_KEYDOWN, Key, 1);
  PostMessageA(Target, WM_KEYUP, Key, 0xC0000001);
}

class KeyboardTest : public ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    form_ = CreateTestForm();
    form_->Show();
    SetForegroundWindow(form_->Handle());
    Application->ProcessMessages();
  }
  TTestForm* form_ = nullptr;
};

TEST_F(KeyboardTest, TheButtonHoldsTheFocusOfTheActiveForm) {
  EXPECT_TRUE(form_->Button1->Focused());
  EXPECT_EQ(form_->FocusedControl(), form_->Button1);
}

TEST_F(KeyboardTest, EnterAnywhereClicksTheDefaultButton) {
  PostKey(form_->Handle(), VK_RETURN);  // aimed at the form itself
  Application->ProcessMessages();
  EXPECT_EQ(form_->ButtonClicks, 1);
  PostKey(form_->Button1->Handle(), VK_RETURN);  // at the focused button
  Application->ProcessMessages();
  EXPECT_EQ(form_->ButtonClicks, 2);
  // Without focus on the button, Enter still reaches the default.
  SetFocus(nullptr);
  ASSERT_EQ(form_->FocusedControl(), nullptr);
  PostKey(form_->Handle(), VK_RETURN);
  Application->ProcessMessages();
  EXPECT_EQ(form_->ButtonClicks, 3);
  EXPECT_EQ(form_->ImageClicks, 0);
}

TEST_F(KeyboardTest, EnterWithShiftCtrlOrAltDoesNotClick) {
  for (int modifier : {VK_SHIFT, VK_CONTROL, VK_MENU}) {
    THeldKeys held({modifier});
    EXPECT_NE(Application->KeyboardShiftState(), 0) << modifier;
    PostKey(form_->Handle(), VK_RETURN);
    Application->ProcessMessages();
  }
  EXPECT_EQ(form_->ButtonClicks, 0);
  EXPECT_EQ(Application->KeyboardShiftState(), 0);
  PostKey(form_->Handle(), VK_RETURN);  // released again: clicks
  Application->ProcessMessages();
  EXPECT_EQ(form_->ButtonClicks, 1);
}

TEST_F(KeyboardTest, SpaceClicksTheFocusedButtonOnRelease) {
  ASSERT_TRUE(form_->Button1->Focused());
  PostMessageA(form_->Button1->Handle(), WM_KEYDOWN, VK_SPACE, 1);
  Application->ProcessMessages();
  EXPECT_TRUE(form_->Button1->Pushed());
  EXPECT_EQ(form_->ButtonClicks, 0);  // not yet: on release
  PostMessageA(form_->Button1->Handle(), WM_KEYUP, VK_SPACE, 0xC0000001);
  Application->ProcessMessages();
  EXPECT_EQ(form_->ButtonClicks, 1);
  EXPECT_FALSE(form_->Button1->Pushed());
  // A release without a press (the press went elsewhere) clicks nothing.
  PostMessageA(form_->Button1->Handle(), WM_KEYUP, VK_SPACE, 0xC0000001);
  Application->ProcessMessages();
  EXPECT_EQ(form_->ButtonClicks, 1);
}

TEST_F(KeyboardTest, SpaceWithoutAFocusedButtonDoesNothing) {
  // (Focusing the form itself would pass the focus on to the button.)
  SetFocus(nullptr);
  ASSERT_EQ(form_->FocusedControl(), nullptr);
  PostKey(form_->Handle(), VK_SPACE);
  Application->ProcessMessages();
  EXPECT_EQ(form_->ButtonClicks, 0);
}

TEST_F(KeyboardTest, DisabledDefaultButtonIsNotClicked) {
  form_->Button1->SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(form_->Button1->Handle()));
  EXPECT_EQ(form_->DefaultButton(), nullptr);
  PostKey(form_->Handle(), VK_RETURN);
  Application->ProcessMessages();
  EXPECT_EQ(form_->ButtonClicks, 0);
}

// Handles messages until the condition holds (Wine activates windows asynchronously), at most two
// seconds.
bool PumpUntil(const std::function<bool()>& Condition) {
  for (int i = 0; i < 100 && !Condition(); ++i) {
    Application->ProcessMessages();
    Sleep(20);
  }
  return Condition();
}

// The user switches to another window and back through the program's taskbar button (Wine's
// desktop has no task switcher: the taskbar click activates the application window, which
// carries the button). The focus returns to the button and Enter installs; the same after the
// focus had been set on the form's window itself before switching.
TEST_F(KeyboardTest, SwitchingAwayAndBackReturnsTheFocusToTheButton) {
  // The application window is shown as the message loop shows it, with its taskbar button.
  SetWindowPos(Application->Handle(), nullptr, 0, 0, 0, 0,
               SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
  HWND other = CreateWindowExA(0, "STATIC", "Other program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10,
                               10, 300, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(other, nullptr);
  for (bool focusOnForm : {false, true}) {
    SCOPED_TRACE(focusOnForm ? "focus on the form" : "focus on the button");
    SetForegroundWindow(form_->Handle());  // (creating the other window activated it)
    ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == form_->Handle(); }));
    if (focusOnForm) SetFocus(form_->Handle());  // the form passes it on to the button
    ASSERT_TRUE(PumpUntil([&] { return form_->Button1->Focused(); }));
    SetForegroundWindow(other);
    ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == other; }));
    EXPECT_FALSE(form_->Button1->Focused());
    SetForegroundWindow(Application->Handle());  // the taskbar button
    EXPECT_TRUE(PumpUntil([&] { return GetActiveWindow() == form_->Handle(); }))
        << "the application window kept the activation";
    EXPECT_TRUE(PumpUntil([&] { return form_->Button1->Focused(); }));
    const int before = form_->ButtonClicks;
    PostKey(GetFocus(), VK_RETURN);  // where the keyboard's Enter goes
    Application->ProcessMessages();
    EXPECT_EQ(form_->ButtonClicks, before + 1);
  }
  DestroyWindow(other);
}

TEST_F(KeyboardTest, KeysOfOtherWindowsAreLeftAlone) {
  MSG msg = {};
  msg.hwnd = Application->Handle();
  msg.message = WM_KEYDOWN;
  msg.wParam = VK_RETURN;
  EXPECT_FALSE(form_->PreProcessKey(msg, 0));
  msg.hwnd = form_->Handle();
  msg.message = WM_CHAR;
  EXPECT_FALSE(form_->PreProcessKey(msg, 0));
  msg.message = WM_KEYDOWN;
  EXPECT_FALSE(form_->PreProcessKey(msg, ssCtrl));
  EXPECT_TRUE(form_->PreProcessKey(msg, 0));
  EXPECT_EQ(form_->ButtonClicks, 1);
}

}  // namespace
