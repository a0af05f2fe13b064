// The KERNEL32 functions the programs call: local time, platform version, built-in modules
// loaded by name, and the program's own instance handle; with the seams tests set them through.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "platform/win32/WinError.h"
#include "platform/win32/Win32Types.h"

struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;  // 1 = January
  WORD wDayOfWeek;  // 0 = Sunday
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};
using LPSYSTEMTIME = SYSTEMTIME*;

void GetLocalTime(LPSYSTEMTIME time);

constexpr DWORD VER_PLATFORM_WIN32s = 0;
constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  CHAR szCSDVersion[128];
};
using LPOSVERSIONINFOA = OSVERSIONINFOA*;
static_assert(sizeof(OSVERSIONINFOA) == 148);

// Fails (FALSE, record untouched) unless dwOSVersionInfoSize is sizeof(OSVERSIONINFOA).
BOOL GetVersionExA(LPOSVERSIONINFOA info);

// Modules come from the built-in table (win32::RegisterModule); module names compare without
// regard to case, export names exactly. Each LoadLibraryA takes a reference that FreeLibrary
// gives back; a module whose last reference is gone resolves nothing until it is loaded again.
// A name the table does not hold is ERROR_MOD_NOT_FOUND.
HMODULE LoadLibraryA(LPCSTR name);
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
BOOL FreeLibrary(HMODULE module);
// The calling thread's and the process's ids.
DWORD GetCurrentThreadId();
DWORD GetCurrentProcessId();
// The error mode (SEM_NOOPENFILEERRORBOX 0x8000 and the others) is kept and reported; this layer
// shows no error boxes of its own either way. Returns the previous mode.
UINT SetErrorMode(UINT mode);
constexpr UINT SEM_FAILCRITICALERRORS = 0x0001, SEM_NOOPENFILEERRORBOX = 0x8000;
// Null name: this program's instance handle. Otherwise the module's handle while it is loaded
// (no reference is taken), else null.
HMODULE GetModuleHandleA(LPCSTR name);

// The calling thread's last error code; each thread starts with 0.
DWORD GetLastError();
void SetLastError(DWORD code);

// The platform's text for an error code, without a trailing line break; empty for a code it
// does not describe.
std::string SystemErrorText(DWORD code);

// The variable's value and its length when `size` has room for it and the terminating zero;
// otherwise the size needed (terminating zero included) and nothing copied. 0, with
// ERROR_ENVVAR_NOT_FOUND, when the variable is not set.
DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size);

// number * numerator / denominator through a 64-bit product, rounded half away from zero;
// -1 for a denominator of 0 or a result beyond 32 bits.
int MulDiv(int number, int numerator, int denominator);

// The folder for temporary files, ending in "/" (TMPDIR, else /tmp); its length, or the size
// needed when `size` has no room.
DWORD GetTempPathA(DWORD size, LPSTR buffer);
// Makes `path` + `prefix` (its first three characters) + a hexadecimal number + ".tmp". With
// `unique` 0 the number is chosen and the file created empty; the number used is returned
// (0 on failure, with the last error). `result` needs room for 260 characters.
UINT GetTempFileNameA(LPCSTR path, LPCSTR prefix, UINT unique, LPSTR result);
BOOL DeleteFileA(LPCSTR fileName);

void Sleep(DWORD milliseconds);
// Milliseconds of a steady clock; wraps around like the platform's counter.
DWORD GetTickCount();

namespace win32 {

// GetLocalTime reads the computer's local time unless a test sets a source; the source may be
// called from any thread.
void SetLocalTimeSource(std::function<SYSTEMTIME()> source);
void SetLocalTimeSource(const SYSTEMTIME& fixed);
void ResetLocalTimeSource();

// GetVersionExA reports the NT family by default; tests may report another platform.
// The size field of `info` is not used.
void SetVersionInfo(const OSVERSIONINFOA& info);
void ResetVersionInfo();

// Adds a module to the built-in table, or replaces the exports of one already there (its
// handle and references stay).
using ModuleExports = std::map<std::string, FARPROC>;
void RegisterModule(std::string_view name, ModuleExports exports);
// Removes a module; handles to it stop resolving even while references are held.
void UnregisterModule(std::string_view name);

}  // namespace win32
