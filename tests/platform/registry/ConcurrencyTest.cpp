// Writers that share the settings key, as the scene and the setup dialog do: each change is
// made on the latest file under the lock, so neither writer loses the other's values.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "TempProfile.h"
#include "platform/registry/Registry.h"

namespace {

constexpr const char* kKey = "SOFTWARE\\Quillmont\\Rillmoor";
constexpr int kWrites = 40;

// Writes kWrites values of its own, each through a fresh object as the settings store does;
// true when every write went through.
bool WriteSeries(const std::string& prefix) {
  try {
    for (int i = 0; i < kWrites; ++i) {
      TRegistry reg;
      if (!reg.OpenKey(kKey, true)) return false;
      reg.WriteInteger(prefix + std::to_string(i), i);
    }
    return true;
  } catch (const ERegistryException&) {
    return false;
  }
}

void ExpectAllValues(const std::string& prefix) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(kKey, false));
  for (int i = 0; i < kWrites; ++i) {
    const std::string name = prefix + std::to_string(i);
    ASSERT_TRUE(reg.ValueExists(name)) << name;
    EXPECT_EQ(reg.ReadInteger(name), i);
  }
}

using ConcurrencyTest = TempProfile;

TEST_F(ConcurrencyTest, TwoThreadsLoseNothing) {
  bool okA = false, okB = false;
  std::thread a([&] { okA = WriteSeries("a"); });
  std::thread b([&] { okB = WriteSeries("b"); });
  a.join();
  b.join();
  EXPECT_TRUE(okA);
  EXPECT_TRUE(okB);
  ExpectAllValues("a");
  ExpectAllValues("b");
}

TEST_F(ConcurrencyTest, TwoProcessesLoseNothing) {
  pid_t children[2];
  const char* prefixes[2] = {"scene", "dialog"};
  for (int i = 0; i < 2; ++i) {
    children[i] = ::fork();
    ASSERT_GE(children[i], 0);
    if (children[i] == 0) ::_exit(WriteSeries(prefixes[i]) ? 0 : 1);
  }
  for (const pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  ExpectAllValues("scene");
  ExpectAllValues("dialog");
}

}  // namespace
