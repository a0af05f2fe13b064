// The icon list: ownership and change binding of its entries, batched notification, and the
// list stream, every count and size checked against the bytes the stream still holds.
#include "imaging/IcoList.h"

#include <algorithm>
#include <cstdint>

#include "imaging/QmUtils.h"
#include "platform/user/Icons.h"

namespace {

// What a stream still holds from its position.
std::int64_t BytesLeft(TStream* Stream) { return Stream->GetSize() - Stream->GetPosition(); }

std::int32_t ReadInt32(TStream* Stream) {
  std::int32_t value = 0;
  Stream->ReadBuffer(&value, 4);
  return value;
}

// Runs EndUpdate when a batch ends, also by an exception.
class UpdateBatch {
 public:
  explicit UpdateBatch(TIconList* List) : list_(List) { list_->BeginUpdate(); }
  ~UpdateBatch() { list_->EndUpdate(); }
  UpdateBatch(const UpdateBatch&) = delete;
  UpdateBatch& operator=(const UpdateBatch&) = delete;

 private:
  TIconList* list_;
};

}  // namespace

TIconList::TIconList() = default;

TIconList::~TIconList() {
  OnChange = nullptr;
  Clear();
}

void TIconList::BeginUpdate() {
  if (FUpdateCount++ == 0) SetUpdateState(true);
}

void TIconList::EndUpdate() {
  if (--FUpdateCount == 0) SetUpdateState(false);
}

void TIconList::SetUpdateState(bool Updating) {
  if (!Updating) Changed();
}

void TIconList::Changed() {
  if (FUpdateCount == 0 && OnChange) OnChange(this);
}

void TIconList::IconChanged(TObject*) { Changed(); }

void TIconList::Bind(TIcon* Icon) {
  if (Icon) Icon->OnChange = [this](TObject* Sender) { IconChanged(Sender); };
}

void TIconList::CheckIndex(int Index, int Limit) {
  if (Index < 0 || Index >= Limit) throw EListError(Format("List index out of bounds (%d)", Index));
}

TIcon* TIconList::Get(int Index) {
  CheckIndex(Index, GetCount());
  return FList[static_cast<std::size_t>(Index)].get();
}

int TIconList::GetCount() { return static_cast<int>(FList.size()); }

void TIconList::Put(int Index, TIcon* Icon) {
  UpdateBatch batch(this);
  if (Index == GetCount()) Add(nullptr);
  CheckIndex(Index, GetCount());
  auto& entry = FList[static_cast<std::size_t>(Index)];
  if (!entry) {
    entry = std::make_unique<TIcon>();
    Bind(entry.get());
  }
  entry->Assign(Icon);
}

int TIconList::AddIcon(TIcon* Icon) {
  // The only step that may fail, taken before the list owns Icon; growth stays geometric.
  if (FList.size() == FList.capacity()) FList.reserve(std::max<std::size_t>(8, 2 * FList.capacity()));
  FList.emplace_back(Icon);
  Bind(Icon);
  Changed();
  return GetCount() - 1;
}

int TIconList::Add(TIcon* Icon) {
  auto icon = std::make_unique<TIcon>();
  icon->Assign(Icon);
  const int index = AddIcon(icon.get());
  icon.release();
  return index;
}

std::unique_ptr<TIcon> TIconList::ResourceIcon(HINSTANCE Instance, LPCSTR ResID) {
  HICON handle = LoadIconA(Instance, ResID);
  if (handle == nullptr) ResourceNotFound(ResID);  // rather than an empty icon that looks loaded
  auto icon = std::make_unique<TIcon>();
  icon->SetHandle(handle);
  return icon;
}

int TIconList::AddResource(HINSTANCE Instance, LPCSTR ResID) {
  auto icon = ResourceIcon(Instance, ResID);
  const int index = AddIcon(icon.get());
  icon.release();
  return index;
}

void TIconList::Insert(int Index, TIcon* Icon) {
  CheckIndex(Index, GetCount() + 1);
  auto icon = std::make_unique<TIcon>();
  icon->Assign(Icon);
  Bind(icon.get());
  FList.insert(FList.begin() + Index, std::move(icon));
  Changed();
}

void TIconList::InsertResource(int Index, HINSTANCE Instance, LPCSTR ResID) {
  CheckIndex(Index, GetCount() + 1);
  auto icon = ResourceIcon(Instance, ResID);
  Bind(icon.get());
  FList.insert(FList.begin() + Index, std::move(icon));
  Changed();
}

