// Drives the real launcher on a machine that is not clean, as a user there would meet it:
//
//   hard_ground_driver.exe DIR [FULL_TEMP]
//
// DIR holds Project1.exe and payload.bin (the installer file it carries). FULL_TEMP, when given,
// is a folder on a drive too small for the installer. Each scenario prepares the TEMP folder the
// way another program or an earlier run could have left it (a file of the installer's name that is
// held open, read-only, hidden or a system file; a folder of that name; a folder named outside
// the ANSI code page or longer than MAX_PATH; no folder at all; a full drive) or starts the
// launcher twice, then checks what lands in TEMP and around it, which windows and boxes appear,
// what the button starts and the exit codes. Every check prints one line; the exit code is the
// number of failed checks (capped at 100).

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "DriverSupport.h"

namespace {

using namespace driver;

constexpr wchar_t kNotPrepared[] = L"Die Installation konnte nicht vorbereitet werden.";

// The driver's own TEMP, read before any scenario changes TMP and TEMP.
std::wstring ownTemp;

std::wstring InstallerName() {
  return Wide(kInstallerName);
}

// Every run of blanks and line breaks as one blank, so that a sentence matches wherever the box
// breaks its lines.
std::wstring Flat(const std::wstring& text) {
  std::wstring flat;
  for (wchar_t c : text) {
    const bool blank = c == L' ' || c == L'\r' || c == L'\n' || c == L'\t';
    if (!blank) {
      flat += c;
    } else if (!flat.empty() && flat.back() != L' ') {
      flat += L' ';
    }
  }
  return flat;
}

std::string ListText(std::vector<std::wstring> names) {
  std::sort(names.begin(), names.end());
  std::string text = "[";
  for (const std::wstring& name : names) text += (text.size() > 1 ? ", " : "") + Utf8(name);
  return text + "]";
}

std::string Hex(DWORD value) {
  char text[16] = {};
  std::snprintf(text, sizeof text, "0x%lX", static_cast<unsigned long>(value));
  return text;
}

// The folder holds exactly these entries.
void CheckEntries(const std::wstring& folder, std::vector<std::wstring> expected,
                  const std::string& when) {
  std::vector<std::wstring> found = FolderEntries(folder);
  std::sort(found.begin(), found.end());
  std::sort(expected.begin(), expected.end());
  Check(found == expected,
        when + ": TEMP holds " + ListText(found) + ", expected " + ListText(expected));
}

// The folder a path with a trailing backslash lies in, with its own trailing backslash.
std::wstring ParentOf(const std::wstring& folder) {
  const size_t end = folder.find_last_of(L'\\', folder.size() - 2);
  return end == std::wstring::npos ? std::wstring() : folder.substr(0, end + 1);
}

// Nothing of the installer's name outside TEMP: not at the root of drive C: or of TEMP's drive,
// not in the launcher's working folder DIR, not in the driver's own TEMP, not beside TEMP.
void CheckNothingOutside(const std::wstring& temp) {
  std::wstring parent = ParentOf(temp);
  if (parent.size() >= MAX_PATH) parent = L"\\\\?\\" + parent;
  const std::vector<std::wstring> places = {L"C:\\", temp.substr(0, 3), Wide(dir), ownTemp, parent};
  std::vector<std::wstring> found;
  std::string where;
  for (size_t i = 0; i < places.size(); ++i) {
    const std::wstring& place = places[i];
    if (place.empty() || place == temp ||
        std::find(places.begin(), places.begin() + i, place) != places.begin() + i) {
      continue;
    }
    where += (where.empty() ? "" : ", ") + Utf8(place);
    if (Exists(place + InstallerName())) found.push_back(place + InstallerName());
  }
  Check(found.empty(), "no " + std::string(kInstallerName) + " outside TEMP (looked in " + where +
                           ")" + (found.empty() ? "" : ": found " + ListText(found)));
}

// The last step of a scenario: nothing outside TEMP; then the driver removes a file of the
// installer's name from TEMP (one it put there, or one the program left, which a check has
// reported), so that the script's search after the run finds only files written elsewhere.
void EndScenario(const std::wstring& temp) {
  CheckNothingOutside(temp);
  // An installer window left by a failed check would count in the next scenario.
  CloseSetups();
  const std::wstring file = (temp.size() >= MAX_PATH ? L"\\\\?\\" : L"") + temp + InstallerName();
  SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(file.c_str());
}

// Visible top-level windows of processes other than the launcher.
std::vector<HWND> OtherWindows(DWORD launcher) {
  std::vector<HWND> others;
  for (HWND hwnd : TopLevelWindows("", 0)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != launcher && pid != GetCurrentProcessId()) others.push_back(hwnd);
  }
  std::sort(others.begin(), others.end());
  return others;
}

