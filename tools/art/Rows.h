// Drawing a picture row by row on a few threads. Rows are independent, so the result does not
// depend on how they are split.
#pragma once

#include <algorithm>
#include <thread>
#include <vector>

namespace art {

// Runs body(y) for every row 0 .. height - 1.
template <typename F>
void ForRows(int height, F body) {
  const int n = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 8);
  std::vector<std::thread> workers;
  for (int t = 0; t < n; ++t)
    workers.emplace_back([&, t] {
      for (int y = t; y < height; y += n) body(y);
    });
  for (auto& w : workers) w.join();
}

}  // namespace art
