// Drives the real launcher from outside, as a user would, and checks the whole road of a run:
//
//   driver.exe DIR
//
// DIR holds Project1.exe, Project1_custom.exe (a launcher carrying a small test program instead of
// the installer), Project1_nsis.exe (one carrying an installer made by NSIS),
// Project1_nsis_wrapped.exe (Project1.exe with that installer put in by sfpack wrap), nsis.bin
// (the NSIS installer), payload.bin (the installer file Project1 carries) and the stand-in
// browser recorder.exe, registered for HTML
// files, which writes DIR\recorded.txt. Each scenario starts a launcher with TMP and TEMP pointing
// at a fresh folder of its own inside DIR, plays the user with SendInput (or the system, with
// messages) and checks what lands in that folder, which windows appear, and the exit code. The last
// scenario runs a copy of Project1.exe with one byte of its packed installer changed (see
// MakeDamagedCopy). During the first scenario the driver writes DIR\ready and waits for
// DIR\shot-done, so the script around it can take a screenshot. Every check prints one line; the
// exit code is the number of failed checks (capped at 100).

#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr char kTitle[] = "Installation";
constexpr char kButtonCaption[] = "Jetzt installieren!";
constexpr char kSetupTitle[] = "Quillmoor 5.0 Deutsch - Setup";
constexpr char kAddress[] = "http://www.quillmoor.de/";
constexpr char kInstallerName[] = "quillmoor_full.exe";
constexpr DWORD kStartTimeoutMs = 60000;
constexpr DWORD kTimeoutMs = 30000;

int failures = 0;
std::string dir;  // DIR with a trailing backslash
std::string payload;

void Check(bool ok, const std::string& what) {
  std::printf("%s: %s\n", ok ? "ok" : "FAIL", what.c_str());
  std::fflush(stdout);
  if (!ok) ++failures;
}

std::string Str(long v) {
  return std::to_string(v);
}

// Text of the system's ANSI code page as UTF-8, so that the log (which CTest keeps and tools
// grep) holds no bytes that are invalid in UTF-8, such as the German umlauts of the error box.
std::string Utf8FromAnsi(const std::string& ansi) {
  const int wide =
      MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring text(static_cast<size_t>(wide), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), text.data(), wide);
  const int bytes =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), wide, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), wide, out.data(), bytes, nullptr, nullptr);
  return out;
}

std::string RectText(const RECT& r) {
  return "(" + Str(r.left) + "," + Str(r.top) + ")-(" + Str(r.right) + "," + Str(r.bottom) + ")";
}

// Polls the condition until it holds or the time is up; Wine delivers input and starts processes
// asynchronously, so every check of a consequence waits for the state instead of sleeping.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kTimeoutMs) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(50);
  }
  return true;
}

// --- files -----------------------------------------------------------------------------------

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::vector<char> buffer(GetFileSize(file, nullptr));
  DWORD read = 0;
  const BOOL ok = ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr);
  CloseHandle(file);
  bytes.assign(buffer.data(), read);
  return ok;
}

bool HasBytes(const std::string& path, const std::string& expected) {
  std::string bytes;
  return ReadWholeFile(path, bytes) && bytes == expected;
}

// Writes the file and gives it a fixed old modification time.
bool WriteOldFile(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  const SYSTEMTIME old = {2001, 2, 0, 3, 4, 5, 6, 0};
  FILETIME time = {};
  SystemTimeToFileTime(&old, &time);
  const BOOL ok = SetFileTime(file, nullptr, nullptr, &time);
  CloseHandle(file);
  return ok && written == bytes.size();
}

ULONGLONG LastWriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (ULONGLONG{data.ftLastWriteTime.dwHighDateTime} << 32) |
         data.ftLastWriteTime.dwLowDateTime;
}

