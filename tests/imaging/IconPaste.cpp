// A second program for the clipboard test: pastes the icon another program copied and writes
// its file data to the first file named, and the clipboard's bitmap as a BMP to the second.
// Exits 1 when the clipboard holds no icon within 20 seconds (the copying program may still be
// publishing it).
#include <unistd.h>

#include "imaging/Clipicon.h"
#include "platform/qt/QtPlatform.h"
#include "platform/user/Clipboard.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/Forms.h"

int main(int argc, char* argv[]) {
  if (argc != 3 || !qt::Install()) return 2;
  Application->Initialize();
  ClipiconInitialization();
  for (int tries = 0; tries < 400 && !Clipboard()->HasFormat(CF_ICON); ++tries) usleep(50000);
  const std::unique_ptr<TIcon> icon = CreateIconFromClipboard();
  if (!icon) return 1;
  TFileStream out(argv[1], fmCreate);
  icon->SaveToStream(&out);
  TBitmap bitmap;
  bitmap.Assign(Clipboard());
  bitmap.SaveToFile(argv[2]);
  user::ResetClipboardForTest();  // the clipboard's copies of the data go with the program
  return 0;
}
