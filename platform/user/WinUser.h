// The platform's window functions as the system's code calls them: windows and their device
// contexts, the input message queue, message boxes, the cursor counter and system parameters.
#pragma once

#include "platform/win32/Win32Types.h"

// Message boxes: buttons, icons and the answers.
constexpr UINT MB_OK = 0x0, MB_OKCANCEL = 0x1, MB_ABORTRETRYIGNORE = 0x2, MB_YESNOCANCEL = 0x3, MB_YESNO = 0x4,
               MB_RETRYCANCEL = 0x5, MB_TYPEMASK = 0xF;
constexpr UINT MB_ICONHAND = 0x10, MB_ICONERROR = 0x10, MB_ICONSTOP = 0x10, MB_ICONQUESTION = 0x20,
               MB_ICONEXCLAMATION = 0x30, MB_ICONWARNING = 0x30, MB_ICONASTERISK = 0x40,
               MB_ICONINFORMATION = 0x40, MB_ICONMASK = 0xF0;
constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7;

// Virtual-key codes. Letters and digits are their upper-case ASCII codes ('A' = 0x41, '0' = 0x30).
constexpr WORD VK_LBUTTON = 0x01, VK_RBUTTON = 0x02, VK_MBUTTON = 0x04, VK_BACK = 0x08, VK_TAB = 0x09,
               VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12, VK_PAUSE = 0x13,
               VK_CAPITAL = 0x14, VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22,
               VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28,
               VK_SNAPSHOT = 0x2C, VK_INSERT = 0x2D, VK_DELETE = 0x2E, VK_NUMPAD0 = 0x60, VK_MULTIPLY = 0x6A,
               VK_ADD = 0x6B, VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F, VK_F1 = 0x70,
               VK_F12 = 0x7B, VK_NUMLOCK = 0x90, VK_SCROLL = 0x91, VK_OEM_1 = 0xBA, VK_OEM_PLUS = 0xBB,
               VK_OEM_COMMA = 0xBC, VK_OEM_MINUS = 0xBD, VK_OEM_PERIOD = 0xBE, VK_OEM_2 = 0xBF, VK_OEM_3 = 0xC0,
               VK_OEM_4 = 0xDB, VK_OEM_5 = 0xDC, VK_OEM_6 = 0xDD, VK_OEM_7 = 0xDE;
// A key the keyboard reports without a code of its own.
constexpr WORD VK_UNMAPPED = 0xFF;

// Messages the input queue carries.
constexpr UINT WM_PAINT = 0x000F, WM_CLOSE = 0x0010, WM_QUIT = 0x0012, WM_KEYDOWN = 0x0100, WM_CHAR = 0x0102,
               WM_MOUSEMOVE = 0x0200, WM_LBUTTONDOWN = 0x0201, WM_LBUTTONUP = 0x0202, WM_RBUTTONDOWN = 0x0204,
               WM_RBUTTONUP = 0x0205, WM_MBUTTONDOWN = 0x0207, WM_MBUTTONUP = 0x0208;
// Mouse messages: buttons and keys held, in wParam; client x and y in the low and high words of lParam.
constexpr WPARAM MK_LBUTTON = 0x1, MK_RBUTTON = 0x2, MK_SHIFT = 0x4, MK_CONTROL = 0x8, MK_MBUTTON = 0x10;
constexpr LPARAM MAKELPARAM(int low, int high) {
  return static_cast<LPARAM>(static_cast<DWORD>(static_cast<WORD>(low)) |
                             (static_cast<DWORD>(static_cast<WORD>(high)) << 16));
}
constexpr int GET_X_LPARAM(LPARAM lp) { return static_cast<SHORT>(static_cast<WORD>(lp & 0xFFFF)); }
constexpr int GET_Y_LPARAM(LPARAM lp) { return static_cast<SHORT>(static_cast<WORD>((lp >> 16) & 0xFFFF)); }

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};
constexpr UINT PM_NOREMOVE = 0x0, PM_REMOVE = 0x1;

