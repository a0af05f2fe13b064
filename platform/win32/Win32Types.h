// Base types, handles and result codes of the platform, as the system's code spells them.
// Every stand-in and all of the system's own code include this first.
#pragma once

#include <cstddef>
#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using INT = int;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using BOOL = int;
using CHAR = char;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using HRESULT = std::int32_t;
using COLORREF = DWORD;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using DWORD_PTR = std::uintptr_t;
using LPVOID = void*;
using LPCVOID = const void*;
using LPSTR = char*;
using LPCSTR = const char*;
using LPDWORD = DWORD*;
using LPLONG = LONG*;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

// Opaque handle types: each is a distinct pointer type, as on the platform.
#define QM_DECLARE_HANDLE(name) \
  struct name##__;              \
  using name = name##__*
QM_DECLARE_HANDLE(HWND);
QM_DECLARE_HANDLE(HDC);
QM_DECLARE_HANDLE(HINSTANCE);
QM_DECLARE_HANDLE(HRSRC);
QM_DECLARE_HANDLE(HPEN);
QM_DECLARE_HANDLE(HBRUSH);
QM_DECLARE_HANDLE(HFONT);
QM_DECLARE_HANDLE(HBITMAP);
QM_DECLARE_HANDLE(HPALETTE);
QM_DECLARE_HANDLE(HRGN);
QM_DECLARE_HANDLE(HICON);
QM_DECLARE_HANDLE(HKEY);
#undef QM_DECLARE_HANDLE
using HMODULE = HINSTANCE;
using HCURSOR = HICON;
using HGDIOBJ = void*;
using HGLOBAL = void*;
using HANDLE = void*;
using FARPROC = void (*)();

struct POINT {
  LONG x;
  LONG y;
};
struct SIZE {
  LONG cx;
  LONG cy;
};
struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
using LPRECT = RECT*;
using LPPOINT = POINT*;

struct GUID {
  DWORD Data1;
  WORD Data2;
  WORD Data3;
  BYTE Data4[8];
};
using IID = GUID;
using REFIID = const IID&;
using LPGUID = GUID*;
inline bool operator==(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i)
    if (a.Data4[i] != b.Data4[i]) return false;
  return true;
}

// Result codes.
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

// Colours are 0x00BBGGRR.
constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
  return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>(c >> 8); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>(c >> 16); }
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// A resource name or type is either a text or a small number carried in the pointer.
inline LPCSTR MAKEINTRESOURCEA(WORD id) { return reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(id)); }
inline bool IS_INTRESOURCE(LPCSTR p) { return (reinterpret_cast<std::uintptr_t>(p) >> 16) == 0; }
