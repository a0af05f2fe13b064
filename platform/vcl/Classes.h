// The class library's object model (TObject, TPersistent, TComponent, events) and its streams
// (TStream, TMemoryStream, TResourceStream, TFileStream) with their exceptions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <typeinfo>
#include <vector>

#include "platform/vcl/SysUtils.h"
#include "platform/win32/Win32Types.h"

// Errors of streams: reads and writes that cannot be completed, files that cannot be opened.
class EStreamError : public Exception {
 public:
  using Exception::Exception;
};
class EReadError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
class EFOpenError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
// A named resource that the module does not hold ("Resource %s not found").
class EResNotFound : public Exception {
 public:
  using Exception::Exception;
};
// An index outside a list ("List index out of bounds (%d)").
class EListError : public Exception {
 public:
  using Exception::Exception;
};

// The readable name of a C++ type, e.g. "TBitmap".
AnsiString ClassNameOf(const std::type_info& type);

// Root of the class library's classes.
class TObject {
 public:
  virtual ~TObject() = default;
  // The class's own name, e.g. "TBitmap".
  AnsiString ClassName() const;
};

// An event handler bound to its object; "assigned" means non-empty.
using TNotifyEvent = std::function<void(TObject* Sender)>;

class TFiler;

// An object whose state can be copied from another (`Assign`).
class TPersistent : public TObject {
 public:
  // Copies Source into this object. The base asks Source to do it (`AssignTo`).
  virtual void Assign(TPersistent* Source);

 protected:
  friend class TFiler;
  // Copies this object into Dest; the base raises the assignment error.
  virtual void AssignTo(TPersistent* Dest);
  // Names the properties the object stores itself (platform/vcl/Filer.h); the base has none.
  virtual void DefineProperties(TFiler*) {}
  // Raises EConvertError "Cannot assign a <Source's class or nil> to a <this class>".
  [[noreturn]] void AssignError(TPersistent* Source);
};

enum TOperation { opInsert, opRemove };

// Horizontal alignment of text in controls and cells.
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// A component with an owner. The owner destroys what it owns; components are made with `new`
// and either given an owner or deleted by whoever made them.
class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* GetOwner() const { return FOwner; }
  const AnsiString& GetName() const { return FName; }
  void SetName(const AnsiString& Value) { FName = Value; }
  int GetComponentCount() const { return static_cast<int>(FComponents.size()); }
  // The owned component at Index; EListError outside 0 .. ComponentCount - 1.
  TComponent* GetComponents(int Index) const;

  // Takes AComponent into this owner's list (out of its old owner's) and tells the owned
  // components (opInsert); RemoveComponent gives it up again (opRemove).
  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  // Asks to be told (opRemove) when AComponent is destroyed, and tells it in turn.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);
  // Destroys every owned component, the last one first.
  void DestroyComponents();

 protected:
  // AComponent joined or is leaving this owner, or a component this one watches is being
  // destroyed. The base passes the news to every owned component.
  virtual void Notification(TComponent* AComponent, TOperation Operation);

 private:
  void Unlink(TComponent* AComponent);

  TComponent* FOwner = nullptr;
  AnsiString FName;
  std::vector<std::unique_ptr<TComponent>> FComponents;
  std::vector<TComponent*> FFreeNotifies;
};

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

// A sequence of bytes with a position.
class TStream : public TObject {
 public:
  // Reads up to Count bytes; returns how many were read (0 at the end).
  virtual int Read(void* Buffer, int Count) = 0;
  // Writes up to Count bytes; returns how many were written.
  virtual int Write(const void* Buffer, int Count) = 0;
  // Moves the position; returns the new one.
  virtual std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) = 0;

  std::int64_t GetPosition() { return Seek(0, soCurrent); }
  void SetPosition(std::int64_t Value) { Seek(Value, soBeginning); }
  virtual std::int64_t GetSize();
  virtual void SetSize(std::int64_t NewSize);

  // Exactly Count bytes or EReadError "Stream read error" / EWriteError "Stream write error".
  void ReadBuffer(void* Buffer, int Count);
  void WriteBuffer(const void* Buffer, int Count);
  // Copies Count bytes from Source's position (Count 0: all of Source, from its start).
  std::int64_t CopyFrom(TStream* Source, std::int64_t Count);
};

