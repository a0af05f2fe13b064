// The registry file: lock-free reads of the last complete version, kept parsed while the file in
// place is unchanged, and read-modify-write under flock with a temporary file beside the file
// that is synced and renamed over it; a damaged file that gives way is kept under a name of its
// own first.
#include "platform/registry/HiveFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <set>
#include <string_view>
#include <system_error>
#include <utility>

#include "platform/registry/HiveText.h"
#include "platform/registry/TemporaryCopy.h"
#include "platform/registry/WinReg.h"

namespace registry {

namespace {

// Owns one open file descriptor.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  FileDescriptor& operator=(FileDescriptor&&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes now, reporting whether the close (the last chance to see a write error) worked.
  bool Close() {
    const int fd = std::exchange(fd_, -1);
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

// Each distinct text once per run.
void ReportOnce(const std::string& text) {
  static std::mutex mutex;
  static std::set<std::string> reported;
  std::lock_guard lock(mutex);
  if (reported.insert(text).second) std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, text.c_str());
}

// Reads to the end; false on an error or when there is more than `limit`.
bool ReadAll(int fd, std::string& text, std::size_t limit) {
  char buffer[16384];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (text.size() + static_cast<std::size_t>(n) > limit) return false;
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

void SyncFolderOf(const std::filesystem::path& file) {
  FileDescriptor folder(::open(file.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.valid()) ::fsync(folder.get());
}

// Which version of the file a descriptor reads. Files are replaced, not rewritten, so a new
// version is a new inode; an edit in place changes the size or the times.
struct Identity {
  dev_t device;
  ino_t inode;
  off_t size;
  std::int64_t modified;  // nanoseconds
  std::int64_t changed;

  explicit Identity(const struct stat& s)
      : device(s.st_dev), inode(s.st_ino), size(s.st_size),
        modified(s.st_mtim.tv_sec * std::int64_t{1000000000} + s.st_mtim.tv_nsec),
        changed(s.st_ctim.tv_sec * std::int64_t{1000000000} + s.st_ctim.tv_nsec) {}
  bool operator==(const Identity&) const = default;
};

// One version of the file as parsed: its hive, or the line where it is damaged. The version's
// descriptor stays open, so its inode number cannot pass to another file while it is kept.
struct Parsed {
  Identity identity;
  FileDescriptor held;
  std::shared_ptr<const Hive> hive;  // null when damaged
  int damagedLine = 0;
};

// The version parsed last, shared by every thread of the process.
class ParsedFile {
 public:
  std::shared_ptr<const Parsed> Find(const Identity& identity) {
    std::lock_guard lock(mutex_);
    return last_ && last_->identity == identity ? last_ : nullptr;
  }
  void Keep(std::shared_ptr<const Parsed> parsed) {
    std::lock_guard lock(mutex_);
    last_ = std::move(parsed);
  }

 private:
  std::mutex mutex_;
  std::shared_ptr<const Parsed> last_;
};

ParsedFile& TheParsedFile() {
  static auto* parsed = new ParsedFile;  // never destroyed: a reader may run during exit
  return *parsed;
}

struct Loaded {
  std::shared_ptr<const Hive> hive;  // set when the file read
  int damagedLine = 0;               // set for ERROR_BADDB
  std::optional<mode_t> mode;        // the file's permission bits; none without a file
};

// Reads the version of the file that is in place now.
LONG LoadFile(const std::filesystem::path& file, Loaded& out) {
  // Without blocking: a named pipe in the file's place must not hang the read.
  FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!fd.valid()) {
    if (errno != ENOENT) return ERROR_READ_FAULT;
    static const auto empty = std::make_shared<const Hive>();
    out = Loaded{empty, 0, std::nullopt};
    return ERROR_SUCCESS;
  }
  struct stat status {};
  if (::fstat(fd.get(), &status) != 0) return ERROR_READ_FAULT;
  const std::string name = "the settings file " + file.string();
  if (!S_ISREG(status.st_mode)) {
    ReportOnce(name + " is not a regular file; it is not read");
    return ERROR_READ_FAULT;
  }
  if (static_cast<std::uintmax_t>(status.st_size) > kMaxHiveFileSize) {
    ReportOnce(name + " is larger than 16 MiB; it is not read");
    return ERROR_READ_FAULT;
  }
  out.mode = status.st_mode & 07777;
  const Identity identity(status);
  std::shared_ptr<const Parsed> parsed = TheParsedFile().Find(identity);
  if (!parsed) {
    std::string text;
    // A file that grows while it is read is bounded too.
    if (!ReadAll(fd.get(), text, kMaxHiveFileSize)) return ERROR_READ_FAULT;
    auto version = std::make_shared<Parsed>(Parsed{identity, std::move(fd), nullptr, 0});
    if (auto hive = ParseHive(text, &version->damagedLine)) {
      version->hive = std::make_shared<const Hive>(std::move(*hive));
    } else {
      ReportOnce(DescribeDamage({file, version->damagedLine}) + "; it is left as it is");
    }
    TheParsedFile().Keep(version);
    parsed = std::move(version);
  }
  if (!parsed->hive) {
    out.damagedLine = parsed->damagedLine;
    return ERROR_BADDB;
  }
  out.hive = parsed->hive;
  return ERROR_SUCCESS;
}

// The file a write replaces: where the symbolic links in the file's place lead, so the links
// stay. Null for a loop of links or a link that cannot be read.
std::optional<std::filesystem::path> LinkTarget(std::filesystem::path file) {
  for (int hop = 0; hop < 40; ++hop) {
    struct stat status {};
    if (::lstat(file.c_str(), &status) != 0) return errno == ENOENT ? std::optional(file) : std::nullopt;
    if (!S_ISLNK(status.st_mode)) return file;
    std::string target(static_cast<std::size_t>(status.st_size) + 1, '\0');
    const ssize_t n = ::readlink(file.c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) return std::nullopt;
    target.resize(static_cast<std::size_t>(n));
    file = target.front() == '/' ? std::filesystem::path(target) : file.parent_path() / target;
  }
  return std::nullopt;
}

// Copies are made only under the lock, so one found by the lock's holder is a killed writer's.
void RemoveStaleCopies(const std::filesystem::path& file) {
  const std::string prefix = file.filename().string() + std::string(kCopyInfix);
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(file.parent_path(), error)) {
    const std::string name = entry.path().filename().string();
    if (name.size() == prefix.size() + kCopyRandom && name.starts_with(prefix)) ::unlink(entry.path().c_str());
  }
}

// Keeps a damaged `file` under "<name>.damaged-YYYYMMDD-HHMMSS" (local time) too, never in place
// of a file there already; the name, or none when no link could be made.
std::optional<std::string> LinkAside(const std::filesystem::path& file) {
  char stamp[32];
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::strftime(stamp, sizeof stamp, ".damaged-%Y%m%d-%H%M%S", &local);
  for (int n = 0; n < 100; ++n) {
    const std::string aside = file.string() + stamp + (n == 0 ? "" : "-" + std::to_string(n));
    if (::link(file.c_str(), aside.c_str()) == 0) return aside;
    if (errno != EEXIST) return std::nullopt;
  }
  return std::nullopt;
}

// Writes a complete new version beside `file` and renames it over `file`, so a reader or a
// crash sees either the old version or the new one, never a part. An old version kept aside is
// linked to its name before the rename: it is never gone while the new one is not in place.
// The new version is kept parsed.
LONG ReplaceFile(const std::filesystem::path& file, Hive hive, std::optional<mode_t> mode, bool keepOldAside) {
  const std::string text = FormatHive(hive);
  TemporaryCopy copy(file);
  if (!copy.Valid()) return ERROR_WRITE_FAULT;
  const int fd = copy.Descriptor();
  bool written = (!mode || ::fchmod(fd, *mode) == 0) && WriteAll(fd, text) && ::fsync(fd) == 0;
  FileDescriptor kept(written ? ::dup(fd) : -1);
  written = written && kept.valid() && copy.Close();
  std::optional<std::string> aside;
  if (written && keepOldAside) {
    aside = LinkAside(file);
    written = aside.has_value();
  }
  if (!written || !copy.RenameOver(file)) {
    if (aside) ::unlink(aside->c_str());
    return ERROR_WRITE_FAULT;
  }
  // Makes the rename itself durable; the new contents are already in place either way.
  SyncFolderOf(file);
  struct stat status {};
  if (::fstat(kept.get(), &status) == 0)
    TheParsedFile().Keep(std::make_shared<const Parsed>(
        Parsed{Identity(status), std::move(kept), std::make_shared<const Hive>(std::move(hive)), 0}));
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

// Runs `work` on the file a write replaces, under the lock.
LONG WithLockedTarget(const std::function<LONG(const std::filesystem::path&)>& work) {
  const auto file = HiveFilePath();
  if (!file) return ERROR_PATH_NOT_FOUND;
  std::error_code error;
  std::filesystem::create_directories(file->parent_path(), error);
  if (error) return ERROR_WRITE_FAULT;
  const HiveLock lock(*file);
  if (!lock.locked()) return ERROR_WRITE_FAULT;
  const auto target = LinkTarget(*file);
  if (!target) return ERROR_WRITE_FAULT;
  return work(*target);
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

LONG LoadHive(std::shared_ptr<const Hive>& hive) {
  const auto file = HiveFilePath();
  if (!file) return ERROR_PATH_NOT_FOUND;
  Loaded loaded;
  const LONG rc = LoadFile(*file, loaded);
  if (rc == ERROR_SUCCESS) hive = std::move(loaded.hive);
  return rc;
}

LONG UpdateHive(const std::function<LONG(Hive&)>& change, Damaged whenDamaged) {
  return WithLockedTarget([&](const std::filesystem::path& file) {
    RemoveStaleCopies(file);
    Loaded loaded;
    const LONG rc = LoadFile(file, loaded);
    const bool replaceDamaged = rc == ERROR_BADDB && whenDamaged == Damaged::KeepAside;
    if (rc != ERROR_SUCCESS && !replaceDamaged) return rc;
    static const Hive empty;
    const Hive& before = replaceDamaged ? empty : *loaded.hive;
    Hive hive = before;
    if (const LONG changed = change(hive); changed != ERROR_SUCCESS) return changed;
    if (!replaceDamaged && hive == before) return ERROR_SUCCESS;
    return ReplaceFile(file, std::move(hive), loaded.mode, replaceDamaged);
  });
}

std::string DescribeDamage(const HiveDamage& damage) {
  return "the settings file " + damage.file.string() + " is damaged at line " + std::to_string(damage.line);
}

std::optional<HiveDamage> FindHiveDamage() {
  const auto file = HiveFilePath();
  if (!file) return std::nullopt;
  Loaded loaded;
  if (LoadFile(*file, loaded) != ERROR_BADDB) return std::nullopt;
  return HiveDamage{*file, loaded.damagedLine};
}

}  // namespace registry
