// The class library's common controls: the up-down control, drawn and driven by the class
// library itself (two arrow buttons that move a position and tell the parent).
#pragma once

#include "platform/vcl/Controls.h"

enum TUDBtnType { btNext, btPrev };
enum TUDOrientation { udHorizontal, udVertical };
using TUDClickEvent = std::function<void(TObject* Sender, TUDBtnType Button)>;

// A press on an arrow moves Position one step within Min and Max and sends the parent
// WM_VSCROLL (WM_HSCROLL when horizontal) with SB_THUMBPOSITION and the new position, which
// the parent reflects back as CN_VSCROLL; that raises OnClick. UDM_SETPOS sets the position.
class TCustomUpDown : public TCustomControl {
 public:
  explicit TCustomUpDown(TComponent* AOwner);
  short GetMin() const { return FMin; }
  void SetMin(short Value) { FMin = Value; }
  short GetMax() const { return FMax; }
  void SetMax(short Value) { FMax = Value; }
  short GetPosition() const { return FPosition; }
  void SetPosition(short Value);
  TUDOrientation GetOrientation() const { return FOrientation; }
  void SetOrientation(TUDOrientation Value);

  // Hides the control's notify event of the same name, as the class library does.
  TUDClickEvent OnClick;

 protected:
  void WndProc(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  void Paint() override;
  virtual void Click(TUDBtnType Button);

 private:
  // The arrow under a point: btNext is the upper (or right) half.
  TUDBtnType ArrowAt(int X, int Y) const;
  void DrawArrow(const TRect& R, TUDBtnType Button, bool Pressed);

  short FMin = 0;
  short FMax = 100;
  short FPosition = 0;
  short FNotified = 0;  // the position the parent was last told
  TUDOrientation FOrientation = udVertical;
  bool FPressed = false;
  TUDBtnType FPressedArrow = btNext;
};

enum TTrackBarOrientation { trHorizontal, trVertical };
enum TTickMark { tmBottomRight, tmTopLeft, tmBoth };

// A track bar: a thumb moved along Min .. Max. A change of Position, by the user (mouse or
// arrow keys) or the program, runs OnChange.
class TTrackBar : public TWinControl {
 public:
  explicit TTrackBar(TComponent* AOwner);
  int GetMin() const { return FMin; }
  void SetMin(int Value);
  int GetMax() const { return FMax; }
  void SetMax(int Value);
  int GetPosition() const { return FPosition; }
  void SetPosition(int Value);
  int GetFrequency() const { return FFrequency; }
  void SetFrequency(int Value);
  int GetThumbLength() const { return FThumbLength; }
  void SetThumbLength(int Value);
  TTickMark GetTickMarks() const { return FTickMarks; }
  void SetTickMarks(TTickMark Value);
  int GetLineSize() const { return FLineSize; }
  void SetLineSize(int Value) { FLineSize = Value; }
  int GetPageSize() const { return FPageSize; }
  void SetPageSize(int Value) { FPageSize = Value; }

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void UpdateWindowState(user::WindowState& State) override;
  void DefaultHandler(TMessage& Message) override;
  UINT GetDlgCode() override { return DLGC_WANTARROWS; }
  // The position changed: raises OnChange.
  virtual void DoChange();

 private:
  int FMin = 0;
  int FMax = 10;
  int FPosition = 0;
  int FFrequency = 1;
  int FThumbLength = 20;
  int FLineSize = 1;
  int FPageSize = 2;
  TTickMark FTickMarks = tmBottomRight;
};

class TPageControl;

// One page of a page control, shown while it is the active page; its caption is its tab's.
class TTabSheet : public TCustomControl {
 public:
  explicit TTabSheet(TComponent* AOwner);
  ~TTabSheet() override;
  TPageControl* GetPageControl() const { return FPageControl; }
  // Puts the sheet on the page control (as its last page) and inside it.
  void SetPageControl(TPageControl* Value);
  int GetPageIndex() const;

 protected:
  void WndProc(TMessage& Message) override;

 private:
  TPageControl* FPageControl = nullptr;
};

// Tabs above a frame that shows one of its sheets. The user picks a tab with the mouse, the
// arrow keys on the focused tabs, or Ctrl+Tab in the dialog.
class TPageControl : public TWinControl {
 public:
  explicit TPageControl(TComponent* AOwner);
  ~TPageControl() override;
  int GetPageCount() const { return static_cast<int>(FPages.size()); }
  TTabSheet* GetPages(int Index) const { return FPages.at(static_cast<std::size_t>(Index)); }
  TTabSheet* GetActivePage() const { return FActivePage; }
  void SetActivePage(TTabSheet* Page);
  int GetActivePageIndex() const;
  void SetActivePageIndex(int Index);
  // The area the sheets fill, in client coordinates: inside the frame, below the tabs.
  TRect GetDisplayRect() const;
  void SelectNextPage(bool GoForward);

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void UpdateWindowState(user::WindowState& State) override;
  void WndProc(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  void AlignControls() override;
  UINT GetDlgCode() override { return DLGC_WANTARROWS; }

 private:
  friend class TTabSheet;
  void TabsChanged() { TWinControl::Changed(); }
  void InsertPage(TTabSheet* Page);
  void RemovePage(TTabSheet* Page);
  // The user chose another page.
  void UserChose(int Index);

  std::vector<TTabSheet*> FPages;
  TTabSheet* FActivePage = nullptr;
};