void TIconList::LoadResource(HINSTANCE Instance, std::initializer_list<LPCSTR> ResIDs) {
  UpdateBatch batch(this);
  for (LPCSTR id : ResIDs) AddResource(Instance, id);
}

void TIconList::Delete(int Index) {
  CheckIndex(Index, GetCount());
  std::unique_ptr<TIcon> icon = std::move(FList[static_cast<std::size_t>(Index)]);
  if (icon) icon->OnChange = nullptr;
  FList.erase(FList.begin() + Index);
  icon.reset();
  Changed();
}

void TIconList::Clear() {
  UpdateBatch batch(this);
  for (int i = GetCount() - 1; i >= 0; --i) Delete(i);
}

void TIconList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1, GetCount());
  CheckIndex(Index2, GetCount());
  std::swap(FList[static_cast<std::size_t>(Index1)], FList[static_cast<std::size_t>(Index2)]);
  Changed();
}

void TIconList::Move(int CurIndex, int NewIndex) {
  CheckIndex(CurIndex, GetCount());
  CheckIndex(NewIndex, GetCount());
  auto first = FList.begin();
  if (CurIndex < NewIndex)
    std::rotate(first + CurIndex, first + CurIndex + 1, first + NewIndex + 1);
  else
    std::rotate(first + NewIndex, first + CurIndex, first + CurIndex + 1);
  Changed();
}

int TIconList::IndexOf(TIcon* Icon) {
  const auto found = std::find_if(FList.begin(), FList.end(), [Icon](const auto& entry) { return entry.get() == Icon; });
  return found == FList.end() ? -1 : static_cast<int>(found - FList.begin());
}

void TIconList::Assign(TPersistent* Source) {
  if (Source == this) return;  // clearing first would lose what is to be copied
  if (Source == nullptr) {
    Clear();
    return;
  }
  if (auto* list = dynamic_cast<TIconList*>(Source)) {
    UpdateBatch batch(this);
    Clear();
    for (int i = 0; i < list->GetCount(); ++i) Add(list->Get(i));
    return;
  }
  if (auto* icon = dynamic_cast<TIcon*>(Source)) {
    UpdateBatch batch(this);
    Clear();
    Add(icon);
    return;
  }
  TPersistent::Assign(Source);
}

void TIconList::ReadData(TStream* Stream) {
  UpdateBatch batch(this);
  Clear();
  const std::int32_t count = ReadInt32(Stream);
  if (count > BytesLeft(Stream) / 4) throw EReadError("Stream read error");
  for (std::int32_t i = 0; i < count; ++i) {
    const std::int32_t size = ReadInt32(Stream);
    if (size <= 0) {
      AddIcon(nullptr);
      continue;
    }
    if (size > BytesLeft(Stream)) throw EReadError("Stream read error");
    TMemoryStream data;
    data.CopyFrom(Stream, size);
    data.SetPosition(0);
    auto icon = std::make_unique<TIcon>();
    icon->LoadFromStream(&data);
    AddIcon(icon.get());
    icon.release();
  }
}

void TIconList::WriteData(TStream* Stream) {
  const std::int32_t count = GetCount();
  Stream->WriteBuffer(&count, 4);
  TMemoryStream data;
  for (const auto& icon : FList) {
    data.Clear();
    if (icon && !icon->GetEmpty()) icon->SaveToStream(&data);
    const std::int32_t size = static_cast<std::int32_t>(data.GetSize());
    Stream->WriteBuffer(&size, 4);
    if (size > 0) Stream->WriteBuffer(data.GetMemory(), size);
  }
}

void TIconList::LoadFromStream(TStream* Stream) { ReadData(Stream); }

void TIconList::SaveToStream(TStream* Stream) { WriteData(Stream); }

bool TIconList::DoWrite(TFiler* Filer) {
  auto* ancestor = dynamic_cast<TIconList*>(Filer->GetAncestor());
  if (ancestor && ancestor->GetCount() == GetCount() && GetCount() > 0) {
    for (int i = 0; i < GetCount(); ++i)
      if (Get(i) != ancestor->Get(i)) return true;
    return false;
  }
  return GetCount() > 0;
}

void TIconList::DefineProperties(TFiler* Filer) {
  Filer->DefineBinaryProperty(
      "Icons", [this](TStream* Stream) { ReadData(Stream); }, [this](TStream* Stream) { WriteData(Stream); },
      DoWrite(Filer));
}
