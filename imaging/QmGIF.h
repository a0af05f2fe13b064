// TGIFImage: a GIF picture of one or more frames for the class library's picture family, read
// from a stream with each frame decoded only when its bitmap is first needed.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "imaging/QmGIFCodec.h"
#include "platform/vcl/Classes.h"
#include "platform/vcl/Graphics.h"

enum TGIFVersion { gvUnknown, gv87a, gv89a };
AnsiString GIFVersionName(TGIFVersion Version);

enum TDisposalMethod {
  dmUndefined, dmLeave, dmRestoreBackground, dmRestorePrevious, dmReserved4, dmReserved5, dmReserved6, dmReserved7
};

enum TGIFExtensionKind { xkGraphicControl, xkPlainText, xkApplication, xkComment };

// True: damaged raster data marks the frame corrupted and reading goes on; false: it raises.
extern bool GIFLoadCorrupted;
// The clipboard format of GIF data ("GIF Image"): a 32-bit byte count, then the GIF stream.
extern WORD CF_GIF;

// Guards against the sizes a hostile file may claim, checked before memory is taken for them.
inline constexpr int kMaxGIFFrames = 16384;
// The decoded bitmap of one frame; 16384 x 16384 at 8 bits fits.
inline constexpr std::int64_t kMaxGIFFrameBytes = std::int64_t{1} << 28;

TColor GifColorToColor(const TGIFColorItem& Item);

// Image-wide data that copies of an image share.
class TGIFData : public TSharedImage {
 public:
  TStringList FComment;
  BYTE FAspectRatio = 0;
  BYTE FBitsPerPixel = 0;
  BYTE FColorResBits = 0;
  TGIFColorTable FColorMap{};

 protected:
  void FreeHandle() override { FComment.Clear(); }
};

// Per-frame data that copies of a frame share: the code data exactly as in the file.
class TGIFItem : public TSharedImage {
 public:
  std::unique_ptr<TMemoryStream> FImageData;
  int FWidth = 0;
  int FHeight = 0;
  BYTE FPackedFields = 0;
  BYTE FBitsPerPixel = 0;
  TGIFColorTable FColorMap{};

 protected:
  void FreeHandle() override {
    if (FImageData) FImageData->SetSize(0);
  }
};

// One extension block kept with a frame.
class TExtension : public TPersistent {
 public:
  TGIFExtensionKind FExtType = xkComment;
  std::unique_ptr<TStringList> FData;  // the data sub-blocks, or none
  std::array<BYTE, 13> FExtRec{};      // the fixed bytes after the label
  // From another TExtension: kind, fixed bytes and its sub-blocks.
  void Assign(TPersistent* Source) override;
};

using TExtensionList = std::vector<std::unique_ptr<TExtension>>;

// The last extension of that kind in the list, or none.
TExtension* FindExtensionOfKind(const TExtensionList& List, TGIFExtensionKind Kind);

class TGIFImage;
class TAnimatedCursorImage;

class TGIFFrame : public TPersistent {
 public:
  explicit TGIFFrame(TGIFImage* AOwner);
  ~TGIFFrame() override;
  TGIFFrame(const TGIFFrame&) = delete;
  TGIFFrame& operator=(const TGIFFrame&) = delete;

  // From nil: a new empty frame; from a frame: its data, shared; from an image: its current
  // frame; from any other picture: a copy as a bitmap, or its drawing on 0xFF00FF.
  void Assign(TPersistent* Source) override;
  // Stretched into Rect, leaving out TransparentColor when Transparent is true.
  void Draw(TCanvas* ACanvas, const TRect& Rect, bool Transparent);
  // Turns the frame grey once: its table in place when it has code data, else its bitmap,
  // encoded at once with ForceEncoding.
  void GrayscaleImage(bool ForceEncoding);

  // The decoded bitmap, decoded from the code data when missing or empty.
  TBitmap* GetBitmap();
  int GetWidth();
  int GetHeight();
  int GetColorCount();
  TStringList* GetComment() { return FindComment(true); }
  void SetComment(TStringList* Value) { FindComment(true)->Assign(Value); }
  TPoint GetTopLeft() const { return FTopLeft; }
  void SetTopLeft(const TPoint& Value);
  TColor GetTransparentColor() const { return FTransparentColor; }
  void SetTransparentColor(TColor Value);
  WORD GetAnimateInterval() const { return FAnimateInterval; }
  void SetAnimateInterval(WORD Value);
  TDisposalMethod GetDisposalMethod() const { return FDisposalMethod; }
  void SetDisposalMethod(TDisposalMethod Value);
  bool GetCorrupted() const { return FCorrupted; }
  bool GetInterlaced() const { return FInterlaced; }
  // The comment lines of the last comment extension; with Create, made when missing.
  TStringList* FindComment(bool Create);
  const TExtensionList& GetExtensions() const { return FExtensions; }

