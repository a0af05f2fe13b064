// The class library's panel (a container with a raised edge and a centred caption), image box
// (a picture drawn at its size or stretched to the box) and timer (OnTimer on the main thread).
#pragma once

#include <memory>

#include "platform/vcl/Controls.h"
#include "platform/vcl/StdCtrls.h"

// A container with a raised edge; it runs OnClick for a click on it.
class TPanel : public TCustomControl {
 public:
  explicit TPanel(TComponent* AOwner);

 protected:
  void Paint() override;
};

// The frame of a group of radio buttons, with its caption; the buttons may lie on the frame's
// parent, where they form their own group.
class TRadioGroup : public TCustomGroupBox {
 public:
  using TCustomGroupBox::TCustomGroupBox;
};

class TImage : public TGraphicControl {
 public:
  explicit TImage(TComponent* AOwner);
  ~TImage() override;
  TPicture* GetPicture() const { return FPicture.get(); }
  // Keeps a copy of Value's graphic.
  void SetPicture(TPicture* Value) { FPicture->Assign(Value); }
  bool GetStretch() const { return FStretch; }
  void SetStretch(bool Value);

 protected:
  void Paint() override;

 private:
  std::unique_ptr<TPicture> FPicture;
  bool FStretch = false;
};

// Runs OnTimer every Interval milliseconds on the main thread, through the message queue,
// while Enabled and Interval is not 0 and OnTimer is set.
class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  unsigned GetInterval() const { return FInterval; }
  void SetInterval(unsigned Value);
  // Set OnTimer through this so the timer starts or stops with it.
  void SetOnTimer(TNotifyEvent Value);
  const TNotifyEvent& GetOnTimer() const { return FOnTimer; }

 private:
  void UpdateTimer();

  HWND FWindow = nullptr;  // a message-only window that receives WM_TIMER
  bool FEnabled = true;
  unsigned FInterval = 1000;
  TNotifyEvent FOnTimer;
};
