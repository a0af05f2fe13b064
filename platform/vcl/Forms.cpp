// Forms (border style, showing, closing), the application object's message loop with its idle
// event and exception box, and the screen.
#include "platform/vcl/Forms.h"

#include <algorithm>
#include <cerrno>

TApplication* Application = new TApplication(nullptr);  // lives as long as the process
TScreen* Screen = new TScreen(nullptr);

// --- TForm ---

TForm::TForm(TComponent* AOwner) : TWinControl(AOwner) {
  TControl::SetVisible(false);  // forms start hidden
  SetBounds(0, 0, 320, 240);
}

TForm::~TForm() {
  if (Application->FMainForm == this) Application->FMainForm = nullptr;
  std::erase(Application->FReleased, this);
}

void TForm::SetBorderStyle(TFormBorderStyle Value) {
  if (Value == FBorderStyle) return;
  FBorderStyle = Value;
  RecreateWnd();
}

SIZE TForm::FrameSize() const {
  static constexpr user::Frame frames[] = {user::Frame::None,   user::Frame::Single,     user::Frame::Sizeable,
                                           user::Frame::Dialog, user::Frame::ToolWindow, user::Frame::SizeToolWin};
  return user::FrameSize(frames[FBorderStyle]);
}

int TForm::GetClientWidth() const { return std::max(GetWidth() - FrameSize().cx, 0); }
int TForm::GetClientHeight() const { return std::max(GetHeight() - FrameSize().cy, 0); }
void TForm::SetClientWidth(int Value) { SetWidth(Value + FrameSize().cx); }
void TForm::SetClientHeight(int Value) { SetHeight(Value + FrameSize().cy); }

user::WindowState TForm::GetWindowState() {
  user::WindowState state = TWinControl::GetWindowState();
  static constexpr user::Frame frames[] = {user::Frame::None,   user::Frame::Single,     user::Frame::Sizeable,
                                           user::Frame::Dialog, user::Frame::ToolWindow, user::Frame::SizeToolWin};
  state.frame = frames[FBorderStyle];
  return state;
}

void TForm::PlaceOnScreen() {
  if (FPosition == poScreenCenter)
    SetBounds((Screen->GetWidth() - GetWidth()) / 2, (Screen->GetHeight() - GetHeight()) / 2, GetWidth(), GetHeight());
}

void TForm::SetVisible(bool Value) {
  if (Value == GetVisible()) return;
  if (Value) PlaceOnScreen();
  TWinControl::SetVisible(Value);
  if (!Value) return;
  HandleNeeded();
  if (OnShow) OnShow(this);
}

bool TForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TForm::Close() {
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  if (OnClose) OnClose(this, action);
  if (action == caNone) return;
  if (Application->GetMainForm() == this) {
    Application->Terminate();
  } else if (action == caFree) {
    Release();
  } else {
    Hide();
  }
}

void TForm::Release() {
  if (std::find(Application->FReleased.begin(), Application->FReleased.end(), this) == Application->FReleased.end())
    Application->FReleased.push_back(this);
}

LRESULT TForm::WndProc(const MSG& Message) {
  if (Message.message == WM_CLOSE) {
    Close();
    return 0;
  }
  return TWinControl::WndProc(Message);
}

void TForm::DoCreate() {
  if (OnCreate) OnCreate(this);
}

// Runs while the whole form still exists, before its owner deletes it.
void TForm::DoDestroy() {
  if (FDestroyed) return;
  FDestroyed = true;
  if (OnDestroy) OnDestroy(this);
}

// --- TApplication ---

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {}
TApplication::~TApplication() = default;

void TApplication::Initialize() {
  if (user::Peer* peer = user::GetPeer()) peer->StartToolkit();
}

AnsiString TApplication::GetTitle() const {
  if (!FTitle.empty()) return FTitle;
  const AnsiString name = program_invocation_short_name;
  return name.substr(0, name.rfind('.'));
}

void TApplication::FormCreated(TForm* Form) {
  // An exception from OnCreate is shown and the form is kept, as the class library does.
  try {
    Form->DoCreate();
  } catch (Exception& e) {
    ShowException(&e);
  }
  if (!FMainForm) {
    FMainForm = Form;
    Form->HandleNeeded();
  }
}

void TApplication::Run() {
  if (!FMainForm || FTerminated) return;
  FMainForm->SetVisible(true);
  while (!FTerminated) {
    try {
      if (!ProcessMessage()) Idle();
    } catch (Exception& e) {
      ShowException(&e);
    }
  }
}

bool TApplication::ProcessMessage() {
  MSG msg;
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    FTerminated = true;
  } else {
    DispatchMessageA(&msg);
  }
  ReleasePending();
  return true;
}

void TApplication::Idle() {
  bool done = true;
  if (OnIdle) OnIdle(this, done);
  if (done && !FTerminated) WaitMessage();
}

void TApplication::ProcessMessages() {
  while (ProcessMessage()) {
  }
}

void TApplication::ReleasePending() {
  while (!FReleased.empty()) {
    TForm* form = FReleased.back();
    FReleased.pop_back();
    form->DoDestroy();
    if (TComponent* owner = form->GetOwner()) owner->RemoveComponent(form);
    delete form;
  }
}

void TApplication::DestroyForms() {
  for (int i = 0; i < GetComponentCount(); ++i)
    if (auto* form = dynamic_cast<TForm*>(GetComponents(i))) form->DoDestroy();
  DestroyComponents();
}

void TApplication::ShowException(Exception* E) {
  if (dynamic_cast<EAbort*>(E)) return;  // the silent exception
  HWND owner = FMainForm && FMainForm->HandleAllocated() ? FMainForm->GetHandle() : nullptr;
  MessageBoxA(owner, E->Message.c_str(), GetTitle().c_str(), MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const char* Text, const char* Caption, int Flags) {
  HWND owner = FMainForm && FMainForm->HandleAllocated() ? FMainForm->GetHandle() : nullptr;
  return MessageBoxA(owner, Text, Caption, static_cast<UINT>(Flags));
}

void TApplication::Terminate() {
  FTerminated = true;
  PostQuitMessage(0);  // ends a wait for input
}

void ResetApplicationForTest() {
  TApplication* app = Application;
  app->FReleased.clear();
  app->DestroyForms();
  app->FMainForm = nullptr;
  app->FTerminated = false;
  app->FTitle.clear();
  app->OnIdle = nullptr;
  user::ResetForTest();
}

// --- TScreen ---

int TScreen::GetWidth() const { return gdi::GetDesktopMode().width; }
int TScreen::GetHeight() const { return gdi::GetDesktopMode().height; }
