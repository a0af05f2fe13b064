// The writer's temporary copy and the SIGTERM handler that removes it. A SIGTERM sent to the
// process may land on any of its threads, so blocking it in the writing thread would not keep
// it off: the handler, wherever it runs, removes the copy named in a fixed buffer, then does what
// SIGTERM did before. A SIGKILL cannot be caught; the next writer's clean-up under the lock
// removes what it leaves.
#include "platform/registry/TemporaryCopy.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <random>
#include <string>

namespace registry {

namespace {

// The copy's name as the handler reads it. The buffer is written only while `copyNamed` is
// false, and the handler reads it only while it is true, so it never sees a name half written.
char copyName[PATH_MAX];
std::atomic<bool> copyNamed{false};
static_assert(std::atomic<bool>::is_always_lock_free, "read in a signal handler");
struct sigaction termBefore {};  // SIGTERM's action before the handler was installed

std::mutex& CopyMutex() {
  static std::mutex mutex;
  return mutex;
}

// Only async-signal-safe calls.
void RemoveCopyOnTerm(int signal, siginfo_t* info, void* context) {
  if (copyNamed.load()) ::unlink(copyName);
  if ((termBefore.sa_flags & SA_SIGINFO) != 0) return termBefore.sa_sigaction(signal, info, context);
  if (termBefore.sa_handler == SIG_IGN) return;
  if (termBefore.sa_handler != SIG_DFL) return termBefore.sa_handler(signal);
  // The default action ends the program as soon as this handler returns and unblocks the signal.
  struct sigaction end {};
  end.sa_handler = SIG_DFL;
  ::sigaction(SIGTERM, &end, nullptr);
  ::raise(SIGTERM);
}

void InstallHandlerOnce() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction remove {};
    remove.sa_sigaction = RemoveCopyOnTerm;
    remove.sa_flags = SA_SIGINFO | SA_RESTART;
    sigemptyset(&remove.sa_mask);
    ::sigaction(SIGTERM, &remove, &termBefore);
  });
}

// The six characters after the infix, of the kind mkostemp fills in.
void FillRandom(char* at) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::minstd_rand random{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 2);
  for (std::size_t i = 0; i < kCopyRandom; ++i) at[i] = kAlphabet[pick(random)];
}

}  // namespace

TemporaryCopy::TemporaryCopy(const std::filesystem::path& file) : onlyCopy_(CopyMutex()) {
  InstallHandlerOnce();
  const std::string prefix = file.string() + std::string(kCopyInfix);
  if (prefix.size() + kCopyRandom >= sizeof copyName) return;
  std::memcpy(copyName, prefix.data(), prefix.size());
  copyName[prefix.size() + kCopyRandom] = '\0';
  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    FillRandom(copyName + prefix.size());
    // Named for the handler before it exists: a kill right after the creation finds it.
    copyNamed.store(true);
    fd_ = ::open(copyName, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd_ < 0) {
      copyNamed.store(false);
      if (errno != EEXIST) return;
    }
  }
  created_ = fd_ >= 0;
}

TemporaryCopy::~TemporaryCopy() {
  if (fd_ >= 0) ::close(fd_);
  if (created_ && !renamed_) ::unlink(copyName);
  copyNamed.store(false);
}

bool TemporaryCopy::Close() {
  const int fd = fd_;
  fd_ = -1;
  return ::close(fd) == 0;
}

bool TemporaryCopy::RenameOver(const std::filesystem::path& file) {
  renamed_ = ::rename(copyName, file.c_str()) == 0;
  if (renamed_) copyNamed.store(false);
  return renamed_;
}

}  // namespace registry
