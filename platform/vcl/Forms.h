// The class library's forms, the application object with its message loop and idle event, and
// the screen. Forms are built in code; the loop takes input from the program's message queue.
#pragma once

#include <map>
#include <type_traits>

#include "platform/vcl/Controls.h"
#include "platform/vcl/Cursors.h"

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TPosition { poDesigned, poScreenCenter };
// This toolkit has no multiple-document frames: the style is kept for the code that asks.
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };

// A top-level window. A form's constructor creates its components and binds its events; the
// application's CreateForm then runs OnCreate.
class TForm : public TWinControl {
 public:
  explicit TForm(TComponent* AOwner);
  ~TForm() override;

  TFormBorderStyle GetBorderStyle() const { return FBorderStyle; }
  // A change recreates the window, which drops the input still queued for it.
  void SetBorderStyle(TFormBorderStyle Value);
  TPosition GetPosition() const { return FPosition; }
  void SetPosition(TPosition Value) { FPosition = Value; }
  TFormStyle GetFormStyle() const { return FFormStyle; }
  void SetFormStyle(TFormStyle Value) { FFormStyle = Value; }
  bool GetKeyPreview() const override { return FKeyPreview; }
  void SetKeyPreview(bool Value) { FKeyPreview = Value; }

  int GetClientWidth() const override;
  int GetClientHeight() const override;
  void SetClientWidth(int Value);
  void SetClientHeight(int Value);

  void SetVisible(bool Value) override;
  // Asks OnCloseQuery, then OnClose decides what happens (hide by default); closing the main
  // form ends the application's Run.
  void Close();
  bool CloseQuery();
  // Destroys the form once the message loop is back (a form cannot delete itself in a handler).
  void Release();

  TNotifyEvent OnCreate;
  // Runs while the whole form still exists: when a released form is freed, or when the
  // application destroys its forms.
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

 protected:
  user::WindowState GetWindowState() override;
  LRESULT WndProc(const MSG& Message) override;

 private:
  friend class TApplication;
  void DoCreate();
  void DoDestroy();
  void PlaceOnScreen();
  SIZE FrameSize() const;

  TFormBorderStyle FBorderStyle = bsSizeable;
  TPosition FPosition = poDesigned;
  TFormStyle FFormStyle = fsNormal;
  bool FKeyPreview = false;
  bool FDestroyed = false;
};

using TIdleEvent = std::function<void(TObject* Sender, bool& Done)>;

// The application object: owns the forms, runs the message loop and shows the exceptions that
// reach it.
class TApplication : public TComponent {
 public:
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;

  // Makes the toolkit ready where the program runs with one.
  void Initialize();
  // The caption of the application's message boxes; the program's name until one is set.
  AnsiString GetTitle() const;
  void SetTitle(const AnsiString& Value) { FTitle = Value; }

  // Creates a form owned by the application, sets Reference, runs OnCreate; the first form
  // created becomes the main form.
  template <class T>
  void CreateForm(T*& Reference) {
    static_assert(std::is_base_of_v<TForm, T>, "CreateForm makes forms");
    Reference = new T(this);
    FormCreated(Reference);
  }

  // The message loop: input first; when the queue is empty, OnIdle; with Done true it waits for
  // the next input, otherwise it goes round at once. Ends when the main form closes or on
  // Terminate.
  void Run();
  // Handles every message queued now, then returns.
  void ProcessMessages();
  // A message box with the exception's text, captioned with the title.
  void ShowException(Exception* E);
  // The platform's message box over the main form; the button pressed (IDOK, ...).
  int MessageBox(const char* Text, const char* Caption, int Flags);
  void Terminate();
  bool GetTerminated() const { return FTerminated; }
  TForm* GetMainForm() const { return FMainForm; }

  TIdleEvent OnIdle;

 private:
  void FormCreated(TForm* Form);
  // One message, or false when none was queued.
  bool ProcessMessage();
  void Idle();
  void ReleasePending();
  // Every form's OnDestroy while all forms still exist, then the forms themselves.
  void DestroyForms();
  friend class TForm;
  friend void ResetApplicationForTest();

  AnsiString FTitle;
  TForm* FMainForm = nullptr;
  bool FTerminated = false;
  std::vector<TForm*> FReleased;
};

// The desktop the forms are shown on.
class TScreen : public TComponent {
 public:
  explicit TScreen(TComponent* AOwner) : TComponent(AOwner) {}
  int GetWidth() const;
  int GetHeight() const;

  // The cursor shown over all of the program's windows; crDefault lets each window show its own.
  TCursor GetCursor() const { return FCursor; }
  void SetCursor(TCursor Value);
  // The cursor handle of a number: the program's own registered under it, a standard one, or
  // the default cursor for a number that has none (crNone is a cursor without pixels).
  HCURSOR GetCursors(int Index) const;
  // Registers a cursor under a number, destroying the one it replaces; null removes it.
  // crDefault's is the default cursor.
  void SetCursors(int Index, HCURSOR Handle);

 private:
  TCursor FCursor = crDefault;
  std::map<int, HCURSOR> FCursors;
  HCURSOR FDefaultCursor = nullptr;
};

extern TApplication* Application;
extern TScreen* Screen;

// Destroys every form and brings the application object back to its state at start-up.
void ResetApplicationForTest();
