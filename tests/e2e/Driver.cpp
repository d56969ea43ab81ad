// Drives the real Project1.exe from outside, as a user would, and checks one run end to end:
//
//   driver.exe PROGRAM RECORDED_FILE [READY_FILE SHOT_DONE_FILE]
//
// It starts PROGRAM, waits for its window "Installation", checks the window's size, border,
// centring and controls against the layout rules (measuring the window font the same way the
// program does), clicks the logo with SendInput and waits for the stand-in browser's
// RECORDED_FILE, whose parameter text must be exactly the home page address. With the two
// handshake files it then announces READY_FILE and waits for SHOT_DONE_FILE, so the script around
// it can take a screenshot. Finally it closes the window with WM_CLOSE and expects exit code 0.
// Every check prints one line; the exit code is the number of failed checks (capped at 100).

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr char kTitle[] = "Installation";
constexpr char kButtonCaption[] = "Jetzt installieren!";
constexpr char kAddress[] = "http://www.quillmoor.de/";
constexpr DWORD kStartTimeoutMs = 60000;
constexpr DWORD kFileTimeoutMs = 30000;
constexpr DWORD kExitTimeoutMs = 30000;

int failures = 0;

void Check(bool ok, const std::string& what) {
  std::printf("%s: %s\n", ok ? "ok" : "FAIL", what.c_str());
  std::fflush(stdout);
  if (!ok) ++failures;
}

std::string Str(long v) {
  return std::to_string(v);
}

std::string RectText(const RECT& r) {
  return "(" + Str(r.left) + "," + Str(r.top) + ")-(" + Str(r.right) + "," + Str(r.bottom) + ")";
}

// --- the layout rule -------------------------------------------------------------------------

// Height of "0" in the window font ("MS Sans Serif", -11 at 96 pixels per inch, scaled to the
// screen's density), measured as the program measures it.
int MeasureWindowFontDigitHeight() {
  HDC screen = GetDC(nullptr);
  const int ppi = GetDeviceCaps(screen, LOGPIXELSY);
  const int height = -MulDiv(11, ppi, 96);
  HFONT font = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                           "MS Sans Serif");
  HGDIOBJ old = SelectObject(screen, font);
  SIZE size = {};
  GetTextExtentPoint32A(screen, "0", 1, &size);
  SelectObject(screen, old);
  DeleteObject(font);
  ReleaseDC(nullptr, screen);
  std::printf("info: %d pixels per inch, window font height %d, height of \"0\" m = %ld\n", ppi,
              height, size.cy);
  return size.cy;
}

struct Layout {
  int m = 13;
  int Scale(int design) const { return MulDiv(design, m, 13); }
  RECT Box(int left, int top, int width, int height) const {
    return {Scale(left), Scale(top), Scale(left) + Scale(width), Scale(top) + Scale(height)};
  }
};

// --- finding windows -------------------------------------------------------------------------

struct Search {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindMainWindow(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char text[64] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  RECT client = {};
  GetClientRect(hwnd, &client);
  // The application window carries the same title but no client area worth the name.
  if (pid == search->pid && IsWindowVisible(hwnd) && std::string(text) == kTitle &&
      client.right > 100 && client.bottom > 100) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND WaitForMainWindow(DWORD pid, HANDLE process) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kStartTimeoutMs) {
    Search search = {pid, nullptr};
    EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    if (WaitForSingleObject(process, 100) == WAIT_OBJECT_0) return nullptr;
  }
  return nullptr;
}

BOOL CALLBACK FindButton(HWND hwnd, LPARAM param) {
  char text[64] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  if (std::string(text) == kButtonCaption) {
    *reinterpret_cast<HWND*>(param) = hwnd;
    return FALSE;
  }
  return TRUE;
}

// --- reading the screen ----------------------------------------------------------------------

// Counts the pixels of a client rectangle that are not white, read from the screen.
int CountInk(HWND hwnd, const RECT& box) {
  POINT origin = {0, 0};
  ClientToScreen(hwnd, &origin);
  HDC screen = GetDC(nullptr);
  int ink = 0;
  for (LONG y = box.top; y < box.bottom; ++y) {
    for (LONG x = box.left; x < box.right; ++x) {
      const COLORREF c = GetPixel(screen, origin.x + x, origin.y + y);
      if (c != CLR_INVALID && c != RGB(255, 255, 255)) ++ink;
    }
  }
  ReleaseDC(nullptr, screen);
  return ink;
}