// ShowWindow commands.
constexpr int SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_SHOW = 5, SW_SHOWMINIMIZED = 2, SW_SHOWMAXIMIZED = 3,
              SW_MAXIMIZE = 3, SW_SHOWNOACTIVATE = 4, SW_MINIMIZE = 6, SW_SHOWMINNOACTIVE = 7, SW_SHOWNA = 8,
              SW_RESTORE = 9;

// SystemParametersInfoA actions.
constexpr UINT SPI_GETWORKAREA = 0x30, SPI_GETANIMATION = 0x48, SPI_SETANIMATION = 0x49;
constexpr UINT SPI_SETSCREENSAVERRUNNING = 97;
// The minimise and restore animation setting; cbSize must be sizeof(ANIMATIONINFO).
struct ANIMATIONINFO {
  UINT cbSize;
  int iMinAnimate;
};
constexpr UINT SPI_SCREENSAVERRUNNING = SPI_SETSCREENSAVERRUNNING;

// GetSystemMetrics indices.
constexpr int SM_CXSCREEN = 0, SM_CYSCREEN = 1, SM_CXVSCROLL = 2, SM_CYHSCROLL = 3, SM_CYCAPTION = 4,
              SM_CXBORDER = 5, SM_CYBORDER = 6, SM_CXICON = 11, SM_CYICON = 12, SM_CXCURSOR = 13,
              SM_CYCURSOR = 14, SM_CMONITORS = 80;

// System commands (WM_SYSCOMMAND's wParam) and the painting of a window's background into the
// device context in wParam.
constexpr UINT WM_ERASEBKGND = 0x0014, WM_SYSCOMMAND = 0x0112;
constexpr WPARAM SC_MINIMIZE = 0xF020, SC_MAXIMIZE = 0xF030, SC_CLOSE = 0xF060, SC_RESTORE = 0xF120;

// Windows. A handle that is not one of this program's windows may name a native window of the
// desktop (given as a number on a command line); IsWindow, IsWindowVisible, GetDC and ReleaseDC
// reach it through the toolkit peer.
BOOL IsWindow(HWND hwnd);
BOOL IsWindowVisible(HWND hwnd);
BOOL ShowWindow(HWND hwnd, int command);
BOOL GetClientRect(HWND hwnd, RECT* rect);
BOOL DestroyWindow(HWND hwnd);

// GetDC(NULL) is a new device context on the screen, which ReleaseDC ends; a window's draws
// into the window's own pixels, which ReleaseDC hands to the peer to show.
HDC GetDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC hdc);

// The input queue. PostMessageA may be called from any thread.
BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT remove);
BOOL WaitMessage();
LRESULT DispatchMessageA(const MSG* msg);
void PostQuitMessage(int exitCode);
// The key's state when the message last taken from the queue was posted: bit 15 set while held.
SHORT GetKeyState(int virtualKey);

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// The display counter: shown while 0 or above; starts at 0. Returns the new value.
int ShowCursor(BOOL show);

// SPI_GETWORKAREA reports the whole desktop (no panels are known to the layer).
BOOL SystemParametersInfoA(UINT action, UINT uiParam, LPVOID pvParam, UINT winIni);
// The system font's average character width in the low word, its height in the high word.
LONG GetDialogBaseUnits();
int GetSystemMetrics(int index);

// Drawing helpers over a device context: inverting a rectangle, the dotted focus frame that a
// second call takes away again, and rectangle arithmetic.
BOOL InvertRect(HDC hdc, const RECT* rect);
BOOL DrawFocusRect(HDC hdc, const RECT* rect);
BOOL IsRectEmpty(const RECT* rect);
BOOL InflateRect(RECT* rect, int dx, int dy);
BOOL IntersectRect(RECT* result, const RECT* a, const RECT* b);
BOOL OffsetRect(RECT* rect, int dx, int dy);
BOOL PtInRect(const RECT* rect, POINT point);

