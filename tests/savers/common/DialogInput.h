// A setup dialog driven through its controls with the input their peers post, as a user drives it.
#pragma once

#include <string_view>

#include "platform/user/UserPeer.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Forms.h"
#include "tests/platform/vcl/ControlInput.h"
#include "tests/savers/common/SaverFixture.h"

namespace saver_test {

struct DialogInput {
  // The user brings the control's tab forward first, as only the shown tab takes input.
  static void ShowPageOf(TControl* Control) {
    for (TControl* c = Control; c; c = c->GetParent())
      if (auto* sheet = dynamic_cast<TTabSheet*>(c)) sheet->GetPageControl()->SetActivePage(sheet);
  }
  static void Click(TControl* Control) {
    ShowPageOf(Control);
    ClickControl(Control);
    Application->ProcessMessages();
  }
  static void Key(TWinControl* Control, WORD Key) {
    user::PostInput(Control->GetHandle(), WM_KEYDOWN, Key, 0);
    user::PostInput(Control->GetHandle(), WM_KEYUP, Key, 0);
    Application->ProcessMessages();
  }
  // Focuses the control from the keyboard, which selects an edit's text, and types.
  static void Type(TWinControl* Control, std::string_view Text) {
    ShowPageOf(Control);
    Control->SetFocus();
    control_input::Post(Control->GetHandle(), Text);
    Application->ProcessMessages();
  }
  // Tab to the next control, which leaves this one.
  static void Leave(TWinControl* Control) { Key(Control, VK_TAB); }
};

}  // namespace saver_test
