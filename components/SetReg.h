// The settings store: named values under HKEY_CURRENT_USER\SOFTWARE\<company>\<product>, one
// value per call, the key opened and closed inside each call; and a set of values written
// together in one call.
#pragma once

#include "platform/registry/Registry.h"
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

  // Values to be written together, each stored as its Write overload stores it.
  class TValues {
   public:
    void Add(const AnsiString& Name, int Value) { FValues.AddInteger(Name, Value); }
    void Add(const AnsiString& Name, bool Value) { FValues.AddBool(Name, Value); }
    void Add(const AnsiString& Name, const AnsiString& Value) { FValues.AddString(Name, Value); }
    void Add(const AnsiString& Name, const char* Value) { Add(Name, AnsiString(Value)); }
    void Add(const AnsiString& Name, float Value) { FValues.AddFloat(Name, Value); }

   private:
    friend class TSetReg;
    TRegValues FValues;
  };
  // Writes them all in one replace of the settings file, creating the key when missing, so a
  // run killed meanwhile leaves all of them or none. When the file cannot take them, nothing of
  // them is stored and the registry's "Failed to set data for '%s'" is raised with the first
  // value's name. With registry::Damaged::KeepAside a damaged settings file gives way to the
  // new one and is kept beside it.
  void Write(const TValues& Values, registry::Damaged WhenDamaged = registry::Damaged::Refuse);

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