  // One image block, read just after its separator.
  void LoadFromStream(TStream* Stream);
  void NewBitmap();
  void NewImage();

  // Gives a frame that holds only a bitmap its code data and colour table.
  void EncodeRasterData();
  // Encodes the BMP file image in Stream: 1, 4 or 8 bits with its whole colour table.
  void EncodeBitmapStream(TMemoryStream* Stream);
  // Refreshes the graphic control block from the properties and drops empty comments.
  void UpdateExtensions();
  void WriteImageDescriptor(TStream* Stream);
  void WriteLocalColorMap(TStream* Stream);
  void WriteRasterData(TStream* Stream);

 protected:
  // Into a frame or an image: its Assign; into another picture: the bitmap.
  void AssignTo(TPersistent* Dest) override;

 private:
  friend class TGIFImage;
  void AssignGraphic(TGraphic* Graphic);
  // Decodes into the empty bitmap; a failure leaves it empty. A frame its code data cannot
  // fill is an error, or in the tolerant mode decoded as far as the codes go and marked corrupted.
  void DecodeBitmap();
  bool CodesCanFill() const;
  // Stores a new value, raising the owner's version when it is not the default.
  template <class T>
  void SetProperty(T& Field, T Value, T Default);
  // The entry the transparency stands for: the graphic control block's while it still has the
  // transparent colour (a table may hold that colour more than once), else the first entry of
  // that colour; -1 for none.
  int TransparentIndex() const;
  // White where the decoded bitmap's pixels have the transparent entry; none when the bitmap
  // holds no indices of the frame's table.
  std::unique_ptr<TBitmap> TransparentMask();

  TGIFImage* FOwner;
  std::unique_ptr<TBitmap> FBitmap;
  vcl::SharedImageRef<TGIFItem> FImage;
  TExtensionList FExtensions;
  TPoint FTopLeft;
  bool FInterlaced = false;
  bool FCorrupted = false;
  bool FGrayscale = false;
  TColor FTransparentColor = clNone;
  int FTransparentIndex = -1;  // as the graphic control block gave it
  WORD FAnimateInterval = 0;
  TDisposalMethod FDisposalMethod = dmUndefined;
  bool FLocalColors = false;
};

class TGIFImage : public TGraphic {
 public:
  TGIFImage();
  ~TGIFImage() override;
  TGIFImage(const TGIFImage&) = delete;
  TGIFImage& operator=(const TGIFImage&) = delete;

  // From nil: empty; from an image: its data and frames, shared; from a frame: a one-frame
  // image; from a bitmap: one frame holding a copy.
  void Assign(TPersistent* Source) override;
  void Clear();
  // Appends a frame holding Value and makes it current; returns its index.
  virtual int AddFrame(TGraphic* Value);
  // EListError "List index out of bounds (%d)" outside the list.
  void DeleteFrame(int Index);
  void MoveFrame(int CurIndex, int NewIndex);
  // Turns every frame and the background grey.
  void Grayscale(bool ForceEncoding);

  bool GetEmpty() override;
  int GetWidth() override;
  int GetHeight() override;
  // A GIF image cannot be resized: EInvalidGraphicOperation.
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;
  HPALETTE GetPalette() override;
  bool GetTransparent() override;

  // All bytes from the position to the end.
  void LoadFromStream(TStream* Stream) override;
  void LoadFromResourceName(HINSTANCE Instance, const AnsiString& ResName, LPCSTR ResType);
  void LoadFromResourceID(HINSTANCE Instance, int ResID, LPCSTR ResType);
  // Form streaming: a 32-bit byte count, then the GIF data.
  void ReadData(TStream* Stream);
  // With the clipboard open: frame 0 as a bitmap and, when every frame is encoded, the GIF
  // data as CF_GIF beside it; and back, from the GIF data when the clipboard has it.
  void SaveToClipboardFormat(WORD& AFormat, HANDLE& AData, HPALETTE& APalette) override;
  void LoadFromClipboardFormat(WORD AFormat, HANDLE AData, HPALETTE APalette) override;
  // Size bytes of Stream; with ReadFirstFrame frame 0 is decoded at once.
  void ReadStream(std::int64_t Size, TStream* Stream, bool ReadFirstFrame);
  // Decodes every frame; a frame whose decoding is aborted goes, with all after it.
  void DecodeAllFrames();
  std::unique_ptr<TGraphic> NewGraphic() const override;

