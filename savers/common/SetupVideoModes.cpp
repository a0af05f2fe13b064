// The Display tab: the twelve fixed modes and what the display driver lists of them, the gamma
// probe, the mode and depth radios with their rules, and the display part of ShowSettings.
#include <array>

#include "platform/user/WinUser.h"
#include "savers/common/SetupDialog.h"

namespace {

constexpr std::array<int, 4> VideoWidths = {800, 1024, 1152, 1280};
constexpr std::array<int, 4> VideoHeights = {600, 768, 864, 1024};
constexpr std::array<int, 3> VideoDepths = {16, 24, 32};

// DirectDraw for the primary display driver, for one probe; a box when there is none.
IDirectDraw* OpenDirectDraw(HWND BoxOwner) {
  IDirectDraw* directDraw = nullptr;
  if (FAILED(DirectDrawCreate(nullptr, &directDraw, nullptr))) {
    MessageBoxA(BoxOwner, "DirectDraw Init FAILED", "Screen saver", MB_OK);
    return nullptr;
  }
  return directDraw;
}

}  // namespace

void TSetupDialog::BuildDisplaySheet(TTabSheet* Sheet) {
  RadioGroup3 = Add<TRadioGroup>(Sheet, "RadioGroup3", {8, 8, 145, 105, 0}, "Video mode");
  RadioButton6800x600 = Add<TRadioButton>(Sheet, "RadioButton6800x600", {24, 24, 113, 17, 1}, "800x600");
  RadioButton71024x768 = Add<TRadioButton>(Sheet, "RadioButton71024x768", {24, 40, 113, 17, 2}, "1024x768");
  RadioButton81152x864 = Add<TRadioButton>(Sheet, "RadioButton81152x864", {24, 56, 113, 17, 3}, "1152x864");
  RadioButton91280x1024 = Add<TRadioButton>(Sheet, "RadioButton91280x1024", {24, 72, 113, 17, 4}, "1280x1024");
  GroupBox3 = Add<TGroupBox>(Sheet, "GroupBox3", {160, 8, 265, 177, 5}, "Gamma settings");
  Label8 = Add<TLabel>(GroupBox3, "Label8", {16, 40, 35, 13}, "Darken");
  Label9 = Add<TLabel>(GroupBox3, "Label9", {216, 40, 35, 13}, "Lighten");
  TrackBar1 = Add<TTrackBar>(GroupBox3, "TrackBar1", {8, 16, 249, 25, 0});
  TrackBar1->SetMax(256);
  TrackBar1->SetPosition(256);
  TrackBar1->SetFrequency(5);
  TrackBar1->SetThumbLength(15);
  TrackBar1->SetTickMarks(tmBottomRight);
  TrackBar1->SetCursor(crHandPoint);
  Memo2 = AddNote(GroupBox3, "Memo2", {16, 64, 233, 105, 1}, clMenu, GammaNote);
  RadioButton13desktop = Add<TRadioButton>(Sheet, "RadioButton13desktop", {24, 88, 121, 17, 6}, "Use desktop settings");
  GroupBox10 = Add<TGroupBox>(Sheet, "GroupBox10", {8, 112, 145, 73, 7}, "Color depth");
  RadioButton12_32 = Add<TRadioButton>(GroupBox10, "RadioButton12_32", {16, 48, 113, 17, 0}, "32-bit color");
  RadioButton11_24 = Add<TRadioButton>(GroupBox10, "RadioButton11_24", {16, 32, 113, 17, 1}, "24-bit color");
  RadioButton10_16 = Add<TRadioButton>(GroupBox10, "RadioButton10_16", {16, 16, 113, 17, 2}, "16-bit color");
}

void TSetupDialog::EnumVideoModes() {
  for (std::size_t r = 0; r < VideoWidths.size(); ++r)
    for (std::size_t d = 0; d < VideoDepths.size(); ++d)
      VideoModeTable[r * VideoDepths.size() + d] = {VideoWidths[r], VideoHeights[r], VideoDepths[d], false};
  IDirectDraw* directDraw = OpenDirectDraw(GetHandle());
  if (!directDraw) return;
  directDraw->EnumDisplayModes(0, nullptr, this, &VideoModeCallback);
  directDraw->Release();
}

// The dialog comes as the context, not through a global of one program's.
HRESULT TSetupDialog::VideoModeCallback(DDSURFACEDESC2* Mode, LPVOID Context) {
  auto& table = static_cast<TSetupDialog*>(Context)->VideoModeTable;
  for (TVideoMode& entry : table) {
    if (static_cast<DWORD>(entry.Width) == Mode->dwWidth && static_cast<DWORD>(entry.Height) == Mode->dwHeight &&
        static_cast<DWORD>(entry.Depth) == Mode->ddpfPixelFormat.dwRGBBitCount) {
      entry.Available = true;
      break;
    }
  }
  return DDENUMRET_OK;
}

