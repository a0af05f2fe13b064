// The message dialog's caption, icon, buttons and their defaults, as the class library decides.
#include "platform/vcl/Dialogs.h"

#include <gtest/gtest.h>

#include "platform/user/WinUser.h"

namespace {

std::vector<int> Results(const user::MessageDialog& d) {
  std::vector<int> out;
  for (const auto& b : d.buttons) out.push_back(b.result);
  return out;
}

TEST(MessageDlg, ButtonsTheirOrderAndDefaults) {
  struct Case {
    TMsgDlgButtons buttons;
    std::vector<int> results;
    int byDefault;
    int onClose;
  };
  for (const Case& c : {
           Case{{mbOK}, {mrOk}, mrOk, mrOk},
           Case{{mbCancel, mbOK}, {mrOk, mrCancel}, mrOk, mrCancel},
           Case{{mbNo, mbYes}, {mrYes, mrNo}, mrYes, mrNo},
           Case{{mbYes, mbNo, mbCancel}, {mrYes, mrNo, mrCancel}, mrYes, mrCancel},
           Case{{mbAbort, mbRetry, mbIgnore}, {mrAbort, mrRetry, mrIgnore}, mrAbort, mrIgnore},
           Case{{mbHelp}, {mrOk}, mrOk, mrOk},
       }) {
    vcl::ScopedMessageDialogSink sink;
    EXPECT_EQ(MessageDlg("text", mtConfirmation, c.buttons, 0), c.byDefault);
    ASSERT_EQ(sink.Calls.size(), 1u);
    const user::MessageDialog& d = sink.Calls[0];
    EXPECT_EQ(Results(d), c.results);
    EXPECT_EQ(d.buttons[static_cast<std::size_t>(d.cancelButton)].result, c.onClose);
  }
}

TEST(MessageDlg, CaptionAndIconByKind) {
  struct Case {
    TMsgDlgType type;
    const char* caption;
    UINT icon;
  };
  for (const Case& c : {Case{mtWarning, "Warning", MB_ICONWARNING}, Case{mtError, "Error", MB_ICONERROR},
                        Case{mtInformation, "Information", MB_ICONINFORMATION},
                        Case{mtConfirmation, "Confirm", MB_ICONQUESTION}}) {
    vcl::ScopedMessageDialogSink sink;
    sink.Answer = mrCancel;
    EXPECT_EQ(MessageDlg("Saved.", c.type, {mbOK, mbCancel}, 0), mrCancel);
    EXPECT_EQ(sink.Calls.at(0).caption, c.caption);
    EXPECT_EQ(sink.Calls.at(0).icon, c.icon);
    EXPECT_EQ(sink.Calls.at(0).text, "Saved.");
  }
}

}  // namespace
