#pragma once
// The Win32 functions the library calls, declared for the host build with their Windows
// signatures. They run against one simulated machine (registry, drives, environment, call log)
// that tests prepare and inspect through "platform/host/StandIn.h". Only what the code calls is
// here; everything behaves as documented for Windows: return codes, GetLastError values, the
// sizes reported when a buffer is too small.

#include "platform/host/Win32MachineTypes.h"
#include "platform/host/Win32Types.h"

// Errors.
DWORD WINAPI GetLastError();
void WINAPI SetLastError(DWORD code);

// Registry (advapi32).
LONG WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired, PHKEY result);
LONG WINAPI RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                            REGSAM desired, LPSECURITY_ATTRIBUTES security, PHKEY result,
                            LPDWORD disposition);
LONG WINAPI RegCloseKey(HKEY key);
LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                             LPBYTE data, LPDWORD dataSize);
LONG WINAPI RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                           DWORD dataSize);
LONG WINAPI RegDeleteValueA(HKEY key, LPCSTR valueName);
LONG WINAPI RegDeleteKeyA(HKEY key, LPCSTR subKey);
LONG WINAPI RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameChars, LPDWORD reserved,
                          LPSTR keyClass, LPDWORD classChars, PFILETIME lastWrite);
LONG WINAPI RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD nameChars, LPDWORD reserved,
                          LPDWORD type, LPBYTE data, LPDWORD dataSize);
LONG WINAPI RegQueryInfoKeyA(HKEY key, LPSTR keyClass, LPDWORD classChars, LPDWORD reserved,
                             LPDWORD subKeys, LPDWORD maxSubKeyChars, LPDWORD maxClassChars,
                             LPDWORD values, LPDWORD maxValueNameChars, LPDWORD maxValueBytes,
                             LPDWORD securityDescriptorBytes, PFILETIME lastWrite);

// Files and directories (kernel32).
HANDLE WINAPI CreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode,
                          LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                          HANDLE templateFile);
BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read,
                     LPOVERLAPPED overlapped);
BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written,
                      LPOVERLAPPED overlapped);
BOOL WINAPI CloseHandle(HANDLE object);
DWORD WINAPI GetFileSize(HANDLE file, LPDWORD sizeHigh);
BOOL WINAPI GetFileSizeEx(HANDLE file, PLARGE_INTEGER size);
DWORD WINAPI SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method);
BOOL WINAPI DeleteFileA(LPCSTR fileName);
BOOL WINAPI MoveFileA(LPCSTR existingName, LPCSTR newName);
BOOL WINAPI CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES security);
BOOL WINAPI RemoveDirectoryA(LPCSTR pathName);
DWORD WINAPI GetFileAttributesA(LPCSTR fileName);
BOOL WINAPI SetFileAttributesA(LPCSTR fileName, DWORD attributes);
HANDLE WINAPI FindFirstFileA(LPCSTR fileName, LPWIN32_FIND_DATAA findData);
BOOL WINAPI FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA findData);
BOOL WINAPI FindClose(HANDLE find);

// Directories, environment and the program's own file (kernel32).
DWORD WINAPI GetTempPathA(DWORD bufferChars, LPSTR buffer);
UINT WINAPI GetSystemDirectoryA(LPSTR buffer, UINT bufferChars);
UINT WINAPI GetWindowsDirectoryA(LPSTR buffer, UINT bufferChars);
DWORD WINAPI GetCurrentDirectoryA(DWORD bufferChars, LPSTR buffer);
BOOL WINAPI SetCurrentDirectoryA(LPCSTR pathName);
DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD bufferChars);
DWORD WINAPI GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD bufferChars);
BOOL WINAPI SetEnvironmentVariableA(LPCSTR name, LPCSTR value);
DWORD WINAPI ExpandEnvironmentStringsA(LPCSTR source, LPSTR buffer, DWORD bufferChars);
// The wide forms, which Windows 9x has only as stubs: on a machine set to the 9x platform they fail
// with ERROR_CALL_NOT_IMPLEMENTED. The drives keep no 8.3 names: the short form of an existing
// path is the path as written.
DWORD WINAPI GetTempPathW(DWORD bufferChars, LPWSTR buffer);
DWORD WINAPI GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD bufferChars);
DWORD WINAPI GetShortPathNameW(LPCWSTR longPath, LPWSTR shortPath, DWORD bufferChars);

