// Drives the real launcher from outside, as a user would, and checks the whole road of a run:
//
//   driver.exe DIR
//
// DIR holds Project1.exe, Project1_custom.exe (a launcher carrying a small test program instead of
// the installer), Project1_nsis.exe (one carrying an installer made by NSIS),
// Project1_nsis_wrapped.exe (Project1.exe with that installer put in by sfpack wrap),
// Project1_rebranded.exe (the same with another caption, logo and icon), nsis.bin
// (the NSIS installer), payload.bin (the installer file Project1 carries) and the stand-in
// browser recorder.exe, registered for HTML
// files, which writes DIR\recorded.txt. Each scenario starts a launcher with TMP and TEMP pointing
// at a fresh folder of its own inside DIR, plays the user with SendInput (or the system, with
// messages) and checks what lands in that folder, which windows appear, and the exit code. The last
// scenario runs a copy of Project1.exe with one byte of its packed installer changed (see
// MakeDamagedCopy). During the first scenario the driver writes DIR\ready and waits for
// DIR\shot-done, so the script around it can take a screenshot; it also keeps the window's client
// area as the screen shows it, to compare the rebranded launcher's window with. Every check prints
// one line; the exit code is the number of failed checks (capped at 100).

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "DriverSupport.h"

namespace {

using namespace driver;

constexpr char kAddress[] = "http://www.quillmoor.de/";

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

// A window's client area as the screen shows it: 32-bit pixels, top row first.
struct ClientPicture {
  LONG width = 0;
  LONG height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(LONG x, LONG y) const {
    return pixels[static_cast<size_t>(y * width + x)] & 0xFFFFFF;
  }
};

ClientPicture CaptureClient(HWND hwnd) {
  ClientPicture picture;
  RECT client = {};
  GetClientRect(hwnd, &client);
  POINT origin = {0, 0};
  ClientToScreen(hwnd, &origin);
  picture.width = client.right;
  picture.height = client.bottom;
  picture.pixels.resize(static_cast<size_t>(picture.width * picture.height));
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dib && bits) {
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, picture.width, picture.height, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    std::memcpy(picture.pixels.data(), bits, picture.pixels.size() * sizeof(uint32_t));
    SelectObject(memory, old);
    DeleteObject(dib);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return picture;
}

// The client area once it has stopped changing (two captures 200 ms apart agree; at most about
// four seconds): the logo and the captions are painted after the window appears.
ClientPicture CaptureSettled(HWND hwnd) {
  ClientPicture last = CaptureClient(hwnd);
  for (int i = 0; i < 20; ++i) {
    Sleep(200);
    ClientPicture next = CaptureClient(hwnd);
    if (next.pixels == last.pixels) break;
    last = std::move(next);
  }
  return last;
}

// The pixels of Box (clipped to both pictures) in which A and B differ.
int Differing(const ClientPicture& a, const ClientPicture& b, const RECT& box) {
  int count = 0;
  for (LONG y = box.top; y < std::min({box.bottom, a.height, b.height}); ++y)
    for (LONG x = box.left; x < std::min({box.right, a.width, b.width}); ++x)
      count += a.At(x, y) != b.At(x, y);
  return count;
}

// The smallest rectangle holding every pixel of Area (clipped to the picture) that is not white.
RECT InkBox(const ClientPicture& p, const RECT& area) {
  RECT ink = {LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
  for (LONG y = area.top; y < std::min(area.bottom, p.height); ++y)
    for (LONG x = area.left; x < std::min(area.right, p.width); ++x)
      if (p.At(x, y) != 0xFFFFFF) {
        ink = {std::min(ink.left, x), std::min(ink.top, y), std::max(ink.right, x + 1),
               std::max(ink.bottom, y + 1)};
      }
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

// The window of the first run, and its layout, to compare a rebranded window with.
ClientPicture originalWindow;
Layout layout;

// The rebranded launcher's window against the original's: a caption and the logo changed, the
// rest as it was. The new logo is 240x80 pixels (made by e2e.sh), shown at its own size.
void CheckRebrandedWindow(HWND window) {
  const ClientPicture rebranded = CaptureSettled(window);
  Check(rebranded.width == originalWindow.width && rebranded.height == originalWindow.height,
        "the rebranded window has the original's size");
  const struct {
    const char* what;
    RECT box;
    bool changed;
  } areas[] = {
      {"the caption \"Installation\"", layout.Box(0, 150, 480, 30), false},
      {"the caption \"Vollversion\"", layout.Box(0, 182, 480, 28), false},
      {"the button", layout.Box(490, 100, 175, 65), false},
      {"the edited caption", layout.Box(0, 212, 480, 30), true},
      {"the logo", layout.Box(0, 0, 480, 140), true},
  };
  for (const auto& a : areas) {
    const int differing = Differing(originalWindow, rebranded, a.box);
    Check(a.changed ? differing > 0 : differing == 0,
          std::string(a.what) + (a.changed ? " changed" : " as before") + " (" + Str(differing) +
              " pixels differ)");
  }
  const RECT logo = InkBox(rebranded, layout.Box(0, 0, 480, 140));
  Check(logo.right - logo.left == 240 && logo.bottom - logo.top == 80,
        "the new logo shows at its own size, 240 x 80: " + RectText(logo));
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
  originalWindow = CaptureSettled(run.window);
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
// A launcher carrying an installer made by NSIS, which reads its own file when it starts: the
// extracted file holds the NSIS installer's bytes and is held while the launcher runs; the
// installer runs from it (it writes "<its own path>.ran"), and at the end the file is removed.
// Launcher is the one the build makes, the one sfpack wrap made from the released program, or one
// it made with another caption, logo and icon (wrap --form --logo --icon).
// Look, when given, is run on the window before anything else.
void NsisInstaller(const std::string& launcher, const std::string& folder,
                   const std::function<void(HWND)>& Look = {}) {
  std::printf("== %s, carrying an installer made by NSIS\n", launcher.c_str());
  const std::string temp = FreshFolder(folder);
  std::string nsis;
  Check(ReadWholeFile(dir + "nsis.bin", nsis) && !nsis.empty(), "the NSIS installer is at hand");
  Run run;
  if (!Start(dir + launcher, temp, run)) return;
  if (Look) Look(run.window);
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
  SetTemp(Wide(temp));
  Run run;
  if (!Launch(dir + damaged, run)) return;
  HWND box = nullptr;
  WaitUntil(
      [&] {
        box = MessageBoxOf(run.process.dwProcessId);
        return box != nullptr || WaitForSingleObject(run.process.hProcess, 0) == WAIT_OBJECT_0;
      },
      kStartTimeoutMs);
  Check(box != nullptr && WindowTitle(box) == kTitle, "an error box \"Installation\" is shown");
  const std::string text = box ? Utf8(BoxMessage(box)) : std::string();
  std::printf("info: the box's message: %s\n", text.c_str());
  Check(text.find("Programmdatei ist besch") != std::string::npos &&
            text.find("erneut herunter") != std::string::npos,
        "the box says that the program file is damaged and should be downloaded again");
  Check(MainWindow(run.process.dwProcessId) == nullptr, "no main window");
  Check(FolderEntries(temp) == std::vector<std::string>{kInstallerName} && HasBytes(file, own) &&
            LastWriteTime(file) == time,
        "TEMP is as it was: the file there is neither written nor removed, nothing is added");
  if (box) PostMessageA(box, WM_COMMAND, IDOK, 0);
  ExpectExit(run, "the box was confirmed", 1);
  Check(FolderEntries(temp) == std::vector<std::string>{kInstallerName} && HasBytes(file, own) &&
            LastWriteTime(file) == time,
        "after the end TEMP is still as it was");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: driver DIR\n");
    return 100;
  }
  if (!ReadArguments(argv[1])) return 100;
  char ownTemp[MAX_PATH + 1] = {};
  GetTempPathA(sizeof ownTemp, ownTemp);

  FirstRun(ownTemp);
  TempWithBlanks();
  ExistingFile();
  EndOfSession();
  CustomInstaller();
  NsisInstaller("Project1_nsis.exe", "temp7");
  NsisInstaller("Project1_nsis_wrapped.exe", "temp8");
  NsisInstaller("Project1_rebranded.exe", "temp9", CheckRebrandedWindow);
  DamagedProgram();

  return ExitCode();
}
