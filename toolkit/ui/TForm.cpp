#include "toolkit/ui/TForm.h"

#include <algorithm>
#include <cctype>

#include "toolkit/core/FormStreaming.h"
#include "toolkit/core/TPublisher.h"
#include "toolkit/core/TResourceStream.h"
#include "toolkit/ui/TApplication.h"
#include "toolkit/ui/TBitBtn.h"
#include "toolkit/ui/TControl.h"
#include "toolkit/ui/TScreen.h"
#include "toolkit/ui/WindowObject.h"

namespace {

constexpr int64_t kAlwaysStored = INT64_MIN;

std::string UpperCase(std::string Text) {
  for (char& c : Text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return Text;
}

HICON ProgramIcon() {
  HICON icon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
  return icon ? icon : LoadIconA(nullptr, IDI_APPLICATION);
}

// One window class per form class, named after it.
void RegisterFormClass(const std::string& Name, WNDPROC Proc) {
  WNDCLASSEXA existing = {};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExA(GetModuleHandleA(nullptr), Name.c_str(), &existing)) return;
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hIcon = ProgramIcon();
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = Name.c_str();
  RegisterClassExA(&wc);
}

TBitBtn* AsButton(TControl* Control) {
  return dynamic_cast<TBitBtn*>(Control);
}

}  // namespace

TForm::TForm(TComponent* Owner) : TComponent(Owner), font_(std::make_unique<TFont>()) {
  font_->SetOnChange([this] { FontChanged(); });
}

TForm::~TForm() {
  if (handle_) ShowWindow(handle_, SW_HIDE);
  DestroyWindowHandle();
  DestroyControls();
  DestroyComponents();
  font_->SetOnChange(nullptr);
}

void TForm::DestroyControls() {
  while (!controls_.empty()) {
    TControl* last = controls_.back();
    if (last->Owner() == this) {
      last->Free();  // its destructor leaves this form's list
    } else {
      last->SetParent(nullptr);
    }
  }
}

void TForm::LoadFromResource() {
  const std::string name = UpperCase(ClassName());
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC resource = FindResourceA(module, name.c_str(), MAKEINTRESOURCEA(10));  // RT_RCDATA
  HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) throw EResNotFound("Resource " + name + " not found");
  TResourceStream stream(data, SizeofResource(module, resource));
  LoadFromStream(stream);
}

void TForm::LoadFromStream(TStream& Stream) {
  ReadComponentRes(Stream, *this);
  HandleNeeded();
}

void TForm::Loaded() {
  TComponent::Loaded();
  LoadedScaling(Screen ? Screen->PixelsPerInch() : kDesignPixelsPerInch);
}

void TForm::LoadedScaling(int32_t Ppi) {
  if (Ppi > 0 && pixelsPerInch_ > 0 && Ppi != pixelsPerInch_) {
    font_->SetHeight(ScaleFontHeight(font_->Height(), Ppi, pixelsPerInch_));
  }
  const int32_t measured = MeasureTextHeight();
  const TLayoutScale scale{measured, textHeight_};
  if (scale.Active()) {
    for (TControl* c : controls_) c->ScaleBy(measured, textHeight_);
    clientWidth_ = scale(clientWidth_);
    clientHeight_ = scale(clientHeight_);
    UpdateWindowSize();
  }
  if (Ppi > 0) pixelsPerInch_ = Ppi;
  if (measured > 0) textHeight_ = measured;
}