bool TSetupDialog::FindVideoMode(int Width, int Height, int Depth) const {
  for (const TVideoMode& entry : VideoModeTable)
    if (entry.Width == Width && entry.Height == Height && entry.Depth == Depth) return entry.Available;
  return false;
}

bool TSetupDialog::GammaSupported() {
  IDirectDraw* directDraw = OpenDirectDraw(GetHandle());
  if (!directDraw) return false;
  DDCAPS caps{};
  caps.dwSize = sizeof(caps);
  directDraw->GetCaps(&caps, nullptr);  // a failure leaves the record zeroed: no gamma
  const bool supported = (caps.dwCaps2 & DDCAPS2_PRIMARYGAMMA) != 0;
  directDraw->Release();
  return supported;
}

void TSetupDialog::ProbeDisplay() {
  EnumVideoModes();
  GammaOK = GammaSupported();
  if (GammaOK) return;
  TrackBar1->SetEnabled(false);
  for (TControl* control : std::initializer_list<TControl*>{Label8, Label9, Memo2})
    control->GetFont()->SetColor(clInactiveCaption);
}

void TSetupDialog::UpdateVideoModeButtons() {
  const std::array<TRadioButton*, 4> resolutions = {RadioButton6800x600, RadioButton71024x768,
                                                    RadioButton81152x864, RadioButton91280x1024};
  for (std::size_t r = 0; r < resolutions.size(); ++r)
    if (!FindVideoMode(VideoWidths[r], VideoHeights[r], 16)) resolutions[r]->SetEnabled(false);
  for (int depth : VideoDepths) DepthRadio(depth)->SetEnabled(FindVideoMode(800, 600, depth));
}

void TSetupDialog::UseDesktopMode() {
  FSettings.flag_defres = true;
  for (int depth : VideoDepths) DepthRadio(depth)->SetEnabled(false);
}

void TSetupDialog::UseFixedMode() {
  FSettings.flag_defres = false;
  UpdateVideoModeButtons();
}

// The depth stays as it was.
void TSetupDialog::UseResolution(int Width, int Height) {
  FSettings.ResHor = Width;
  FSettings.ResVert = Height;
  UseFixedMode();
}

void TSetupDialog::RadioButton6800x600Click(TObject*) { UseResolution(800, 600); }

void TSetupDialog::RadioButton71024x768Click(TObject*) { UseResolution(1024, 768); }

void TSetupDialog::RadioButton81152x864Click(TObject*) { UseResolution(1152, 864); }

void TSetupDialog::RadioButton91280x1024Click(TObject*) { UseResolution(1280, 1024); }

void TSetupDialog::RadioButton13desktopClick(TObject*) {
  const TDesktopMode desktop = DesktopMode();
  FSettings.ResHor = desktop.Width;
  FSettings.ResVert = desktop.Height;
  FSettings.ColorDepth = desktop.Depth;
  UseDesktopMode();
}

void TSetupDialog::RadioButton10_16Click(TObject*) { FSettings.ColorDepth = 16; }

void TSetupDialog::RadioButton11_24Click(TObject*) { FSettings.ColorDepth = 24; }

void TSetupDialog::RadioButton12_32Click(TObject*) { FSettings.ColorDepth = 32; }

TRadioButton* TSetupDialog::ResolutionRadio(int Width) const {
  switch (Width) {
    case 800: return RadioButton6800x600;
    case 1024: return RadioButton71024x768;
    case 1152: return RadioButton81152x864;
    case 1280: return RadioButton91280x1024;
    default: return nullptr;
  }
}

TRadioButton* TSetupDialog::DepthRadio(int Depth) const {
  switch (Depth) {
    case 16: return RadioButton10_16;
    case 24: return RadioButton11_24;
    case 32: return RadioButton12_32;
    default: return nullptr;
  }
}

void TSetupDialog::ShowDisplaySettings() {
  UpdateVideoModeButtons();
  if (FSettings.flag_defres) {
    RadioButton13desktop->SetChecked(true);
  } else {
    // A width the dialog does not offer stands for the desktop's mode, whose handler takes it.
    TRadioButton* resolution = ResolutionRadio(FSettings.ResHor);
    (resolution ? resolution : RadioButton13desktop)->SetChecked(true);
    if (TRadioButton* depth = DepthRadio(FSettings.ColorDepth)) depth->SetChecked(true);
  }
  if (RadioButton13desktop->GetChecked()) UseDesktopMode();
  if (GammaOK) TrackBar1->SetPosition(FSettings.Gamma);
}
