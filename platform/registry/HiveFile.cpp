// The registry file: lock-free reads of the last complete version, and read-modify-write under
// flock with a temporary file in the same folder that is synced and renamed over the old one.
#include "platform/registry/HiveFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/registry/HiveText.h"
#include "platform/registry/WinReg.h"

namespace registry {

namespace {

// Owns one open file descriptor.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes now, reporting whether the close (the last chance to see a write error) worked.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

std::optional<std::filesystem::path> AbsoluteFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] != '/') return std::nullopt;
  return std::filesystem::path(value);
}

bool ReadAll(int fd, std::string& text) {
  char buffer[16384];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    text.append(buffer, static_cast<std::size_t>(n));
  }
}

bool WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Writes a complete new version beside `file` and renames it over `file`, so a reader or a
// crash sees either the old version or the new one, never a part.
LONG ReplaceFile(const std::filesystem::path& file, std::string_view text) {
  std::string temp = file.string() + ".XXXXXX";
  FileDescriptor fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (!fd.valid()) return ERROR_WRITE_FAULT;
  const bool written = WriteAll(fd.get(), text) && ::fsync(fd.get()) == 0 && fd.Close() &&
                       ::rename(temp.c_str(), file.c_str()) == 0;
  if (!written) {
    ::unlink(temp.c_str());
    return ERROR_WRITE_FAULT;
  }
  // Makes the rename itself durable; the new contents are already in place either way.
  FileDescriptor folder(::open(file.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.valid()) ::fsync(folder.get());
  return ERROR_SUCCESS;
}

// Holds the exclusive lock on the lock file beside the registry file while it lives.
class HiveLock {
 public:
  explicit HiveLock(const std::filesystem::path& file)
      : fd_(::open((file.parent_path() / "registry.lock").c_str(),
                   O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
    if (!fd_.valid()) return;
    int rc;
    do rc = ::flock(fd_.get(), LOCK_EX);
    while (rc != 0 && errno == EINTR);
    locked_ = rc == 0;
  }
  bool locked() const { return locked_; }  // released when the descriptor closes

 private:
  FileDescriptor fd_;
  bool locked_ = false;
};

// Reads the version of the file that is in place now.
LONG LoadFile(const std::filesystem::path& file, Hive& hive) {
  FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) {
    if (errno != ENOENT) return ERROR_READ_FAULT;
    hive = Hive{};
    return ERROR_SUCCESS;
  }
  std::string text;
  if (!ReadAll(fd.get(), text)) return ERROR_READ_FAULT;
  auto parsed = ParseHive(text);
  if (!parsed) return ERROR_BADDB;
  hive = std::move(*parsed);
  return ERROR_SUCCESS;
}

}  // namespace

std::optional<std::filesystem::path> HiveFilePath() {
  auto config = AbsoluteFromEnvironment("XDG_CONFIG_HOME");
  if (!config) {
    const auto home = AbsoluteFromEnvironment("HOME");
    if (!home) return std::nullopt;
    config = *home / ".config";
  }
  return *config / "quillmont" / "registry.txt";
}

LONG LoadHive(Hive& hive) {
  const auto file = HiveFilePath();
  if (!file) return ERROR_PATH_NOT_FOUND;
  return LoadFile(*file, hive);
}

LONG UpdateHive(const std::function<LONG(Hive&)>& change) {
  const auto file = HiveFilePath();
  if (!file) return ERROR_PATH_NOT_FOUND;
  std::error_code error;
  std::filesystem::create_directories(file->parent_path(), error);
  if (error) return ERROR_WRITE_FAULT;
  const HiveLock lock(*file);
  if (!lock.locked()) return ERROR_WRITE_FAULT;

  Hive hive;
  if (const LONG rc = LoadFile(*file, hive); rc != ERROR_SUCCESS) return rc;
  const Hive before = hive;
  if (const LONG rc = change(hive); rc != ERROR_SUCCESS) return rc;
  if (hive == before) return ERROR_SUCCESS;
  return ReplaceFile(*file, FormatHive(hive));
}

}  // namespace registry
