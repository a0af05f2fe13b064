// Forms with the class library's controls and the spin edit, shown through Qt, for checks with
// real input on a desktop: every change a control reports is printed as one line. Without an
// argument: the spin edit alone; "dialog": a tabbed dialog with every kind of control.
#include <cstdio>
#include <cstring>

#include "controls/QMSpin.h"
#include "platform/qt/QtPlatform.h"
#include "platform/user/ShellApi.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ColorDialog.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"

namespace {

void Report(const char* what, const AnsiString& value) {
  std::printf("%s %s\n", what, value.c_str());
  std::fflush(stdout);
}

void UseDialogFont(TForm* form) {
  TFont font;
  font.SetName("MS Sans Serif");
  font.SetHeight(-11);
  form->SetFont(&font);
}

class TControlForm : public TForm {
 public:
  explicit TControlForm(TComponent* AOwner) : TForm(AOwner) {
    SetBorderStyle(bsDialog);
    SetCaption("Controls");
    SetBounds(0, 0, 0, 0);
    SetClientWidth(300);
    SetClientHeight(120);
    UseDialogFont(this);

    Spin = new TQmSpinEdit(this);
    Spin->SetParent(this);
    Spin->SetBounds(112, 16, 61, 21);
    Spin->SetMaxValue(100);
    Spin->SetValue(2);
    Spin->OnChange = [this](TObject*) { Report("value", Spin->GetText()); };

    auto* ok = new TButton(this);
    ok->SetParent(this);
    ok->SetBounds(136, 88, 75, 25);
    ok->SetCaption("OK");
    ok->SetDefault(true);
    ok->OnClick = [](TObject*) { Report("click", "OK"); };
    auto* cancel = new TButton(this);
    cancel->SetParent(this);
    cancel->SetBounds(216, 88, 75, 25);
    cancel->SetCaption("Cancel");
    cancel->SetCancel(true);
    cancel->OnClick = [this](TObject*) {
      Report("click", "Cancel");
      Close();
    };
    OnShow = [this](TObject*) { Spin->SetFocus(); };
  }
  TQmSpinEdit* Spin = nullptr;
};

// The setup dialogs' layout with a few controls of each kind on each tab.
class TDialogForm : public TForm {
 public:
  explicit TDialogForm(TComponent* AOwner) : TForm(AOwner) {
    SetBorderStyle(bsDialog);
    SetCaption("Controls  Setup");
    SetClientWidth(457);
    SetClientHeight(381);
    UseDialogFont(this);

    auto* image = Add<TImage>(this, 6, 7, 156, 117, "");
    TBitmap picture;
    picture.SetPixelFormat(pf24bit);
    picture.SetSize(154, 116);
    for (int y = 0; y < 116; ++y)
      for (int x = 0; x < 154; ++x) picture.GetCanvas()->SetPixels(x, y, RGB(x, 40 + y, 200 - y));
    image->GetPicture()->SetGraphic(&picture);
    auto* title = Add<TLabel>(this, 176, 8, 222, 16, "Lumivelle Waterfall Screensaver");
    title->GetFont()->SetHeight(-13);
    title->GetFont()->SetStyle({fsBold});
    Add<TLabel>(this, 176, 40, 34, 13, "version");
    Add<TLabel>(this, 216, 40, 15, 13, "1.0");
    auto* link = Add<TLabel>(this, 176, 56, 112, 13, "www.example.org");
    link->GetFont()->SetColor(clNavy);
    link->GetFont()->SetStyle({fsUnderline});
    link->SetCursor(crHandPoint);
    link->OnClick = [](TObject*) {
      ShellExecuteA(nullptr, "open", "http://www.example.org", "", "", SW_SHOW);
      Report("link", "web");
    };
    Add<TLabel>(this, 312, 56, 30, 13, "e-mail:");
    auto* defaults = Add<TButton>(this, 8, 352, 89, 25, "Default Setting");
    defaults->SetCursor(crHandPoint);
    auto* ok = Add<TButton>(this, 296, 352, 75, 25, "OK");
    ok->SetDefault(true);
    ok->OnClick = [](TObject*) { Report("click", "OK"); };
    auto* cancel = Add<TButton>(this, 376, 352, 75, 25, "Cancel");
    cancel->SetCancel(true);
    cancel->OnClick = [this](TObject*) {
      Report("click", "Cancel");
      Close();
    };
    auto* pages = Add<TPageControl>(this, 8, 128, 441, 217, "");
    pages->OnChange = [pages](TObject*) { Report("page", pages->GetActivePage()->GetCaption()); };
    TTabSheet* settings = Sheet(pages, "Settings");
    TTabSheet* display = Sheet(pages, "Display");
    TTabSheet* day = Sheet(pages, "Time of Day");
    TTabSheet* clock = Sheet(pages, "Clock");

    auto* sound = Add<TGroupBox>(settings, 8, 8, 225, 65, "Sound");
    Check(sound, 16, 16, 97, "Play Sound", false);
    auto* memo = Add<TMemo>(sound, 8, 32, 209, 29, "");
    memo->SetBorderStyle(bsNone);
    memo->SetColor(clMenu);
    memo->SetReadOnly(true);
    memo->GetLines()->Add("If you don't hear the sound, download and ");
    memo->GetLines()->Add("install Windows Media Player");
    Add<TRadioGroup>(settings, 240, 8, 185, 65, "Terminate");
    Radio(settings, 256, 24, 113, "Keybord and Mouse", true);
    Radio(settings, 256, 44, 145, "Keybord only (ESC key)", false);
    auto* speed = Add<TGroupBox>(settings, 8, 112, 225, 73, "Speed setting");
    Radio(speed, 16, 16, 113, "Slow", false);
    Radio(speed, 16, 32, 113, "Normal", true);
    Radio(speed, 16, 48, 113, "Fast", false);
    auto* objects = Add<TGroupBox>(settings, 240, 72, 185, 113, "Objects");
    Add<TLabel>(objects, 12, 20, 87, 13, "Number of Eagles:");
    auto* eagles = Add<TQmSpinEdit>(objects, 112, 16, 61, 21, "");
    eagles->SetMaxValue(5);
    eagles->SetValue(2);
    eagles->OnChange = [eagles](TObject*) { Report("eagles", eagles->GetText()); };
    Check(objects, 12, 52, 97, "Show Eagles", true);
    Check(objects, 12, 80, 97, "Show Butterfly", true);

    Add<TRadioGroup>(display, 8, 8, 145, 105, "Video mode");
    const char* modes[] = {"800x600", "1024x768", "1152x864", "1280x1024"};
    for (int i = 0; i < 4; ++i) Radio(display, 24, 24 + 16 * i, 113, modes[i], false)->SetEnabled(i != 2);
    Radio(display, 24, 88, 121, "Use desktop settings", true);
    auto* gamma = Add<TGroupBox>(display, 160, 8, 265, 177, "Gamma settings");
    Add<TLabel>(gamma, 16, 40, 35, 13, "Darken");
    Add<TLabel>(gamma, 216, 40, 35, 13, "Lighten")->GetFont()->SetColor(clInactiveCaption);
    auto* bar = Add<TTrackBar>(gamma, 8, 16, 249, 25, "");
    bar->SetMax(256);
    bar->SetPosition(256);
    bar->SetFrequency(5);
    bar->SetThumbLength(15);
    bar->SetCursor(crHandPoint);
    bar->OnChange = [bar](TObject*) { Report("gamma", std::to_string(bar->GetPosition())); };
    auto* note = Add<TMemo>(gamma, 16, 64, 233, 105, "");
    note->SetBorderStyle(bsNone);
    note->SetColor(clMenu);
    note->SetReadOnly(true);
    note->GetLines()->SetText("You may setting Gamma level when screensaver \r\nis running. \r\n\"+\" key - make lighten");
    auto* depth = Add<TGroupBox>(display, 8, 112, 145, 73, "Color depth");
    for (int i = 0; i < 3; ++i) Radio(depth, 16, 16 * (i + 1), 113, i == 0 ? "16-bit color" : i == 1 ? "24-bit color" : "32-bit color", i == 2)->SetEnabled(false);

    auto* cities = Add<TGroupBox>(day, 200, 8, 229, 177, "Surise/Sunset");
    Add<TLabel>(cities, 8, 16, 82, 13, "Choose your City:");
    auto* combo = Add<TComboBox>(cities, 8, 32, 209, 21, "");
    combo->GetItems()->BeginUpdate();
    for (int i = 0; i < 3937; ++i) combo->GetItems()->Add(Format("CITY %04d(RG) CC", i));
    combo->GetItems()->EndUpdate();
    combo->SetItemIndex(0);
    combo->OnChange = [combo](TObject*) { Report("city", Format("%d %s", combo->GetItemIndex(), combo->GetText().c_str())); };
    Check(cities, 8, 60, 153, "Daylight Saving Time", false);
    auto* rise = Add<TLabel>(cities, 8, 80, 102, 13, "Apparent Sunrise:");
    rise->GetFont()->SetColor(clNavy);
    rise->GetFont()->SetStyle({fsBold});
    Add<TLabel>(cities, 116, 80, 61, 13, "6:05AM");

    auto* show = Add<TGroupBox>(clock, 8, 8, 185, 57, "Clock settings");
    auto* showClock = Check(show, 56, 24, 97, "Show clock", true);
    auto* colours = Add<TGroupBox>(clock, 200, 8, 225, 57, "Color clock");
    auto* swatch = Add<TPanel>(colours, 40, 24, 33, 25, "");
    swatch->SetColor(RGB(255, 128, 0));
    swatch->SetCursor(crHandPoint);
    auto* setColour = Add<TButton>(colours, 88, 24, 75, 25, "Set color");
    auto* dialog = new TColorDialog(this);
    const auto choose = [dialog, swatch](TObject*) {
      if (!dialog->Execute()) return;
      swatch->SetColor(dialog->GetColor());
      Report("colour", Format("%06X", static_cast<unsigned>(dialog->GetColor())));
    };
    setColour->OnClick = choose;
    swatch->OnClick = choose;
    auto* position = Add<TGroupBox>(clock, 8, 64, 185, 57, "Screen position");
    auto* xLabel = Add<TLabel>(position, 8, 32, 40, 13, "X center");
    auto* x = Add<TEdit>(position, 56, 24, 33, 21, "934");
    x->OnKeyPress = [](TObject*, char& Key) {
      if (Key < '0' || Key > '9') Key = '\0';
    };
    showClock->OnClick = [showClock, xLabel, x](TObject*) {
      xLabel->SetEnabled(showClock->GetChecked());
      x->SetEnabled(showClock->GetChecked());
      Report("clock", showClock->GetChecked() ? "on" : "off");
    };
  }

