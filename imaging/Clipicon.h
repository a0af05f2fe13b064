// Icons on the clipboard under a format of their own ("Quillmont Icon", beside a bitmap of the
// icon), and real-size icon handles: the image of an icon's file data that best suits the
// display, at that image's own size rather than the system's icon size.
#pragma once

#include <memory>
#include <type_traits>

#include "platform/vcl/Graphics.h"
#include "platform/user/Icons.h"
#include "platform/vcl/Icon.h"

// The clipboard format of icon file data; 0 until the start-up registration.
extern WORD CF_ICON;

// The unit's start-up, once: registers CF_ICON as "Quillmont Icon" and tells the picture class
// that data of that format is an icon.
void ClipiconInitialization();

// Replaces the clipboard's contents with a bitmap of the icon over BackColor (and its palette,
// when it has one) and the icon's file data as CF_ICON; without memory for the latter, the
// bitmap alone.
void CopyIconToClipboard(TIcon* Icon, TColor BackColor);
// The icon loads the clipboard's CF_ICON data; without any, nothing changes.
void AssignClipboardIcon(TIcon* Icon);
// A new icon from the clipboard's CF_ICON data; null when there is none.
std::unique_ptr<TIcon> CreateIconFromClipboard();

// A new icon handle, which the caller destroys: the best image for the display's colour count
// at its own size; the system's application icon for data of type 0, a copy of the icon's own
// handle for any type but 1. A failing platform call raises EOutOfResources "Out of system
// resources"; data that does not hold its image raises EInvalidGraphic.
HICON CreateRealSizeIcon(TIcon* Icon);
// The handle's own size; the system's icon size when it cannot be told.
void GetIconSize(HICON Icon, int& Width, int& Height);
// The icon at its real size with its top-left corner at (X, Y).
void DrawRealSizeIcon(TCanvas* Canvas, TIcon* Icon, int X, int Y);

// A real-size handle destroyed when it goes.
struct DestroyIconHandle {
  void operator()(HICON Icon) const { DestroyIcon(Icon); }
};
using RealSizeIcon = std::unique_ptr<std::remove_pointer_t<HICON>, DestroyIconHandle>;
