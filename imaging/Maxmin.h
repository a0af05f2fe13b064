// Swapping, and the larger or smaller of two values or of a list of values.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "platform/vcl/SysUtils.h"
#include "platform/vcl/Variants.h"
#include "platform/win32/Win32Types.h"

void SwapInt(int& X, int& Y);
void SwapLong(LONG& X, LONG& Y);
void SwapInt64(std::int64_t& X, std::int64_t& Y);

// When A and B are equal, B is returned.
int Max(int A, int B);
int Min(int A, int B);

// The first of the largest (smallest) values; an empty list gives the type's zero.
int MaxInteger(std::initializer_list<int> Values);
int MinInteger(std::initializer_list<int> Values);
std::int64_t MaxInt64(std::initializer_list<std::int64_t> Values);
std::int64_t MinInt64(std::initializer_list<std::int64_t> Values);
long double MaxFloat(std::initializer_list<long double> Values);
long double MinFloat(std::initializer_list<long double> Values);
TDateTime MaxDateTime(std::initializer_list<TDateTime> Values);
TDateTime MinDateTime(std::initializer_list<TDateTime> Values);
// By the run-time's variant comparison; an empty list gives an empty variant.
Variant MaxOf(std::initializer_list<Variant> Values);
Variant MinOf(std::initializer_list<Variant> Values);
