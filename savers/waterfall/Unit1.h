// The waterfall's full-screen scene form: set-up of the display and its eleven layers, the
// frame drawn when the program is idle, the animation tick, and the end of the run.
#pragma once

#include <array>
#include <atomic>
#include <mutex>

#include "components/DDani.h"
#include "components/DDbmp.h"
#include "savers/common/SceneForm.h"
#include "savers/waterfall/Flyers.h"
#include "savers/waterfall/SunTime.h"
#include "savers/waterfall/WaterfallSettings.h"

// The settings fields come from TWaterfallSettings, named after their registry values. Values
// the timer thread shares with the main thread are atomic.
class TForm1 : public TWaterfallSettings, public TSceneForm {
 public:
  explicit TForm1(TComponent* AOwner);
  ~TForm1() override;

  // Set-up (OnCreate), once, before the message loop.
  void FormCreate(TObject* Sender);
  // One whole frame; the application's idle handler.
  void RenderFrame(TObject* Sender, bool& Done);
  // One animation step, on the timer's thread.
  void DDtimer1Timer(TObject* Sender);
  // The daylight tint of the current time of day, through the gamma ramp.
  void ApplyDaylight();

  void FormMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void EndSaver() override;
  // Tears the display objects and the flyers down; only the first call does anything.
  void CloseScene() override;
  // Every setting, or the first-run defaults written at once; the desktop's mode on request.
  void LoadSettings();

  TImage* Image1ground;
  TImage* Image1hightwater;
  TImage* Image1lowwater;
  TImage* Image1waterfall;
  TDDbmp* DDbmp1ground;
  TDDani* DDani1hightwater;
  TDDani* DDani1lowwater;
  TDDbmp* DDbmp1mask1;
  TDDani* DDani1Waterfall;
  TDDbmp* DDbmp1mask2;
  TDDbmp* DDbmp1maskstone;
  TDDbmp* DDbmp1mask3;
  TDDbmp* DDbmp1mask4;
  TDDani* DDani1Eagles;
  TDDani* DDani1Butterflys;

  std::atomic<int> AnimFrame{0};
  bool MouseLatch = false;
  std::array<std::atomic<int>, 3> ColorNow{};
  TDaylightKeys DaylightKeys;
  TDaylightTimes Daylight{};
  std::atomic<int> TimeOfDay{0};
  TEagleTable Eagles;
  TButterflyTable Butterflies;
  int ButterflyCount = 0;
  std::atomic<int> FlapCounter{0};

 private:
  // The layer table: stretch sizes and places on an 800 x 600 screen.
  static constexpr TLayerGeometry GroundLayer{800, 418, 0, 0};
  static constexpr TLayerGeometry WaterfallLayer{202, 101, 290, 280};
  static constexpr TLayerGeometry HighWaterLayer{654, 38, 40, 375};
  static constexpr TLayerGeometry LowWaterLayer{800, 187, 0, 413};
  static constexpr TLayerGeometry Mask1Layer{268, 281, 0, 0};
  static constexpr TLayerGeometry Mask2Layer{193, 281, 607, 0};
  static constexpr TLayerGeometry Mask3Layer{121, 305, 0, 295};
  static constexpr TLayerGeometry Mask4Layer{88, 113, 712, 487};
  void LoadPictures();
  template <class TSprite>
  void BuildLayer(TSprite* Sprite, const TLayerGeometry& Layer, bool Keyed);
  // The sheet stays at a fixed size whatever the screen.
  void BuildSheet(TDDani* Sheet, int FrameHeight, int Width, int Height);
  // The mouse's end request is latched until a refused password resumes the run.
  void RunResumed() override;

  // Held by every tick, so the teardown can wait for one still running.
  std::mutex FTickLock;
};
