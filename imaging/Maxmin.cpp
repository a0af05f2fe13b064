// One scan serves every list: the running result changes only for a strictly better value, so
// among equal extremes the first stays.
#include "imaging/Maxmin.h"

#include <utility>

namespace {

template <class T, class Better>
T Extreme(std::initializer_list<T> values, Better better) {
  if (values.size() == 0) return T{};
  const T* result = values.begin();
  for (const T& v : values)
    if (better(v, *result)) result = &v;
  return *result;
}

constexpr auto kGreater = [](const auto& a, const auto& b) { return a > b; };
constexpr auto kLess = [](const auto& a, const auto& b) { return a < b; };

}  // namespace

void SwapInt(int& X, int& Y) { std::swap(X, Y); }
void SwapLong(LONG& X, LONG& Y) { std::swap(X, Y); }
void SwapInt64(std::int64_t& X, std::int64_t& Y) { std::swap(X, Y); }

int Max(int A, int B) { return A > B ? A : B; }
int Min(int A, int B) { return A < B ? A : B; }

int MaxInteger(std::initializer_list<int> Values) { return Extreme(Values, kGreater); }
int MinInteger(std::initializer_list<int> Values) { return Extreme(Values, kLess); }
std::int64_t MaxInt64(std::initializer_list<std::int64_t> Values) { return Extreme(Values, kGreater); }
std::int64_t MinInt64(std::initializer_list<std::int64_t> Values) { return Extreme(Values, kLess); }
long double MaxFloat(std::initializer_list<long double> Values) { return Extreme(Values, kGreater); }
long double MinFloat(std::initializer_list<long double> Values) { return Extreme(Values, kLess); }
TDateTime MaxDateTime(std::initializer_list<TDateTime> Values) { return Extreme(Values, kGreater); }
TDateTime MinDateTime(std::initializer_list<TDateTime> Values) { return Extreme(Values, kLess); }
Variant MaxOf(std::initializer_list<Variant> Values) { return Extreme(Values, kGreater); }
Variant MinOf(std::initializer_list<Variant> Values) { return Extreme(Values, kLess); }
