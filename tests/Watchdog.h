// Ends the test program when a test does not finish in time: a hang (a deadlock, a read that
// blocks) then fails the run with a message instead of stopping it for good.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

class Watchdog {
 public:
  Watchdog(std::chrono::seconds limit, std::string what)
      : thread_([this, limit, what = std::move(what)] {
          std::unique_lock lock(mutex_);
          if (done_changed_.wait_for(lock, limit, [this] { return done_; })) return;
          std::fprintf(stderr, "did not finish within %lld s: %s\n", static_cast<long long>(limit.count()), what.c_str());
          std::_Exit(1);
        }) {}
  ~Watchdog() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    done_changed_.notify_all();
    thread_.join();
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable done_changed_;
  bool done_ = false;
  std::thread thread_;  // last: starts once the rest is set
};
