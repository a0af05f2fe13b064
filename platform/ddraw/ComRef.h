// An owning holder for one reference on a DirectDraw interface: releases it when it goes.
// `put` hands its slot to a call that returns an interface through an out pointer.
#pragma once

#include <utility>

namespace ddraw {

template <class T>
class Ref {
 public:
  Ref() = default;
  explicit Ref(T* adopted) : p_(adopted) {}  // takes over a reference the caller holds
  Ref(Ref&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  Ref& operator=(Ref&& other) noexcept {
    Ref(std::move(other)).swap(*this);
    return *this;
  }
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  ~Ref() { reset(); }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  void reset() {
    if (p_) std::exchange(p_, nullptr)->Release();
  }
  T* detach() { return std::exchange(p_, nullptr); }  // hands the reference to the caller
  T** put() {
    reset();
    return &p_;
  }
  void swap(Ref& other) noexcept { std::swap(p_, other.p_); }

 private:
  T* p_ = nullptr;
};

}  // namespace ddraw
