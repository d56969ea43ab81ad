// Drives the real launcher carrying a large installer, as a user would meet it:
//
//   large_installer_driver.exe DIR
//
// DIR holds Project1_large.exe (the launcher with a 100 MB installer put in by sfpack wrap),
// large.bin (that installer), Project1_stop.exe (a launcher that takes longer to prepare its
// installer, for the run that stops the preparation), Project1.exe (the build's own launcher)
// and payload.bin (the 1.8 MB installer that one carries). Three runs, each with a TEMP folder of
// its own:
//   1. the large launcher shows its progress window "Installation" while it prepares the
//      installer, then its main window with the progress window gone; TEMP holds the installer's
//      bytes; the end leaves TEMP empty;
//   2. closing the progress window as soon as it shows stops the preparation: the program ends
//      with exit code 0, no main window ever shows and TEMP is left empty;
//   3. the build's own launcher, with its small installer, shows no progress window at all.
// Every check prints one line; the exit code is the number of failed checks (capped at 100).

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "DriverSupport.h"

namespace {

using namespace driver;

constexpr char kProgressClass[] = "TProgressWindow";
constexpr char kMainClass[] = "TForm1";
// How often the windows are looked at: the progress window of the large installer shows for a
// few seconds only, and the time of its first sighting is part of the log.
constexpr DWORD kPollMs = 20;
// Preparing 100 MB takes a while under the emulated 32-bit Wine.
constexpr DWORD kLargeStartTimeoutMs = 120000;

std::string ClassOf(HWND hwnd) {
  char name[64] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

// The top-level windows of that class belonging to the process, hidden ones too when asked.
std::vector<HWND> WindowsOfClass(DWORD pid, const std::string& className, bool visibleOnly) {
  std::vector<HWND> found;
  for (HWND hwnd : TopLevelWindows("", pid, visibleOnly)) {
    if (ClassOf(hwnd) == className) found.push_back(hwnd);
  }
  return found;
}

HWND ProgressWindow(DWORD pid) {
  const std::vector<HWND> found = WindowsOfClass(pid, kProgressClass, true);
  return found.empty() ? nullptr : found.front();
}

HWND MainFormWindow(DWORD pid) {
  const std::vector<HWND> found = WindowsOfClass(pid, kMainClass, true);
  return found.empty() ? nullptr : found.front();
}

// What a program that did not end shows instead: its top-level windows, hidden ones too.
void DescribeWindows(DWORD pid) {
  for (HWND hwnd : TopLevelWindows("", pid, false)) {
    std::printf("info: the program has a %s window \"%s\" (%s) %s\n",
                IsWindowVisible(hwnd) ? "visible" : "hidden", WindowTitle(hwnd).c_str(),
                ClassOf(hwnd).c_str(), Utf8(BoxMessage(hwnd)).c_str());
  }
}

bool Ended(const Run& run) {
  return WaitForSingleObject(run.process.hProcess, 0) == WAIT_OBJECT_0;
}

std::string Ms(DWORD ms) {
  return Str(static_cast<long>(ms)) + " ms";
}

ULONGLONG FileSizeOf(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (ULONGLONG{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

// Both files hold the same bytes, compared a megabyte at a time (the files are 100 MB). The
// launcher holds its file open while its window is up: it is read with the sharing it allows.
bool SameBytes(const std::wstring& left, const std::wstring& right, std::string& why) {
  constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE a = CreateFileW(left.c_str(), GENERIC_READ, kShare, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  HANDLE b = CreateFileW(right.c_str(), GENERIC_READ, kShare, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  bool same = a != INVALID_HANDLE_VALUE && b != INVALID_HANDLE_VALUE;
  if (!same) why = "cannot open (error " + Str(static_cast<long>(GetLastError())) + ")";
  constexpr DWORD kChunk = 1 << 20;
  std::vector<char> bufferA(kChunk), bufferB(kChunk);
  ULONGLONG offset = 0;
  while (same) {
    DWORD readA = 0, readB = 0;
    if (!ReadFile(a, bufferA.data(), kChunk, &readA, nullptr) ||
        !ReadFile(b, bufferB.data(), kChunk, &readB, nullptr)) {
      why = "read error at byte " + std::to_string(offset);
      same = false;
    } else if (readA != readB) {
      why = "lengths differ at byte " + std::to_string(offset + (readA < readB ? readA : readB));
      same = false;
    } else if (readA == 0) {
      break;
    } else if (std::memcmp(bufferA.data(), bufferB.data(), readA) != 0) {
      why = "bytes differ in the megabyte at " + std::to_string(offset);
      same = false;
    }
    offset += readA;
  }
  if (a != INVALID_HANDLE_VALUE) CloseHandle(a);
  if (b != INVALID_HANDLE_VALUE) CloseHandle(b);
  if (same) why = std::to_string(offset) + " bytes";
  return same;
}

void CheckTempEmpty(const std::wstring& temp, const std::string& when) {
  std::vector<std::wstring> left;
  const bool empty = WaitUntil([&] {
    left = FolderEntries(temp);
    return left.empty();
  });
  std::string names;
  for (const std::wstring& name : left) names += " " + Utf8(name);
  Check(empty, when + ", TEMP is empty" + (empty ? "" : " (left:" + names + ")"));
}

// What one start of a launcher showed, polled from its start until its main window showed or
// it ended.
struct Sighting {
  DWORD progressAtMs = 0;  // 0: no progress window seen
  DWORD mainAtMs = 0;      // 0: no main window seen
  DWORD closedAtMs = 0;    // when WM_CLOSE went to the progress window
  bool ended = false;      // the program ended while it was watched
  DWORD endedAtMs = 0;     // when it was seen ended
  std::string progressTitle;
  bool bothVisible = false;  // progress and main window seen visible at one poll
};

// Polls every kPollMs until the main window shows, the program ends or the time is up. When
// closeProgress is set, the progress window gets WM_CLOSE (as its close box sends) at its first
// sighting, and the program then has kTimeoutMs to end.
Sighting Watch(Run& run, DWORD timeoutMs, bool closeProgress, const std::wstring& temp) {
  Sighting seen;
  const DWORD pid = run.process.dwProcessId;
  const DWORD start = GetTickCount();
  for (;;) {
    const bool ended = Ended(run);
    const DWORD now = GetTickCount() - start;
    HWND progress = ProgressWindow(pid);
    HWND main = MainFormWindow(pid);
    if (progress != nullptr && seen.progressAtMs == 0) {
      seen.progressAtMs = now == 0 ? 1 : now;
      seen.progressTitle = WindowTitle(progress);
      if (closeProgress) {
        const std::wstring file = temp + Wide(kInstallerName);
        std::printf("info: when the progress window is closed, TEMP holds %s with %llu bytes\n",
                    Exists(file) ? kInstallerName : "no file",
                    static_cast<unsigned long long>(FileSizeOf(file)));
        PostMessageA(progress, WM_CLOSE, 0, 0);
        // This poll's time: taken later, it would lie past "now", and the unsigned wait below
        // would count as already over.
        seen.closedAtMs = seen.progressAtMs;
      }
    }
    if (progress != nullptr && main != nullptr) seen.bothVisible = true;
    if (main != nullptr && seen.mainAtMs == 0) {
      seen.mainAtMs = now == 0 ? 1 : now;
      run.window = main;
    }
    if (ended) {
      seen.ended = true;
      seen.endedAtMs = now;
    }
    const bool closeTimedOut = seen.closedAtMs != 0 && now - seen.closedAtMs >= kTimeoutMs;
    if (ended || main != nullptr || now >= timeoutMs || closeTimedOut) break;
    Sleep(kPollMs);
  }
  return seen;
}

void TerminateIfRunning(Run& run) {
  if (!Ended(run)) TerminateProcess(run.process.hProcess, 99);
  CloseHandle(run.process.hThread);
  CloseHandle(run.process.hProcess);
}

// 1. The large launcher from its start to its end.
void LargeRun() {
  std::printf("--- the launcher with the 100 MB installer\n");
  const std::wstring temp = Wide(FreshFolder("temp-large"));
  SetTemp(temp);
  Run run;
  if (!Launch(dir + "Project1_large.exe", run)) return;
  const Sighting seen = Watch(run, kLargeStartTimeoutMs, false, temp);
  std::printf("info: progress window at %s, main window at %s after the start\n",
              seen.progressAtMs ? Ms(seen.progressAtMs).c_str() : "(never)",
              seen.mainAtMs ? Ms(seen.mainAtMs).c_str() : "(never)");
  Check(seen.progressAtMs != 0, "a visible top-level window of class TProgressWindow showed");
  Check(seen.progressTitle == kTitle, "the progress window is titled \"" + seen.progressTitle +
                                          "\", expected \"" + kTitle + "\"");
  Check(seen.mainAtMs != 0, "the main window \"Installation\" (TForm1) showed");
  if (seen.mainAtMs == 0) {
    TerminateIfRunning(run);
    return;
  }
  Check(seen.progressAtMs != 0 && seen.progressAtMs < seen.mainAtMs,
        "the progress window showed before the main window");
  Check(!seen.bothVisible, "the progress window and the main window never showed together");
  Check(WindowsOfClass(run.process.dwProcessId, kProgressClass, false).empty(),
        "with the main window up, the progress window is gone");
  Check(WindowTitle(run.window) == kTitle,
        "the main window is titled \"" + WindowTitle(run.window) + "\"");
  std::string why;
  const bool same = SameBytes(temp + Wide(kInstallerName), Wide(dir + "large.bin"), why);
  Check(same, "TEMP\\" + std::string(kInstallerName) + " holds the 100 MB installer's bytes (" +
                  why + ")");
  Close(run);
  CheckTempEmpty(temp, "after the end");
}

// 2. Closing the progress window stops the preparation.
void StopRun() {
  std::printf("--- closing the progress window\n");
  const std::wstring temp = Wide(FreshFolder("temp-stop"));
  SetTemp(temp);
  Run run;
  if (!Launch(dir + "Project1_stop.exe", run)) return;
  Sighting seen = Watch(run, kLargeStartTimeoutMs, true, temp);
  std::printf("info: progress window at %s after the start\n",
              seen.progressAtMs ? Ms(seen.progressAtMs).c_str() : "(never)");
  Check(seen.progressAtMs != 0, "a visible top-level window of class TProgressWindow showed");
  const bool ended = seen.ended;
  if (ended && seen.closedAtMs != 0) {
    std::printf("info: the program ended %s after WM_CLOSE to the progress window\n",
                Ms(seen.endedAtMs - seen.closedAtMs).c_str());
  }
  Check(seen.mainAtMs == 0, std::string("no main window showed") +
                                (seen.mainAtMs ? " (one did at " + Ms(seen.mainAtMs) + ")" : ""));
  Check(ended,
        "the program ended within " + Ms(kTimeoutMs) + " after WM_CLOSE to the progress window");
  DWORD code = 99;
  if (ended) GetExitCodeProcess(run.process.hProcess, &code);
  Check(ended && code == 0, "exit code " + Str(static_cast<long>(code)) + ", expected 0");
  if (!ended) DescribeWindows(run.process.dwProcessId);
  TerminateIfRunning(run);
  CheckTempEmpty(temp, "after the stopped preparation");
}

// 3. The small installer shows no progress window.
void SmallRun() {
  std::printf("--- the build's launcher with its 1.8 MB installer\n");
  const std::wstring temp = Wide(FreshFolder("temp-small"));
  SetTemp(temp);
  Run run;
  if (!Launch(dir + "Project1.exe", run)) return;
  const Sighting seen = Watch(run, kStartTimeoutMs, false, temp);
  std::printf("info: main window at %s after the start\n",
              seen.mainAtMs ? Ms(seen.mainAtMs).c_str() : "(never)");
  Check(seen.mainAtMs != 0, "the main window \"Installation\" (TForm1) showed");
  Check(seen.progressAtMs == 0,
        std::string("no progress window showed") +
            (seen.progressAtMs ? " (one did at " + Ms(seen.progressAtMs) + ")" : ""));
  if (seen.mainAtMs == 0) {
    TerminateIfRunning(run);
    return;
  }
  CheckExtracted(temp);
  Close(run);
  CheckTempEmpty(temp, "after the end");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || !ReadArguments(argv[1])) {
    std::fprintf(stderr, "usage: large_installer_driver.exe DIR\n");
    return 100;
  }
  LargeRun();
  StopRun();
  SmallRun();
  return ExitCode();
}
