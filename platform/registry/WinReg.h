// The registry functions the programs call. HKEY_CURRENT_USER is kept in a text file in the
// user's config folder; the other roots exist but are empty and cannot be written.
#pragma once

#include <cstdint>
#include <span>

#include "platform/registry/HiveFile.h"
#include "platform/win32/WinError.h"
#include "platform/win32/Win32Types.h"

using LPBYTE = BYTE*;
using REGSAM = DWORD;
using PHKEY = HKEY*;
struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

inline HKEY const HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(std::uintptr_t{0x80000000});
inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(std::uintptr_t{0x80000001});
inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(std::uintptr_t{0x80000002});
inline HKEY const HKEY_USERS = reinterpret_cast<HKEY>(std::uintptr_t{0x80000003});
inline HKEY const HKEY_CURRENT_CONFIG = reinterpret_cast<HKEY>(std::uintptr_t{0x80000005});

constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_CREATE_LINK = 0x0020;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;


// Key paths are "\"-separated and compare without regard to case; so do value names. A key
// name is 1 to 255 printable ASCII characters. A null or empty sub-key names `hKey` itself.
LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                   PHKEY phkResult);
// Creates the key and any missing parents. Only REG_OPTION_NON_VOLATILE is kept; the class
// and security attributes are not used.
LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions,
                     REGSAM samDesired, LPSECURITY_ATTRIBUTES lpSecurityAttributes,
                     PHKEY phkResult, LPDWORD lpdwDisposition);
LONG RegCloseKey(HKEY hKey);

// With lpData null, reports type and size only. A buffer smaller than the value gives
// ERROR_MORE_DATA with the needed size in *lpcbData and leaves the buffer as it was.
LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                      LPBYTE lpData, LPDWORD lpcbData);
// Takes REG_SZ, REG_EXPAND_SZ (text ending in a zero, which is added when missing),
// REG_BINARY and REG_DWORD (exactly 4 bytes). Needs KEY_SET_VALUE.
LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType,
                    const BYTE* lpData, DWORD cbData);
LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName);
// Deletes a key that has no sub-keys of its own (ERROR_ACCESS_DENIED otherwise).
LONG RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey);

namespace registry {

// Not one of the platform's functions: values of one key written together, the key and its
// parents created when missing, in one replace of the file, so a program killed meanwhile leaves
// all of them or none. Needs KEY_SET_VALUE in `samDesired`, the access the key is written with.
// The values are stored as RegSetValueExA stores each, in their order (a later one of the same
// name wins); `whenDamaged` says what becomes of a damaged file.
LONG SetValues(HKEY hKey, LPCSTR lpSubKey, REGSAM samDesired, std::span<const Value> values, Damaged whenDamaged);

}  // namespace registry
