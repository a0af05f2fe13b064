// The waterfall art generator: draws every picture of the waterfall scene and makes its sound
// from fixed seeds, and writes them into the given folder; optionally composed views to look at.
//   waterfall_art <output folder> [--previews <folder>]
#include <filesystem>
#include <string>
#include <vector>

#include "tools/art/BmpFile.h"
#include "tools/art/Files.h"
#include "tools/art/Generator.h"
#include "tools/art/Palette.h"
#include "tools/waterfall_art/Compose.h"
#include "tools/waterfall_art/Flyers.h"
#include "tools/waterfall_art/Landscape.h"
#include "tools/waterfall_art/Layers.h"
#include "tools/waterfall_art/Mp3Wave.h"
#include "tools/waterfall_art/Rush.h"

namespace fs = std::filesystem;
using namespace art;

namespace {

constexpr int kJpegQuality = 88;

// The waterfall's last rows are always hidden under the upper water. Filling them with the
// next frame's top row keeps the JPEG blocks that straddle two frames free of hard edges, so
// the visible top row, where the stream meets the ground, stays the same in every frame.
void CalmHiddenRows(RgbImage& sheet, const LayerRect& layer, int firstHidden) {
  for (int f = 0; f + 1 < layer.frames; ++f)
    for (int y = firstHidden; y < layer.h; ++y)
      CopyRect(sheet, 0, (f + 1) * layer.h, layer.w, 1, sheet, 0, f * layer.h + y);
}

// Writes an 8-bit keyed BMP and returns its pixels.
RgbImage SaveKeyed(const fs::path& path, const RgbImage& picture) {
  const IndexedImage indexed = Quantise(picture, true);
  WriteFile(path, EncodeBmp8(indexed, BmpCompression::None));
  return Expand(indexed);
}

// The about picture: the falls close up, an eagle passing in front of the cliffs' top.
RgbImage AboutPicture(const RgbImage& scene, const RgbImage& eagles) {
  constexpr int kX = 232, kY = 168, kW = 338, kH = 255;
  RgbImage crop(kW, kH);
  CopyRect(scene, kX, kY, kW, kH, crop, 0, 0);
  const int frame = 11 + 48 * 0;  // gliding, seen from the front
  for (int j = 0; j < kEagleH; ++j)
    for (int i = 0; i < kEagleW; ++i) {
      const Pixel8 p = eagles.at(i, frame * kEagleH + j);
      if (!(p == kKey)) crop.at(200 + i, 14 + j) = p;
    }
  return ScaleArea(crop, kStillW, kStillH);
}

void WritePreviews(const fs::path& dir, const ScenePictures& pictures) {
  fs::create_directories(dir);
  const auto eagles = SampleEagles();
  const auto butterflies = SampleButterflies();
  for (const auto& [w, h] : {std::pair{800, 600}, std::pair{1024, 768}})
    for (int frame : {0, 16, 31}) {
      const std::string name = "scene_" + std::to_string(w) + "x" + std::to_string(h) + "_f" + std::to_string(frame) + ".ppm";
      WritePpm(dir / name, ComposeScreen(pictures, w, h, frame, eagles, butterflies));
    }
}

}  // namespace

int main(int argc, char** argv) {
  return RunGenerator(argc, argv, [](const fs::path& out, const fs::path* previews) {
    const Landscape land;

    ScenePictures pictures;
    pictures.ground = SaveJpeg(out / kGround.file, land.Cut(kGround, 0), kJpegQuality);
    RgbImage waterfall = Sheet(land, kWaterfall);
    // Rows from 97 on lie below the upper water's top edge (375) with two rows to spare, so no
    // screen size's rounding shows them.
    CalmHiddenRows(waterfall, kWaterfall, kHighWater.y - kWaterfall.y + 2);
    pictures.waterfall = SaveJpeg(out / kWaterfall.file, waterfall, kJpegQuality);
    pictures.highWater = SaveJpeg(out / kHighWater.file, Sheet(land, kHighWater), kJpegQuality);
    pictures.lowWater = SaveJpeg(out / kLowWater.file, Sheet(land, kLowWater), kJpegQuality);
    pictures.maskStone = SaveKeyed(out / kMaskStone.file, land.CutMask(kMaskStone, Piece::Stone));
    pictures.mask1 = SaveKeyed(out / kMask1.file, land.CutMask(kMask1, Piece::Mask1));
    pictures.mask2 = SaveKeyed(out / kMask2.file, land.CutMask(kMask2, Piece::Mask2));
    pictures.mask3 = SaveKeyed(out / kMask3.file, land.CutMask(kMask3, Piece::Mask3));
    pictures.mask4 = SaveKeyed(out / kMask4.file, land.CutMask(kMask4, Piece::Mask4));
    pictures.eagles = SaveKeyed(out / "eagles.bmp", EagleSheet());
    pictures.butterflies = SaveKeyed(out / "butterflys.bmp", ButterflySheet());

    const RgbImage still = ComposeScreen(pictures, 800, 600, 0, {}, {});
    WriteFile(out / "preview.bmp", EncodeBmp8(Quantise(ScaleArea(still, kStillW, kStillH), false), BmpCompression::Rle8));
    WriteFile(out / "about.bmp",
              EncodeBmp8(Quantise(AboutPicture(still, pictures.eagles), false), BmpCompression::None));
    WriteFile(out / "sound.wav", EncodeMp3Wave(RushSamples()));

    if (previews) WritePreviews(*previews, pictures);
  });
}