// A stream over bytes held in memory; the base of the memory and resource streams.
class TCustomMemoryStream : public TStream {
 public:
  int Read(void* Buffer, int Count) override;
  std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) override;
  std::int64_t GetSize() override { return static_cast<std::int64_t>(FSize); }
  // The bytes; valid until the stream changes size.
  void* GetMemory() const { return const_cast<std::byte*>(FMemory); }
  void SaveToStream(TStream* Stream);
  void SaveToFile(const AnsiString& FileName);

 protected:
  void SetPointer(const std::byte* Memory, std::size_t Size);
  std::int64_t FPosition = 0;

 private:
  const std::byte* FMemory = nullptr;
  std::size_t FSize = 0;
};

// A growable stream in memory.
class TMemoryStream : public TCustomMemoryStream {
 public:
  int Write(const void* Buffer, int Count) override;
  // Grows or shrinks; new bytes are zero. EOutOfMemory "Out of memory" when it cannot.
  void SetSize(std::int64_t NewSize) override;
  void Clear();
  // Replaces the contents with all of Stream (read from its start).
  void LoadFromStream(TStream* Stream);
  void LoadFromFile(const AnsiString& FileName);

 private:
  std::vector<std::byte> FData;
};

// A read-only stream over a resource of a module. A missing resource raises EResNotFound
// "Resource %s not found"; writing raises EStreamError.
class TResourceStream : public TCustomMemoryStream {
 public:
  TResourceStream(HINSTANCE Instance, const AnsiString& ResName, LPCSTR ResType);
  TResourceStream(HINSTANCE Instance, int ResID, LPCSTR ResType);
  int Write(const void* Buffer, int Count) override;

 private:
  void Initialize(HINSTANCE Instance, LPCSTR Name, LPCSTR ResType, const AnsiString& ShownName);
};

// File open modes of TFileStream.
constexpr WORD fmOpenRead = 0x0000;
constexpr WORD fmOpenWrite = 0x0001;
constexpr WORD fmOpenReadWrite = 0x0002;
constexpr WORD fmCreate = 0xFF00;

// A stream over a file. fmCreate creates or empties it; a failure raises EFCreateError
// "Cannot create file "%s". ..." or EFOpenError "Cannot open file "%s". ...".
class TFileStream : public TStream {
 public:
  TFileStream(const AnsiString& FileName, WORD Mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;
  int Read(void* Buffer, int Count) override;
  int Write(const void* Buffer, int Count) override;
  std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) override;
  void SetSize(std::int64_t NewSize) override;

 private:
  int FHandle = -1;
};

// The design-time component palette: which component classes are offered on which page.
// A class reference names the class and makes an instance with a given owner.
struct TComponentClass {
  AnsiString ClassName;
  std::function<TComponent*(TComponent* AOwner)> Create;
};

template <class T>
TComponentClass ComponentClassOf() {
  return {ClassNameOf(typeid(T)), [](TComponent* AOwner) -> TComponent* { return new T(AOwner); }};
}

struct TPaletteEntry {
  AnsiString Page;
  TComponentClass Class;
};

// Puts each class on the page; a class registered again moves to the new page, once.
void RegisterComponents(const AnsiString& Page, std::initializer_list<TComponentClass> Classes);
// The palette in registration order.
const std::vector<TPaletteEntry>& RegisteredComponents();

// A list of texts, as memos and combo boxes keep their lines and items. Each change raises
// OnChange, or once at the EndUpdate that closes the changes.
class TStringList : public TPersistent {
 public:
  int GetCount() const { return static_cast<int>(FItems.size()); }
  // EListError "List index out of bounds (%d)" outside 0 .. Count - 1.
  const AnsiString& GetStrings(int Index) const;
  void SetStrings(int Index, const AnsiString& Value);
  int Add(const AnsiString& S);
  // Index may be Count, which appends.
  void Insert(int Index, const AnsiString& S);
  void Delete(int Index);
  void Clear();
  void AddStrings(const TStringList* Strings);
  // The first index of S, compared without regard to letter case; -1 when it is not there.
  int IndexOf(const AnsiString& S) const;
  // The lines joined with CR LF; setting splits at CR LF, LF or CR (an empty text: no lines).
  AnsiString GetText() const;
  void SetText(const AnsiString& Value);
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  void Assign(TPersistent* Source) override;

  TNotifyEvent OnChange;

 private:
  void Changed();
  void CheckIndex(int Index, int Limit) const;

  std::vector<AnsiString> FItems;
  int FUpdateCount = 0;
  bool FChangedWhileUpdating = false;
};
