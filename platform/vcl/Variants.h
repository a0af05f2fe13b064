// The run-time's variants as far as the image units use them: empty, null, integers, reals,
// date-times, booleans, texts and arrays of variants, and the run-time's variant comparison.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <variant>
#include <vector>

#include "platform/vcl/SysUtils.h"

// Operations a variant's type does not allow ("Invalid variant operation").
class EVariantError : public Exception {
 public:
  using Exception::Exception;
};
class EVariantInvalidOpError : public EVariantError {
 public:
  using EVariantError::EVariantError;
};
// "Could not convert variant of type (%s) into type (%s)".
class EVariantTypeCastError : public EVariantError {
 public:
  using EVariantError::EVariantError;
};

using TVarType = std::uint16_t;
constexpr TVarType varEmpty = 0x0000, varNull = 0x0001, varInteger = 0x0003, varDouble = 0x0005,
                   varDate = 0x0007, varBoolean = 0x000B, varVariant = 0x000C, varInt64 = 0x0014,
                   varString = 0x0100, varArray = 0x2000;

enum TVariantRelationship { vrEqual, vrLessThan, vrGreaterThan, vrNotEqual };

class Variant {
 public:
  Variant() = default;  // empty
  Variant(int Value) : FValue(static_cast<std::int32_t>(Value)) {}
  Variant(std::int64_t Value) : FValue(Value) {}
  Variant(double Value) : FValue(Value) {}
  Variant(bool Value) : FValue(Value) {}
  Variant(const char* Value) : FValue(AnsiString(Value)) {}
  Variant(AnsiString Value) : FValue(std::move(Value)) {}

  static Variant Null();
  static Variant FromDateTime(TDateTime Value);
  // A one-dimensional array of variants, indexed from 0.
  static Variant ArrayOf(std::vector<Variant> Values);

  TVarType VarType() const;
  bool IsEmpty() const { return VarType() == varEmpty; }
  bool IsNull() const { return VarType() == varNull; }
  bool IsArray() const { return VarType() == (varArray | varVariant); }
  // An array's elements; EVariantInvalidOpError for any other type.
  const std::vector<Variant>& Elements() const;
  // As a real (texts are read as numbers); EVariantTypeCastError when the value has none.
  double AsDouble() const;
  AnsiString AsString() const;

  friend bool operator==(const Variant& A, const Variant& B) { return Compare(A, B) == vrEqual; }
  friend bool operator<(const Variant& A, const Variant& B) { return Compare(A, B) == vrLessThan; }
  friend bool operator>(const Variant& A, const Variant& B) { return Compare(A, B) == vrGreaterThan; }

  // Empty and null are equal to each other and less than every other value; numbers (booleans
  // as 0 and -1, date-times as their days) compare by value; two texts byte by byte; a text
  // against a number as a number. Arrays raise EVariantInvalidOpError.
  static TVariantRelationship Compare(const Variant& A, const Variant& B);

 private:
  struct NullValue {
    bool operator==(const NullValue&) const = default;
  };
  struct DateValue {
    TDateTime Days;
  };
  using Array = std::shared_ptr<const std::vector<Variant>>;
  std::variant<std::monostate, NullValue, std::int32_t, std::int64_t, double, DateValue, bool, AnsiString, Array> FValue;
};

// The text of a variant type, as error messages name it ("Integer", "String", ...).
AnsiString VarTypeAsText(TVarType Type);
