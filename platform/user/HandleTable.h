// Objects of the window layer behind handles: numbers that never repeat (so a stale handle finds
// nothing), one lock for all threads, and objects freed outside that lock.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

namespace user::detail {

template <class T>
class HandleTable {
 public:
  explicit HandleTable(std::uintptr_t first) : FNext(first) {}

  void* Add(std::shared_ptr<T> object) {
    std::lock_guard guard(FLock);
    FNext += 8;
    FObjects[FNext] = std::move(object);
    return reinterpret_cast<void*>(FNext);
  }

  std::shared_ptr<T> Find(const void* handle) const {
    std::lock_guard guard(FLock);
    const auto it = FObjects.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == FObjects.end() ? nullptr : it->second;
  }

  bool Remove(const void* handle) {
    std::shared_ptr<T> gone;
    {
      std::lock_guard guard(FLock);
      const auto it = FObjects.find(reinterpret_cast<std::uintptr_t>(handle));
      if (it == FObjects.end()) return false;
      gone = std::move(it->second);
      FObjects.erase(it);
    }
    return true;  // the object goes here, after the lock
  }

 private:
  mutable std::mutex FLock;
  std::uintptr_t FNext;
  std::map<std::uintptr_t, std::shared_ptr<T>> FObjects;
};

}  // namespace user::detail