// --- the checks ------------------------------------------------------------------------------

void CheckWindow(HWND hwnd, const Layout& layout) {
  RECT client = {};
  GetClientRect(hwnd, &client);
  Check(client.right == layout.Scale(667) && client.bottom == layout.Scale(250),
        "client area " + Str(client.right) + " x " + Str(client.bottom) + ", expected " +
            Str(layout.Scale(667)) + " x " + Str(layout.Scale(250)));

  const LONG style = GetWindowLongA(hwnd, GWL_STYLE);
  const LONG wanted = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  Check((style & wanted) == wanted && !(style & WS_THICKFRAME),
        "fixed single border with caption, system menu, minimise and maximise boxes");

  RECT outer = {};
  GetWindowRect(hwnd, &outer);
  const int w = outer.right - outer.left;
  const int h = outer.bottom - outer.top;
  const int dw = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  const int dh = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  const int left = (dw - w) / 2 < 0 ? 0 : (dw - w) / 2;
  const int top = (dh - h) / 2 < 0 ? 0 : (dh - h) / 2;
  Check(outer.left == left && outer.top == top,
        "centred: window " + RectText(outer) + " on a " + Str(dw) + " x " + Str(dh) +
            " desktop, expected top left (" + Str(left) + "," + Str(top) + ")");
}

void CheckControls(HWND hwnd, const Layout& layout) {
  HWND button = nullptr;
  EnumChildWindows(hwnd, FindButton, reinterpret_cast<LPARAM>(&button));
  Check(button != nullptr, "button \"Jetzt installieren!\" present");
  if (button) {
    RECT box = {};
    GetWindowRect(button, &box);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&box), 2);
    const RECT want = layout.Box(496, 104, 161, 57);
    Check(EqualRect(&box, &want), "button at " + RectText(box) + ", expected " + RectText(want));
    Check(IsWindowEnabled(button), "button enabled");
    SetForegroundWindow(hwnd);
    Sleep(200);
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &gui);
    Check(gui.hwndFocus == button, "the button holds the keyboard focus");
  }
  // Windowless controls are checked by what they put on the screen.
  const int logo = CountInk(hwnd, layout.Box(8, 8, 197, 89));
  Check(logo > 1000, "logo drawn (" + Str(logo) + " non-white pixels)");
  const int labels = CountInk(hwnd, layout.Box(8, 160, 200, 80));
  Check(labels > 200, "captions drawn (" + Str(labels) + " non-white pixels)");
  const int blank = CountInk(hwnd, layout.Box(260, 16, 200, 60));
  Check(blank == 0, "white background (" + Str(blank) + " non-white pixels in an empty area)");
}

// --- the logo click --------------------------------------------------------------------------

// Moves the mouse to the point and clicks there, as one input sequence. Wine hands the move to
// the X server asynchronously, so the click waits until the position reads back.
void ClickAt(POINT screenPoint) {
  SetCursorPos(screenPoint.x, screenPoint.y);
  for (int i = 0; i < 100; ++i) {
    POINT now{};
    GetCursorPos(&now);
    if (now.x == screenPoint.x && now.y == screenPoint.y) break;
    Sleep(10);
  }
  INPUT inputs[3] = {};
  inputs[0].type = INPUT_MOUSE;
  inputs[0].mi.dx = MulDiv(screenPoint.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  inputs[0].mi.dy = MulDiv(screenPoint.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  inputs[1].type = INPUT_MOUSE;
  inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  inputs[2].type = INPUT_MOUSE;
  inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(3, inputs, sizeof(INPUT));
}

bool ReadWholeFile(const std::string& path, std::string& text) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::vector<char> buffer(GetFileSize(file, nullptr));
  DWORD read = 0;
  const BOOL ok = ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr);
  CloseHandle(file);
  text.assign(buffer.data(), read);
  return ok;
}

bool WaitForFile(const std::string& path, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    Sleep(100);
  }
  return false;
}

