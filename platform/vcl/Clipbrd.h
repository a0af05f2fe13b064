// The class library's clipboard object: opening and closing that nest, data by format, and
// pictures placed on the clipboard and read back from it.
#pragma once

#include "platform/user/Clipboard.h"
#include "platform/vcl/Graphics.h"

class TClipboard : public TPersistent {
 public:
  // Nested; the outermost Open raises Exception "Cannot open clipboard" when the clipboard is
  // open elsewhere.
  void Open();
  void Close();
  void Clear();
  bool HasFormat(WORD Format);
  HANDLE GetAsHandle(WORD Format);
  // The clipboard takes the data; the first data placed while open empties it first.
  void SetAsHandle(WORD Format, HANDLE Value);
  int GetFormatCount();
  WORD GetFormats(int Index);
  // A graphic or a picture: its clipboard form and palette replace the clipboard's contents.
  void Assign(TPersistent* Source) override;

 protected:
  // Into a picture (by the format classes registered with it) or a graphic.
  void AssignTo(TPersistent* Dest) override;

 private:
  void Adding();
  int FOpenRefCount = 0;
  bool FEmptied = false;
};

// The program's clipboard object.
TClipboard* Clipboard();
