// The setup dialog both screensavers share: the controls both dialogs have, with the handlers
// that copy each control into its settings field at once; the about area, the buttons and the
// Display and Clock tabs, which both lay out alike; the video-mode table and the gamma probe.
#pragma once

#include <array>
#include <type_traits>

#include "components/SetReg.h"
#include "platform/ddraw/DDraw.h"
#include "platform/registry/HiveFile.h"
#include "platform/vcl/ColorDialog.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "savers/common/SaverSettings.h"

// One of the dialog's fixed display modes, available when the display driver lists it.
struct TVideoMode {
  int Width;
  int Height;
  int Depth;
  bool Available;
};

// Where a control lies in its parent, and its place in the parent's tab order (-1: none given).
struct TPlace {
  int Left;
  int Top;
  int Width;
  int Height;
  int TabOrder = -1;
};

// The maker's addresses, which the about links open.
inline constexpr const char* MakerWebPage = "www.quillmont.test";
inline constexpr const char* MakerMail = "info@quillmont.test";

// The notes under the sound switch, the gamma bar and the clock settings, line by line.
extern const std::array<const char*, 3> SoundNote;
extern const std::array<const char*, 8> GammaNote;
extern const std::array<const char*, 4> ClockNote;

// An event handler bound to a method of a form.
template <class TOwner, class... TArgs>
auto Handler(TOwner* Owner, void (TOwner::*Method)(TArgs...)) {
  return [Owner, Method](TArgs... Args) { (Owner->*Method)(Args...); };
}

// A program's dialog derives from this: its constructor makes the Settings tab (whose layout
// is its own) and its own controls, calls the builders below for the parts both lay out alike,
// then BindSharedEvents. The shared handlers work on the Settings given, the program's fields.
class TSetupDialog : public TForm {
 public:
  // All the program's values, or the first-run values written at once.
  virtual void LoadSettings() = 0;
  // All the program's values as one set, for "OK".
  virtual void WriteSettings(registry::Damaged WhenDamaged) = 0;
  // Every field into its control; the controls' handlers copy them back.
  virtual void ShowSettings() = 0;
  void CheckBox1PlaySoundClick(TObject* Sender);
  void CheckBox2ShowFPSClick(TObject* Sender);
  void RadioButton3KeyMouseClick(TObject* Sender);
  void RadioButton4KeyClick(TObject* Sender);
  void RadioButton1SlowClick(TObject* Sender);
  void RadioButton2NormalClick(TObject* Sender);
  void RadioButton5FastClick(TObject* Sender);
  // The gamma is stored, not previewed.
  void TrackBar1Change(TObject* Sender);
  // A mouse release over an enabled mode radio puts the clock back in the top right corner of
  // the mode chosen (the click ran first).
  void RadioButton6800x600MouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void RadioButton71024x768MouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void RadioButton81152x864MouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void RadioButton91280x1024MouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void RadioButton13desktopMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void CheckBox3ShowclockClick(TObject* Sender);
  // Button1 and PanelColor: the colour dialog, opened on its own last colour.
  void Button1Click(TObject* Sender);
  // The three clock edits take digits only.
  void Edit1XKeyPress(TObject* Sender, char& Key);
  // Leaving a clock edit keeps the clock on the screen, its radius within the screen's height.
  void Edit1XExit(TObject* Sender);
  void EditYExit(TObject* Sender);
  void Edit3RExit(TObject* Sender);
  void Label3Click(TObject* Sender);
  void Label5Click(TObject* Sender);
  void Button1CancelClick(TObject* Sender);

  // The video-mode table and the gamma probe, from the display driver's answers.
  void EnumVideoModes();
  static HRESULT VideoModeCallback(DDSURFACEDESC2* Mode, LPVOID Context);
  // Whether the table lists that mode as available.
  bool FindVideoMode(int Width, int Height, int Depth) const;
  // A resolution radio is disabled when its 16-bit mode is missing (and is never enabled
  // again); a depth radio follows the 800 x 600 mode of its depth.
  void UpdateVideoModeButtons();
  void UseDesktopMode();
  void UseFixedMode();
  bool GammaSupported();
  void RadioButton6800x600Click(TObject* Sender);
  void RadioButton71024x768Click(TObject* Sender);
  void RadioButton81152x864Click(TObject* Sender);
  void RadioButton91280x1024Click(TObject* Sender);
  void RadioButton13desktopClick(TObject* Sender);
  void RadioButton10_16Click(TObject* Sender);
  void RadioButton11_24Click(TObject* Sender);
  void RadioButton12_32Click(TObject* Sender);

  bool GammaOK = false;
  // Index: resolution (800x600, 1024x768, 1152x864, 1280x1024) x 3 + depth (16, 24, 32).
  std::array<TVideoMode, 12> VideoModeTable{};

