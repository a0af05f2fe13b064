// timeSetEvent and timeKillEvent: a thread per timer, and the table of live timers that also
// stops and joins every one of them when the process ends.
#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/winmm/MMSystem.h"
#include "platform/winmm/TimerGrid.h"

namespace {

using winmm::TimerClock;

// One timer and its thread. Destroying it stops the timer and waits for the thread.
class Timer {
 public:
  Timer(UINT id, UINT delay, LPTIMECALLBACK callback, DWORD_PTR user, bool periodic)
      : id_(id), period_(std::chrono::milliseconds(delay)), callback_(callback), user_(user),
        periodic_(periodic), start_(TimerClock::now()), thread_(&Timer::Run, this) {}

  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  ~Timer() {
    Stop();
    // Only a process ending from inside this timer's callback gets here on the timer's own
    // thread; that thread never returns into Run, so it may be left behind.
    if (OnOwnThread())
      thread_.detach();
    else
      thread_.join();
  }

  // No tick starts after this; a tick already running finishes.
  void Stop() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
  }

  bool OnOwnThread() const { return thread_.get_id() == std::this_thread::get_id(); }
  bool Finished() const { return finished_.load(std::memory_order_acquire); }

 private:
  void Run() {
    auto due = start_ + period_;
    std::unique_lock lock(mutex_);
    while (!wake_.wait_until(lock, due, [this] { return stopping_; })) {
      lock.unlock();
      callback_(id_, 0, user_, 0, 0);
      lock.lock();
      if (!periodic_) break;
      due = winmm::NextDue(due, period_, TimerClock::now());
    }
    finished_.store(true, std::memory_order_release);
  }

  const UINT id_;
  const TimerClock::duration period_;
  const LPTIMECALLBACK callback_;
  const DWORD_PTR user_;
  const bool periodic_;
  const TimerClock::time_point start_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::atomic<bool> finished_{false};
  std::thread thread_;  // last: starts once everything above is set
};

using TimerList = std::vector<std::unique_ptr<Timer>>;

class TimerTable {
 public:
  TimerTable() = default;
  TimerTable(const TimerTable&) = delete;
  TimerTable& operator=(const TimerTable&) = delete;

  // Process exit: no new timers, and every thread is stopped and joined outside the lock so
  // that a callback calling timeKillEvent meanwhile cannot block the shutdown.
  ~TimerTable() {
    TimerList all;
    {
      std::lock_guard lock(mutex_);
      closing_ = true;
      all = TakeAll();
    }
  }

  MMRESULT Add(UINT delay, LPTIMECALLBACK callback, DWORD_PTR user, bool periodic) {
    TimerList done;  // joined after the lock is released
    std::lock_guard lock(mutex_);
    if (closing_) return 0;
    done = TakeFinished();
    const UINT id = NextId();
    try {
      live_.emplace(id, std::make_unique<Timer>(id, delay, callback, user, periodic));
    } catch (const std::system_error&) {
      return 0;
    }
    return id;
  }

  MMRESULT Kill(UINT id) {
    std::unique_ptr<Timer> timer;
    {
      std::lock_guard lock(mutex_);
      const auto it = live_.find(id);
      if (it == live_.end()) return TIMERR_NOCANDO;
      timer = std::move(it->second);
      live_.erase(it);
    }
    timer->Stop();
    if (timer->OnOwnThread()) {
      // Its thread ends when the running callback returns; it is joined later.
      std::lock_guard lock(mutex_);
      released_.push_back(std::move(timer));
    }
    return TIMERR_NOERROR;  // otherwise `timer` joins its thread here
  }

 private:
  // Timers whose threads have ended: fired one-shots and timers killed from their callback.
  TimerList TakeFinished() {
    TimerList done;
    for (auto it = live_.begin(); it != live_.end();) {
      if (it->second->Finished()) {
        done.push_back(std::move(it->second));
        it = live_.erase(it);
      } else {
        ++it;
      }
    }
    for (auto it = released_.begin(); it != released_.end();) {
      if ((*it)->Finished()) {
        done.push_back(std::move(*it));
        it = released_.erase(it);
      } else {
        ++it;
      }
    }
    return done;
  }

  TimerList TakeAll() {
    TimerList all = std::move(released_);
    released_.clear();
    for (auto& [id, timer] : live_) all.push_back(std::move(timer));
    live_.clear();
    return all;
  }

  // Identifiers count up, so a stale one does not stop a newer timer.
  UINT NextId() {
    do ++lastId_;
    while (lastId_ == 0 || live_.contains(lastId_));
    return lastId_;
  }

  std::mutex mutex_;
  std::map<UINT, std::unique_ptr<Timer>> live_;
  TimerList released_;  // killed from their own callback, thread not yet joined
  UINT lastId_ = 0;
  bool closing_ = false;
};

TimerTable& Timers() {
  static TimerTable table;
  return table;
}

}  // namespace

MMRESULT timeSetEvent(UINT uDelay, UINT /*uResolution*/, LPTIMECALLBACK lpTimeProc,
                      DWORD_PTR dwUser, UINT fuEvent) {
  if (uDelay == 0 || lpTimeProc == nullptr || (fuEvent & ~TIME_PERIODIC) != 0) return 0;
  return Timers().Add(uDelay, lpTimeProc, dwUser, fuEvent == TIME_PERIODIC);
}

MMRESULT timeKillEvent(UINT uTimerID) { return Timers().Kill(uTimerID); }
