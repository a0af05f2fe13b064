// The picture classes' common ground: TGraphic's change and progress reports and file access,
// and TPicture, which holds one graphic of any class chosen by file extension.
#include <algorithm>
#include <vector>

#include "platform/user/Clipboard.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/Icon.h"
#include "platform/vcl/Jpeg.h"

// ---- TGraphic

void TGraphic::SetTransparent(bool Value) {
  if (FTransparent == Value) return;
  FTransparent = Value;
  Changed(this);
}

void TGraphic::SetModified(bool Value) {
  if (Value) Changed(this);
  else FModified = false;
}

void TGraphic::Changed(TObject*) {
  FModified = true;
  if (OnChange) OnChange(this);
}

void TGraphic::Progress(TObject* Sender, TProgressStage Stage, BYTE PercentDone, bool RedrawNow, const TRect& R,
                        const AnsiString& Msg) {
  if (OnProgress) OnProgress(Sender, Stage, PercentDone, RedrawNow, R, Msg);
}

void TGraphic::SaveToClipboardFormat(WORD&, HANDLE&, HPALETTE&) {
  throw EInvalidGraphic("Clipboard does not support this picture");
}

void TGraphic::LoadFromClipboardFormat(WORD, HANDLE, HPALETTE) {
  throw EInvalidGraphic("Clipboard does not support this picture");
}

void TGraphic::LoadFromFile(const AnsiString& FileName) {
  TFileStream stream(FileName, fmOpenRead);
  LoadFromStream(&stream);
}

void TGraphic::SaveToFile(const AnsiString& FileName) {
  TFileStream stream(FileName, fmCreate);
  SaveToStream(&stream);
}

// ---- TPicture

namespace {

struct FileFormat {
  AnsiString extension;  // lower case, without the dot
  AnsiString description;
  TGraphicClass graphicClass;
};

std::vector<FileFormat>& FileFormats() {
  static std::vector<FileFormat> formats = {
      {"bmp", "Bitmaps", CreateGraphic<TBitmap>},
      {"jpg", "JPEG Image File", CreateGraphic<TJPEGImage>},
      {"jpeg", "JPEG Image File", CreateGraphic<TJPEGImage>},
      {"ico", "Icons", CreateGraphic<TIcon>},
  };
  return formats;
}

struct ClipboardFormat {
  WORD format;
  TGraphicClass graphicClass;
};

std::vector<ClipboardFormat>& ClipboardFormats() {
  static std::vector<ClipboardFormat> formats = {{CF_BITMAP, CreateGraphic<TBitmap>}};
  return formats;
}

AnsiString ExtensionOf(const AnsiString& fileName) {
  const auto dot = fileName.find_last_of('.');
  const auto slash = fileName.find_last_of('/');
  if (dot == AnsiString::npos || (slash != AnsiString::npos && slash > dot)) return {};
  return fileName.substr(dot + 1);
}

}  // namespace

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::SetGraphic(TGraphic* Value) {
  if (Value == FGraphic.get()) return;
  if (Value == nullptr) return TakeGraphic(nullptr);
  std::unique_ptr<TGraphic> copy = Value->NewGraphic();
  copy->Assign(Value);
  TakeGraphic(std::move(copy));
}

TBitmap* TPicture::GetBitmap() {
  if (dynamic_cast<TBitmap*>(FGraphic.get()) == nullptr) TakeGraphic(std::make_unique<TBitmap>());
  return static_cast<TBitmap*>(FGraphic.get());
}

int TPicture::GetWidth() const { return FGraphic ? FGraphic->GetWidth() : 0; }
int TPicture::GetHeight() const { return FGraphic ? FGraphic->GetHeight() : 0; }

void TPicture::LoadFromFile(const AnsiString& FileName) {
  const AnsiString extension = LowerCase(ExtensionOf(FileName));
  const auto& formats = FileFormats();
  const auto format = std::find_if(formats.rbegin(), formats.rend(),
                                   [&extension](const FileFormat& f) { return f.extension == extension; });
  if (format == formats.rend())
    throw EInvalidGraphic(Format("Unknown picture file extension (.%s)", extension.c_str()));
  std::unique_ptr<TGraphic> graphic = format->graphicClass();
  graphic->LoadFromFile(FileName);
  TakeGraphic(std::move(graphic));
}

void TPicture::SaveToFile(const AnsiString& FileName) {
  if (FGraphic) FGraphic->SaveToFile(FileName);
}

void TPicture::Assign(TPersistent* Source) {
  if (Source == nullptr) return SetGraphic(nullptr);
  if (auto* picture = dynamic_cast<TPicture*>(Source)) return SetGraphic(picture->GetGraphic());
  if (auto* graphic = dynamic_cast<TGraphic*>(Source)) return SetGraphic(graphic);
  TPersistent::Assign(Source);
}

void TPicture::AssignTo(TPersistent* Dest) {
  if (FGraphic && dynamic_cast<TGraphic*>(Dest)) return Dest->Assign(FGraphic.get());
  TPersistent::AssignTo(Dest);
}

void TPicture::RegisterFileFormat(const AnsiString& Extension, const AnsiString& Description,
                                  TGraphicClass GraphicClass) {
  FileFormats().push_back({LowerCase(Extension), Description, GraphicClass});
}

void TPicture::UnregisterGraphicClass(TGraphicClass GraphicClass) {
  std::erase_if(FileFormats(), [GraphicClass](const FileFormat& f) { return f.graphicClass == GraphicClass; });
  std::erase_if(ClipboardFormats(), [GraphicClass](const ClipboardFormat& f) { return f.graphicClass == GraphicClass; });
}

void TPicture::RegisterClipboardFormat(WORD AFormat, TGraphicClass AGraphicClass) {
  ClipboardFormats().push_back({AFormat, AGraphicClass});
}

bool TPicture::SupportsClipboardFormat(WORD AFormat) {
  const auto& formats = ClipboardFormats();
  return std::any_of(formats.begin(), formats.end(), [AFormat](const ClipboardFormat& f) { return f.format == AFormat; });
}

void TPicture::LoadFromClipboardFormat(WORD AFormat, HANDLE AData, HPALETTE APalette) {
  const auto& formats = ClipboardFormats();
  const auto format = std::find_if(formats.rbegin(), formats.rend(),
                                   [AFormat](const ClipboardFormat& f) { return f.format == AFormat; });
  if (format == formats.rend()) throw EInvalidGraphic("Unsupported clipboard format");
  std::unique_ptr<TGraphic> graphic = format->graphicClass();
  graphic->LoadFromClipboardFormat(AFormat, AData, APalette);
  TakeGraphic(std::move(graphic));
}

void TPicture::SaveToClipboardFormat(WORD& AFormat, HANDLE& AData, HPALETTE& APalette) {
  if (FGraphic) FGraphic->SaveToClipboardFormat(AFormat, AData, APalette);
}

void TPicture::Changed(TObject*) {
  if (OnChange) OnChange(this);
}

void TPicture::TakeGraphic(std::unique_ptr<TGraphic> Graphic) {
  FGraphic = std::move(Graphic);
  if (FGraphic) FGraphic->OnChange = [this](TObject* Sender) { Changed(Sender); };
  Changed(this);
}