// A fresh, empty folder DIR\name\ (left-overs of an earlier run are removed first).
std::string FreshFolder(const std::string& name) {
  const std::string folder = dir + name + "\\";
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      DeleteFileA((folder + found.cFileName).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

// --- windows ---------------------------------------------------------------------------------

struct WindowQuery {
  std::string title;  // empty: any
  DWORD pid;          // 0: any
  bool visibleOnly;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM param) {
  auto* query = reinterpret_cast<WindowQuery*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char text[64] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  if ((query->pid == 0 || pid == query->pid) && (query->title.empty() || query->title == text) &&
      (!query->visibleOnly || IsWindowVisible(hwnd))) {
    query->found.push_back(hwnd);
  }
  return TRUE;
}

std::vector<HWND> TopLevelWindows(const std::string& title, DWORD pid, bool visibleOnly = true) {
  WindowQuery query = {title, pid, visibleOnly, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&query));
  return query.found;
}

std::vector<HWND> SetupWindows() {
  return TopLevelWindows(kSetupTitle, 0);
}

// The main window; the application window carries the same title but no client area to speak of.
HWND MainWindow(DWORD pid) {
  for (HWND hwnd : TopLevelWindows(kTitle, pid)) {
    RECT client = {};
    GetClientRect(hwnd, &client);
    if (client.right > 100 && client.bottom > 100) return hwnd;
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

HWND Button(HWND window) {
  HWND button = nullptr;
  EnumChildWindows(window, FindButton, reinterpret_cast<LPARAM>(&button));
  return button;
}

// A click on a window that is not active may only activate it; input goes to the active one.
bool Activate(HWND hwnd) {
  return WaitUntil(
      [hwnd] {
        SetForegroundWindow(hwnd);
        return GetForegroundWindow() == hwnd;
      },
      5000);
}

// Asks every installer window to close (as its close box does) and waits for their processes.
bool CloseSetups() {
  std::vector<HANDLE> processes;
  for (HWND hwnd : SetupWindows()) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    processes.push_back(OpenProcess(SYNCHRONIZE, FALSE, pid));
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
  }
  bool ended = true;
  for (HANDLE process : processes) {
    ended = process && WaitForSingleObject(process, kTimeoutMs) == WAIT_OBJECT_0 && ended;
    if (process) CloseHandle(process);
  }
  return ended;
}

// --- input -----------------------------------------------------------------------------------

// Moves the mouse to the point and clicks there once or twice, as one input sequence (two
// clicks in one sequence are a double click). Wine hands the move to the X server
// asynchronously, so the click waits until the position reads back.
void ClickAt(POINT screenPoint, int clicks = 1) {
  SetCursorPos(screenPoint.x, screenPoint.y);
  WaitUntil(
      [screenPoint] {
        POINT now{};
        GetCursorPos(&now);
        return now.x == screenPoint.x && now.y == screenPoint.y;
      },
      1000);
  std::vector<INPUT> inputs(1 + 2 * clicks);
  inputs[0].type = INPUT_MOUSE;
  inputs[0].mi.dx = MulDiv(screenPoint.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  inputs[0].mi.dy = MulDiv(screenPoint.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  for (size_t i = 1; i < inputs.size(); ++i) {
    inputs[i].type = INPUT_MOUSE;
    inputs[i].mi.dwFlags = i % 2 ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

POINT CentreOf(HWND control) {
  RECT box = {};
  GetWindowRect(control, &box);
  return {(box.left + box.right) / 2, (box.top + box.bottom) / 2};
}

void PressKey(WORD key) {
  INPUT inputs[2] = {};
  inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
  inputs[0].ki.wVk = inputs[1].ki.wVk = key;
  inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, inputs, sizeof(INPUT));
}

// --- the launcher process --------------------------------------------------------------------

struct Run {
  PROCESS_INFORMATION process = {};
  HWND window = nullptr;
};

// Starts the program with TMP and TEMP set to the folder (the child inherits the driver's
// environment) and waits for its main window; a program that shows none is terminated.
bool Start(const std::string& program, const std::string& temp, Run& run) {
  SetEnvironmentVariableA("TMP", temp.c_str());
  SetEnvironmentVariableA("TEMP", temp.c_str());
  std::string commandLine = "\"" + program + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      dir.c_str(), &startup, &run.process)) {
    Check(false, "start " + program + " (error " + Str(GetLastError()) + ")");
    return false;
  }
  WaitUntil(
      [&run] {
        run.window = MainWindow(run.process.dwProcessId);
        return run.window || WaitForSingleObject(run.process.hProcess, 0) == WAIT_OBJECT_0;
      },
      kStartTimeoutMs);
  Check(run.window != nullptr, "window \"Installation\" shown, TEMP " + temp);
  if (run.window) return true;
  TerminateProcess(run.process.hProcess, 99);
  CloseHandle(run.process.hThread);
  CloseHandle(run.process.hProcess);
  return false;
}

// Waits for the end of the program and expects exit code 0; a program that does not end is
// terminated.
void ExpectExit(Run& run, const std::string& how) {
  const bool ended = WaitForSingleObject(run.process.hProcess, kTimeoutMs) == WAIT_OBJECT_0;
  Check(ended, "program ended after " + how);
  DWORD code = 99;
  if (ended) {
    GetExitCodeProcess(run.process.hProcess, &code);
    Check(code == 0, "exit code " + Str(static_cast<long>(code)));
  } else {
    TerminateProcess(run.process.hProcess, 99);
  }
  CloseHandle(run.process.hThread);
  CloseHandle(run.process.hProcess);
}

void Close(Run& run) {
  PostMessageA(run.window, WM_CLOSE, 0, 0);
  ExpectExit(run, "WM_CLOSE");
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
  HWND button = Button(hwnd);
  Check(button != nullptr, "button \"Jetzt installieren!\" present");
  if (button) {
    RECT box = {};
    GetWindowRect(button, &box);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&box), 2);
    const RECT want = layout.Box(496, 104, 161, 57);
    Check(EqualRect(&box, &want), "button at " + RectText(box) + ", expected " + RectText(want));
    Check(IsWindowEnabled(button), "button enabled");
    Activate(hwnd);
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    const DWORD thread = GetWindowThreadProcessId(hwnd, nullptr);
    Check(
        WaitUntil([&] { return GetGUIThreadInfo(thread, &gui) && gui.hwndFocus == button; }, 5000),
        "the button holds the keyboard focus");
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

void CheckLogoClick(HWND hwnd, const Layout& layout) {
  const std::string recorded = dir + "recorded.txt";
  DeleteFileA(recorded.c_str());
  Check(Activate(hwnd), "the window is active before the click");
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
    started = WaitUntil([&] { return Exists(recorded); }, kTimeoutMs / 3);
  }
  std::printf("info: clicks on the logo: %d\n", clicks);
  Check(started, "logo click started the registered browser");
  if (!started) return;
  std::string line;
  ReadWholeFile(recorded, line);
  std::printf("info: browser command line: %s\n", line.c_str());
  std::string program;
  std::string params;
  SplitCommandLine(line, program, params);
  Check(program.find("recorder.exe") != std::string::npos,
        "the browser program is the registered one: " + program);
  Check(params == kAddress, "the address is the whole parameter text: [" + params + "]");
}

// --- steps shared by the scenarios -----------------------------------------------------------

// Where input went when it had no effect: the active window and the one under the cursor.
void DescribeInputState() {
  char active[64] = {};
  char under[64] = {};
  char underClass[64] = {};
  POINT cursor = {};
  GetCursorPos(&cursor);
  GetWindowTextA(GetForegroundWindow(), active, sizeof active);
  HWND hit = WindowFromPoint(cursor);
  GetWindowTextA(hit, under, sizeof under);
  GetClassNameA(hit, underClass, sizeof underClass);
  std::printf("info: active window \"%s\", cursor (%ld,%ld) over \"%s\" (%s)\n", active, cursor.x,
              cursor.y, under, underClass);
}

// Gives the input to the launcher and expects that many installer windows. On a loaded machine
// an input event can get lost between Wine and the X server; when a single press shows no effect
// at all, a user presses again, and so does the driver (at most three times, each told in a line).
// A press that counts twice still shows as two windows.
void ExpectSetups(HWND window, const std::function<void()>& input, size_t count,
                  const std::string& what) {
  const int attempts = count == 1 ? 3 : 1;
  for (int tries = 1;; ++tries) {
    Activate(window);
    input();
    if (WaitUntil([count] { return SetupWindows().size() >= count; }, kTimeoutMs / attempts) ||
        tries == attempts || !SetupWindows().empty()) {
      break;
    }
    std::printf("info: %s had no effect, once more\n", what.c_str());
    DescribeInputState();
  }
  const size_t shown = SetupWindows().size();
  if (shown != count) DescribeInputState();
  Check(shown == count, what + ": " + Str(static_cast<long>(shown)) + " installer window(s)");
}

void ClickButton(HWND window, int clicks = 1) {
  ClickAt(CentreOf(Button(window)), clicks);
}

void CheckExtracted(const std::string& temp) {
  Check(HasBytes(temp + kInstallerName, payload),
        "before the window shows, " + temp + kInstallerName + " holds the installer's bytes");
}

void CheckRemoved(const std::string& temp) {
  Check(WaitUntil([&] { return !Exists(temp + kInstallerName); }), "the installer file is removed");
  Check(Exists(temp), "the TEMP folder itself is left in place");
}

// While the window is up the program holds the installer file: this process may read it but
// fails to open it for writing, to rename it and to delete it.
void CheckHeld(const std::string& temp) {
  const std::string file = temp + kInstallerName;
  Check(HasBytes(file, payload), "another process reads the installer file");
  HANDLE writer = CreateFileA(file.c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  const DWORD writeError = GetLastError();
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
  Check(writer == INVALID_HANDLE_VALUE,
        "another process cannot open it for writing (error " + Str(writeError) + ")");
  const std::string moved = temp + "moved.exe";
  const BOOL renamed = MoveFileA(file.c_str(), moved.c_str());
  const DWORD renameError = GetLastError();
  if (renamed) MoveFileA(moved.c_str(), file.c_str());
  Check(!renamed, "another process cannot rename it (error " + Str(renameError) + ")");
  const BOOL deleted = DeleteFileA(file.c_str());
  Check(!deleted, "another process cannot delete it (error " + Str(GetLastError()) + ")");
  Check(HasBytes(file, payload), "the installer file still holds the installer's bytes");
}

void OfferScreenshot() {
  CloseHandle(CreateFileA((dir + "ready").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  Check(WaitUntil([] { return Exists(dir + "shot-done"); }), "screenshot taken");
}

// --- the scenarios ---------------------------------------------------------------------------

// The window and its layout, the logo, and the button pressed by Enter, by a click and by a quick
// double click; then the launcher is closed while two installers still run.
void FirstRun(const std::string& ownTemp) {
  std::printf("== first run: layout, logo, Enter, click, double click\n");
  const std::string temp = FreshFolder("temp1");
  Run run;
  if (!Start(dir + "Project1.exe", temp, run)) return;
  CheckExtracted(temp);
  // Nothing lands in the TEMP the driver was given: the program's TEMP is the folder of the test.
  Check(!Exists(ownTemp + kInstallerName), "nothing extracted into " + ownTemp);
  Sleep(500);  // let the first paint finish before the screen is read
  Layout layout;
  layout.m = MeasureWindowFontDigitHeight();
  CheckWindow(run.window, layout);
  CheckControls(run.window, layout);
  CheckLogoClick(run.window, layout);
  OfferScreenshot();

  ExpectSetups(
      run.window, [] { PressKey(VK_RETURN); }, 1, "Enter on the button");
  Check(CloseSetups(), "installer closed");
  ExpectSetups(
      run.window, [&] { ClickButton(run.window); }, 1, "a click on the button");
  Check(CloseSetups(), "installer closed");
  ExpectSetups(
      run.window, [&] { ClickButton(run.window, 2); }, 2, "a double click on the button");

  Close(run);
  Check(HasBytes(temp + kInstallerName, payload),
        "closed while the installer runs: the installer file stays");
  Check(CloseSetups(), "installers closed");
}

// A TEMP path with blanks; the installer file is held, the installer starts from it and ends,
// then the launcher is closed and the file is removed.
void TempWithBlanks() {
  std::printf("== TEMP with blanks, installer ended before the launcher is closed\n");
  const std::string temp = FreshFolder("temp with blanks");
  Run run;
  if (!Start(dir + "Project1.exe", temp, run)) return;
  CheckExtracted(temp);
  CheckHeld(temp);
  ExpectSetups(
      run.window, [&] { ClickButton(run.window); }, 1, "a click on the button");
  Check(CloseSetups(), "installer ended");
  Close(run);
  CheckRemoved(temp);
}

// A file of the installer's name and size, there before the run: with other bytes it is written
// over before the window shows (and, written by the program, removed at the end); with exactly the
// carried bytes it is left as it is, modification time included, and stays after the end.
void ExistingFile() {
  const struct {
    bool same;
    const char* what;
  } cases[] = {{false, "other bytes"}, {true, "the carried bytes"}};
  for (const auto& c : cases) {
    std::printf("== a file of the same size with %s already in TEMP\n", c.what);
    const std::string temp = FreshFolder(c.same ? "temp3b" : "temp3");
    const std::string file = temp + kInstallerName;
    const std::string own = c.same ? payload : std::string(payload.size(), 'x');
    if (!WriteOldFile(file, own)) {
      Check(false, "prepare " + file);
      continue;
    }
    const ULONGLONG time = LastWriteTime(file);
    Run run;
    if (!Start(dir + "Project1.exe", temp, run)) continue;
    if (c.same) {
      Check(HasBytes(file, own) && LastWriteTime(file) == time,
            "the file is not rewritten: same bytes, same modification time");
    } else {
      CheckExtracted(temp);
    }
    Close(run);
    if (c.same) {
      Check(HasBytes(file, own) && LastWriteTime(file) == time,
            "the file is not removed or changed");
    } else {
      CheckRemoved(temp);
    }
  }
}

// The end of the Windows session, as the system announces it to each top-level window.
void EndOfSession() {
  std::printf("== end of the Windows session\n");
  const std::string temp = FreshFolder("temp4");
  Run run;
  if (!Start(dir + "Project1.exe", temp, run)) return;
  CheckExtracted(temp);
  const auto windows = TopLevelWindows("", run.process.dwProcessId, false);
  bool agreed = true;
  for (HWND hwnd : windows) {
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(hwnd, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 5000, &answer);
    agreed = agreed && answer != 0;
  }
  Check(agreed, "every window agrees to end the session");
  for (HWND hwnd : windows) {
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(hwnd, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 5000, &answer);
  }
  ExpectExit(run, "WM_ENDSESSION");
  CheckRemoved(temp);
}

// A launcher built with another installer file starts that program: the test program writes
// "<its own path>.started".
void CustomInstaller() {
  std::printf("== a launcher carrying another program\n");
  const std::string temp = FreshFolder("temp5");
  Run run;
  if (!Start(dir + "Project1_custom.exe", temp, run)) return;
  Activate(run.window);
  ClickButton(run.window);
  Check(WaitUntil([&] { return Exists(temp + kInstallerName + ".started"); }),
        "a click on the button started the carried program");
  Close(run);
}

// Waits until no process of that executable name runs any more.
bool WaitForProcessesNamed(const std::string& name) {
  return WaitUntil([&name] {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    bool running = false;
    for (BOOL more = Process32First(snapshot, &entry); more && !running;
         more = Process32Next(snapshot, &entry))
      running = lstrcmpiA(entry.szExeFile, name.c_str()) == 0;
    CloseHandle(snapshot);
    return !running;
  });
}

// A launcher carrying an installer made by NSIS, which reads its own file when it starts: the
// extracted file holds the NSIS installer's bytes and is held while the launcher runs; the
// installer runs from it (it writes "<its own path>.ran"), and at the end the file is removed.
// Launcher is the one the build makes or the one sfpack wrap made from the released program.
void NsisInstaller(const std::string& launcher, const std::string& folder) {
  std::printf("== %s, carrying an installer made by NSIS\n", launcher.c_str());
  const std::string temp = FreshFolder(folder);
  std::string nsis;
  Check(ReadWholeFile(dir + "nsis.bin", nsis) && !nsis.empty(), "the NSIS installer is at hand");
  Run run;
  if (!Start(dir + launcher, temp, run)) return;
  const std::string file = temp + kInstallerName;
  Check(HasBytes(file, nsis), "the extracted installer holds the NSIS installer's bytes");
  HANDLE writer = CreateFileA(file.c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
  Check(Exists(file) && writer == INVALID_HANDLE_VALUE, "the extracted installer is held");
  bool ran = false;
  for (int clicks = 1; clicks <= 3 && !ran; ++clicks) {
    Activate(run.window);
    ClickButton(run.window);
    ran = WaitUntil([&] { return Exists(file + ".ran"); }, kTimeoutMs / 3);
    if (!ran) std::printf("info: click %d had no effect\n", clicks);
  }
  Check(ran, "a click on the button ran the NSIS installer, which read its own file");
  // The installer ends by itself once it has written its sign; the launcher is closed after that,
  // so that its file can be removed.
  Check(WaitForProcessesNamed(kInstallerName), "the NSIS installer ended");
  Close(run);
  CheckRemoved(temp);
}

// Makes DIR\name, a copy of Project1.exe with one byte changed inside a stretch of literal bytes
// of the packed installer, and tells where. The codec copies every byte that is not part of a run
// (4 or more equal bytes) unchanged into the packed blocks, so a 32-byte piece of the installer
// without such a run and inside one block (65,533 bytes) lies in the program file as it is; a
// piece found there exactly once is that copy. Its middle byte is replaced by another byte of the
// same piece: a value the block holds, hence not the marker of a marker block, so the codec unpacks
// the block without complaint and only the CRC-32 can tell.
bool MakeDamagedCopy(const std::string& name) {
  std::string program;
  if (!ReadWholeFile(dir + "Project1.exe", program)) return false;
  constexpr size_t kPiece = 32;
  constexpr size_t kBlock = 65533;
  for (size_t at = 4096; at + kPiece <= payload.size(); at += 4099) {
    if (at / kBlock != (at + kPiece - 1) / kBlock) continue;
    const std::string piece = payload.substr(at, kPiece);
    bool run = false;
    for (size_t i = 0; i + 3 < kPiece && !run; ++i)
      run = piece[i] == piece[i + 1] && piece[i] == piece[i + 2] && piece[i] == piece[i + 3];
    if (run) continue;
    const size_t found = program.find(piece);
    if (found == std::string::npos || program.find(piece, found + 1) != std::string::npos) continue;
    const size_t middle = kPiece / 2;
    size_t other = 0;
    while (other < kPiece && piece[other] == piece[middle]) ++other;
    if (other == kPiece) continue;
    std::printf(
        "info: installer offset %lu found once in Project1.exe at %lu; byte %lu changed "
        "from 0x%02X to 0x%02X\n",
        static_cast<unsigned long>(at + middle), static_cast<unsigned long>(found),
        static_cast<unsigned long>(found + middle), static_cast<unsigned char>(piece[middle]),
        static_cast<unsigned char>(piece[other]));
    program[found + middle] = piece[other];
    HANDLE file = CreateFileA((dir + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, program.data(), static_cast<DWORD>(program.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == program.size();
  }
  return false;
}

BOOL CALLBACK CollectText(HWND hwnd, LPARAM param) {
  char text[512] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  *reinterpret_cast<std::string*>(param) += std::string(text) + "|";
  return TRUE;
}

// The names in the folder, "." and ".." left out.
std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string entry = found.cFileName;
    if (entry != "." && entry != "..") names.push_back(entry);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

// A copy of the program whose packed installer has one byte changed: instead of the window an error
// box says that the program file is damaged; when it is confirmed the program ends with exit code
// 1, and TEMP is as it was (here: a same-size file of other bytes, neither written over nor
// removed).
void DamagedProgram() {
  std::printf("== a copy of the program with one byte of the packed installer changed\n");
  const std::string damaged = "Project1_damaged.exe";
  if (!MakeDamagedCopy(damaged)) {
    Check(false, "make " + damaged + " (no piece of the installer found once in the program)");
    return;
  }
  const std::string temp = FreshFolder("temp6");
  const std::string file = temp + kInstallerName;
  const std::string own(payload.size(), 'x');
  if (!WriteOldFile(file, own)) {
    Check(false, "prepare " + file);
    return;
  }
  const ULONGLONG time = LastWriteTime(file);
  SetEnvironmentVariableA("TMP", temp.c_str());
  SetEnvironmentVariableA("TEMP", temp.c_str());
  const std::string program = dir + damaged;
  std::string commandLine = "\"" + program + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      dir.c_str(), &startup, &process)) {
    Check(false, "start " + program + " (error " + Str(GetLastError()) + ")");
    return;
  }
  HWND box = nullptr;
  WaitUntil(
      [&] {
        for (HWND hwnd : TopLevelWindows(kTitle, process.dwProcessId)) {
          char className[64] = {};
          GetClassNameA(hwnd, className, sizeof className);
          if (std::string(className) == "#32770") box = hwnd;
        }
        return box != nullptr || WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
      },
      kStartTimeoutMs);
  Check(box != nullptr, "an error box \"Installation\" is shown");
  std::string text;
  if (box) EnumChildWindows(box, CollectText, reinterpret_cast<LPARAM>(&text));
  std::printf("info: the box's texts: %s\n", Utf8FromAnsi(text).c_str());
  Check(text.find("Programmdatei ist besch") != std::string::npos &&
            text.find("erneut herunter") != std::string::npos,
        "the box says that the program file is damaged and should be downloaded again");
  Check(MainWindow(process.dwProcessId) == nullptr, "no main window");
  Check(FolderEntries(temp) == std::vector<std::string>{kInstallerName} && HasBytes(file, own) &&
            LastWriteTime(file) == time,
        "TEMP is as it was: the file there is neither written nor removed, nothing is added");
  if (box) PostMessageA(box, WM_COMMAND, IDOK, 0);
  const bool ended = WaitForSingleObject(process.hProcess, kTimeoutMs) == WAIT_OBJECT_0;
  Check(ended, "program ended after the box was confirmed");
  DWORD code = 99;
  if (ended) {
    GetExitCodeProcess(process.hProcess, &code);
  } else {
    TerminateProcess(process.hProcess, 99);
  }
  Check(code == 1, "exit code " + Str(static_cast<long>(code)) + ", expected 1");
  Check(FolderEntries(temp) == std::vector<std::string>{kInstallerName} && HasBytes(file, own) &&
            LastWriteTime(file) == time,
        "after the end TEMP is still as it was");
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: driver DIR\n");
    return 100;
  }
  dir = argv[1];
  if (dir.back() != '\\') dir += '\\';
  if (!ReadWholeFile(dir + "payload.bin", payload) || payload.empty()) {
    std::fprintf(stderr, "cannot read %spayload.bin\n", dir.c_str());
    return 100;
  }
  char ownTemp[MAX_PATH + 1] = {};
  GetTempPathA(sizeof ownTemp, ownTemp);

  FirstRun(ownTemp);
  TempWithBlanks();
  ExistingFile();
  EndOfSession();
  CustomInstaller();
  NsisInstaller("Project1_nsis.exe", "temp7");
  NsisInstaller("Project1_nsis_wrapped.exe", "temp8");
  DamagedProgram();

  std::printf("%d check(s) failed\n", failures);
  return failures > 100 ? 100 : failures;
}
