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
