// The temporary copy a writer makes beside the file it replaces: private to the user, renamed
// over the file once complete and removed otherwise, also by a SIGTERM that ends the program.
#pragma once

#include <cstddef>
#include <filesystem>
#include <mutex>
#include <string_view>

namespace registry {

// Copies are named so, beside the file they replace: "<name>.new-" and six characters.
inline constexpr std::string_view kCopyInfix = ".new-";
inline constexpr std::size_t kCopyRandom = 6;

// While a copy exists, a SIGTERM to the process, on whichever thread it lands, removes the copy
// before the program ends as SIGTERM ends it (a handler installed before the first copy runs
// after the removal instead). One copy exists at a time in a process.
class TemporaryCopy {
 public:
  // Creates the copy beside `file`; Valid says whether that worked.
  explicit TemporaryCopy(const std::filesystem::path& file);
  // Removes the copy unless it was renamed into place.
  ~TemporaryCopy();
  TemporaryCopy(const TemporaryCopy&) = delete;
  TemporaryCopy& operator=(const TemporaryCopy&) = delete;

  bool Valid() const { return fd_ >= 0; }
  int Descriptor() const { return fd_; }
  // Closes the copy, saying whether the close (the last chance to see a write error) worked.
  bool Close();
  // Renames the complete copy over `file`.
  bool RenameOver(const std::filesystem::path& file);

 private:
  std::unique_lock<std::mutex> onlyCopy_;
  int fd_ = -1;
  bool created_ = false;
  bool renamed_ = false;
};

}  // namespace registry