// Splits a command line into its program token and the parameter text behind it.
void SplitCommandLine(const std::string& line, std::string& program, std::string& params) {
  size_t end = 0;
  if (!line.empty() && line[0] == '"') {
    end = line.find('"', 1);
    end = end == std::string::npos ? line.size() : end + 1;
  } else {
    end = line.find(' ');
    if (end == std::string::npos) end = line.size();
  }
  program = line.substr(0, end);
  size_t rest = end;
  while (rest < line.size() && line[rest] == ' ') ++rest;
  params = line.substr(rest);
}

void CheckLogoClick(HWND hwnd, const Layout& layout, const std::string& recordedFile) {
  DeleteFileA(recordedFile.c_str());
  // A click on a window that is not yet active may only activate it; wait until it is.
  const DWORD start = GetTickCount();
  while (GetForegroundWindow() != hwnd && GetTickCount() - start < 5000) {
    SetForegroundWindow(hwnd);
    Sleep(100);
  }
  Check(GetForegroundWindow() == hwnd, "the window is active before the click");
  const RECT logo = layout.Box(8, 8, 197, 89);
  POINT centre = {(logo.left + logo.right) / 2, (logo.top + logo.bottom) / 2};
  ClientToScreen(hwnd, &centre);
  // On a loaded machine an input event can get lost between Wine and the X server; a user
  // clicks again, and so does the driver (at most three times).
  bool started = false;
  int clicks = 0;
  while (!started && clicks < 3) {
    ClickAt(centre);
    ++clicks;
    started = WaitForFile(recordedFile, kFileTimeoutMs / 3);
  }
  std::printf("info: clicks on the logo: %d\n", clicks);
  Check(started, "logo click started the registered browser");
  if (!started) return;
  std::string line;
  ReadWholeFile(recordedFile, line);
  std::printf("info: browser command line: %s\n", line.c_str());
  std::string program;
  std::string params;
  SplitCommandLine(line, program, params);
  Check(program.find("recorder.exe") != std::string::npos,
        "the browser program is the registered one: " + program);
  Check(params == kAddress, "the address is the whole parameter text: [" + params + "]");
}

// --- screenshot handshake and close ----------------------------------------------------------

void OfferScreenshot(const std::string& readyFile, const std::string& doneFile) {
  HANDLE ready = CreateFileA(readyFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
  Check(WaitForFile(doneFile, kFileTimeoutMs), "screenshot taken");
}

void CheckClose(HWND hwnd, HANDLE process) {
  PostMessageA(hwnd, WM_CLOSE, 0, 0);
  const bool ended = WaitForSingleObject(process, kExitTimeoutMs) == WAIT_OBJECT_0;
  Check(ended, "program ended after WM_CLOSE");
  if (!ended) {
    TerminateProcess(process, 99);
    return;
  }
  DWORD code = 1;
  GetExitCodeProcess(process, &code);
  Check(code == 0, "exit code " + Str(static_cast<long>(code)));
}

bool StartProgram(const std::string& program, PROCESS_INFORMATION& info) {
  std::string directory = program.substr(0, program.find_last_of('\\') + 1);
  std::string commandLine = "\"" + program + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  return CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup, &info);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 5) {
    std::fprintf(stderr, "usage: driver PROGRAM RECORDED_FILE [READY_FILE SHOT_DONE_FILE]\n");
    return 100;
  }
  PROCESS_INFORMATION process = {};
  if (!StartProgram(argv[1], process)) {
    Check(false, std::string("start ") + argv[1] + " (error " + Str(GetLastError()) + ")");
    return 100;
  }
  const HWND window = WaitForMainWindow(process.dwProcessId, process.hProcess);
  Check(window != nullptr, "window \"Installation\" shown");
  if (window) {
    Sleep(500);  // let the first paint finish before the screen is read
    Layout layout;
    layout.m = MeasureWindowFontDigitHeight();
    CheckWindow(window, layout);
    CheckControls(window, layout);
    CheckLogoClick(window, layout, argv[2]);
    if (argc == 5) OfferScreenshot(argv[3], argv[4]);
    CheckClose(window, process.hProcess);
  } else {
    TerminateProcess(process.hProcess, 99);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::printf("%d check(s) failed\n", failures);
  return failures > 100 ? 100 : failures;
}
