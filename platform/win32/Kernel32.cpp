// KERNEL32 stand-in: local time and version through test seams, and LoadLibraryA and friends
// over a table of modules built into the program.
#include "platform/win32/Kernel32.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/win32/NameKey.h"

namespace {

SYSTEMTIME ComputerLocalTime() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const auto whole = floor<seconds>(now);
  const std::time_t t = system_clock::to_time_t(whole);
  std::tm tm{};
  if (localtime_r(&t, &tm) == nullptr) gmtime_r(&t, &tm);
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(tm.tm_year + 1900);
  st.wMonth = static_cast<WORD>(tm.tm_mon + 1);
  st.wDayOfWeek = static_cast<WORD>(tm.tm_wday);
  st.wDay = static_cast<WORD>(tm.tm_mday);
  st.wHour = static_cast<WORD>(tm.tm_hour);
  st.wMinute = static_cast<WORD>(tm.tm_min);
  st.wSecond = static_cast<WORD>(tm.tm_sec);
  st.wMilliseconds = static_cast<WORD>(duration_cast<milliseconds>(now - whole).count());
  return st;
}

using TimeSource = std::function<SYSTEMTIME()>;

// The source is shared, so a reader can call it outside the lock while a test swaps it.
struct Clock {
  std::mutex lock;
  std::shared_ptr<const TimeSource> source;
};

Clock& TheClock() {
  static Clock clock;
  return clock;
}

OSVERSIONINFOA DefaultVersion() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
  info.dwMajorVersion = 5;
  info.dwMinorVersion = 0;
  info.dwBuildNumber = 2195;
  info.dwPlatformId = VER_PLATFORM_WIN32_NT;
  return info;
}

struct Version {
  std::mutex lock;
  OSVERSIONINFOA info = DefaultVersion();
};

Version& TheVersion() {
  static Version version;
  return version;
}

struct Module {
  HMODULE handle = nullptr;
  win32::ModuleExports exports;
  int references = 0;
};

// Handles are never reused, so a stale one cannot reach a module registered later.
struct ModuleTable {
  std::mutex lock;
  std::map<std::string, Module> modules;  // by NameKey
  std::uintptr_t nextHandle = 0x20000;

  Module* Find(HMODULE handle) {
    if (handle == nullptr) return nullptr;
    for (auto& [key, module] : modules)
      if (module.handle == handle) return &module;
    return nullptr;
  }
};

ModuleTable& TheModules() {
  static ModuleTable table;
  return table;
}

HINSTANCE ProgramInstance() { return reinterpret_cast<HINSTANCE>(std::uintptr_t{0x10000}); }

}  // namespace

void GetLocalTime(LPSYSTEMTIME time) {
  if (time == nullptr) return;
  std::shared_ptr<const TimeSource> source;
  {
    Clock& clock = TheClock();
    std::lock_guard guard(clock.lock);
    source = clock.source;
  }
  *time = source ? (*source)() : ComputerLocalTime();
}

BOOL GetVersionExA(LPOSVERSIONINFOA info) {
  if (info == nullptr || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) return FALSE;
  Version& version = TheVersion();
  std::lock_guard guard(version.lock);
  *info = version.info;
  info->dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
  return TRUE;
}

HMODULE LoadLibraryA(LPCSTR name) {
  if (name == nullptr) return nullptr;
  ModuleTable& table = TheModules();
  std::lock_guard guard(table.lock);
  const auto it = table.modules.find(win32::NameKey(name));
  if (it == table.modules.end()) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  ++it->second.references;
  return it->second.handle;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
  // Lookup by ordinal is not offered: a small number is not a text to read.
  if (name == nullptr || IS_INTRESOURCE(name)) return nullptr;
  ModuleTable& table = TheModules();
  std::lock_guard guard(table.lock);
  const Module* found = table.Find(module);
  if (found == nullptr || found->references == 0) return nullptr;
  const auto it = found->exports.find(name);
  return it == found->exports.end() ? nullptr : it->second;
}

BOOL FreeLibrary(HMODULE module) {
  ModuleTable& table = TheModules();
  std::lock_guard guard(table.lock);
  Module* found = table.Find(module);
  if (found == nullptr || found->references == 0) return FALSE;
  --found->references;
  return TRUE;
}

HMODULE GetModuleHandleA(LPCSTR name) {
  if (name == nullptr) return ProgramInstance();
  ModuleTable& table = TheModules();
  std::lock_guard guard(table.lock);
  const auto it = table.modules.find(win32::NameKey(name));
  if (it == table.modules.end() || it->second.references == 0) return nullptr;
  return it->second.handle;
}

namespace {
thread_local DWORD lastError = ERROR_SUCCESS;
}  // namespace

DWORD GetLastError() { return lastError; }
void SetLastError(DWORD code) { lastError = code; }

std::string SystemErrorText(DWORD code) {
  switch (code) {
    case ERROR_SUCCESS: return "The operation completed successfully.";
    case ERROR_FILE_NOT_FOUND: return "The file was not found.";
    case ERROR_ACCESS_DENIED: return "Access is denied.";
    case ERROR_INVALID_HANDLE: return "The handle is not valid.";
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return "There is not enough memory for this operation.";
    case ERROR_INVALID_PARAMETER: return "A parameter is not valid.";
    case ERROR_INSUFFICIENT_BUFFER: return "The buffer is too small for the data.";
    case ERROR_MOD_NOT_FOUND: return "The module was not found.";
    case ERROR_PROC_NOT_FOUND: return "The procedure was not found.";
    case ERROR_ENVVAR_NOT_FOUND: return "The environment variable was not found.";
    case ERROR_INVALID_WINDOW_HANDLE: return "The window handle is not valid.";
    case ERROR_CLIPBOARD_NOT_OPEN: return "The clipboard is not open.";
    case ERROR_RESOURCE_NAME_NOT_FOUND: return "The resource name was not found in the image file.";
    default: return {};
  }
}

