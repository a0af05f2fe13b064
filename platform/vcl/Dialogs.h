// The class library's message dialog: a text with an icon and caption of its kind and a row of
// buttons; the result names the button pressed.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "platform/user/UserPeer.h"
#include "platform/vcl/SysUtils.h"

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };

class TMsgDlgButtons {
 public:
  constexpr TMsgDlgButtons() = default;
  constexpr TMsgDlgButtons(std::initializer_list<TMsgDlgBtn> Buttons) {
    for (TMsgDlgBtn b : Buttons) FBits = static_cast<std::uint16_t>(FBits | (1u << b));
  }
  constexpr bool Contains(TMsgDlgBtn b) const { return (FBits >> b) & 1u; }

 private:
  std::uint16_t FBits = 0;
};

// The results of modal dialogs.
constexpr int mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7,
              mrAll = 8, mrNoToAll = 9, mrYesToAll = 10;

// Caption by kind ("Warning", "Error", "Information", "Confirm"; the application's title for
// mtCustom); buttons in the order of TMsgDlgBtn. The default button is OK, else Yes, else the
// first; closing the dialog answers Cancel, else No, else OK, else the last button. There is
// no help system, so a Help button is not shown.
int MessageDlg(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx);

namespace vcl {

// While one lives, message dialogs are recorded here instead of shown and answer `Answer`
// (the default button's result while it is mrNone).
class ScopedMessageDialogSink {
 public:
  ScopedMessageDialogSink();
  ~ScopedMessageDialogSink();
  ScopedMessageDialogSink(const ScopedMessageDialogSink&) = delete;
  ScopedMessageDialogSink& operator=(const ScopedMessageDialogSink&) = delete;
  std::vector<user::MessageDialog> Calls;
  int Answer = mrNone;

 private:
  ScopedMessageDialogSink* FPrevious;
};

}  // namespace vcl
