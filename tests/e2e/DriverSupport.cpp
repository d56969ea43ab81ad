#include "DriverSupport.h"

// After windows.h, which it needs.
#include <tlhelp32.h>

#include <cstdio>

namespace driver {

std::string dir;
std::string payload;

namespace {

int failures = 0;

}  // namespace

bool ReadArguments(const char* folder) {
  dir = folder;
  if (dir.empty() || dir.back() != '\\') dir += '\\';
  if (!ReadWholeFile(dir + "payload.bin", payload) || payload.empty()) {
    std::fprintf(stderr, "cannot read %spayload.bin\n", dir.c_str());
    return false;
  }
  return true;
}

void Check(bool ok, const std::string& what) {
  std::printf("%s: %s\n", ok ? "ok" : "FAIL", what.c_str());
  std::fflush(stdout);
  if (!ok) ++failures;
}

int ExitCode() {
  std::printf("%d check(s) failed\n", failures);
  return failures > 100 ? 100 : failures;
}

std::string Str(long v) {
  return std::to_string(v);
}

std::wstring Wide(const std::string& ansi) {
  const int size =
      MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring text(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), text.data(), size);
  return text;
}

std::string Utf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(50);
  }
  return true;
}

// --- files -----------------------------------------------------------------------------------

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::vector<char> buffer(GetFileSize(file, nullptr));
  DWORD read = 0;
  const BOOL ok = ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr);
  CloseHandle(file);
  bytes.assign(buffer.data(), read);
  return ok;
}

bool HasBytes(const std::wstring& path, const std::string& expected) {
  std::string bytes;
  return ReadWholeFile(path, bytes) && bytes == expected;
}