  TImage* Image1 = nullptr;
  TLabel* Label1 = nullptr;
  TLabel* Label2 = nullptr;
  TLabel* Label3version = nullptr;
  TLabel* Label3 = nullptr;
  TLabel* Label4 = nullptr;
  TLabel* Label5 = nullptr;
  TButton* Button1Default = nullptr;
  TButton* Button1OK = nullptr;
  TButton* Button1Cancel = nullptr;
  TPageControl* PageControl1 = nullptr;
  TTabSheet* TabSheet1 = nullptr;
  TTabSheet* TabSheet2 = nullptr;
  // The Settings tab, laid out by each program.
  TGroupBox* GroupBox1 = nullptr;
  TCheckBox* CheckBox1PlaySound = nullptr;
  TMemo* Memo1 = nullptr;
  TGroupBox* GroupBox2 = nullptr;
  TCheckBox* CheckBox2ShowFPS = nullptr;
  TRadioGroup* RadioGroup1 = nullptr;
  TRadioButton* RadioButton3KeyMouse = nullptr;
  TRadioButton* RadioButton4Key = nullptr;
  TGroupBox* GroupBox9 = nullptr;
  TRadioButton* RadioButton1Slow = nullptr;
  TRadioButton* RadioButton2Normal = nullptr;
  TRadioButton* RadioButton5Fast = nullptr;
  // The Display tab.
  TRadioGroup* RadioGroup3 = nullptr;
  TRadioButton* RadioButton6800x600 = nullptr;
  TRadioButton* RadioButton71024x768 = nullptr;
  TRadioButton* RadioButton81152x864 = nullptr;
  TRadioButton* RadioButton91280x1024 = nullptr;
  TGroupBox* GroupBox3 = nullptr;
  TLabel* Label8 = nullptr;
  TLabel* Label9 = nullptr;
  TTrackBar* TrackBar1 = nullptr;
  TMemo* Memo2 = nullptr;
  TRadioButton* RadioButton13desktop = nullptr;
  TGroupBox* GroupBox10 = nullptr;
  TRadioButton* RadioButton12_32 = nullptr;
  TRadioButton* RadioButton11_24 = nullptr;
  TRadioButton* RadioButton10_16 = nullptr;
  // The Clock tab.
  TGroupBox* GroupBox4 = nullptr;
  TCheckBox* CheckBox3Showclock = nullptr;
  TGroupBox* GroupBox7 = nullptr;
  TButton* Button1 = nullptr;
  TPanel* PanelColor = nullptr;
  TGroupBox* GroupBox6 = nullptr;
  TLabel* Label10 = nullptr;
  TLabel* Label11 = nullptr;
  TEdit* Edit1X = nullptr;
  TEdit* EditY = nullptr;
  TGroupBox* GroupBox8 = nullptr;
  TLabel* Label13 = nullptr;
  TEdit* Edit3R = nullptr;
  TMemo* Memo3 = nullptr;

  TSetReg* SetReg1 = nullptr;
  TColorDialog* ColorDialog1 = nullptr;

 protected:
  // The form itself: a dialog frame centred on the screen, 457 x 381, in the dialog font.
  TSetupDialog(TComponent* AOwner, TSaverSettings& Settings, const char* Caption, const char* ProductName);

  template <class T>
  T* Add(TWinControl* Parent, const char* Name, const TPlace& Place, const char* Caption = "") {
    auto* control = new T(this);
    control->SetName(Name);
    control->SetParent(Parent);
    control->SetBounds(Place.Left, Place.Top, Place.Width, Place.Height);
    if constexpr (std::is_base_of_v<TWinControl, T>)
      if (Place.TabOrder >= 0) control->SetTabOrder(Place.TabOrder);
    if (*Caption) control->SetCaption(Caption);
    return control;
  }
  TTabSheet* AddSheet(const char* Name, const char* Caption);
  // A read-only note without a border on a background of its own.
  template <std::size_t N>
  TMemo* AddNote(TWinControl* Parent, const char* Name, const TPlace& Place, TColor Color,
                 const std::array<const char*, N>& Lines) {
    TMemo* memo = Add<TMemo>(Parent, Name, Place);
    ShowNote(memo, Color, Lines.data(), Lines.size());
    return memo;
  }

  // The picture, the version and the maker's links beside it; the title is the program's.
  void BuildAboutArea(const char* Version);
  // The three buttons and the page control under them.
  void BuildButtons();
  void BuildDisplaySheet(TTabSheet* Sheet);
  void BuildClockSheet(TTabSheet* Sheet);
  // Binds each shared control to its shared handler.
  void BindSharedEvents();

  // The first two steps of the create handler: the mode table, then the gamma probe, with the
  // gamma controls greyed without it.
  void ProbeDisplay();
  // The last steps of the create handler: a damaged settings file named in a box, the settings
  // loaded and shown. A value that cannot be read is named in a box and shown at its first-run
  // value, so "OK" stores a complete set again.
  void LoadAndShowSettings();
  // A damaged settings file is named in a box when the dialog opens; "OK" keeps it beside the
  // new one.
  void ReportDamagedSettings();
  // "OK"'s writing: true when the settings were stored. Otherwise the box says so, the run will
  // end with an error status, and the dialog stays open with the user's changes.
  bool StoreSettings();

  // ShowSettings in three parts: sound, frame rate, end of run and speed; the display mode and
  // gamma; the clock.
  void ShowGeneralSettings();
  void ShowDisplaySettings();
  void ShowClockSettings();

 private:
  static void ShowNote(TMemo* Memo, TColor Color, const char* const* Lines, std::size_t Count);
  // The clock's controls are usable only while the clock is shown; the swatch then shows its colour.
  void EnableClockControls();
  void ResetClock(TObject* Sender, int X, int Y);
  void SetClockEdits();
  void UseResolution(int Width, int Height);
  TRadioButton* ResolutionRadio(int Width) const;
  TRadioButton* DepthRadio(int Depth) const;

  TSaverSettings& FSettings;
};
