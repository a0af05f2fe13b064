// The full-screen scene form both screensavers build on: the display components both scenes
// have, the layers' scaling, the key handlers, the end request with the password check, and the
// display's error handler.
#pragma once

#include "components/DDgamma.h"
#include "components/DDmain.h"
#include "components/DDsprite.h"
#include "components/DDtimer.h"
#include "components/DXClock.h"
#include "components/SetReg.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "savers/common/SaverSettings.h"

// A layer's stretch size and place, authored for an 800 x 600 screen.
struct TLayerGeometry {
  int Width;
  int Height;
  int X;
  int Y;
};

// A program's scene form derives from this, its settings first (so the scene is made on fields
// that already exist), and creates its pictures and sprites after the components made here.
class TSceneForm : public TForm {
 public:
  // Any key ends the run, or, with the keyboard alone ending it, the arrows move the clock
  // and "+" and "-" step the gamma, each change stored at once.
  void FormKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void FormKeyPress(TObject* Sender, char& Key);
  // Ends the run once the password is verified; otherwise the run goes on.
  void RequestEnd();
  virtual void EndSaver() = 0;
  // Stops the timer and closes the display; only the first call does anything.
  virtual void CloseScene() = 0;
  // Tears the scene down and shows the display's error; the program then ends.
  void DDmain1Error(TObject* Sender);

  TDDmain* DDmain1;
  TPanel* Panel1;
  TDXClock* DXClock1;
  TDDtimer* DDtimer1;
  TDDgamma* DDgamma1;
  TSetReg* SetReg1;

  bool EndGuard = false;
  bool PageParity = false;
  int LastMouseX = 0;
  int LastMouseY = 0;

 protected:
  // The form as its resource makes it: no border, black, the components both scenes have, the
  // events bound; the settings are `ProductName`'s.
  TSceneForm(TComponent* AOwner, TSaverSettings& Settings, const char* ProductName);

  template <class T>
  T* Own(const char* Name) {
    auto* component = new T(this);
    component->SetName(Name);
    return component;
  }
  // The picture boxes and the sprites sit on the hidden panel.
  template <class T>
  T* OnPanel(const char* Name) {
    T* control = Own<T>(Name);
    control->SetParent(Panel1);
    return control;
  }
  template <class T>
  T* Sprite(const char* Name) {
    T* sprite = OnPanel<T>(Name);
    sprite->DDmainModule = DDmain1;
    return sprite;
  }

  // Where a layer lands on the display as it was opened.
  TLayerGeometry Scaled(const TLayerGeometry& Layer) const;
  // The display opened in the mode of the settings, the first frame cleared and flipped, the
  // frame rate shown on request. False when the display did not open: its error has ended the
  // program.
  bool OpenDisplay();
  // The tick interval of the speed, and the clock's centre and radius.
  void SetTimerAndClock();
  // A frame's first steps: Done cleared so the idle handler runs again at once, the page parity
  // turned, the back surface cleared. False when there is nothing to draw: the scene is torn
  // down or its display is not open (then Done is set, so the program waits for input), also
  // by an error in the clear.
  bool BeginFrame(bool& Done);
  // The gamma level stored, where the driver has a gamma ramp.
  void ApplyGamma();
  // The rest of every set-up: the clock's colour, the running flag, the timer, the sound and the
  // hidden cursor.
  void StartRun();
  // The run's end after the teardown: the sound stopped and the running flag cleared.
  void StopRun();
  // A refused password resumes the run; the program clears what it latched.
  virtual void RunResumed() {}

  // Marks the time set-up (OnCreate) runs. A set-up that an exception stops ends the run: the
  // application object shows the exception, and the program ends with an error status instead
  // of going on to a scene without its display.
  class TSetUp {
   public:
    explicit TSetUp(TSceneForm& Scene);
    ~TSetUp();
    TSetUp(const TSetUp&) = delete;
    TSetUp& operator=(const TSetUp&) = delete;

   private:
    TSceneForm& FScene;
    int FExceptions;  // those in flight when set-up began
  };

  bool FSettingUp = false;
  bool FSceneClosed = false;

 private:
  // One pixel towards Step, kept clockRad + 20 from the edges, and stored under Name.
  void MoveClock(int& Center, int Step, int Limit, const char* Name);
  // A setting a key changed, stored at once; the first one that cannot be stored in a run is
  // said on standard error.
  void StoreSetting(const char* Name, int Value);

  bool FStoreFailureSaid = false;

  TSaverSettings& FSettings;
};

// Decodes the JPEG picture of Image into the sprite's bitmap; the image keeps its picture.
void CopyPictureToSprite(TImage* Image, TDDsprite* Sprite);
// The JPEG picture of the program's resource `Name` into the image box.
void LoadJpeg(TImage* Image, const char* Name);