// Presses the button and waits for the launcher's message box or an installer window; a press
// without either is repeated (at most three times, each told in a line), as a user would press
// again when input got lost. Returns the box, if one came up.
HWND PressForBox(Run& run, const std::string& what) {
  const DWORD pid = run.process.dwProcessId;
  HWND box = nullptr;
  for (int tries = 1; tries <= 3 && box == nullptr && SetupWindows().empty(); ++tries) {
    Activate(run.window);
    ClickButton(run.window);
    WaitUntil(
        [&] {
          box = MessageBoxOf(pid);
          return box != nullptr || !SetupWindows().empty();
        },
        kTimeoutMs / 3);
    if (box == nullptr && SetupWindows().empty()) {
      std::printf("info: %s had no effect\n", what.c_str());
      DescribeInputState();
    }
  }
  if (box != nullptr)
    std::printf("info: the box's message: %s\n", Utf8(Flat(BoxMessage(box))).c_str());
  return box;
}

// Presses the button twice, each time expecting the launcher's error box with that first line
// and the sentences given, confirms it and expects the window to stay. Afterwards no installer and
// no window of another program (Explorer on a folder, say) has come up.
void ExpectBoxOnButton(Run& run, const std::wstring& firstLine,
                       const std::vector<std::wstring>& sentences) {
  const DWORD pid = run.process.dwProcessId;
  const std::vector<HWND> before = OtherWindows(pid);
  std::wstring first;
  for (int press = 1; press <= 2; ++press) {
    const std::string what = "press " + Str(press) + " on the button";
    HWND box = PressForBox(run, what);
    Check(box != nullptr, what + ": an error box of the launcher appears");
    if (box == nullptr) break;
    const std::wstring text = BoxMessage(box);
    Check(WindowTitle(box) == kTitle, "its caption is \"" + WindowTitle(box) + "\"");
    const size_t lineEnd = text.find_first_of(L"\r\n");
    Check(text.substr(0, lineEnd) == firstLine && lineEnd != std::wstring::npos,
          "its first line is \"" + Utf8(firstLine) + "\", followed by the reason");
    for (const std::wstring& sentence : sentences) {
      Check(Flat(text).find(Flat(sentence)) != std::wstring::npos, "it says: " + Utf8(sentence));
    }
    if (press == 2) Check(text == first, "the second press shows the same box");
    first = text;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    Check(WaitUntil(
              [&] {
                return !IsWindow(box) && MainWindow(pid) == run.window &&
                       IsWindowEnabled(run.window);
              },
              5000),
          "after OK the box goes and the window stays, usable");
  }
  // A program started by the press would show its window within these seconds.
  Sleep(3000);
  Check(SetupWindows().empty() && WaitForProcessesNamed(kInstallerName),
        "nothing is started: no installer window, no installer process");
  CloseSetups();
  const std::vector<HWND> after = OtherWindows(pid);
  std::vector<HWND> added;
  std::set_difference(after.begin(), after.end(), before.begin(), before.end(),
                      std::back_inserter(added));
  std::string titles;
  for (HWND hwnd : added) titles += " \"" + WindowTitle(hwnd) + "\"";
  Check(added.empty(), "no window of another program opened" + titles);
}

// A press on the button either starts the installer, one installer window, or shows the box whose
// first line is NOT_STARTED and starts nothing.
void ExpectStartedOrNotStarted(Run& run, const std::wstring& notStarted) {
  HWND box = PressForBox(run, "a click on the button");
  if (box == nullptr) {
    const size_t shown = SetupWindows().size();
    Check(shown == 1, "the button started the installer: " + Str(static_cast<long>(shown)) +
                          " installer window(s)");
  } else {
    const std::wstring text = BoxMessage(box);
    Check(WindowTitle(box) == kTitle && text.rfind(notStarted, 0) == 0 &&
              text.size() > notStarted.size() && SetupWindows().empty(),
          "the button did not start the installer, and the box says so: \"" + Utf8(notStarted) +
              "\"");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  }
  Check(CloseSetups(), "installer closed, if any");
}