DWORD GetCurrentThreadId() { return static_cast<DWORD>(gettid()); }
DWORD GetCurrentProcessId() { return static_cast<DWORD>(getpid()); }

UINT SetErrorMode(UINT mode) {
  static std::atomic<UINT> current{0};
  return current.exchange(mode);
}

DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size) {
  const char* value = name ? std::getenv(name) : nullptr;
  if (!value) {
    SetLastError(ERROR_ENVVAR_NOT_FOUND);
    return 0;
  }
  const std::size_t length = std::strlen(value);
  if (!buffer || length >= size) return static_cast<DWORD>(length + 1);
  std::memcpy(buffer, value, length + 1);
  return static_cast<DWORD>(length);
}

int MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  const long long product = static_cast<long long>(number) * numerator;
  const long long divisor = std::llabs(static_cast<long long>(denominator));
  const long long magnitude = (std::llabs(product) + divisor / 2) / divisor;
  const long long rounded = (product < 0) != (denominator < 0) ? -magnitude : magnitude;
  if (rounded < INT32_MIN || rounded > INT32_MAX) return -1;
  return static_cast<int>(rounded);
}

DWORD GetTempPathA(DWORD size, LPSTR buffer) {
  const char* folder = std::getenv("TMPDIR");
  std::string path = folder && *folder ? folder : "/tmp";
  if (path.back() != '/') path += '/';
  if (!buffer || path.size() >= size) return static_cast<DWORD>(path.size() + 1);
  std::memcpy(buffer, path.c_str(), path.size() + 1);
  return static_cast<DWORD>(path.size());
}

UINT GetTempFileNameA(LPCSTR path, LPCSTR prefix, UINT unique, LPSTR result) {
  if (!path || !result) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::string start = std::string(path) + std::string(prefix ? prefix : "").substr(0, 3);
  const auto nameOf = [&](UINT n) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X.tmp", n & 0xFFFF);
    return start + hex;
  };
  const auto store = [&](const std::string& name) {
    if (name.size() >= 260) return false;
    std::memcpy(result, name.c_str(), name.size() + 1);
    return true;
  };
  if (unique != 0) return store(nameOf(unique)) ? unique : (SetLastError(ERROR_INVALID_PARAMETER), 0u);
  static std::atomic<UINT> counter{static_cast<UINT>(GetTickCount())};
  for (int attempt = 0; attempt < 0x10000; ++attempt) {
    const UINT n = (counter.fetch_add(1) & 0xFFFF) | 1u;
    const std::string name = nameOf(n);
    const int fd = ::open(name.c_str(), O_CREAT | O_EXCL | O_WRONLY, 0600);
    if (fd >= 0) {
      ::close(fd);
      if (store(name)) return n;
      std::remove(name.c_str());
      break;
    }
    if (errno != EEXIST) break;
  }
  SetLastError(errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND);
  return 0;
}

BOOL DeleteFileA(LPCSTR fileName) {
  if (fileName && std::remove(fileName) == 0) return TRUE;
  SetLastError(errno == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED);
  return FALSE;
}

void Sleep(DWORD milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

DWORD GetTickCount() {
  using namespace std::chrono;
  const auto elapsed = duration_cast<milliseconds>(steady_clock::now().time_since_epoch());
  return static_cast<DWORD>(elapsed.count());
}

namespace win32 {

void SetLocalTimeSource(std::function<SYSTEMTIME()> source) {
  auto shared = source ? std::make_shared<const TimeSource>(std::move(source)) : nullptr;
  Clock& clock = TheClock();
  std::lock_guard guard(clock.lock);
  clock.source = std::move(shared);
}

void SetLocalTimeSource(const SYSTEMTIME& fixed) {
  SetLocalTimeSource([fixed] { return fixed; });
}

void ResetLocalTimeSource() { SetLocalTimeSource(std::function<SYSTEMTIME()>{}); }

void SetVersionInfo(const OSVERSIONINFOA& info) {
  Version& version = TheVersion();
  std::lock_guard guard(version.lock);
  version.info = info;
  // Readers take the service-pack text as a zero-terminated string.
  version.info.szCSDVersion[sizeof version.info.szCSDVersion - 1] = '\0';
}

void ResetVersionInfo() { SetVersionInfo(DefaultVersion()); }

void RegisterModule(std::string_view name, ModuleExports exports) {
  ModuleTable& table = TheModules();
  std::lock_guard guard(table.lock);
  auto [it, added] = table.modules.try_emplace(NameKey(name));
  if (added) {
    it->second.handle = reinterpret_cast<HMODULE>(table.nextHandle);
    table.nextHandle += 0x10000;
  }
  it->second.exports = std::move(exports);
}

void UnregisterModule(std::string_view name) {
  ModuleTable& table = TheModules();
  std::lock_guard guard(table.lock);
  table.modules.erase(NameKey(name));
}

}  // namespace win32
