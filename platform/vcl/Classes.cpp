// The object model's rules (assignment, ownership, notification) and the streams over memory,
// resources and files. Every read and write checks its count against what is there.
#include "platform/vcl/Classes.h"

#include <cxxabi.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <typeinfo>

#include "platform/win32/Resources.h"

AnsiString TObject::ClassName() const { return ClassNameOf(typeid(*this)); }

AnsiString ClassNameOf(const std::type_info& type) {
  const char* mangled = type.name();
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> name(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                   &std::free);
  return status == 0 && name ? AnsiString(name.get()) : AnsiString(mangled);
}

// ---- TPersistent

void TPersistent::Assign(TPersistent* Source) {
  if (Source == nullptr) AssignError(nullptr);
  Source->AssignTo(this);
}

void TPersistent::AssignTo(TPersistent* Dest) { Dest->AssignError(this); }

void TPersistent::AssignError(TPersistent* Source) {
  const AnsiString source = Source ? Source->ClassName() : AnsiString("nil");
  throw EConvertError(Format("Cannot assign a %s to a %s", source.c_str(), ClassName().c_str()));
}

// ---- TComponent

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  // Watchers under the same owner hear of this through the owner, unless the owner itself is
  // destroying its components (then FOwner is already null).
  while (!FFreeNotifies.empty()) {
    TComponent* watcher = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    std::erase(watcher->FFreeNotifies, this);
    if (FOwner == nullptr || watcher->FOwner != FOwner) watcher->Notification(this, opRemove);
  }
  DestroyComponents();
  if (FOwner) FOwner->RemoveComponent(this);
}

TComponent* TComponent::GetComponents(int Index) const {
  if (Index < 0 || Index >= GetComponentCount()) throw EListError(Format("List index out of bounds (%d)", Index));
  return FComponents[static_cast<std::size_t>(Index)].get();
}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (AComponent == nullptr || AComponent->FOwner == this) return;
  if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
  FComponents.emplace_back(AComponent);
  AComponent->FOwner = this;
  Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  if (AComponent == nullptr || AComponent->FOwner != this) return;
  const auto it = std::find_if(FComponents.begin(), FComponents.end(),
                               [AComponent](const auto& owned) { return owned.get() == AComponent; });
  it->release();  // the caller owns it now
  FComponents.erase(it);
  AComponent->FOwner = nullptr;
  Notification(AComponent, opRemove);
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (AComponent == nullptr || AComponent == this) return;
  if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end()) {
    FFreeNotifies.push_back(AComponent);
    AComponent->FFreeNotifies.push_back(this);
  }
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  if (AComponent == nullptr) return;
  Unlink(AComponent);
  AComponent->Unlink(this);
}

void TComponent::Unlink(TComponent* AComponent) { std::erase(FFreeNotifies, AComponent); }

void TComponent::DestroyComponents() {
  while (!FComponents.empty()) {
    std::unique_ptr<TComponent> last = std::move(FComponents.back());
    FComponents.pop_back();
    last->FOwner = nullptr;
  }
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
  // A handler may add or remove components; index so that the walk stays valid.
  for (std::size_t i = 0; i < FComponents.size(); ++i) FComponents[i]->Notification(AComponent, Operation);
}

// ---- TStream

std::int64_t TStream::GetSize() {
  const std::int64_t position = Seek(0, soCurrent);
  const std::int64_t size = Seek(0, soEnd);
  Seek(position, soBeginning);
  return size;
}

void TStream::SetSize(std::int64_t) { throw EStreamError("Stream size cannot be changed"); }

void TStream::ReadBuffer(void* Buffer, int Count) {
  if (Count < 0 || (Count != 0 && Read(Buffer, Count) != Count)) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* Buffer, int Count) {
  if (Count < 0 || (Count != 0 && Write(Buffer, Count) != Count)) throw EWriteError("Stream write error");
}

std::int64_t TStream::CopyFrom(TStream* Source, std::int64_t Count) {
  if (Count == 0) {
    Source->SetPosition(0);
    Count = Source->GetSize();
  }
  if (Count < 0) throw EReadError("Stream read error");
  std::vector<std::byte> buffer(static_cast<std::size_t>(std::min<std::int64_t>(Count, 0xF000)));
  for (std::int64_t left = Count; left > 0;) {
    const int chunk = static_cast<int>(std::min<std::int64_t>(left, static_cast<std::int64_t>(buffer.size())));
    Source->ReadBuffer(buffer.data(), chunk);
    WriteBuffer(buffer.data(), chunk);
    left -= chunk;
  }
  return Count;
}

// ---- TCustomMemoryStream

void TCustomMemoryStream::SetPointer(const std::byte* Memory, std::size_t Size) {
  FMemory = Memory;
  FSize = Size;
}