bool WriteOldFile(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
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

ULONGLONG LastWriteTime(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (ULONGLONG{data.ftLastWriteTime.dwHighDateTime} << 32) |
         data.ftLastWriteTime.dwLowDateTime;
}

std::vector<std::wstring> FolderEntries(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring entry = found.cFileName;
    if (entry != L"." && entry != L"..") names.push_back(entry);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const std::wstring& entry : FolderEntries(Wide(folder))) {
    const int size = WideCharToMultiByte(CP_ACP, 0, entry.data(), static_cast<int>(entry.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string name(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, entry.data(), static_cast<int>(entry.size()), name.data(), size,
                        nullptr, nullptr);
    names.push_back(name);
  }
  return names;
}

std::string FreshFolder(const std::string& name) {
  const std::string folder = dir + name + "\\";
  for (const std::string& entry : FolderEntries(folder)) DeleteFileA((folder + entry).c_str());
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

// --- windows ---------------------------------------------------------------------------------

namespace {

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

BOOL CALLBACK FindButton(HWND hwnd, LPARAM param) {
  char text[64] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  if (std::string(text) == kButtonCaption) {
    *reinterpret_cast<HWND*>(param) = hwnd;
    return FALSE;
  }
  return TRUE;
}

std::string ClassName(HWND hwnd) {
  char name[64] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

BOOL CALLBACK CollectStaticText(HWND hwnd, LPARAM param) {
  if (lstrcmpiA(ClassName(hwnd).c_str(), "Static") != 0) return TRUE;
  wchar_t text[2048] = {};
  GetWindowTextW(hwnd, text, 2048);
  auto* message = reinterpret_cast<std::wstring*>(param);
  if (text[0] != L'\0') *message += message->empty() ? text : std::wstring(L"\n") + text;
  return TRUE;
}

}  // namespace

std::vector<HWND> TopLevelWindows(const std::string& title, DWORD pid, bool visibleOnly) {
  WindowQuery query = {title, pid, visibleOnly, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&query));
  return query.found;
}

std::vector<HWND> SetupWindows() {
  return TopLevelWindows(kSetupTitle, 0);
}

HWND MainWindow(DWORD pid) {
  for (HWND hwnd : TopLevelWindows(kTitle, pid)) {
    RECT client = {};
    GetClientRect(hwnd, &client);
    if (client.right > 100 && client.bottom > 100) return hwnd;
  }
  return nullptr;
}

HWND Button(HWND window) {
  HWND button = nullptr;
  EnumChildWindows(window, FindButton, reinterpret_cast<LPARAM>(&button));
  return button;
}

bool Activate(HWND hwnd) {
  return WaitUntil(
      [hwnd] {
        SetForegroundWindow(hwnd);
        return GetForegroundWindow() == hwnd;
      },
      5000);
}

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

HWND MessageBoxOf(DWORD pid) {
  for (HWND hwnd : TopLevelWindows("", pid)) {
    if (ClassName(hwnd) == "#32770") return hwnd;
  }
  return nullptr;
}

std::string WindowTitle(HWND hwnd) {
  char text[256] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  return text;
}

std::wstring BoxMessage(HWND box) {
  std::wstring message;
  EnumChildWindows(box, CollectStaticText, reinterpret_cast<LPARAM>(&message));
  return message;
}

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

// --- input -----------------------------------------------------------------------------------

// Wine hands the move to the X server asynchronously, so the click waits until the position reads
// back.
void ClickAt(POINT screenPoint, int clicks) {
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

void ClickButton(HWND window, int clicks) {
  ClickAt(CentreOf(Button(window)), clicks);
}

void DescribeInputState() {
  char active[64] = {};
  char under[64] = {};
  POINT cursor = {};
  GetCursorPos(&cursor);
  GetWindowTextA(GetForegroundWindow(), active, sizeof active);
  HWND hit = WindowFromPoint(cursor);
  GetWindowTextA(hit, under, sizeof under);
  std::printf("info: active window \"%s\", cursor (%ld,%ld) over \"%s\" (%s)\n", active, cursor.x,
              cursor.y, under, ClassName(hit).c_str());
}

// --- the launcher process --------------------------------------------------------------------

void SetTemp(const std::wstring& temp) {
  SetEnvironmentVariableW(L"TMP", temp.c_str());
  SetEnvironmentVariableW(L"TEMP", temp.c_str());
}

bool Launch(const std::string& program, Run& run) {
  run = Run{};
  std::string commandLine = "\"" + program + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      dir.c_str(), &startup, &run.process)) {
    Check(false, "start " + program + " (error " + Str(GetLastError()) + ")");
    return false;
  }
  return true;
}

bool Start(const std::string& program, const std::wstring& temp, Run& run) {
  SetTemp(temp);
  if (!Launch(program, run)) return false;
  WaitUntil(
      [&run] {
        run.window = MainWindow(run.process.dwProcessId);
        return run.window || WaitForSingleObject(run.process.hProcess, 0) == WAIT_OBJECT_0;
      },
      kStartTimeoutMs);
  Check(run.window != nullptr, "window \"Installation\" shown, TEMP " + Utf8(temp));
  if (run.window) return true;
  DWORD code = 0;
  GetExitCodeProcess(run.process.hProcess, &code);
  if (code == STILL_ACTIVE) {
    for (HWND hwnd : TopLevelWindows("", run.process.dwProcessId, false))
      std::printf("info: the program has a window \"%s\" (%s) %s\n", WindowTitle(hwnd).c_str(),
                  ClassName(hwnd).c_str(), Utf8(BoxMessage(hwnd)).c_str());
  } else {
    std::printf("info: the program ended with exit code %lu\n", static_cast<unsigned long>(code));
  }
  TerminateProcess(run.process.hProcess, 99);
  CloseHandle(run.process.hThread);
  CloseHandle(run.process.hProcess);
  return false;
}

void ExpectExit(Run& run, const std::string& how, DWORD expectedCode) {
  const bool ended = WaitForSingleObject(run.process.hProcess, kTimeoutMs) == WAIT_OBJECT_0;
  Check(ended, "program ended after " + how);
  DWORD code = 99;
  if (ended) {
    GetExitCodeProcess(run.process.hProcess, &code);
    Check(code == expectedCode, "exit code " + Str(static_cast<long>(code)) + ", expected " +
                                    Str(static_cast<long>(expectedCode)));
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

// --- steps shared by the scenarios -----------------------------------------------------------

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

void CheckExtracted(const std::wstring& temp) {
  Check(HasBytes(temp + Wide(kInstallerName), payload),
        "before the window shows, " + Utf8(temp) + kInstallerName + " holds the installer's bytes");
}

void CheckRemoved(const std::wstring& temp) {
  Check(WaitUntil([&] { return !Exists(temp + Wide(kInstallerName)); }),
        "the installer file is removed");
  Check(Exists(temp), "the TEMP folder itself is left in place");
}

void CheckHeld(const std::wstring& temp) {
  const std::wstring file = temp + Wide(kInstallerName);
  Check(HasBytes(file, payload), "another process reads the installer file");
  // Each refusal counts only while the file is there: a missing file refuses everything too.
  const bool present = Exists(file);
  HANDLE writer = CreateFileW(file.c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  const DWORD writeError = GetLastError();
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
  Check(present && writer == INVALID_HANDLE_VALUE,
        "another process cannot open it for writing (error " + Str(writeError) + ")");
  const std::wstring moved = temp + L"moved.exe";
  const BOOL renamed = MoveFileW(file.c_str(), moved.c_str());
  const DWORD renameError = GetLastError();
  if (renamed) MoveFileW(moved.c_str(), file.c_str());
  Check(present && !renamed, "another process cannot rename it (error " + Str(renameError) + ")");
  const BOOL deleted = DeleteFileW(file.c_str());
  Check(present && !deleted,
        "another process cannot delete it (error " + Str(GetLastError()) + ")");
  Check(HasBytes(file, payload), "the installer file still holds the installer's bytes");
}

}  // namespace driver