  // The whole image as a GIF stream; the target gets nothing when writing fails.
  void SaveToStream(TStream* Stream) override;
  // Form streaming: what ReadData reads.
  void WriteData(TStream* Stream);
  void WriteStream(TStream* Stream, bool WriteSize);
  // Encodes every frame that has no code data and refreshes every frame's extensions; with
  // ReverseDecode a true-colour bitmap is replaced by its reduced, decoded form.
  void EncodeFrames(bool ReverseDecode);
  void EncodeAllFrames();
  // The logical screen as the bounding box of the frames (decoding them).
  void UpdateScreenSize();

  int GetCount() const { return static_cast<int>(FItems.size()); }
  // EListError "List index out of bounds (%d)" outside 0 .. Count - 1.
  TGIFFrame* GetFrames(int Index) const;
  int GetFrameIndex() const { return FFrameIndex; }
  // Kept within -1 .. Count - 1.
  void SetFrameIndex(int Value);
  TColor GetBackgroundColor() const { return FBackgroundColor; }
  void SetBackgroundColor(TColor Value);
  bool GetLooping() const { return FLooping; }
  void SetLooping(bool Value);
  WORD GetRepeatCount() const { return FRepeatCount; }
  // At most 30000.
  void SetRepeatCount(WORD Value);
  TGIFVersion GetVersion() const { return FVersion; }
  TStringList* GetComment() { return &FImage->FComment; }
  void SetComment(TStringList* Value);
  WORD GetScreenWidth();
  WORD GetScreenHeight();
  int GetGlobalColorCount() const { return FImage->FColorMap.Count; }
  const TGIFColorTable& GetGlobalColorTable() const { return FImage->FColorMap; }
  bool GetCorrupted() const;
  TColor GetTransparentColor() const;
  TBitmap* GetBitmap();
  TPixelFormat GetPixelFormat();
  bool Equals(TGraphic* Graphic) const;

  // The progress callback frames hand to the codec: the picture's progress event.
  void DoProgress(TProgressStage Stage, BYTE PercentDone, const AnsiString& Msg);

 protected:
  // Into an image: its Assign; into another picture: the current frame, or nil when empty.
  void AssignTo(TPersistent* Dest) override;
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

 private:
  friend class TGIFFrame;
  void AssignImage(TGIFImage* Source);
  void AssignFrame(TGIFFrame* Source);
  void AssignCursor(TAnimatedCursorImage* Source);
  void NewImage();
  void UniqueImage();
  void ClearFrames();
  TProgressProc ProgressProc();
  struct TScreenDescriptor {
    BYTE PackedFields;
    BYTE BackgroundIndex;
  };
  void ReadSignature(TStream* Stream);
  TScreenDescriptor ReadScreenDescriptor(TStream* Stream);
  void ReadGlobalColorTable(TStream* Stream, const TScreenDescriptor& Screen);
  void ReadExtensionBlock(TStream* Stream, TExtensionList& Pending);
  void ReadFrame(TStream* Stream, TExtensionList& Pending);
  void AddTrailingComments(const TExtensionList& Pending);
  void WriteScreenDescriptor(TStream* Stream);
  // Removes the frame at Index and every frame after it.
  void DropFramesFrom(std::size_t Index);

  vcl::SharedImageRef<TGIFData> FImage;
  TGIFVersion FVersion = gvUnknown;
  std::vector<std::unique_ptr<TGIFFrame>> FItems;
  int FFrameIndex = -1;
  WORD FScreenWidth = 0;
  WORD FScreenHeight = 0;
  TColor FBackgroundColor = clNone;
  bool FLooping = false;
  bool FCorrupted = false;
  WORD FRepeatCount = 1;
};

// Shared routines of the unit.
int BitsForColorCount(int Count);
int ColorIndexInTable(const TGIFColorTable& Table, TColor Color);
// Grey of the low three bytes as they stand (77, 150 and 29 parts of 256).
TColor GrayOfColor(TColor Color);
void GrayColorTable(TGIFColorTable& Table);