// Text laid out in a rectangle. Lines end at CR, LF or CR LF (unless DT_SINGLELINE); with
// DT_WORDBREAK they also break between words that would pass the right edge; tabs expand to
// every eighth average character width with DT_EXPANDTABS; an ampersand underlines the next
// character ("&&" is one) unless DT_NOPREFIX. DT_VCENTER and DT_BOTTOM place a single line.
// The text is kept within the rectangle unless DT_NOCLIP; DT_CALCRECT only measures, setting
// the rectangle's right and bottom. Right-to-left reading changes nothing for the 8-bit texts
// this layer draws. Returns the height of the text (from the rectangle's top for a placed line).
constexpr UINT DT_LEFT = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4, DT_BOTTOM = 0x8,
               DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40, DT_NOCLIP = 0x100,
               DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800, DT_RTLREADING = 0x20000;
int DrawTextA(HDC hdc, LPCSTR text, int count, RECT* rect, UINT format);

// ---- Window lookup and activation, over this program's windows

// A top-level window by its class name (without regard to case) and caption; a null one
// matches any. The first made wins.
HWND FindWindowA(LPCSTR className, LPCSTR windowName);
// The class name, cut to size - 1 characters; its length.
int GetClassNameA(HWND hwnd, LPSTR name, int size);
// GWL_HWNDPARENT is a child window's parent and a top-level window's owner; GWL_EXSTYLE the
// extended style. Values hold a handle, so they are pointer-sized.
constexpr int GWL_HWNDPARENT = -8, GWL_STYLE = -16, GWL_EXSTYLE = -20;
constexpr DWORD WS_EX_CLIENTEDGE = 0x00000200;
// GWL_STYLE reports these bits (and sets none).
constexpr DWORD WS_MAXIMIZE = 0x01000000, WS_DISABLED = 0x08000000, WS_MINIMIZE = 0x20000000;
using LONG_PTR = std::intptr_t;
LONG_PTR GetWindowLongA(HWND hwnd, int index);
LONG_PTR SetWindowLongA(HWND hwnd, int index, LONG_PTR value);
// A handle that stands for the desktop: no window of this program, owner of none.
HWND GetDesktopWindow();
// The window among those it owns that was active last, or the window itself.
HWND GetLastActivePopup(HWND hwnd);
using WNDENUMPROC = BOOL (*)(HWND hwnd, LPARAM lParam);
// The top-level windows the thread made, until the procedure returns FALSE (then FALSE).
BOOL EnumThreadWindows(DWORD threadId, WNDENUMPROC proc, LPARAM lParam);
DWORD GetWindowThreadProcessId(HWND hwnd, LPDWORD processId);

// The active window is the top-level window in front that takes the keyboard; the calling
// thread sees it only when that thread made it. Activating asks the toolkit to bring it forward.
HWND GetActiveWindow();
HWND SetActiveWindow(HWND hwnd);
HWND GetForegroundWindow();
BOOL SetForegroundWindow(HWND hwnd);
BOOL IsIconic(HWND hwnd);
BOOL IsZoomed(HWND hwnd);
BOOL IsWindowEnabled(HWND hwnd);
// Returns whether the window was disabled before.
BOOL EnableWindow(HWND hwnd, BOOL enable);

// Positions and sizes of the window with its frame; insertAfter and the z-order are not kept.
constexpr UINT SWP_NOSIZE = 0x1, SWP_NOMOVE = 0x2, SWP_NOZORDER = 0x4, SWP_NOACTIVATE = 0x10,
               SWP_FRAMECHANGED = 0x20, SWP_SHOWWINDOW = 0x40, SWP_HIDEWINDOW = 0x80;
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL GetWindowRect(HWND hwnd, RECT* rect);

// What the window manager does with a message a window leaves: WM_SYSCOMMAND minimises,
// maximises, restores or asks the window to close; 0 for the rest.
LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The keyboard focus: recorded, and shown by the toolkit peer.
HWND SetFocus(HWND hwnd);
HWND GetFocus();
// Calls the window's handler at once and returns its result; 0 for a handle that is not ours.
LRESULT SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// The sound of a refused input; the type (0, MB_OK or an icon) is not told apart.
BOOL MessageBeep(UINT type);