int32_t TForm::MeasureTextHeight() {
  HDC dc = GetDC(nullptr);
  if (!dc) return textHeight_;
  HGDIOBJ old = SelectObject(dc, font_->Handle());
  SIZE size = {0, 0};
  GetTextExtentPoint32A(dc, "0", 1, &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return size.cy > 0 ? size.cy : textHeight_;
}

void TForm::SetLeft(int32_t Value) {
  left_ = Value;
  if (handle_)
    SetWindowPos(handle_, nullptr, left_, top_, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetTop(int32_t Value) {
  top_ = Value;
  if (handle_)
    SetWindowPos(handle_, nullptr, left_, top_, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetClientWidth(int32_t Value) {
  clientWidth_ = std::max(Value, 0);
  UpdateWindowSize();
}

void TForm::SetClientHeight(int32_t Value) {
  clientHeight_ = std::max(Value, 0);
  UpdateWindowSize();
}

void TForm::SetCaption(const std::string& Value) {
  caption_ = Value;
  if (handle_) SetWindowTextA(handle_, caption_.c_str());
}

void TForm::SetColor(TColor Value) {
  color_ = Value;
  Invalidate();
}

TControl* TForm::Controls(int32_t Index) const {
  if (Index < 0 || Index >= ControlCount()) throw EListError(ListIndexErrorText(Index));
  return controls_[static_cast<size_t>(Index)];
}

void TForm::InsertControl(TControl* Control) {
  if (std::find(controls_.begin(), controls_.end(), Control) != controls_.end()) return;
  controls_.push_back(Control);
  Control->Invalidate();
}

void TForm::RemoveControl(TControl* Control) {
  auto it = std::find(controls_.begin(), controls_.end(), Control);
  if (it == controls_.end()) return;
  Control->Invalidate();
  controls_.erase(it);
  if (lastFocused_ == Control) lastFocused_ = nullptr;
  if (mouseDown_ == Control) mouseDown_ = nullptr;
}

TControl* TForm::ControlAtPos(int32_t X, int32_t Y) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    if (!c->Visible() || c->Windowed()) continue;
    if (X >= c->Left() && X < c->Left() + c->Width() && Y >= c->Top() &&
        Y < c->Top() + c->Height()) {
      return c;
    }
  }
  return nullptr;
}

TControl* TForm::FirstTabControl() const {
  TControl* best = nullptr;
  for (TControl* c : controls_) {
    if (!c->CanFocus()) continue;
    if (!best || c->TabOrder() < best->TabOrder()) best = c;
  }
  return best;
}

TControl* TForm::DefaultButton() const {
  for (TControl* c : controls_) {
    TBitBtn* b = AsButton(c);
    if (b && b->Default() && b->CanFocus()) return b;
  }
  return nullptr;
}

TControl* TForm::CancelButton() const {
  for (TControl* c : controls_) {
    TBitBtn* b = AsButton(c);
    if (b && b->Cancel() && b->CanFocus()) return b;
  }
  return nullptr;
}

TControl* TForm::FocusedControl() const {
  HWND focus = GetFocus();
  if (!focus) return nullptr;
  for (TControl* c : controls_) {
    if (c->Handle() == focus) return c;
  }
  return nullptr;
}

HWND TForm::Handle() {
  if (!handle_) CreateWindowHandle();
  return handle_;
}

DWORD TForm::WindowStyle() const {
  constexpr DWORD kClip = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  switch (borderStyle_) {
    case bsNone:
      return WS_POPUP | kClip;
    case bsSingle:
    case bsToolWindow:
      return WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | kClip;
    case bsDialog:
      return WS_POPUP | WS_CAPTION | WS_SYSMENU | kClip;
    case bsSizeable:
    case bsSizeToolWin:
    default:
      return WS_OVERLAPPEDWINDOW | kClip;
  }
}

DWORD TForm::WindowExStyle() const {
  switch (borderStyle_) {
    case bsDialog:
      return WS_EX_DLGMODALFRAME;
    case bsToolWindow:
    case bsSizeToolWin:
      return WS_EX_TOOLWINDOW;
    default:
      return 0;
  }
}

SIZE TForm::OuterSize() const {
  if (handle_) {
    RECT r = {};
    GetWindowRect(handle_, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
  }
  RECT r = {0, 0, clientWidth_, clientHeight_};
  AdjustWindowRectEx(&r, WindowStyle(), FALSE, WindowExStyle());
  return SIZE{r.right - r.left, r.bottom - r.top};
}

void TForm::CreateWindowHandle() {
  const std::string className = ClassName();
  RegisterFormClass(className, &TForm::StaticWndProc);
  const SIZE outer = OuterSize();
  HWND owner = Application ? Application->Handle() : nullptr;
  CreateWindowExA(WindowExStyle(), className.c_str(), caption_.c_str(), WindowStyle(), left_, top_,
                  outer.cx, outer.cy, owner, nullptr, GetModuleHandleA(nullptr), this);
  // WM_NCCREATE stored the handle; creation failing leaves it null.
  if (!handle_) throw EToolkitError("Cannot create the window of " + Name());
  UpdateWindowSize();
  for (TControl* c : controls_) c->CreateHandle();
}

void TForm::UpdateWindowSize() {
  if (!handle_) return;
  RECT client = {};
  GetClientRect(handle_, &client);
  const int32_t dx = clientWidth_ - (client.right - client.left);
  const int32_t dy = clientHeight_ - (client.bottom - client.top);
  if (dx == 0 && dy == 0) return;
  // Grow the outer rectangle by what the client area lacks (the frame may differ from the
  // computed one, e.g. under a window manager).
  RECT outer = {};
  GetWindowRect(handle_, &outer);
  SetWindowPos(handle_, nullptr, 0, 0, outer.right - outer.left + dx, outer.bottom - outer.top + dy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::DestroyWindowHandle() {
  if (!handle_) return;
  for (TControl* c : controls_) c->DestroyHandle();
  DestroyWindow(handle_);
  handle_ = nullptr;
}

void TForm::Show(int ShowCommand) {
  HandleNeeded();
  if (!shownOnce_) {
    shownOnce_ = true;
    const SIZE outer = OuterSize();
    if (position_ == poDesktopCenter || position_ == poScreenCenter) {
      const bool desktop = position_ == poDesktopCenter;
      const TLayoutPoint p = DesktopCenter(
          GetSystemMetrics(desktop ? SM_CXVIRTUALSCREEN : SM_CXSCREEN),
          GetSystemMetrics(desktop ? SM_CYVIRTUALSCREEN : SM_CYSCREEN), outer.cx, outer.cy);
      left_ = p.X;
      top_ = p.Y;
      SetWindowPos(handle_, nullptr, left_, top_, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  ShowWindow(handle_, ShowCommand);
  UpdateWindow(handle_);
}

void TForm::Hide() {
  if (handle_) ShowWindow(handle_, SW_HIDE);
}

bool TForm::Visible() const {
  return handle_ && IsWindowVisible(handle_);
}

void TForm::Close() {
  if (Application && Application->MainForm() == this) {
    Application->Terminate();
  } else {
    Hide();
  }
}

void TForm::Invalidate() {
  if (handle_) ::InvalidateRect(handle_, nullptr, FALSE);
}

void TForm::InvalidateRect(const RECT& Area) {
  if (handle_) ::InvalidateRect(handle_, &Area, FALSE);
}

void TForm::FontChanged() {
  for (TControl* c : controls_) c->ParentFontChanged();
}

bool TForm::PreProcessKey(const MSG& Msg, TShiftState Shift) {
  if (Msg.message != WM_KEYDOWN && Msg.message != WM_KEYUP && Msg.message != WM_SYSKEYDOWN &&
      Msg.message != WM_SYSKEYUP) {
    return false;
  }
  if (!handle_ || (Msg.hwnd != handle_ && !IsChild(handle_, Msg.hwnd))) return false;
  const bool keyUp = Msg.message == WM_KEYUP || Msg.message == WM_SYSKEYUP;
  TBitBtn* focused = AsButton(FocusedControl());
  switch (ClassifyDialogKey(static_cast<uint32_t>(Msg.wParam), keyUp, Shift)) {
    case TDialogKey::dkDefault: {
      TControl* target = focused ? focused : DefaultButton();
      if (!target) return false;
      target->Click();
      return true;
    }
    case TDialogKey::dkCancel: {
      TControl* target = CancelButton();
      if (!target) return false;
      target->Click();
      return true;
    }
    case TDialogKey::dkPressFocused:
      if (!focused) return false;
      focused->PressDown();
      return true;
    case TDialogKey::dkReleaseFocused:
      if (!focused) return false;
      focused->ReleaseAndClick();
      return true;
    case TDialogKey::dkNone:
    default:
      return false;
  }
}

TForm* TForm::FromHandle(HWND Window) {
  if (!Window) return nullptr;
  HWND root = GetAncestor(Window, GA_ROOT);
  if (!root) return nullptr;
  if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(root, GWLP_WNDPROC)) != &TForm::StaticWndProc) {
    return nullptr;
  }
  return reinterpret_cast<TForm*>(GetWindowLongPtrA(root, GWLP_USERDATA));
}

LRESULT CALLBACK TForm::StaticWndProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  auto* form = WindowObject<TForm>(Window, Message, LParam);
  if (!form) return DefWindowProcA(Window, Message, WParam, LParam);
  if (Message == WM_NCCREATE) form->handle_ = Window;
  if (Message == WM_NCDESTROY) {
    SetWindowLongPtrA(Window, GWLP_USERDATA, 0);
    form->handle_ = nullptr;
    return DefWindowProcA(Window, Message, WParam, LParam);
  }
  // Nothing may unwind through the system's code: an error ends here, in the error box.
  try {
    return form->WndProc(Message, WParam, LParam);
  } catch (...) {
    if (Application) Application->HandleException(form);
    return 0;
  }
}

LRESULT TForm::WndProc(UINT Message, WPARAM WParam, LPARAM LParam) {
  switch (Message) {
    case WM_PAINT:
      PaintWindow();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT fills the background
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(WParam) == handle_ && HandleSetCursor(LParam)) return TRUE;
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
      HandleMouse(Message, static_cast<int16_t>(LOWORD(LParam)),
                  static_cast<int16_t>(HIWORD(LParam)));
      return 0;
    case WM_COMMAND:
      if (HIWORD(WParam) == BN_CLICKED && LParam != 0) {
        for (TControl* c : controls_) {
          if (c->Handle() == reinterpret_cast<HWND>(LParam)) {
            c->Click();
            return 0;
          }
        }
      }
      break;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(LParam);
      for (TControl* c : controls_) {
        if (TBitBtn* b = AsButton(c); b && b->Handle() == item->hwndItem) {
          b->DrawItem(*item);
          return TRUE;
        }
      }
      break;
    }
    case WM_ACTIVATE:
      if (LOWORD(WParam) == WA_INACTIVE) {
        if (TControl* f = FocusedControl()) lastFocused_ = f;
      } else if (!HIWORD(WParam) && FocusFirstControl()) {  // not minimised
        return 0;
      }
      break;
    case WM_SETFOCUS:
      if (FocusFirstControl()) return 0;
      break;
    case WM_CANCELMODE:
    case WM_CAPTURECHANGED:
      // The mouse was taken away (a window popped up, the system cancelled the mode): the
      // press on a windowless control ends here, and its release clicks nothing.
      if (Message == WM_CANCELMODE || reinterpret_cast<HWND>(LParam) != handle_)
        mouseDown_ = nullptr;
      break;
    case WM_CLOSE:
      Close();
      return 0;
    case WM_SYSCOMMAND:
      // Minimising the main form minimises the application window, which carries the
      // taskbar button and hides the forms it owns.
      if ((WParam & 0xFFF0) == SC_MINIMIZE && Application && Application->MainForm() == this) {
        Application->Minimize();
        return 0;
      }
      break;
    default:
      break;
  }
  return DefWindowProcA(handle_, Message, WParam, LParam);
}

void TForm::PaintWindow() {
  PAINTSTRUCT ps = {};
  HDC dc = BeginPaint(handle_, &ps);
  if (!dc) return;
  HBRUSH brush = CreateSolidBrush(ColorToRGB(color_));
  FillRect(dc, &ps.rcPaint, brush);
  DeleteObject(brush);
  for (TControl* c : controls_) {
    if (c->Windowed() || !c->Visible() || c->Width() <= 0 || c->Height() <= 0) continue;
    const RECT bounds = c->BoundsRect();
    RECT overlap = {};
    if (!IntersectRect(&overlap, &bounds, &ps.rcPaint)) continue;
    const int saved = SaveDC(dc);
    OffsetViewportOrgEx(dc, c->Left(), c->Top(), nullptr);
    IntersectClipRect(dc, 0, 0, c->Width(), c->Height());
    c->Paint(dc);
    RestoreDC(dc, saved);
  }
  EndPaint(handle_, &ps);
}

bool TForm::FocusFirstControl() {
  TControl* target = lastFocused_ && lastFocused_->CanFocus() ? lastFocused_ : FirstTabControl();
  if (!target || !target->Handle()) return false;
  SetFocus(target->Handle());
  return true;
}

void TForm::HandleMouse(UINT Message, int32_t X, int32_t Y) {
  TControl* hit = ControlAtPos(X, Y);
  if (hit && !hit->Enabled()) hit = nullptr;
  if (Message == WM_LBUTTONDOWN || Message == WM_LBUTTONDBLCLK) {
    mouseDown_ = hit;
    if (hit) SetCapture(handle_);
    return;
  }
  // A click is a press and a release on the same control.
  TControl* pressed = mouseDown_;
  mouseDown_ = nullptr;
  if (GetCapture() == handle_) ReleaseCapture();
  if (pressed && pressed == hit) pressed->Click();
}

bool TForm::HandleSetCursor(LPARAM LParam) {
  if (LOWORD(LParam) != HTCLIENT || !Screen) return false;
  POINT p = {};
  GetCursorPos(&p);
  ScreenToClient(handle_, &p);
  TControl* hit = ControlAtPos(p.x, p.y);
  ::SetCursor(Screen->Cursors(hit ? hit->Cursor() : crDefault));
  return true;
}

void TForm::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
  // Controls first, in their order on the form, then the non-visual components.
  for (TControl* c : controls_) {
    if (c->Owner() == Root) Proc(c);
  }
  TComponent::GetChildren(Proc, Root);
}

void TForm::Publish(TPublisher<TForm>& P) {
  P.Integer("Left", &TForm::Left, &TForm::SetLeft);
  P.Integer("Top", &TForm::Top, &TForm::SetTop);
  P.Enum("BorderStyle", TFormBorderStyleInfo(), &TForm::BorderStyle, &TForm::SetBorderStyle,
         bsSizeable);
  P.String("Caption", &TForm::Caption, &TForm::SetCaption);
  P.Integer("ClientHeight", &TForm::ClientHeight, &TForm::SetClientHeight, kAlwaysStored);
  P.Integer("ClientWidth", &TForm::ClientWidth, &TForm::SetClientWidth, kAlwaysStored);
  P.Integer("Color", &TForm::Color, &TForm::SetColor, clBtnFace, kColorType);
  P.Object("Font", &TForm::Font);
  // Stored when False, as the design tool writes it.
  P.Boolean("OldCreateOrder", &TForm::OldCreateOrder, &TForm::SetOldCreateOrder, true);
  P.Enum("Position", TPositionInfo(), &TForm::Position, &TForm::SetPosition, poDesigned);
  P.Integer("PixelsPerInch", &TForm::PixelsPerInch, &TForm::SetPixelsPerInch, kAlwaysStored);
  P.Integer("TextHeight", &TForm::TextHeight, &TForm::SetTextHeight, kAlwaysStored);
}
