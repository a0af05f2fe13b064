// A mutation fuzzing driver for readers of outside data: each target gives one function that
// takes an input and built-in seeds; the driver runs the seeds, then mutated copies of them.
//   <target> [--runs N] [--seed S] [seed files or folders...]
// A crash or a sanitizer report ends the run; the input that caused it is written first to
// fuzz-crash.bin in the working folder.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace fuzz {

using Input = std::vector<std::byte>;
using Target = void (*)(std::span<const std::byte> data);

// Runs the driver on the command line; returns the process's exit status.
int Run(int argc, char* argv[], Target target, std::vector<Input> seeds);

}  // namespace fuzz
