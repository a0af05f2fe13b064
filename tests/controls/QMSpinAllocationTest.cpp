// What a step costs the heap once warmed up: a press held through its repeats, and a thousand
// steps, allocate nothing beyond the new text (short texts need no allocation at all).
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "controls/QMSpin.h"
#include "platform/vcl/Forms.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

TEST(QMSpinAllocations, AHeldButtonAndAThousandStepsAllocateNothing) {
  ResetApplicationForTest();
  DWORD now = 5000;
  user::SetTimerClock([&] { return now; });
  TForm* form = nullptr;
  Application->CreateForm(form);
  form->SetBorderStyle(bsNone);
  auto* spin = new TQmSpinEdit(form);
  spin->SetParent(form);
  spin->SetBounds(10, 10, 61, 23);
  int changes = 0;
  spin->OnChange = [&](TObject*) { ++changes; };
  form->Show();
  spin->SetFocus();
  HWND host = spin->GetButtonHost()->GetHandle();
  user::PostInput(host, WM_LBUTTONDOWN, 0, MAKELPARAM(4, 4), {.left = true});
  Application->ProcessMessages();
  now += 400;  // the first repeat, and one more, to warm up
  Application->ProcessMessages();
  now += 100;
  Application->ProcessMessages();
  const long before = allocations.load();
  for (int i = 0; i < 1000; ++i) {
    now += 100;
    Application->ProcessMessages();
  }
  for (int i = 0; i < 1000; ++i) spin->UpClick(spin);
  const long used = allocations.load() - before;
  EXPECT_EQ(used, 0);
  EXPECT_EQ(spin->GetText(), "2003");
  EXPECT_EQ(changes, 2003);
  ResetApplicationForTest();
}

}  // namespace
