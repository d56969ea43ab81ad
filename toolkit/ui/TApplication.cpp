#include "toolkit/ui/TApplication.h"

#include "toolkit/core/ApplicationState.h"
#include "toolkit/core/ToolkitErrors.h"
#include "toolkit/ui/WindowObject.h"

TApplication* Application = nullptr;
TApplication::TInitProc TApplication::initProc_ = nullptr;
TApplication::TEndSessionProc TApplication::endSessionProc_ = nullptr;

namespace {

constexpr char kWindowClass[] = "TApplication";
// Posted to the application window when it received the focus: hand the activation on.
constexpr UINT kActivateMainForm = WM_APP + 1;

std::string ProgramBaseName() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string name(path, length < MAX_PATH ? length : 0);
  const size_t slash = name.find_last_of("\\/");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

}  // namespace

TApplication::TApplication(TComponent* Owner) : TComponent(Owner), title_(ProgramBaseName()) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA existing = {};
  existing.cbSize = sizeof existing;
  if (!GetClassInfoExA(instance, kWindowClass, &existing)) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &TApplication::StaticWndProc;
    wc.hInstance = instance;
    HICON icon = LoadIconA(instance, "MAINICON");
    wc.hIcon = icon ? icon : LoadIconA(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kWindowClass;
    RegisterClassExA(&wc);
  }
  // A zero-sized popup with a caption: invisible on the desktop, but it carries the taskbar
  // button with the title and owns the forms.
  handle_ = CreateWindowExA(0, kWindowClass, title_.c_str(),
                            WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                            GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0,
                            0, nullptr, nullptr, instance, this);
  SetApplicationComponent(this);
}

TApplication::~TApplication() {
  Done();
  if (handle_) {
    SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
    DestroyWindow(handle_);
  }
  if (ApplicationComponent() == this) SetApplicationComponent(nullptr);
}

void TApplication::Done() {
  if (done_) return;
  done_ = true;
  Destroying();
  DestroyComponents();  // the forms, last created first; each hides itself first
  mainForm_ = nullptr;
}

void TApplication::Initialize() {
  if (initialized_) return;
  initialized_ = true;
  if (initProc_) initProc_();
}

void TApplication::SetTitle(const std::string& Value) {
  title_ = Value;
  if (handle_) SetWindowTextA(handle_, title_.c_str());
}

void TApplication::InitForm(TForm& Form) {
  Form.LoadFromResource();
  if (!mainForm_) mainForm_ = &Form;
}

void TApplication::FormFailed(TForm& Form) {
  if (mainForm_ == &Form) mainForm_ = nullptr;
  Form.Free();
}

void TApplication::Notification(TComponent* Component, TOperation Operation) {
  TComponent::Notification(Component, Operation);
  if (Operation == TOperation::opRemove && Component == mainForm_) mainForm_ = nullptr;
}

void TApplication::Run() {
  if (!mainForm_) return;
  terminated_ = false;
  try {
    ShowMainForm();
  } catch (...) {
    HandleException(this);
  }
  while (!terminated_) HandleMessage();
}

void TApplication::ShowMainForm() {
  // The launcher's wish (a shortcut set to "maximised" or "minimised").
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  int command = SW_SHOWNORMAL;
  bool minimized = false;
  if (startup.dwFlags & STARTF_USESHOWWINDOW) {
    switch (startup.wShowWindow) {
      case SW_SHOWMAXIMIZED:
        command = SW_SHOWMAXIMIZED;
        break;
      case SW_SHOWMINIMIZED:
      case SW_MINIMIZE:
      case SW_SHOWMINNOACTIVE:
      case SW_FORCEMINIMIZE:
        minimized = true;
        break;
      default:
        break;
    }
  }
  // The taskbar button appears with the application window, shown without ShowWindow so the
  // start-up show command stays for the form.
  if (handle_) {
    SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
  }
  mainForm_->Show(command);
  if (minimized) Minimize();
}

bool TApplication::HandleMessage() {
  MSG msg = {};
  const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
  if (got == 0 || got == -1) {
    terminated_ = true;
    return false;
  }
  DispatchGuarded(msg);
  return true;
}

void TApplication::ProcessMessages() {
  MSG msg = {};
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      terminated_ = true;
      return;
    }
    DispatchGuarded(msg);
  }
}

