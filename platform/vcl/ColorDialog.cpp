// The colour dialog through the platform's colour chooser, owned by the application's main form.
#include "platform/vcl/ColorDialog.h"

#include "platform/user/CommDlg.h"
#include "platform/vcl/Forms.h"

bool TColorDialog::Execute() {
  CHOOSECOLORA choose{};
  choose.lStructSize = sizeof choose;
  TForm* owner = Application->GetMainForm();
  choose.hwndOwner = owner && owner->HandleAllocated() ? owner->GetHandle() : nullptr;
  choose.rgbResult = static_cast<COLORREF>(ColorToRGB(FColor));
  choose.Flags = CC_RGBINIT;
  if (!ChooseColorA(&choose)) return false;
  FColor = static_cast<TColor>(choose.rgbResult);
  return true;
}