int TCustomMemoryStream::Read(void* Buffer, int Count) {
  if (Count <= 0 || FPosition < 0 || FPosition >= GetSize()) return 0;
  const int n = static_cast<int>(std::min<std::int64_t>(Count, GetSize() - FPosition));
  std::memcpy(Buffer, FMemory + FPosition, static_cast<std::size_t>(n));
  FPosition += n;
  return n;
}

std::int64_t TCustomMemoryStream::Seek(std::int64_t Offset, TSeekOrigin Origin) {
  switch (Origin) {
    case soBeginning: FPosition = Offset; break;
    case soCurrent: FPosition += Offset; break;
    case soEnd: FPosition = GetSize() + Offset; break;
  }
  return FPosition;
}

void TCustomMemoryStream::SaveToStream(TStream* Stream) {
  // WriteBuffer takes an int count; larger contents go in pieces.
  for (std::size_t done = 0; done < FSize;) {
    const std::size_t chunk = std::min<std::size_t>(FSize - done, std::numeric_limits<int>::max());
    Stream->WriteBuffer(FMemory + done, static_cast<int>(chunk));
    done += chunk;
  }
}

void TCustomMemoryStream::SaveToFile(const AnsiString& FileName) {
  TFileStream file(FileName, fmCreate);
  SaveToStream(&file);
}

// ---- TMemoryStream

void TMemoryStream::SetSize(std::int64_t NewSize) {
  if (NewSize < 0) throw EStreamError("Stream size cannot be negative");
  try {
    FData.resize(static_cast<std::size_t>(NewSize));
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory("Out of memory");
  } catch (const std::length_error&) {
    throw EOutOfMemory("Out of memory");
  }
  SetPointer(FData.data(), FData.size());
  if (FPosition > NewSize) FPosition = NewSize;
}

int TMemoryStream::Write(const void* Buffer, int Count) {
  if (Count <= 0 || FPosition < 0) return 0;
  const std::int64_t end = FPosition + Count;
  if (end > GetSize()) SetSize(end);
  std::memcpy(FData.data() + FPosition, Buffer, static_cast<std::size_t>(Count));
  FPosition = end;
  return Count;
}

void TMemoryStream::Clear() {
  FData.clear();
  FData.shrink_to_fit();
  SetPointer(nullptr, 0);
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream* Stream) {
  Stream->SetPosition(0);
  const std::int64_t size = Stream->GetSize();
  SetSize(size);
  FPosition = 0;
  for (std::int64_t done = 0; done < size;) {
    const int chunk = static_cast<int>(std::min<std::int64_t>(size - done, std::numeric_limits<int>::max()));
    Stream->ReadBuffer(FData.data() + done, chunk);
    done += chunk;
  }
}

void TMemoryStream::LoadFromFile(const AnsiString& FileName) {
  TFileStream file(FileName, fmOpenRead);
  LoadFromStream(&file);
}

// ---- TResourceStream

TResourceStream::TResourceStream(HINSTANCE Instance, const AnsiString& ResName, LPCSTR ResType) {
  Initialize(Instance, ResName.c_str(), ResType, ResName);
}

TResourceStream::TResourceStream(HINSTANCE Instance, int ResID, LPCSTR ResType) {
  Initialize(Instance, MAKEINTRESOURCEA(static_cast<WORD>(ResID)), ResType, IntToStr(ResID));
}

void TResourceStream::Initialize(HINSTANCE Instance, LPCSTR Name, LPCSTR ResType, const AnsiString& ShownName) {
  HRSRC resource = FindResourceA(Instance, Name, ResType);
  HGLOBAL data = resource ? LoadResource(Instance, resource) : nullptr;
  const void* bytes = data ? LockResource(data) : nullptr;
  if (bytes == nullptr) throw EResNotFound(Format("Resource %s not found", ShownName.c_str()));
  SetPointer(static_cast<const std::byte*>(bytes), SizeofResource(Instance, resource));
}

int TResourceStream::Write(const void*, int) { throw EStreamError("Can't write to a read-only resource stream"); }

// ---- TFileStream