void TApplication::DispatchGuarded(const MSG& Msg) {
  try {
    if (!IsKeyMessageHandled(Msg)) {
      TranslateMessage(&Msg);
      DispatchMessageA(&Msg);
    }
  } catch (...) {
    HandleException(this);
  }
}

bool TApplication::IsKeyMessageHandled(const MSG& Msg) {
  if (Msg.message < WM_KEYFIRST || Msg.message > WM_KEYLAST) return false;
  TForm* form = TForm::FromHandle(Msg.hwnd);
  return form && form->PreProcessKey(Msg, KeyboardShiftState());
}

TShiftState TApplication::KeyboardShiftState() {
  TShiftState s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  return s;
}

void TApplication::Terminate() {
  PostQuitMessage(0);
}

void TApplication::Minimize() {
  if (handle_) ShowWindow(handle_, SW_MINIMIZE);
}

void TApplication::Restore() {
  if (!handle_) return;
  ShowWindow(handle_, SW_RESTORE);
  if (mainForm_ && mainForm_->HandleAllocated()) SetForegroundWindow(mainForm_->Handle());
}

void TApplication::HandleException(TObject*) {
  if (!std::current_exception()) return;
  try {
    throw;
  } catch (const EAbort&) {
    // The silent abort shows nothing.
  } catch (const std::exception& e) {
    ShowException(e);
  } catch (...) {
    ShowException(EToolkitError("Unknown error"));
  }
}

void TApplication::ShowException(const std::exception& E) {
  const std::string text = E.what();
  HWND owner = ActiveOwner();
  if (messageBox_) {
    messageBox_(owner, text, title_, MB_ICONERROR);
  } else {
    MessageBoxA(owner, text.c_str(), title_.c_str(), MB_ICONERROR);
  }
}

// The application window carries the taskbar button, so a click there or the task switcher
// activates it; it shows nothing and handles no keys, so the activation goes on to the main form
// (or the box it shows), which gives the focus back to its control. Only while this window still
// holds the activation: the user may have gone on elsewhere since the message was posted.
void TApplication::ActivateMainForm() {
  if (!handle_ || IsIconic(handle_) || GetActiveWindow() != handle_) return;
  if (!mainForm_ || !mainForm_->Visible()) return;
  HWND target = GetLastActivePopup(mainForm_->Handle());
  if (target && IsWindowVisible(target) && IsWindowEnabled(target)) SetActiveWindow(target);
}

HWND TApplication::ActiveOwner() const {
  HWND active = GetActiveWindow();
  if (active && TForm::FromHandle(active)) return active;
  return handle_;
}

LRESULT CALLBACK TApplication::StaticWndProc(HWND Window, UINT Message, WPARAM WParam,
                                             LPARAM LParam) {
  auto* app = WindowObject<TApplication>(Window, Message, LParam);
  if (!app) return DefWindowProcA(Window, Message, WParam, LParam);
  if (Message == WM_NCCREATE) app->handle_ = Window;
  try {
    return app->WndProc(Message, WParam, LParam);
  } catch (...) {
    app->HandleException(app);
    return 0;
  }
}

LRESULT TApplication::WndProc(UINT Message, WPARAM WParam, LPARAM LParam) {
  switch (Message) {
    case WM_SYSCOMMAND:
      if ((WParam & 0xFFF0) == SC_RESTORE) {
        Restore();
        return 0;
      }
      break;
    case WM_SETFOCUS:
      // Not while the focus is still changing: activation handed on from inside its own
      // notification would nest in the system's activation sequence.
      PostMessageA(handle_, kActivateMainForm, 0, 0);
      break;
    case kActivateMainForm:
      ActivateMainForm();
      return 0;
    case WM_CLOSE:
      // Closing from the taskbar closes the main form.
      if (mainForm_) mainForm_->Close();
      return 0;
    case WM_ENDSESSION:
      // The procedure may destroy this object: nothing of it is touched afterwards.
      if (WParam && endSessionProc_) endSessionProc_();
      return 0;
    default:
      break;
  }
  return DefWindowProcA(handle_, Message, WParam, LParam);
}

void DoneApplication() {
  if (Application) Application->Done();
}
