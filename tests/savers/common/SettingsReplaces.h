// Counts how often the settings file is replaced: every write makes a copy of a name of its own
// beside it and renames it over the file. (Renames over the same name are merged into one event.)
#pragma once

#include <sys/inotify.h>
#include <unistd.h>

#include <filesystem>
#include <string_view>

namespace saver_test {

class SettingsReplaces {
 public:
  // Watches the settings folder, which it makes when missing.
  explicit SettingsReplaces(const std::filesystem::path& Folder) : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    std::filesystem::create_directories(Folder);
    ::inotify_add_watch(fd_, Folder.c_str(), IN_CREATE);
  }
  ~SettingsReplaces() { ::close(fd_); }
  SettingsReplaces(const SettingsReplaces&) = delete;
  SettingsReplaces& operator=(const SettingsReplaces&) = delete;

  // The replaces since the last call.
  int Count() {
    int count = 0;
    alignas(inotify_event) char events[16384];
    for (ssize_t n; (n = ::read(fd_, events, sizeof events)) > 0;)
      for (ssize_t at = 0; at < n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(events + at);
        if (event->len > 0 && std::string_view(event->name).starts_with("registry.txt.new-")) ++count;
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    return count;
  }

 private:
  int fd_;
};

}  // namespace saver_test
