// A list that owns its icons, reports every change through one event (once per batch between
// BeginUpdate and EndUpdate) and stores itself in a form as the binary property "Icons".
#pragma once

#include <initializer_list>
#include <memory>
#include <vector>

#include "platform/vcl/Classes.h"
#include "platform/vcl/Filer.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/Icon.h"

// The list stream: a 32-bit count, then per entry a 32-bit size and that many bytes of icon
// file data (size 0: no icon). A count or size that the stream does not hold raises EReadError
// "Stream read error" before anything is taken for it.
class TIconList : public TPersistent {
 public:
  TIconList();
  ~TIconList() override;
  TIconList(const TIconList&) = delete;
  TIconList& operator=(const TIconList&) = delete;

  // From nil: cleared; from a TIconList or a TIcon: copies of its icons.
  void Assign(TPersistent* Source) override;

  virtual void Changed();
  // Entries may be nil. Indices outside the list raise EListError "List index out of bounds (%d)".
  virtual TIcon* Get(int Index);
  virtual int GetCount();
  // The entry at Index (or a new one at the end when Index is the count) takes a copy of Icon.
  virtual void Put(int Index, TIcon* Icon);
  // Appends a copy of Icon (an empty icon for nil).
  virtual int Add(TIcon* Icon);
  // Appends the module's icon resource at the system's icon size; a missing one raises
  // EResNotFound "Resource %s not found".
  virtual int AddResource(HINSTANCE Instance, LPCSTR ResID);
  virtual void Clear();
  virtual void Delete(int Index);
  virtual void Exchange(int Index1, int Index2);
  // The position of that very object, -1 when absent.
  virtual int IndexOf(TIcon* Icon);
  virtual void Insert(int Index, TIcon* Icon);
  virtual void InsertResource(int Index, HINSTANCE Instance, LPCSTR ResID);
  virtual void LoadFromStream(TStream* Stream);
  virtual void Move(int CurIndex, int NewIndex);
  virtual void SaveToStream(TStream* Stream);

  void BeginUpdate();
  void EndUpdate();
  // Appends that very object (nil allowed); the list owns it from then on.
  int AddIcon(TIcon* Icon);
  void LoadResource(HINSTANCE Instance, std::initializer_list<LPCSTR> ResIDs);
  void ReadData(TStream* Stream);
  void WriteData(TStream* Stream);

  TNotifyEvent OnChange;

 protected:
  void DefineProperties(TFiler* Filer) override;

 private:
  void SetUpdateState(bool Updating);
  void IconChanged(TObject* Sender);
  void Bind(TIcon* Icon);
  void CheckIndex(int Index, int Limit);
  std::unique_ptr<TIcon> ResourceIcon(HINSTANCE Instance, LPCSTR ResID);
  bool DoWrite(TFiler* Filer);

  std::vector<std::unique_ptr<TIcon>> FList;
  int FUpdateCount = 0;
};
