// The settings store: one registry access object per call, the key path from the company and
// product names, and the typed value operations of the registry class.
#include "components/SetReg.h"

TSetReg::TSetReg(TComponent* AOwner) : TComponent(AOwner) {}

AnsiString TSetReg::KeyPath() const { return "SOFTWARE\\" + CompanyName + "\\" + ProductName; }

template <class TOperation>
bool TSetReg::WithKey(bool CanCreate, TOperation Operation) {
  TRegistry registry(KEY_ALL_ACCESS);
  registry.SetRootKey(HKEY_CURRENT_USER);
  if (!registry.OpenKey(KeyPath(), CanCreate)) return false;
  Operation(registry);
  registry.CloseKey();
  return true;
}

bool TSetReg::Write(const AnsiString& Name, int Value) {
  return WithKey(true, [&](TRegistry& registry) { registry.WriteInteger(Name, Value); });
}

bool TSetReg::Write(const AnsiString& Name, bool Value) {
  return WithKey(true, [&](TRegistry& registry) { registry.WriteBool(Name, Value); });
}

bool TSetReg::Write(const AnsiString& Name, const AnsiString& Value) {
  return WithKey(true, [&](TRegistry& registry) { registry.WriteString(Name, Value); });
}

bool TSetReg::Write(const AnsiString& Name, float Value) {
  return WithKey(true, [&](TRegistry& registry) { registry.WriteFloat(Name, Value); });
}

bool TSetReg::Read(const AnsiString& Name, int* Value) {
  return WithKey(false, [&](TRegistry& registry) { *Value = registry.ReadInteger(Name); });
}

bool TSetReg::Read(const AnsiString& Name, bool* Value) {
  return WithKey(false, [&](TRegistry& registry) { *Value = registry.ReadBool(Name); });
}

bool TSetReg::Read(const AnsiString& Name, AnsiString* Value) {
  return WithKey(false, [&](TRegistry& registry) { *Value = registry.ReadString(Name); });
}

bool TSetReg::Read(const AnsiString& Name, float* Value) {
  return WithKey(false, [&](TRegistry& registry) { *Value = static_cast<float>(registry.ReadFloat(Name)); });
}

void TSetReg::Write(const TValues& Values, registry::Damaged WhenDamaged) {
  TRegistry registry(KEY_ALL_ACCESS);
  registry.SetRootKey(HKEY_CURRENT_USER);
  registry.WriteValues(KeyPath(), Values.FValues, WhenDamaged);
}

void SetReg::Register() { RegisterComponents("roVivavaV", {ComponentClassOf<TSetReg>()}); }
