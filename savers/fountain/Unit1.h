// The fountain's full-screen scene form: the background and four animations sharing one frame
// index, drawn when the program is idle; the tick that moves the index; the end of the run.
#pragma once

#include <atomic>

#include "components/DDani.h"
#include "components/DDbmp.h"
#include "savers/common/SceneForm.h"

// The settings fields come from TSaverSettings, named after their registry values.
class TForm1 : public TSaverSettings, public TSceneForm {
 public:
  explicit TForm1(TComponent* AOwner);
  ~TForm1() override;

  // Set-up (OnCreate), once, before the message loop.
  void FormCreate(TObject* Sender);
  // One whole frame; the application's idle handler.
  void RenderFrame(TObject* Sender, bool& Done);
  // The next frame index, on the timer's thread.
  void DDtimer1Timer(TObject* Sender);
  // Every qualifying movement asks for the end: there is no latch.
  void FormMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void EndSaver() override;
  void CloseScene() override;
  // All 14 values, or the first-run values written at once; the desktop's mode on request.
  void LoadSettings();

  TImage* Image1ground;
  TDDbmp* DDbmp1ground;
  TImage* Image1water;
  TDDani* DDani1water;
  TImage* Image1jet;
  TDDani* DDani1jet;
  TImage* Image1jet2;
  TDDani* DDani1jet2;
  TImage* Image1shadow;
  TDDani* DDani1shadow;

  // The frame the four animations show, 0..31; written by the tick alone once the run is set up.
  std::atomic<int> AnimFrame{0};

 private:
  // An animation's sheet, frame height and its layer on an 800 x 600 screen.
  struct TAnimationLayer {
    TImage* TForm1::*Picture;
    TDDani* TForm1::*Sprite;
    int FrameHeight;
    TLayerGeometry Place;
  };
  static const TAnimationLayer AnimationLayers[4];
};
