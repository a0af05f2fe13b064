// A form with the class library's controls and the spin edit, shown through Qt, for checks with
// real input on a desktop: every change a control reports is printed as one line.
#include <cstdio>

#include "controls/QMSpin.h"
#include "platform/qt/QtPlatform.h"
#include "platform/vcl/Forms.h"

namespace {

void Report(const char* what, const AnsiString& value) {
  std::printf("%s %s\n", what, value.c_str());
  std::fflush(stdout);
}

class TControlForm : public TForm {
 public:
  explicit TControlForm(TComponent* AOwner) : TForm(AOwner) {
    SetBorderStyle(bsDialog);
    SetCaption("Controls");
    SetBounds(0, 0, 0, 0);
    SetClientWidth(300);
    SetClientHeight(120);
    TFont font;
    font.SetName("MS Sans Serif");
    font.SetHeight(-11);
    SetFont(&font);

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

}  // namespace

int main() {
  if (!qt::Install()) {
    std::fprintf(stderr, "No display\n");
    return 1;
  }
  Application->Initialize();
  TControlForm* form = nullptr;
  Application->CreateForm(form);
  Report("ready", "");
  Application->Run();
  return 0;
}