TFileStream::TFileStream(const AnsiString& FileName, WORD Mode) {
  if (Mode == fmCreate) {
    FHandle = ::open(FileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (FHandle < 0)
      throw EFCreateError(Format("Cannot create file \"%s\". %s", FileName.c_str(), std::strerror(errno)));
    return;
  }
  const int access = (Mode & 3) == fmOpenWrite ? O_WRONLY : (Mode & 3) == fmOpenReadWrite ? O_RDWR : O_RDONLY;
  FHandle = ::open(FileName.c_str(), access | O_CLOEXEC);
  if (FHandle < 0) throw EFOpenError(Format("Cannot open file \"%s\". %s", FileName.c_str(), std::strerror(errno)));
}

TFileStream::~TFileStream() {
  if (FHandle >= 0) ::close(FHandle);
}

int TFileStream::Read(void* Buffer, int Count) {
  int done = 0;
  while (done < Count) {
    const ssize_t n = ::read(FHandle, static_cast<char*>(Buffer) + done, static_cast<std::size_t>(Count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<int>(n);
  }
  return done;
}

int TFileStream::Write(const void* Buffer, int Count) {
  int done = 0;
  while (done < Count) {
    const ssize_t n =
        ::write(FHandle, static_cast<const char*>(Buffer) + done, static_cast<std::size_t>(Count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<int>(n);
  }
  return done;
}

std::int64_t TFileStream::Seek(std::int64_t Offset, TSeekOrigin Origin) {
  const int whence = Origin == soBeginning ? SEEK_SET : Origin == soCurrent ? SEEK_CUR : SEEK_END;
  return ::lseek(FHandle, Offset, whence);
}

void TFileStream::SetSize(std::int64_t NewSize) {
  if (::ftruncate(FHandle, NewSize) != 0) throw EStreamError(Format("Stream size cannot be changed. %s", std::strerror(errno)));
  if (GetPosition() > NewSize) SetPosition(NewSize);
}

// ---- Component palette

namespace {

std::vector<TPaletteEntry>& Palette() {
  static std::vector<TPaletteEntry> palette;
  return palette;
}

}  // namespace

void RegisterComponents(const AnsiString& Page, std::initializer_list<TComponentClass> Classes) {
  std::vector<TPaletteEntry>& palette = Palette();
  for (const TComponentClass& Class : Classes) {
    std::erase_if(palette, [&](const TPaletteEntry& entry) { return entry.Class.ClassName == Class.ClassName; });
    palette.push_back({Page, Class});
  }
}

const std::vector<TPaletteEntry>& RegisteredComponents() { return Palette(); }

// ---- String list

void TStringList::CheckIndex(int Index, int Limit) const {
  if (Index < 0 || Index > Limit) throw EListError(Format("List index out of bounds (%d)", Index));
}

const AnsiString& TStringList::GetStrings(int Index) const {
  CheckIndex(Index, GetCount() - 1);
  return FItems[static_cast<std::size_t>(Index)];
}

void TStringList::SetStrings(int Index, const AnsiString& Value) {
  CheckIndex(Index, GetCount() - 1);
  FItems[static_cast<std::size_t>(Index)] = Value;
  Changed();
}

int TStringList::Add(const AnsiString& S) {
  FItems.push_back(S);
  Changed();
  return GetCount() - 1;
}

void TStringList::Insert(int Index, const AnsiString& S) {
  CheckIndex(Index, GetCount());
  FItems.insert(FItems.begin() + Index, S);
  Changed();
}

void TStringList::Delete(int Index) {
  CheckIndex(Index, GetCount() - 1);
  FItems.erase(FItems.begin() + Index);
  Changed();
}

void TStringList::Clear() {
  if (FItems.empty()) return;
  FItems.clear();
  Changed();
}

void TStringList::AddStrings(const TStringList* Strings) {
  if (!Strings || Strings->FItems.empty()) return;
  const std::vector<AnsiString> added = Strings->FItems;  // Strings may be this list
  FItems.insert(FItems.end(), added.begin(), added.end());
  Changed();
}

int TStringList::IndexOf(const AnsiString& S) const {
  const auto same = [&](const AnsiString& item) {
    return item.size() == S.size() && std::equal(item.begin(), item.end(), S.begin(), [](char a, char b) {
             return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
           });
  };
  const auto it = std::find_if(FItems.begin(), FItems.end(), same);
  return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

AnsiString TStringList::GetText() const {
  AnsiString text;
  for (std::size_t i = 0; i < FItems.size(); ++i) {
    if (i) text += "\r\n";
    text += FItems[i];
  }
  return text;
}

void TStringList::SetText(const AnsiString& Value) {
  FItems.clear();
  std::size_t start = 0;
  while (!Value.empty() && start <= Value.size()) {
    const std::size_t end = Value.find_first_of("\r\n", start);
    FItems.push_back(Value.substr(start, end == AnsiString::npos ? AnsiString::npos : end - start));
    if (end == AnsiString::npos) break;
    start = end + (Value.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  Changed();
}

void TStringList::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0 && FChangedWhileUpdating) {
    FChangedWhileUpdating = false;
    Changed();
  }
}

void TStringList::Assign(TPersistent* Source) {
  if (Source == this) return;
  auto* other = dynamic_cast<TStringList*>(Source);
  if (!other) {
    TPersistent::Assign(Source);
    return;
  }
  FItems = other->FItems;
  Changed();
}

void TStringList::Changed() {
  if (FUpdateCount > 0) {
    FChangedWhileUpdating = true;
    return;
  }
  if (OnChange) OnChange(this);
}
