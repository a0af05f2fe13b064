// The message dialog: the class library decides caption, icon, buttons and their defaults;
// the toolkit peer shows it. Headless, the text goes to standard error and the default answers.
#include "platform/vcl/Dialogs.h"

#include <cstdio>

#include "platform/user/WinUser.h"
#include "platform/vcl/Forms.h"

namespace {

vcl::ScopedMessageDialogSink* sink = nullptr;  // main thread only

struct ButtonKind {
  TMsgDlgBtn button;
  const char* caption;
  int result;
};
constexpr ButtonKind kButtons[] = {
    {mbYes, "&Yes", mrYes},          {mbNo, "&No", mrNo},           {mbOK, "OK", mrOk},
    {mbCancel, "Cancel", mrCancel},  {mbAbort, "&Abort", mrAbort},  {mbRetry, "&Retry", mrRetry},
    {mbIgnore, "&Ignore", mrIgnore}, {mbAll, "&All", mrAll},        {mbNoToAll, "N&o to All", mrNoToAll},
    {mbYesToAll, "Yes to &All", mrYesToAll},
};

int IndexOfResult(const user::MessageDialog& d, int result) {
  for (std::size_t i = 0; i < d.buttons.size(); ++i)
    if (d.buttons[i].result == result) return static_cast<int>(i);
  return -1;
}

user::MessageDialog Describe(const AnsiString& text, TMsgDlgType type, TMsgDlgButtons buttons) {
  static constexpr const char* kCaptions[] = {"Warning", "Error", "Information", "Confirm"};
  static constexpr UINT kIcons[] = {MB_ICONWARNING, MB_ICONERROR, MB_ICONINFORMATION, MB_ICONQUESTION, 0};
  user::MessageDialog d;
  d.caption = type == mtCustom ? Application->GetTitle() : kCaptions[type];
  d.text = text;
  d.icon = kIcons[type];
  for (const ButtonKind& k : kButtons)
    if (buttons.Contains(k.button)) d.buttons.push_back({k.caption, k.result});
  if (d.buttons.empty()) d.buttons.push_back({"OK", mrOk});
  const int ok = IndexOfResult(d, mrOk), yes = IndexOfResult(d, mrYes);
  d.defaultButton = ok >= 0 ? ok : (yes >= 0 ? yes : 0);
  d.cancelButton = static_cast<int>(d.buttons.size()) - 1;
  for (int result : {mrOk, mrNo, mrCancel})
    if (const int i = IndexOfResult(d, result); i >= 0) d.cancelButton = i;
  return d;
}

}  // namespace

int MessageDlg(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int) {
  const user::MessageDialog dialog = Describe(Msg, DlgType, Buttons);
  const int byDefault = dialog.buttons[static_cast<std::size_t>(dialog.defaultButton)].result;
  if (sink) {
    sink->Calls.push_back(dialog);
    return sink->Answer != mrNone ? sink->Answer : byDefault;
  }
  if (user::Peer* peer = user::GetPeer()) {
    TForm* main = Application->GetMainForm();
    HWND owner = main && main->HandleAllocated() ? main->GetHandle() : nullptr;
    if (const auto pressed = peer->ShowMessageDialog(owner, dialog)) {
      if (*pressed >= 0 && *pressed < static_cast<int>(dialog.buttons.size()))
        return dialog.buttons[static_cast<std::size_t>(*pressed)].result;
      return dialog.buttons[static_cast<std::size_t>(dialog.cancelButton)].result;
    }
  }
  std::fprintf(stderr, "%s: %s\n", dialog.caption.c_str(), dialog.text.c_str());
  return byDefault;
}

namespace vcl {

ScopedMessageDialogSink::ScopedMessageDialogSink() : FPrevious(sink) { sink = this; }
ScopedMessageDialogSink::~ScopedMessageDialogSink() { sink = FPrevious; }

}  // namespace vcl
