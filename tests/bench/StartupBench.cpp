// Start-up time of the program against a bare window program of the same size, started
// alternately, N times each:
//
//   startup_bench N BARE PROGRAM [PROGRAM...]
//   startup_bench copy N FILE      (the time of a plain copy of FILE into TEMP, N times)
//
// (more than one PROGRAM compares builds of the program in the same run, e.g. before and after a
// change).
// A run starts with no installer in TEMP (so the program writes it on every run) and is timed from
// process creation until the process's window is visible, it and its child windows have no region
// left to paint, and it has answered a message. The progress window that a large installer's
// preparation shows first is not that window: when it appears, its time is printed after the
// run's ("progress at ..."), and it is left alone. The window is then closed (WM_CLOSE) and the
// process awaited, so the program removes the installer again. Prints each run, the medians and
// their ratio; exits 1 when a run fails (no window, the installer missing while the program runs).

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr char kInstaller[] = "quillmoor_full.exe";
constexpr DWORD kWindowTimeoutMs = 20000;

double Seconds(LONGLONG Ticks) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(Ticks) / static_cast<double>(frequency.QuadPart);
}

LONGLONG Now() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t.QuadPart;
}

std::string InstallerPath() {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  return std::string(temp) + kInstaller;
}

bool FileThere(const std::string& Path) {
  return GetFileAttributesA(Path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

constexpr char kProgressClass[] = "TProgressWindow";

struct TFind {
  DWORD Pid;
  HWND Found;
  bool Progress;  // a progress window of the process is up
};

BOOL CALLBACK FindVisibleTopLevel(HWND Window, LPARAM Param) {
  auto* find = reinterpret_cast<TFind*>(Param);
  DWORD pid = 0;
  GetWindowThreadProcessId(Window, &pid);
  if (pid != find->Pid || !IsWindowVisible(Window) || GetWindow(Window, GW_OWNER) != nullptr)
    return TRUE;
  char className[64] = {};
  GetClassNameA(Window, className, sizeof className);
  if (std::string(className) == kProgressClass) {
    find->Progress = true;
    return TRUE;
  }
  find->Found = Window;
  return FALSE;
}

BOOL CALLBACK NoteUnpainted(HWND Window, LPARAM Param) {
  if (IsWindowVisible(Window) && GetUpdateRect(Window, nullptr, FALSE))
    *reinterpret_cast<bool*>(Param) = true;
  return TRUE;
}

// Painted: neither the window nor a visible child has an update region left.
bool Painted(HWND Window) {
  bool unpainted = GetUpdateRect(Window, nullptr, FALSE) != FALSE;
  EnumChildWindows(Window, NoteUnpainted, reinterpret_cast<LPARAM>(&unpainted));
  return !unpainted;
}

// The window of the process once it is visible, painted and answering; null after the timeout or
// when the process ends first. Progress is when a progress window was first seen (Start's clock),
// 0 when none was.
HWND AwaitReadyWindow(const PROCESS_INFORMATION& Process, LONGLONG& Progress) {
  const DWORD start = GetTickCount();
  TFind find{Process.dwProcessId, nullptr, false};
  Progress = 0;
  while (GetTickCount() - start < kWindowTimeoutMs) {
    if (WaitForSingleObject(Process.hProcess, 0) == WAIT_OBJECT_0) return nullptr;
    if (find.Found == nullptr) EnumWindows(FindVisibleTopLevel, reinterpret_cast<LPARAM>(&find));
    if (find.Progress && Progress == 0) Progress = Now();
    if (find.Found != nullptr && Painted(find.Found)) {
      DWORD_PTR result = 0;
      if (SendMessageTimeoutA(find.Found, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result))
        return find.Found;
    }
    Sleep(0);
  }
  return nullptr;
}

struct TRun {
  double Seconds = 0;
  double ProgressSeconds = 0;  // 0: no progress window
  bool Ok = false;
  bool InstallerWritten = false;
};

TRun TimeOneStart(const std::string& Program, const std::string& Installer) {
  TRun run;
  DeleteFileA(Installer.c_str());
  if (FileThere(Installer)) {
    std::fprintf(stderr, "cannot remove %s before the run\n", Installer.c_str());
    return run;
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string command = "\"" + Program + "\"";
  const LONGLONG start = Now();
  if (!CreateProcessA(Program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    std::fprintf(stderr, "cannot start %s (error %lu)\n", Program.c_str(), GetLastError());
    return run;
  }
  LONGLONG progress = 0;
  const HWND window = AwaitReadyWindow(process, progress);
  run.Seconds = Seconds(Now() - start);
  run.ProgressSeconds = progress != 0 ? Seconds(progress - start) : 0;
  run.Ok = window != nullptr;
  run.InstallerWritten = FileThere(Installer);
  if (window != nullptr) PostMessageA(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, kWindowTimeoutMs) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
    run.Ok = false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return run;
}

double Median(std::vector<double> Values) {
  std::sort(Values.begin(), Values.end());
  const size_t n = Values.size();
  return n % 2 ? Values[n / 2] : (Values[n / 2 - 1] + Values[n / 2]) / 2;
}

// A plain copy of File into TEMP, Count times, with CopyFileA: what writing the same bytes takes
// without the program. Prints each time and the median.
int TimeCopies(int Count, const std::string& File) {
  const std::string target = InstallerPath() + ".copy";
  std::vector<double> times;
  for (int i = 0; i < Count; ++i) {
    DeleteFileA(target.c_str());
    const LONGLONG start = Now();
    if (!CopyFileA(File.c_str(), target.c_str(), FALSE)) {
      std::fprintf(stderr, "cannot copy %s (error %lu)\n", File.c_str(), GetLastError());
      return 1;
    }
    times.push_back(Seconds(Now() - start));
    std::printf("copy %2d: %7.1f ms\n", i + 1, times.back() * 1000);
  }
  DeleteFileA(target.c_str());
  std::printf("median of %d copies: %.1f ms\n", Count, Median(times) * 1000);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "copy" && std::atoi(argv[2]) >= 1)
    return TimeCopies(std::atoi(argv[2]), argv[3]);
  if (argc < 4 || std::atoi(argv[1]) < 1) {
    std::fprintf(stderr, "usage: startup_bench N BARE PROGRAM [PROGRAM...] | copy N FILE\n");
    return 2;
  }
  const int count = std::atoi(argv[1]);
  const std::string installer = InstallerPath();
  // Index 0 is the bare window, the others the programs, each started once per round.
  const std::vector<std::string> programs(argv + 2, argv + argc);
  std::vector<std::vector<double>> times(programs.size());
  bool failed = false;
  for (int i = 0; i < count; ++i) {
    std::printf("run %2d:", i + 1);
    for (size_t p = 0; p < programs.size(); ++p) {
      const TRun run = TimeOneStart(programs[p], installer);
      const bool missing = p != 0 && !run.InstallerWritten;
      std::printf(" %7.1f ms%s", run.Seconds * 1000, missing ? " (NO INSTALLER)" : "");
      if (run.ProgressSeconds > 0)
        std::printf(" (progress at %.1f ms)", run.ProgressSeconds * 1000);
      failed = failed || !run.Ok || missing;
      times[p].push_back(run.Seconds);
    }
    std::printf("\n");
  }
  const double bare = Median(times[0]);
  std::printf("median of %d runs: bare window %.1f ms\n", count, bare * 1000);
  for (size_t p = 1; p < programs.size(); ++p) {
    const double median = Median(times[p]);
    std::printf("  %s: %.1f ms, ratio to the bare window %.2f\n", programs[p].c_str(),
                median * 1000, median / bare);
  }
  std::fflush(stdout);
  return failed ? 1 : 0;
}
