// The fountain art generator: draws every picture of the fountain scene and makes its sound
// from fixed seeds, and writes them into the given folder; optionally composed views to look at
// at 800x600, 1024x768 and 1280x1024.
//   fountain_art <output folder> [--previews <folder>]
#include <filesystem>
#include <string>
#include <utility>

#include "tools/art/BmpFile.h"
#include "tools/art/Files.h"
#include "tools/art/Generator.h"
#include "tools/art/Palette.h"
#include "tools/fountain_art/Compose.h"
#include "tools/fountain_art/Layers.h"
#include "tools/fountain_art/PcmWave.h"
#include "tools/fountain_art/Scene.h"
#include "tools/fountain_art/Splash.h"

namespace fs = std::filesystem;
using namespace art;

namespace {

// High enough that a frame's top rows, which share their blocks with the frame above, stay
// the background's.
constexpr int kJpegQuality = 96;

// The setup dialog's picture: the two jets and the bowl close up, the shadow on the house.
RgbImage AboutPicture(const RgbImage& screen) {
  constexpr int kX = 196, kY = 282, kW = 312, kH = 234;
  RgbImage crop(kW, kH);
  CopyRect(screen, kX, kY, kW, kH, crop, 0, 0);
  return ScaleArea(crop, kAboutW, kAboutH);
}

void WritePreviews(const fs::path& dir, const FountainPictures& pictures) {
  fs::create_directories(dir);
  for (const auto& [w, h] : {std::pair{800, 600}, std::pair{1024, 768}, std::pair{1280, 1024}})
    for (int frame : {0, 8, 16, 24, 31}) {
      const std::string name = "fountain_" + std::to_string(w) + "x" + std::to_string(h) + "_f" + std::to_string(frame) + ".ppm";
      WritePpm(dir / name, ComposeScreen(pictures, w, h, frame));
    }
}

}  // namespace

int main(int argc, char** argv) {
  return RunGenerator(argc, argv, [](const fs::path& out, const fs::path* previews) {
    const FountainScene scene;

    FountainPictures pictures;
    pictures.ground = SaveJpeg(out / kGround.file, scene.Cut(kGround, 0), kJpegQuality);
    pictures.water = SaveJpeg(out / kWater.file, Sheet(scene, kWater), kJpegQuality);
    pictures.jet = SaveJpeg(out / kJet.file, Sheet(scene, kJet), kJpegQuality);
    pictures.jet2 = SaveJpeg(out / kJet2.file, Sheet(scene, kJet2), kJpegQuality);
    pictures.shadow = SaveJpeg(out / kShadow.file, Sheet(scene, kShadow), kJpegQuality);

    const RgbImage still = ComposeScreen(pictures, 800, 600, 0);
    WriteFile(out / "preview.bmp",
              EncodeBmp8(Quantise(ScaleArea(still, kPreviewW, kPreviewH), false), BmpCompression::Rle8));
    WriteFile(out / "about.bmp", EncodeBmp8(Quantise(AboutPicture(still), false), BmpCompression::None));
    WriteFile(out / "sound.wav", EncodePcmWave8(SplashSamples(), 2, kSplashRate));

    if (previews) WritePreviews(*previews, pictures);
  });
}
