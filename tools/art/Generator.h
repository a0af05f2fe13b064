// The art generators' command line and their one way of failing:
//   <generator> <output folder> [--previews <folder>]
#pragma once

#include <filesystem>
#include <functional>

namespace art {

// Runs draw(output folder, previews folder or none) and returns the exit status: 2 and the
// usage for a wrong command line, 1 and the reason when drawing fails.
int RunGenerator(int argc, char** argv,
                 const std::function<void(const std::filesystem::path& out, const std::filesystem::path* previews)>& draw);

}  // namespace art
