// Animated cursors: the RIFF form "ACON" read into frames, each an icon or cursor picture with
// its display time and hot spot; drawn, and copied to icons, icon lists and bitmap strips.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/vcl/Classes.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/Icon.h"

// A RIFF chunk's header: four-character id and signed size.
struct TAniChunk {
  char ckID[4];
  LONG ckSize;
};
static_assert(sizeof(TAniChunk) == 8);

// The "anih" chunk. Flag bit 0: the frames hold icon or cursor files.
struct TAniHeader {
  LONG cbSizeOf;
  LONG cFrames;   // icon count
  LONG cSteps;    // step count: frames shown
  LONG cx, cy;
  LONG cBitCount;
  LONG cPlanes;
  LONG JifRate;   // default display time in jiffies (1/60 s)
  DWORD Flags;
};
static_assert(sizeof(TAniHeader) == 36);
constexpr DWORD AF_ICON = 0x1;

// Title and creator texts; always zero-terminated.
using TANINAME = char[256];

// Limits against what a damaged file may claim: the whole stream, and the frames kept (the
// header's count and the icons beyond it together). Larger streams raise "Stream read error";
// frames past the limit are not made.
constexpr std::int64_t MaxAniStreamSize = std::int64_t{64} << 20;
constexpr int MaxAniFrames = 4096;

// One frame: its picture (shared with the frames that show the same icon chunk), display time
// and hot spot.
class TIconFrame : public TPersistent {
 public:
  TIconFrame(LONG AIndex, LONG AJiffies);
  // From another frame: a picture of its own holding a copy of the source's, and its values.
  void Assign(TPersistent* Source) override;

  TIcon* GetFrameIcon() const { return FFrameIcon.get(); }
  bool GetIsPlainIcon() const { return FIsPlainIcon; }
  const TAniChunk& GetIconChunk() const { return FIconChunk; }
  TPoint GetCursorHotSpot() const { return FCursorHotSpot; }
  LONG GetJiffyRate() const { return FJiffyRate; }
  // The position of the "icon" chunk shown; -1 for a frame made for an icon no frame asked for.
  LONG GetIconIndex() const { return FIconIndex; }

 private:
  friend class TAnimatedCursorImage;
  std::shared_ptr<TIcon> FFrameIcon;
  bool FIsPlainIcon = false;
  TAniChunk FIconChunk{};
  TPoint FCursorHotSpot;
  LONG FJiffyRate;
  LONG FIconIndex;
};

class TAnimatedCursorImage : public TPersistent {
 public:
  TAnimatedCursorImage();
  ~TAnimatedCursorImage() override;
  TAnimatedCursorImage(const TAnimatedCursorImage&) = delete;
  TAnimatedCursorImage& operator=(const TAnimatedCursorImage&) = delete;

  // From nil: cleared; from another image: copies of its frames; on a failure, empty.
  void Assign(TPersistent* Source) override;
  virtual void LoadFromStream(TStream* Stream);
  // Writing is not implemented (NotImplemented).
  virtual void SaveToStream(TStream* Stream);
  // Any failure leaves the image empty.
  virtual void LoadFromFile(const AnsiString& FileName);

  void Clear();
  void NewImage();
  AnsiString GetTitle() const;
  AnsiString GetCreator() const;
  const TAniHeader& GetCursorHeader() const { return FHeader; }
  WORD GetMaxColorCount() const { return FMaxColorCount; }
  int GetIconCount() const { return static_cast<int>(FFrames.size()); }
  // Indices outside the frames raise EListError "List index out of bounds (%d)".
  TIcon* GetIcon(int Index) const;
  TIconFrame* GetFrame(int Index) const;
  // The default display time in milliseconds, 0 for a negative rate.
  int GetDefaultRate() const;

  // Size bytes of the stream, read as an animated cursor; 0 leaves the image as it is.
  void ReadStream(LONG Size, TStream* Stream);
  // The chunk walk over a stream that holds the whole file.
  void ReadAniStream(TStream* Stream);
  void WriteStream(TStream* Stream, bool WriteSize);
  // Frame 0 at its real size at the rectangle's top-left corner.
  void Draw(TCanvas* ACanvas, const TRect& ARect);
  // All frames side by side (or stacked) over BkColor, reduced to the frames' colour count.
  void AssignToBitmap(TBitmap* Bitmap, TColor BkColor, bool DecreaseColors, bool Vertical);

 protected:
  void AssignTo(TPersistent* Dest) override;
  // One "icon" chunk's picture, or null when it is no icon or cursor that loads.
  std::unique_ptr<TIcon> ReadCreateIcon(TStream* Stream, LONG ASize, TPoint& HotSpot, bool& IsIcon);

 private:
  [[noreturn]] void RiffReadError();
  TIconFrame* AddFrame(LONG AIndex, LONG AJiffies);
  void ReadFrameList(TStream* Stream, std::int64_t Left, int& IconsRead);
  void ReadInfoList(TStream* Stream, std::int64_t Left);
  void CountImageColors(std::span<const std::byte> Data, TPoint& HotSpot);

  TAniHeader FHeader{};
  TANINAME FTitle{};
  TANINAME FCreator{};
  std::vector<std::unique_ptr<TIconFrame>> FFrames;
  WORD FMaxColorCount = 0;
  // Some image of more than 256 colours: a reduced strip keeps them.
  bool FHasTrueColor = false;
};
