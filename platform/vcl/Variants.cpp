// Variants: construction, conversion to a real and to text, and the comparison every
// relational operator of the run-time goes through.
#include "platform/vcl/Variants.h"

#include <cstdlib>

namespace {

[[noreturn]] void CastError(TVarType from, TVarType to) {
  throw EVariantTypeCastError(Format("Could not convert variant of type (%s) into type (%s)",
                                     VarTypeAsText(from).c_str(), VarTypeAsText(to).c_str()));
}

bool IsNumeric(TVarType t) {
  return t == varInteger || t == varInt64 || t == varDouble || t == varDate || t == varBoolean;
}

template <class T>
TVariantRelationship Order(const T& a, const T& b) {
  if (a == b) return vrEqual;
  return a < b ? vrLessThan : vrGreaterThan;
}

}  // namespace

Variant Variant::Null() {
  Variant v;
  v.FValue = NullValue{};
  return v;
}

Variant Variant::FromDateTime(TDateTime Value) {
  Variant v;
  v.FValue = DateValue{Value};
  return v;
}

Variant Variant::ArrayOf(std::vector<Variant> Values) {
  Variant v;
  v.FValue = std::make_shared<const std::vector<Variant>>(std::move(Values));
  return v;
}

TVarType Variant::VarType() const {
  static constexpr TVarType kTypes[] = {varEmpty, varNull,    varInteger, varInt64,           varDouble,
                                        varDate,  varBoolean, varString,  varArray | varVariant};
  return kTypes[FValue.index()];
}

const std::vector<Variant>& Variant::Elements() const {
  if (const auto* array = std::get_if<Array>(&FValue)) return **array;
  throw EVariantInvalidOpError("Invalid variant operation");
}

double Variant::AsDouble() const {
  switch (VarType()) {
    case varInteger: return std::get<std::int32_t>(FValue);
    case varInt64: return static_cast<double>(std::get<std::int64_t>(FValue));
    case varDouble: return std::get<double>(FValue);
    case varDate: return std::get<DateValue>(FValue).Days;
    case varBoolean: return std::get<bool>(FValue) ? -1.0 : 0.0;
    case varString: {
      const AnsiString& text = std::get<AnsiString>(FValue);
      char* end = nullptr;
      const double value = std::strtod(text.c_str(), &end);
      if (text.empty() || *end != '\0') CastError(varString, varDouble);
      return value;
    }
    default: CastError(VarType(), varDouble);
  }
}

AnsiString Variant::AsString() const {
  switch (VarType()) {
    case varEmpty: return {};
    case varString: return std::get<AnsiString>(FValue);
    case varInteger: return IntToStr(std::get<std::int32_t>(FValue));
    case varInt64: return IntToStr(std::get<std::int64_t>(FValue));
    case varBoolean: return std::get<bool>(FValue) ? "True" : "False";
    case varDouble:
    case varDate: return Format("%g", AsDouble());
    default: CastError(VarType(), varString);
  }
}

TVariantRelationship Variant::Compare(const Variant& A, const Variant& B) {
  const TVarType a = A.VarType(), b = B.VarType();
  if (A.IsArray() || B.IsArray()) throw EVariantInvalidOpError("Invalid variant operation");
  const bool aNone = a == varEmpty || a == varNull, bNone = b == varEmpty || b == varNull;
  if (aNone || bNone) return aNone && bNone ? vrEqual : (aNone ? vrLessThan : vrGreaterThan);
  if (a == varString && b == varString) return Order(std::get<AnsiString>(A.FValue), std::get<AnsiString>(B.FValue));
  if (a == varInt64 && b == varInt64) return Order(std::get<std::int64_t>(A.FValue), std::get<std::int64_t>(B.FValue));
  if (IsNumeric(a) || IsNumeric(b)) return Order(A.AsDouble(), B.AsDouble());
  return vrNotEqual;
}

AnsiString VarTypeAsText(TVarType Type) {
  switch (Type) {
    case varEmpty: return "Empty";
    case varNull: return "Null";
    case varInteger: return "Integer";
    case varInt64: return "Int64";
    case varDouble: return "Double";
    case varDate: return "Date";
    case varBoolean: return "Boolean";
    case varString: return "String";
    case varArray | varVariant: return "Array Variant";
    default: return "Unknown";
  }
}