// The installer in TEMP (reached through ACCESS, which is TEMP or TEMP with the "\\?\" prefix)
// as the window shows it: the carried bytes, held, the only entry; the button runs it (or, with
// NOT_STARTED given, does so or shows the box whose first line that is); after the end the file
// is removed again.
void ExpectInstallerRun(Run& run, const std::wstring& access,
                        const std::wstring& notStarted = std::wstring()) {
  CheckExtracted(access);
  CheckHeld(access);
  CheckEntries(access, {InstallerName()}, "while the window is up");
  if (notStarted.empty()) {
    ExpectSetups(
        run.window, [&] { ClickButton(run.window); }, 1, "a click on the button");
    if (HWND box = MessageBoxOf(run.process.dwProcessId)) {
      std::printf("info: instead the launcher shows the box: %s\n",
                  Utf8(Flat(BoxMessage(box))).c_str());
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    Check(CloseSetups(), "installer closed");
  } else {
    ExpectStartedOrNotStarted(run, notStarted);
  }
  Close(run);
  Check(WaitUntil([&] { return !Exists(access + InstallerName()); }),
        "the installer file is removed at the end");
}

// --- the scenarios ---------------------------------------------------------------------------

// A file of the installer's name with other bytes (of the same size), which another program
// (here the driver) holds open for reading and shares for reading only: it cannot be replaced.
// The window shows, the button shows the box naming the file instead of starting anything, and
// the file is left as it was, also after the end.
void StaleFileHeldOpen() {
  std::printf("== a file of the installer's name with other bytes, held open by another program\n");
  const std::string temp = FreshFolder("hglock");
  const std::string file = temp + kInstallerName;
  const std::string stale(payload.size(), 's');
  if (!WriteOldFile(file, stale)) {
    Check(false, "prepare " + file);
    return;
  }
  const ULONGLONG time = LastWriteTime(file);
  HANDLE held = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  Check(held != INVALID_HANDLE_VALUE, "the driver holds " + file + " (read, shared for reading)");
  Run run;
  if (Start(dir + "Project1.exe", temp, run)) {
    CheckEntries(Wide(temp), {InstallerName()}, "while the window is up");
    Check(HasBytes(file, stale) && LastWriteTime(file) == time, "the held file is unchanged");
    ExpectBoxOnButton(run, kNotPrepared,
                      {L"Die Datei " + Wide(file) + L" wird von einem anderen Programm verwendet.",
                       L"Bitte schlie\u00dfen Sie dieses Programm und versuchen Sie es erneut."});
    Close(run);
  }
  CheckEntries(Wide(temp), {InstallerName()}, "after the end");
  Check(HasBytes(file, stale) && LastWriteTime(file) == time,
        "after the end the held file is still unchanged: same bytes, same modification time");
  if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  EndScenario(Wide(temp));
}

// A file of the installer's name with other bytes that is read-only, hidden or a system file (no
// program holds it): its attributes are cleared and it is written over before the window shows,
// held, run by the button and removed at the end.
void StaleFileWithAttributes() {
  const struct {
    DWORD attributes;
    const char* what;
    size_t size;  // of the stale file; 0: the installer's size
  } cases[] = {
      {FILE_ATTRIBUTE_READONLY, "read-only", 4096},
      {FILE_ATTRIBUTE_HIDDEN, "hidden", 0},
      {FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY, "system and read-only", 0},
  };
  constexpr DWORD kCleared =
      FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  int n = 0;
  for (const auto& c : cases) {
    std::printf("== a %s file of the installer's name with other bytes\n", c.what);
    const std::string temp = FreshFolder("hgattr" + Str(++n));
    const std::string file = temp + kInstallerName;
    const bool prepared = WriteOldFile(file, std::string(c.size ? c.size : payload.size(), 'a')) &&
                          SetFileAttributesA(file.c_str(), c.attributes) &&
                          (GetFileAttributesA(file.c_str()) & kCleared) == c.attributes;
    Check(prepared, "prepared " + file + " as a " + c.what + " file");
    Run run;
    if (prepared && Start(dir + "Project1.exe", temp, run)) {
      const DWORD attributes = GetFileAttributesA(file.c_str());
      Check(attributes != INVALID_FILE_ATTRIBUTES && (attributes & kCleared) == 0,
            "its attributes are cleared (now " + Hex(attributes) + ")");
      ExpectInstallerRun(run, Wide(temp));
      CheckEntries(Wide(temp), {}, "after the end");
    }
    EndScenario(Wide(temp));
  }
}

// A folder of the installer's name in TEMP (holding a file): the button shows the box naming it
// and opens nothing (no Explorer on the folder); the folder and its content stay as they were.
void FolderInTheWay() {
  std::printf("== a folder of the installer's name in TEMP\n");
  const std::string temp = FreshFolder("hgdir");
  const std::string folder = temp + kInstallerName;
  const std::string inside = folder + "\\inside.txt";
  const std::string content = "a folder in the way";
  if (!CreateDirectoryA(folder.c_str(), nullptr) || !WriteOldFile(inside, content)) {
    Check(false, "prepare " + folder);
    return;
  }
  Run run;
  if (Start(dir + "Project1.exe", temp, run)) {
    ExpectBoxOnButton(run, kNotPrepared,
                      {L"An der Stelle der Datei " + Wide(folder) + L" steht ein Ordner."});
    Close(run);
  }
  CheckEntries(Wide(temp), {InstallerName()}, "after the end");
  Check((GetFileAttributesA(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY) &&
            FolderEntries(folder + "\\") == std::vector<std::string>{"inside.txt"} &&
            HasBytes(inside, content),
        "the folder is left as it was, its file in it");
  DeleteFileA(inside.c_str());
  RemoveDirectoryA(folder.c_str());
  EndScenario(Wide(temp));
}

// Makes every missing folder of an absolute path, through the "\\?\" prefix.
bool MakeFolders(const std::wstring& folder) {
  for (size_t at = folder.find(L'\\', 3); at != std::wstring::npos;
       at = folder.find(L'\\', at + 1)) {
    const std::wstring part = L"\\\\?\\" + folder.substr(0, at);
    if (!CreateDirectoryW(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
      return false;
  }
  return true;
}

// Whether this Wine gives the folder an 8.3 short path that the ANSI code page expresses and that
// is shorter than MAX_PATH, the path the program can work with.
bool HasAnsiShortPath(const std::wstring& access, std::string& shortPath) {
  wchar_t buffer[1024] = {};
  const DWORD size = GetShortPathNameW(access.c_str(), buffer, 1024);
  if (size == 0 || size >= 1024) return false;
  std::wstring path = buffer;
  if (path.rfind(L"\\\\?\\", 0) == 0) path.erase(0, 4);
  char ansi[1024] = {};
  BOOL lossy = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.c_str(), -1, ansi, sizeof ansi, nullptr,
                      &lossy);
  shortPath = ansi;
  return !lossy && path.size() < MAX_PATH;
}

// TEMP named outside the ANSI code page (Cyrillic, Chinese) or longer than MAX_PATH: the program
// reaches the folder through its 8.3 short path. Under this Wine each such folder has an ANSI
// short path: Wine makes 8.3 names like "____~KKJ" of names outside the code page and of long
// ones ("A_RA~KQK"), and the 304-character path below shortens to 89 characters. So in every row
// the installer is written there, held and removed at the end; a row whose folder had no such
// short path would expect the box naming TEMP ("(TEMP)") and nothing written anywhere.
// The button runs the installer from the Cyrillic and the Chinese folder. From the long one this
// Wine starts it only now and then: its CreateProcess refuses a program whose full long path
// exceeds MAX_PATH, also when given the short path (ERROR_INVALID_NAME), and ShellExecuteA on
// that short path sometimes starts it anyway and sometimes fails (seen: "path not found", "bad
// format"), where Windows starts it. So that row takes either outcome of a press: the installer
// runs, or the box says that the installer, named by the path the program gave the shell, could
// not be started.
void TempOutsideAnsi() {
  std::wstring longTemp = Wide(dir);
  for (int i = 0; longTemp.size() <= 280; ++i)
    longTemp += L"a_rather_long_folder_name_part_" + std::to_wstring(i) + L"\\";
  const struct {
    const char* what;
    std::wstring temp;
    bool shortPath;  // Wine gives the folder an ANSI short path
    bool started;    // the shell starts the installer from there every time
  } cases[] = {
      {"a Cyrillic folder", Wide(dir) + L"\u0412\u0440\u0435\u043c\u0435\u043d\u043d\u044b\u0435\\",
       true, true},
      {"a Chinese folder", Wide(dir) + L"\u4e34\u65f6\u6587\u4ef6\u5939\\", true, true},
      {"a path longer than MAX_PATH", longTemp, true, false},
  };
  for (const auto& c : cases) {
    std::printf("== TEMP in %s (%u characters)\n", c.what, static_cast<unsigned>(c.temp.size()));
    const std::wstring access = L"\\\\?\\" + c.temp;
    if (!MakeFolders(c.temp)) {
      Check(false, "make " + Utf8(c.temp) + " (error " + Str(GetLastError()) + ")");
      continue;
    }
    std::string shortPath;
    const bool ansi = HasAnsiShortPath(access, shortPath);
    std::printf("info: Wine's short path: %s\n", shortPath.c_str());
    Check(ansi == c.shortPath, std::string("Wine gives the folder ") + (c.shortPath ? "an" : "no") +
                                   " ANSI short path, as the row expects");
    Run run;
    if (Start(dir + "Project1.exe", c.temp, run)) {
      if (!c.shortPath) {
        CheckEntries(access, {}, "while the window is up");
        ExpectBoxOnButton(run, kNotPrepared, {L"(TEMP)"});
        Close(run);
      } else if (c.started) {
        ExpectInstallerRun(run, access);
      } else {
        ExpectInstallerRun(run, access,
                           L"Das Installationsprogramm " + Wide(shortPath) + InstallerName() +
                               L" konnte nicht gestartet werden.");
      }
    }
    CheckEntries(access, {}, "after the end");
    EndScenario(c.temp);
  }
}

// A TEMP folder that does not exist: the program makes it, writes the installer there, the button
// runs it, and at the end the file and the folder, empty then, are removed.
void MissingTemp() {
  std::printf("== a TEMP folder that does not exist\n");
  const std::string temp = dir + "hgmissing\\";
  RemoveDirectoryA(temp.c_str());
  Check(!Exists(temp), "TEMP " + temp + " does not exist before the start");
  Run run;
  if (Start(dir + "Project1.exe", temp, run)) {
    ExpectInstallerRun(run, Wide(temp));
    Check(WaitUntil([&] { return !Exists(temp); }), "the folder the program made is removed");
  }
  EndScenario(Wide(temp));
}

// Whether the process has ended; notes whether it shows the main window or a box meanwhile.
bool Ended(const Run& run, bool& showedWindow) {
  const DWORD pid = run.process.dwProcessId;
  showedWindow = showedWindow || MainWindow(pid) != nullptr || MessageBoxOf(pid) != nullptr;
  return WaitForSingleObject(run.process.hProcess, 0) == WAIT_OBJECT_0;
}

// Two copies of the launcher started back to back: one shows the window, the other shows none
// and ends with exit code 0, leaving the installer file alone. A third copy started while the
// window is up and an installer window is in front brings the window forward and ends with 0.
void TwoCopies() {
  std::printf("== two copies started at the same moment, a third one later\n");
  const std::string temp = FreshFolder("hgtwo");
  SetTemp(Wide(temp));
  Run runs[2];
  if (!Launch(dir + "Project1.exe", runs[0])) return;
  if (!Launch(dir + "Project1.exe", runs[1])) {
    TerminateProcess(runs[0].process.hProcess, 99);
    ExpectExit(runs[0], "the start of the second copy failed");
    return;
  }
  bool showed[2] = {false, false};
  bool ended[2] = {false, false};
  WaitUntil(
      [&] {
        for (int i = 0; i < 2; ++i) {
          if (!runs[i].window) runs[i].window = MainWindow(runs[i].process.dwProcessId);
          ended[i] = Ended(runs[i], showed[i]);
        }
        return (runs[0].window || runs[1].window) && (ended[0] || ended[1]);
      },
      kStartTimeoutMs);
  const int first = runs[0].window ? 0 : 1;
  const int other = 1 - first;
  Check(runs[first].window && !runs[other].window, "exactly one main window appears");
  Check(!showed[other], "the other copy shows no window of its own");
  // One that does would not end by itself.
  if (showed[other]) TerminateProcess(runs[other].process.hProcess, 99);
  ExpectExit(runs[other], "finding the window of the first copy");
  Run& run = runs[first];
  if (!run.window) {
    TerminateProcess(run.process.hProcess, 99);
    CloseHandle(run.process.hThread);
    CloseHandle(run.process.hProcess);
    EndScenario(Wide(temp));
    return;
  }
  Check(HasBytes(temp + kInstallerName, payload) &&
            FolderEntries(temp) == std::vector<std::string>{kInstallerName},
        "TEMP holds the installer file alone, with the carried bytes");

  ExpectSetups(
      run.window, [&] { ClickButton(run.window); }, 1, "a click on the button");
  const std::vector<HWND> setups = SetupWindows();
  Check(!setups.empty() && Activate(setups.front()), "the installer window is in front");
  Run third;
  if (Launch(dir + "Project1.exe", third)) {
    bool showedThird = false;
    WaitUntil([&] { return Ended(third, showedThird) || showedThird; }, kStartTimeoutMs);
    Check(!showedThird, "a third copy, started now, shows no window of its own");
    if (showedThird) TerminateProcess(third.process.hProcess, 99);
    ExpectExit(third, "bringing the first window forward");
    Check(WaitUntil([&] { return GetForegroundWindow() == run.window; }, 5000),
          "the window of the first copy is in front");
  }
  Check(HasBytes(temp + kInstallerName, payload) &&
            FolderEntries(temp) == std::vector<std::string>{kInstallerName},
        "TEMP still holds the installer file alone, with the carried bytes");
  Check(CloseSetups(), "installer closed");
  Close(run);
  CheckRemoved(temp);
  CheckEntries(Wide(temp), {}, "after the end");
  EndScenario(Wide(temp));
}

// TEMP on a drive too small for the installer: nothing is left there, and the button shows the
// box naming the file and the full drive.
void DiskFull(const std::string& fullTemp) {
  std::printf("== TEMP on a full drive: %s\n", fullTemp.c_str());
  const std::string temp = fullTemp.back() == '\\' ? fullTemp : fullTemp + "\\";
  ULARGE_INTEGER free = {};
  GetDiskFreeSpaceExA(temp.c_str(), &free, nullptr, nullptr);
  Check(free.QuadPart < payload.size(), "the drive has " + Str(static_cast<long>(free.QuadPart)) +
                                            " bytes free, fewer than the installer's " +
                                            Str(static_cast<long>(payload.size())));
  CheckEntries(Wide(temp), {}, "before the start");
  Run run;
  if (Start(dir + "Project1.exe", temp, run)) {
    CheckEntries(Wide(temp), {}, "while the window is up (the part written is not left behind)");
    ExpectBoxOnButton(
        run, kNotPrepared,
        {L"Die Datei " + Wide(temp) + InstallerName() + L" konnte nicht geschrieben werden.",
         L"Grund: Auf dem Datentr\u00e4ger ist nicht gen\u00fcgend Speicherplatz frei."});
    Close(run);
  }
  CheckEntries(Wide(temp), {}, "after the end");
  EndScenario(Wide(temp));
}

// Runs a scenario and tells how long it took.
void Timed(const std::function<void()>& scenario) {
  const DWORD start = GetTickCount();
  scenario();
  std::printf("info: %lu s\n", static_cast<unsigned long>((GetTickCount() - start) / 1000));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: hard_ground_driver DIR [FULL_TEMP]\n");
    return 100;
  }
  if (!ReadArguments(argv[1])) return 100;
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  ownTemp = temp;
  std::printf("info: ANSI code page %u\n", GetACP());

  void (*const scenarios[])() = {StaleFileHeldOpen, StaleFileWithAttributes,
                                 FolderInTheWay,    TempOutsideAnsi,
                                 MissingTemp,       TwoCopies};
  for (auto scenario : scenarios) Timed(scenario);
  if (argc == 3) Timed([&] { DiskFull(argv[2]); });

  return ExitCode();
}
