// The window helpers: a previous instance found and brought forward through its owner and its
// last popup, switching, the foreground task, removing messages, centring, client edges,
// message boxes and libraries.
#include <gtest/gtest.h>

#include <thread>

#include "imaging/QmUtils.h"
#include "platform/user/UserPeer.h"
#include "platform/user/WinUser.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/win32/Kernel32.h"

namespace {

class WindowHelpers : public ::testing::Test {
 protected:
  void SetUp() override { ResetApplicationForTest(); }
  void TearDown() override { ResetApplicationForTest(); }
  static HWND Make(const char* className, const char* caption, bool visible = true) {
    user::WindowState s;
    s.className = className;
    s.caption = caption;
    s.visible = visible;
    s.width = 120;
    s.height = 80;
    return user::CreateWindowRecord(s, [](const MSG& m) { return DefWindowProcA(m.hwnd, m.message, m.wParam, m.lParam); });
  }
  static void Own(HWND window, HWND owner) { SetWindowLongA(window, GWL_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner)); }
};

TEST_F(WindowHelpers, APreviousInstanceIsFoundThroughItsOwnerAndItsLastPopup) {
  EXPECT_EQ(FindPrevInstance("", ""), nullptr);
  EXPECT_FALSE(ActivatePrevInstance("TMainForm", ""));
  HWND app = Make("TApplication", "Viewer");
  HWND main = Make("TMainForm", "Viewer - picture");
  HWND dialog = Make("TOptionsDialog", "Options");
  Own(main, app);
  Own(dialog, app);
  SetForegroundWindow(dialog);
  SetForegroundWindow(Make("TOther", "Other"));
  EXPECT_EQ(FindPrevInstance("tmainform", ""), main);
  EXPECT_EQ(FindPrevInstance("", "Options"), dialog);
  ASSERT_TRUE(ActivatePrevInstance("TMainForm", ""));
  EXPECT_EQ(GetActiveWindow(), dialog);  // the application's last popup comes forward
  // A minimised application is only restored.
  SetForegroundWindow(main);
  ShowWindow(app, SW_MINIMIZE);
  EXPECT_TRUE(ActivatePrevInstance("TMainForm", ""));
  EXPECT_FALSE(IsIconic(app));
}

TEST_F(WindowHelpers, TheBuildersOwnApplicationIsLeftAlone) {
  HWND app = Make("TApplication", "Builder");
  HWND main = Make("TMainForm", "Project");
  Own(main, app);
  Make("TAppBuilder", "Builder");
  SetForegroundWindow(Make("TOther", "Other"));
  const HWND before = GetActiveWindow();
  EXPECT_FALSE(ActivatePrevInstance("TMainForm", ""));
  EXPECT_EQ(GetActiveWindow(), before);
}

TEST_F(WindowHelpers, SwitchingActivatingAndTheForegroundTask) {
  HWND w = Make("TForm1", "One");
  EnableWindow(w, FALSE);
  SwitchToWindow(w, true);
  EXPECT_EQ(GetActiveWindow(), nullptr);  // a disabled window is left
  EnableWindow(w, TRUE);
  ShowWindow(w, SW_MINIMIZE);
  SwitchToWindow(w, true);
  EXPECT_EQ(GetActiveWindow(), w);
  EXPECT_FALSE(IsIconic(w));
  EXPECT_EQ(GetFocus(), w);
  EXPECT_TRUE(IsForegroundTask());
  HWND other = nullptr;
  std::thread([&] { other = Make("TForm2", "Two"); }).join();
  SetForegroundWindow(other);
  EXPECT_FALSE(IsForegroundTask());
  HWND hidden = Make("TForm3", "Three", false);
  ActivateWindow(hidden);
  EXPECT_TRUE(IsWindowVisible(hidden));
  EXPECT_EQ(GetActiveWindow(), hidden);
  ANIMATIONINFO animation{sizeof(ANIMATIONINFO), 0};
  SystemParametersInfoA(SPI_GETANIMATION, sizeof animation, &animation, 0);
  EXPECT_NE(animation.iMinAnimate, 0);  // switched back on after the show
}

TEST_F(WindowHelpers, KillMessageRemovesOneAndKeepsAQuitRequest) {
  HWND w = Make("TForm1", "One");
  PostMessageA(w, WM_CLOSE, 1, 0);
  PostMessageA(w, WM_CLOSE, 2, 0);
  KillMessage(w, WM_CLOSE);
  MSG m{};
  ASSERT_TRUE(PeekMessageA(&m, w, WM_CLOSE, WM_CLOSE, PM_REMOVE));
  EXPECT_EQ(m.wParam, 2u);
  PostQuitMessage(7);
  KillMessage(nullptr, WM_QUIT);
  ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(m.wParam, 7u);
}

TEST_F(WindowHelpers, DelayHandlesMessagesWhileItWaits) {
  int closes = 0;
  user::WindowState s;
  s.visible = true;
  HWND w = user::CreateWindowRecord(s, [&closes](const MSG& m) {
    if (m.message == WM_CLOSE) ++closes;
    return LRESULT{0};
  });
  PostMessageA(w, WM_CLOSE, 0, 0);
  const DWORD start = GetTickCount();
  Delay(20);
  EXPECT_GE(GetTickCount() - start, 20u);
  EXPECT_EQ(closes, 1);
  Delay(0);
}