 private:
  template <class T>
  static T* Add(TWinControl* parent, int left, int top, int width, int height, const char* caption) {
    auto* c = new T(parent->GetOwner() ? parent->GetOwner() : parent);
    c->SetParent(parent);
    c->SetBounds(left, top, width, height);
    if (*caption) c->SetCaption(caption);
    return c;
  }
  static TTabSheet* Sheet(TPageControl* pages, const char* caption) {
    auto* sheet = new TTabSheet(pages->GetOwner());
    sheet->SetPageControl(pages);
    sheet->SetCaption(caption);
    return sheet;
  }
  static TCheckBox* Check(TWinControl* parent, int left, int top, int width, const char* caption, bool checked) {
    auto* box = Add<TCheckBox>(parent, left, top, width, 17, caption);
    box->SetChecked(checked);
    box->OnClick = [box](TObject*) { Report("check", box->GetCaption() + (box->GetChecked() ? " on" : " off")); };
    return box;
  }
  static TRadioButton* Radio(TWinControl* parent, int left, int top, int width, const char* caption, bool checked) {
    auto* radio = Add<TRadioButton>(parent, left, top, width, 17, caption);
    radio->SetChecked(checked);
    radio->OnClick = [radio](TObject*) { Report("radio", radio->GetCaption()); };
    return radio;
  }
};

}  // namespace

int main(int argc, char* argv[]) {
  if (!qt::Install()) {
    std::fprintf(stderr, "No display\n");
    return 1;
  }
  Application->Initialize();
  if (argc > 1 && std::strcmp(argv[1], "dialog") == 0) {
    TDialogForm* form = nullptr;
    Application->CreateForm(form);
  } else {
    TControlForm* form = nullptr;
    Application->CreateForm(form);
  }
  // Ready once the loop runs with the form shown and nothing queued: input sent earlier could be
  // lost while a slow (sanitizer) build still starts.
  Application->OnIdle = [reported = false](TObject*, bool& Done) mutable {
    if (!reported) Report("ready", "");
    reported = true;
    Done = true;
  };
  Application->Run();
  return 0;
}
