// A screensaver's scene form set up as a run in a given mode would have it, on the headless
// display, its timer stopped so only the frame loop runs.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "components/SetReg.h"
#include "platform/ddraw/Driver.h"
#include "platform/gdi/GdiMemory.h"
#include "platform/vcl/Forms.h"
#include "savers/common/SaverSettings.h"

template <class TScene>
class TBenchScene {
 public:
  // `Store` writes the program's settings for the display mode given into its settings key.
  TBenchScene(const char* ProductName, const TDesktopMode& Mode,
              const std::function<void(TSetReg&, const TDesktopMode&)>& Store) {
    char folder[] = "/tmp/saver-bench-XXXXXX";
    if (!mkdtemp(folder)) std::abort();
    FConfig = folder;
    setenv("XDG_CONFIG_HOME", folder, 1);
    ddraw::ResetDriver();
    gdi::SetDesktopMode({1280, 1024, 32});
    TSetReg store(nullptr);
    store.SetCompanyName("Quillmont");
    store.SetProductName(ProductName);
    Store(store, Mode);
    Application->CreateForm(Form);
    Form->DDtimer1->SetEnabled(false);
  }
  ~TBenchScene() {
    ResetApplicationForTest();
    ddraw::ResetDriver();
    gdi::SetDesktopMode({});
    std::filesystem::remove_all(FConfig);
  }
  TBenchScene(const TBenchScene&) = delete;
  TBenchScene& operator=(const TBenchScene&) = delete;

  TScene* Form = nullptr;

 private:
  std::filesystem::path FConfig;
};