TEST_F(WindowHelpers, CentringFormsControlsAndWindows) {
  TForm* form = new TForm(Application);
  form->SetBounds(0, 0, 200, 100);
  CenterControl(form);
  EXPECT_EQ(form->GetLeft(), (Screen->GetWidth() - 200) / 2);
  EXPECT_EQ(form->GetTop(), (Screen->GetHeight() - 100) / 2);
  TPanel* panel = new TPanel(form);
  panel->SetParent(form);
  panel->SetBounds(0, 0, 300, 200);
  TPanel* inner = new TPanel(form);
  inner->SetParent(panel);
  inner->SetBounds(3, 4, 100, 50);
  CenterControl(inner);
  EXPECT_EQ(inner->GetLeft(), 100);
  EXPECT_EQ(inner->GetTop(), 75);
  inner->SetBounds(0, 0, 500, 50);  // wider than its parent: at 0
  CenterControl(inner);
  EXPECT_EQ(inner->GetLeft(), 0);
  TPanel orphan(nullptr);
  orphan.SetBounds(7, 8, 10, 10);
  CenterControl(&orphan);
  EXPECT_EQ(orphan.GetLeft(), 7);

  HWND w = Make("TForm1", "One");
  CenterWindow(w);
  RECT r{};
  GetWindowRect(w, &r);
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2);
  SetWindowPos(w, nullptr, 0, 0, 5000, 100, SWP_NOMOVE | SWP_NOZORDER);
  CenterWindow(w);
  GetWindowRect(w, &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_GT(r.top, 0);
}

TEST_F(WindowHelpers, ClientEdgeAndClassNames) {
  HWND w = Make("TMDIClient", "");
  ShowMDIClientEdge(w, true);
  EXPECT_EQ(GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, static_cast<LONG_PTR>(WS_EX_CLIENTEDGE));
  ShowMDIClientEdge(w, false);
  EXPECT_EQ(GetWindowLongA(w, GWL_EXSTYLE), 0);
  ShowMDIClientEdge(nullptr, true);
  EXPECT_EQ(WindowClassName(w), "TMDIClient");
  const std::string longName(300, 'C');
  EXPECT_EQ(WindowClassName(Make(longName.c_str(), "")).size(), 254u);
  EXPECT_EQ(WindowClassName(nullptr), "");
  TForm* form = new TForm(Application);
  EXPECT_EQ(WindowClassName(form->GetHandle()), "TForm");
}

TEST_F(WindowHelpers, MessageBoxesAndDialogs) {
  user::ScopedMessageBoxSink boxes;
  EXPECT_EQ(MsgBox("Caption", "Text", MB_OKCANCEL | MB_ICONQUESTION), IDOK);
  ASSERT_EQ(boxes.Calls().size(), 1u);
  EXPECT_EQ(boxes.Calls()[0].caption, "Caption");
  EXPECT_EQ(boxes.Calls()[0].text, "Text");
  EXPECT_EQ(boxes.Calls()[0].type, MB_OKCANCEL | MB_ICONQUESTION);
  vcl::ScopedMessageDialogSink dialogs;
  dialogs.Answer = mrNo;
  EXPECT_EQ(MsgDlg("Save?", mtConfirmation, {mbYes, mbNo}, 0), mrNo);
  EXPECT_EQ(dialogs.Calls.at(0).text, "Save?");
}

int registrations = 0;
HRESULT Register() {
  ++registrations;
  return E_FAIL;  // its own result is not looked at
}

TEST_F(WindowHelpers, LibrariesAndTheirRegistration) {
  try {
    LoadDLL("QM_MISSING.DLL");
    FAIL();
  } catch (const EWin32Error& e) {
    EXPECT_EQ(e.ErrorCode, static_cast<std::uint32_t>(ERROR_MOD_NOT_FOUND));
  }
  win32::RegisterModule("QMSERVER.DLL", {{"DllRegisterServer", reinterpret_cast<FARPROC>(Register)}});
  win32::RegisterModule("QMPLAIN.DLL", {});
  EXPECT_TRUE(RegisterServer("qmserver.dll"));
  EXPECT_EQ(registrations, 1);
  EXPECT_EQ(GetModuleHandleA("QMSERVER.DLL"), nullptr);  // freed again
  EXPECT_FALSE(RegisterServer("QMPLAIN.DLL"));
  EXPECT_EQ(GetModuleHandleA("QMPLAIN.DLL"), nullptr);
  win32::RegisterModule("OleAut32", {});
  LoadLibraryA("OLEAUT32");
  FreeUnusedOle();
  EXPECT_EQ(GetModuleHandleA("OleAut32"), nullptr);
  win32::UnregisterModule("QMSERVER.DLL");
  win32::UnregisterModule("QMPLAIN.DLL");
  win32::UnregisterModule("OleAut32");
}

}  // namespace