// Conversions between the ANSI code page (1252, Western European) and UTF-16 (kernel32); CP_ACP
// and 1252 are the only code pages. A character outside the code page becomes the default
// character ('?' unless one is given) and sets *usedDefault; there are no best-fit look-alikes,
// as with WC_NO_BEST_FIT_CHARS.
INT WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, INT bytes, LPWSTR buffer,
                               INT bufferChars);
INT WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR text, INT chars, LPSTR buffer,
                               INT bufferBytes, LPCSTR defaultChar, LPBOOL usedDefault);

// Version, priorities and time (kernel32).
BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info);
HANDLE WINAPI GetCurrentProcess();
HANDLE WINAPI GetCurrentThread();
DWORD WINAPI GetPriorityClass(HANDLE process);
BOOL WINAPI SetPriorityClass(HANDLE process, DWORD priorityClass);
INT WINAPI GetThreadPriority(HANDLE thread);
BOOL WINAPI SetThreadPriority(HANDLE thread, INT priority);
void WINAPI Sleep(DWORD milliseconds);
// The processor's time-stamp counter (the RDTSC instruction on Windows).
uint64_t ReadTimeStampCounter();

// Libraries loaded at run time (kernel32). Only the system folder's wsock32.dll exists, by its
// full path; its exports are the five Windows Sockets 1.1 functions the library uses, reached
// only through GetProcAddress, as on Windows where the program does not import them.
HMODULE WINAPI LoadLibraryExA(LPCSTR fileName, HANDLE reserved, DWORD flags);
FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR procName);
BOOL WINAPI FreeLibrary(HMODULE module);

// Calls with effects outside the program: logged, not performed (shell32, user32, ole32).
HINSTANCE WINAPI ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                               LPCSTR directory, INT showCommand);
INT WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
HRESULT WINAPI CoInitialize(LPVOID reserved);
void WINAPI CoUninitialize();
INT WINAPI GetSystemMetrics(INT index);
// Screen device contexts (user32, gdi32): only the whole screen's (a null window) is simulated.
HDC WINAPI GetDC(HWND window);
INT WINAPI ReleaseDC(HWND window, HDC dc);
INT WINAPI GetDeviceCaps(HDC dc, INT index);
// Cursors (user32): the program's own cursor resources (names the test adds) and Windows' shared
// system cursors. Loaded cursors are shared, as LoadCursorA's are: loading again gives the same
// handle, and DestroyCursor succeeds without invalidating it (the stand-in records the call).
HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName);
HCURSOR WINAPI LoadCursorA(HINSTANCE module, LPCSTR name);
BOOL WINAPI DestroyCursor(HCURSOR cursor);

// Processors, memory, time since start, names and volumes (kernel32, advapi32).
void WINAPI GetSystemInfo(LPSYSTEM_INFO info);
void WINAPI GlobalMemoryStatus(LPMEMORYSTATUS status);
DWORD WINAPI GetTickCount();
BOOL WINAPI GetComputerNameA(LPSTR buffer, LPDWORD size);
BOOL WINAPI GetUserNameA(LPSTR buffer, LPDWORD size);
BOOL WINAPI GetVolumeInformationA(LPCSTR rootPathName, LPSTR volumeName, DWORD volumeNameChars,
                                  LPDWORD serialNumber, LPDWORD maxComponentLength,
                                  LPDWORD fileSystemFlags, LPSTR fileSystemName,
                                  DWORD fileSystemNameChars);
// Display modes (user32): tests are answered from the accepted modes; every call is logged.
LONG WINAPI ChangeDisplaySettingsA(LPDEVMODEA mode, DWORD flags);
// Profile files on the simulated drives (kernel32): named sections and keys only.
DWORD WINAPI GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultText, LPSTR buffer,
                                      DWORD bufferChars, LPCSTR fileName);
BOOL WINAPI WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR text, LPCSTR fileName);
