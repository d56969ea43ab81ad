#include "launcher/ProgressWindow.h"

#include "toolkit/ui/WindowObject.h"

namespace {

constexpr char kClassName[] = "TProgressWindow";
constexpr char kTitle[] = "Installation";
// "Die Installation wird vorbereitet ..." with the ellipsis of the ANSI code page (0x85).
constexpr char kLine[] = "Die Installation wird vorbereitet \x85";
constexpr DWORD kShowAfterMs = 500;
constexpr int kClientWidth = 360, kClientHeight = 96, kMargin = 16, kBarHeight = 20;

RECT BarRect() {
  return {kMargin, kClientHeight - kMargin - kBarHeight, kClientWidth - kMargin,
          kClientHeight - kMargin};
}

}  // namespace

TProgressWindow::~TProgressWindow() {
  if (window_ != nullptr) DestroyWindow(window_);
}

bool TProgressWindow::Update(uint64_t Done, uint64_t Total) {
  if (!timing_) {
    started_ = GetTickCount();
    timing_ = true;
  }
  if (window_ == nullptr && Done < Total && GetTickCount() - started_ >= kShowAfterMs) Create();
  if (window_ != nullptr) {
    const int permille = Total != 0 ? static_cast<int>(Done * 1000 / Total) : 1000;
    if (permille != permille_) {
      permille_ = permille;
      const RECT bar = BarRect();
      InvalidateRect(window_, &bar, FALSE);
    }
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        // Not ours to take: the message loop that follows ends on it.
        PostQuitMessage(static_cast<int>(message.wParam));
        break;
      }
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  return !stopped_;
}

void TProgressWindow::Create() {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = &WindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  windowClass.hIcon = LoadIconA(windowClass.hInstance, "MAINICON");
  RegisterClassA(&windowClass);  // fails harmlessly when already registered

  constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  RECT frame = {0, 0, kClientWidth, kClientHeight};
  AdjustWindowRect(&frame, kStyle, FALSE);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  RECT desktop = {};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &desktop, 0);
  const int left = desktop.left + (desktop.right - desktop.left - width) / 2;
  const int top = desktop.top + (desktop.bottom - desktop.top - height) / 2;
  window_ = CreateWindowExA(WS_EX_APPWINDOW, kClassName, kTitle, kStyle, left, top, width, height,
                            nullptr, nullptr, windowClass.hInstance, this);
  if (window_ == nullptr) return;
  ShowWindow(window_, SW_SHOW);
  UpdateWindow(window_);
}

LRESULT CALLBACK TProgressWindow::WindowProc(HWND Window, UINT Message, WPARAM WParam,
                                             LPARAM LParam) {
  TProgressWindow* self = WindowObject<TProgressWindow>(Window, Message, LParam);
  if (self != nullptr) {
    switch (Message) {
      case WM_CLOSE:
        // The preparation stops at its next block; the window goes with it.
        self->stopped_ = true;
        return 0;
      case WM_PAINT:
        self->Paint(Window);
        return 0;
      default:
        break;
    }
  }
  return DefWindowProcA(Window, Message, WParam, LParam);
}

void TProgressWindow::Paint(HWND Window) const {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(Window, &paint);
  HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  RECT text = {kMargin, kMargin, kClientWidth - kMargin, BarRect().top - 4};
  DrawTextA(dc, kLine, -1, &text, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, oldFont);

  RECT bar = BarRect();
  DrawEdge(dc, &bar, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  RECT filled = bar;
  const int permille = permille_ < 0 ? 0 : permille_;
  filled.right = bar.left + static_cast<int>((bar.right - bar.left) * permille / 1000);
  FillRect(dc, &filled, GetSysColorBrush(COLOR_HIGHLIGHT));
  RECT rest = bar;
  rest.left = filled.right;
  FillRect(dc, &rest, GetSysColorBrush(COLOR_WINDOW));
  EndPaint(Window, &paint);
}
