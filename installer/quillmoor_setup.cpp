// The stand-in installer that the launcher carries as quillmoor_full.exe.
//
// One small window, "Quillmoor 5.0 Deutsch - Setup", tells that setup is running and offers an OK
// button; OK, Enter, Escape or closing the window ends the program with exit code 0.
//
// The image is built without the C runtime (-nostdlib, own entry point) so that it stays a few
// kilobytes: the build appends deterministic padding to reach the installer's fixed size. Hence no
// global objects with constructors, no exceptions, no heap: only user32, gdi32 and kernel32 calls.

#include <windows.h>

namespace {

constexpr char kClassName[] = "QuillmoorSetupWindow";
constexpr char kTitle[] = "Quillmoor 5.0 Deutsch - Setup";
constexpr char kMessage[] = "Quillmoor 5.0 Deutsch wird eingerichtet ...";
constexpr char kStatus[] = "Die Einrichtung ist abgeschlossen. Klicken Sie auf OK.";

constexpr int kClientWidth = 400;
constexpr int kClientHeight = 150;
constexpr int kMargin = 16;
constexpr int kBarTop = 52;
constexpr int kBarHeight = 18;
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 26;

// The progress look: a sunken frame filled with the selection colour, drawn complete because the
// stand-in has nothing to install.
void PaintProgressBar(HDC dc) {
  RECT bar = {kMargin, kBarTop, kClientWidth - kMargin, kBarTop + kBarHeight};
  DrawEdge(dc, &bar, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  FillRect(dc, &bar, GetSysColorBrush(COLOR_HIGHLIGHT));
}

void OnPaint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  PaintProgressBar(dc);
  EndPaint(window, &paint);
}

HWND AddChild(HWND parent, const char* cls, const char* text, DWORD style, int x, int y, int w,
              int h, int id) {
  HWND child = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleA(nullptr), nullptr);
  SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
  return child;
}

void CreateChildren(HWND window) {
  const int width = kClientWidth - 2 * kMargin;
  AddChild(window, "STATIC", kMessage, SS_LEFT, kMargin, 20, width, 20, -1);
  AddChild(window, "STATIC", kStatus, SS_LEFT, kMargin, kBarTop + kBarHeight + 10, width, 20, -1);
  HWND ok = AddChild(window, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP,
                     kClientWidth - kMargin - kButtonWidth, kClientHeight - kMargin - kButtonHeight,
                     kButtonWidth, kButtonHeight, IDOK);
  SetFocus(ok);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      CreateChildren(window);
      return 0;
    case WM_PAINT:
      OnPaint(window);
      return 0;
    case WM_CTLCOLORSTATIC:
      // Static texts on the window's own background rather than the dialog grey.
      SetBkMode(reinterpret_cast<HDC>(wparam), TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
}

bool RegisterSetupClass(HINSTANCE instance) {
  WNDCLASSA cls;
  cls.style = CS_HREDRAW | CS_VREDRAW;
  cls.lpfnWndProc = WindowProc;
  cls.cbClsExtra = 0;
  cls.cbWndExtra = 0;
  cls.hInstance = instance;
  cls.hIcon = LoadIconA(instance, "MAINICON");
  if (!cls.hIcon) cls.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  cls.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  cls.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
  cls.lpszMenuName = nullptr;
  cls.lpszClassName = kClassName;
  return RegisterClassA(&cls) != 0;
}

// Creates the fixed-size window centred on the primary screen.
HWND CreateSetupWindow(HINSTANCE instance) {
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame = {0, 0, kClientWidth, kClientHeight};
  AdjustWindowRect(&frame, style, FALSE);
  const int w = frame.right - frame.left;
  const int h = frame.bottom - frame.top;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
  return CreateWindowExA(WS_EX_DLGMODALFRAME, kClassName, kTitle, style, x < 0 ? 0 : x,
                         y < 0 ? 0 : y, w, h, nullptr, nullptr, instance, nullptr);
}

// Runs the message loop; IsDialogMessage gives the window the keyboard of a dialog (Enter presses
// OK, Escape cancels, Tab moves the focus).
UINT RunMessageLoop(HWND window) {
  MSG msg;
  BOOL got;
  while ((got = GetMessageA(&msg, nullptr, 0, 0)) != 0) {
    if (got == -1) return 1;
    if (IsDialogMessageA(window, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<UINT>(msg.wParam);
}

UINT RunSetup() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!RegisterSetupClass(instance)) return 1;
  HWND window = CreateSetupWindow(instance);
  if (!window) return 1;
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  return RunMessageLoop(window);
}

}  // namespace

// The process entry (the linker's -e option names it). Windows enters with a 4-byte aligned
// stack; the attribute realigns it for code that assumes more.
extern "C" __attribute__((force_align_arg_pointer, used)) void __cdecl SetupEntry() {
  ExitProcess(RunSetup());
}

// Without the C runtime nothing provides these; the compiler may still emit calls to them for
// structure copies and clears.
extern "C" __attribute__((used)) void* memset(void* dest, int value, size_t count) {
  auto* out = static_cast<unsigned char*>(dest);
  while (count--) *out++ = static_cast<unsigned char>(value);
  return dest;
}

extern "C" __attribute__((used)) void* memcpy(void* dest, const void* src, size_t count) {
  auto* out = static_cast<unsigned char*>(dest);
  const auto* in = static_cast<const unsigned char*>(src);
  while (count--) *out++ = *in++;
  return dest;
}
