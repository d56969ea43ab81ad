// What the end-to-end drivers share: checks that print one line each, waiting for a state, file
// helpers, finding the launcher's windows and boxes, user input, and starting and ending the
// launcher. Each driver is one program running in Wine beside the launcher it plays the user of.
//
// File helpers take wide paths (a TEMP folder outside the ANSI code page, a path longer than
// MAX_PATH with the "\\?\" prefix); the narrow overloads take ANSI paths. Messages are UTF-8, so
// the log (which CTest keeps and tools grep) holds no bytes that are invalid in UTF-8.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace driver {

inline constexpr char kTitle[] = "Installation";
inline constexpr char kButtonCaption[] = "Jetzt installieren!";
inline constexpr char kSetupTitle[] = "Quillmoor 5.0 Deutsch - Setup";
inline constexpr char kInstallerName[] = "quillmoor_full.exe";
inline constexpr DWORD kStartTimeoutMs = 60000;
inline constexpr DWORD kTimeoutMs = 30000;

// The driver's folder with a trailing backslash, and the installer file the launcher carries;
// set by ReadArguments.
extern std::string dir;
extern std::string payload;

// Takes DIR (the driver's folder, which holds payload.bin) from the command line; false with a
// message when it is missing or payload.bin cannot be read.
bool ReadArguments(const char* folder);

// Prints "ok: WHAT" or "FAIL: WHAT" and counts the failures.
void Check(bool ok, const std::string& what);
// The number of failed checks, capped at 100: the driver's exit code.
int ExitCode();

std::string Str(long v);
std::wstring Wide(const std::string& ansi);
std::string Utf8(const std::wstring& text);

// Polls the condition until it holds or the time is up; Wine delivers input and starts processes
// asynchronously, so every check of a consequence waits for the state instead of sleeping.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kTimeoutMs);

// --- files -----------------------------------------------------------------------------------

bool Exists(const std::wstring& path);
bool ReadWholeFile(const std::wstring& path, std::string& bytes);
bool HasBytes(const std::wstring& path, const std::string& expected);
// Writes the file and gives it a fixed old modification time.
bool WriteOldFile(const std::wstring& path, const std::string& bytes);
ULONGLONG LastWriteTime(const std::wstring& path);
// The names in the folder (given with its trailing backslash), "." and ".." left out.
std::vector<std::wstring> FolderEntries(const std::wstring& folder);

inline bool Exists(const std::string& path) {
  return Exists(Wide(path));
}
inline bool ReadWholeFile(const std::string& path, std::string& bytes) {
  return ReadWholeFile(Wide(path), bytes);
}
inline bool HasBytes(const std::string& path, const std::string& expected) {
  return HasBytes(Wide(path), expected);
}
inline bool WriteOldFile(const std::string& path, const std::string& bytes) {
  return WriteOldFile(Wide(path), bytes);
}
inline ULONGLONG LastWriteTime(const std::string& path) {
  return LastWriteTime(Wide(path));
}
std::vector<std::string> FolderEntries(const std::string& folder);

// A fresh, empty folder DIR\name\ (files left by an earlier run are removed first).
std::string FreshFolder(const std::string& name);

// --- windows ---------------------------------------------------------------------------------

// Top-level windows with that title (empty: any) of that process (0: any).
std::vector<HWND> TopLevelWindows(const std::string& title, DWORD pid, bool visibleOnly = true);
std::vector<HWND> SetupWindows();
// The main window; the application window carries the same title but no client area to speak of.
HWND MainWindow(DWORD pid);
HWND Button(HWND window);
// A click on a window that is not active may only activate it; input goes to the active one.
bool Activate(HWND hwnd);
// Asks every installer window to close (as its close box does) and waits for their processes.
bool CloseSetups();
// A message box (a visible "#32770" dialog) of that process, whatever its caption; null if none.
HWND MessageBoxOf(DWORD pid);
std::string WindowTitle(HWND hwnd);
// The message of a box: the text of its static controls that have any.
std::wstring BoxMessage(HWND box);
// Waits until no process of that executable name runs any more.
bool WaitForProcessesNamed(const std::string& name);

// --- input -----------------------------------------------------------------------------------

// Moves the mouse to the point and clicks there once or twice, as one input sequence (two
// clicks in one sequence are a double click).
void ClickAt(POINT screenPoint, int clicks = 1);
POINT CentreOf(HWND control);
void PressKey(WORD key);
void ClickButton(HWND window, int clicks = 1);
// Where input went when it had no effect: the active window and the one under the cursor.
void DescribeInputState();

// --- the launcher process --------------------------------------------------------------------

struct Run {
  PROCESS_INFORMATION process = {};
  HWND window = nullptr;
};

// Sets TMP and TEMP of this process; the launchers it starts inherit them.
void SetTemp(const std::wstring& temp);
// Starts the program in DIR with this process's environment and returns at once.
bool Launch(const std::string& program, Run& run);
// Starts the program with TMP and TEMP set to the folder and waits for its main window; a program
// that shows none is terminated.
bool Start(const std::string& program, const std::wstring& temp, Run& run);
inline bool Start(const std::string& program, const std::string& temp, Run& run) {
  return Start(program, Wide(temp), run);
}
// Waits for the end of the program and checks its exit code; a program that does not end is
// terminated. Closes the process handles.
void ExpectExit(Run& run, const std::string& how, DWORD expectedCode = 0);
// Closes the main window and expects exit code 0.
void Close(Run& run);

// --- steps shared by the scenarios -----------------------------------------------------------

// Gives the input to the launcher and expects that many installer windows. On a loaded machine
// an input event can get lost between Wine and the X server; when a single press shows no effect
// at all, a user presses again, and so does the driver (at most three times, each told in a line).
// A press that counts twice still shows as two windows.
void ExpectSetups(HWND window, const std::function<void()>& input, size_t count,
                  const std::string& what);

void CheckExtracted(const std::wstring& temp);
void CheckRemoved(const std::wstring& temp);
// While the window is up the program holds the installer file: this process may read it but
// fails to open it for writing, to rename it and to delete it.
void CheckHeld(const std::wstring& temp);
inline void CheckExtracted(const std::string& temp) {
  CheckExtracted(Wide(temp));
}
inline void CheckRemoved(const std::string& temp) {
  CheckRemoved(Wide(temp));
}
inline void CheckHeld(const std::string& temp) {
  CheckHeld(Wide(temp));
}

}  // namespace driver
