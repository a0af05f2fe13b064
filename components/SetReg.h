// The settings store: named values under HKEY_CURRENT_USER\SOFTWARE\<company>\<product>, one
// value per call, the key opened and closed inside each call.
#pragma once

#include "platform/vcl/Classes.h"

class TSetReg : public TComponent {
 public:
  explicit TSetReg(TComponent* AOwner);

  const AnsiString& GetCompanyName() const { return CompanyName; }
  void SetCompanyName(const AnsiString& Value) { CompanyName = Value; }
  const AnsiString& GetProductName() const { return ProductName; }
  void SetProductName(const AnsiString& Value) { ProductName = Value; }

  // Each returns whether the key could be opened (a Write creates it). A value that is
  // missing or of another type raises the registry's ERegistryException (a missing text
  // reads as ""); false leaves the out-parameter untouched.
  bool Write(const AnsiString& Name, int Value);
  bool Write(const AnsiString& Name, bool Value);
  bool Write(const AnsiString& Name, const AnsiString& Value);
  // A literal text is a text, not a bool.
  bool Write(const AnsiString& Name, const char* Value) { return Write(Name, AnsiString(Value)); }
  bool Write(const AnsiString& Name, float Value);
  bool Read(const AnsiString& Name, int* Value);
  bool Read(const AnsiString& Name, bool* Value);
  bool Read(const AnsiString& Name, AnsiString* Value);
  bool Read(const AnsiString& Name, float* Value);

 private:
  AnsiString KeyPath() const;
  // Opens the key (creating it when asked) and runs Operation on it.
  template <class TOperation>
  bool WithKey(bool CanCreate, TOperation Operation);

  AnsiString CompanyName;
  AnsiString ProductName;
};

namespace SetReg {
// Puts TSetReg on the palette page "roVivavaV" (design time only).
void Register();
}  // namespace SetReg
