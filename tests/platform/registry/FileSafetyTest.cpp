// The registry file against what users and hostile setups put in its place: writers killed
// half-way, a named pipe, an endless or huge file, a symbolic link, a chosen file mode, a
// damaged file, a folder or file that cannot be written, and edits made to the file behind the
// program's back.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "TempProfile.h"
#include "platform/registry/HiveFile.h"
#include "platform/registry/Registry.h"
#include "tests/Watchdog.h"
#include "tests/support/FileSizeCap.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kKey = "SOFTWARE\\Quillmont\\Rillmoor";

class FileSafetyTest : public TempProfile {
 protected:
  static void Write(const std::string& name, int value) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kKey, true));
    reg.WriteInteger(name, value);
  }
  static int Read(const std::string& name) {
    TRegistry reg;
    if (!reg.OpenKey(kKey, false)) return -1;
    return reg.ReadInteger(name);
  }
  static LONG OpenResult() {
    HKEY key = nullptr;
    const LONG rc = RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_ALL_ACCESS, &key);
    if (rc == ERROR_SUCCESS) RegCloseKey(key);
    return rc;
  }
  static LONG CreateResult() {
    HKEY key = nullptr;
    const LONG rc = RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                    nullptr, &key, nullptr);
    if (rc == ERROR_SUCCESS) RegCloseKey(key);
    return rc;
  }
  // One value written as a set of values is, into `kKey`.
  static LONG SetValue(const std::string& name, int value, registry::Damaged whenDamaged) {
    const registry::Value v{name, REG_DWORD, {static_cast<BYTE>(value), 0, 0, 0}};
    return registry::SetValues(HKEY_CURRENT_USER, kKey, KEY_ALL_ACCESS, {&v, 1}, whenDamaged);
  }
  static std::string TextOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // A file of some size, so a write takes a while.
  static std::string PaddedFile() {
    std::string text = "QUILLMONT REGISTRY 1\n\n[" + std::string(kKey) + "]\n";
    for (int i = 0; i < 2000; ++i) text += "\"padding" + std::to_string(i) + "\"=\"" + std::string(40, 'p') + "\"\n";
    return text;
  }
  // Whether a writer's temporary copy is beside the file.
  bool CopyThere() const {
    const std::vector<std::string> names = Names(Folder());
    return std::any_of(names.begin(), names.end(), [](const std::string& name) { return name.starts_with("registry.txt.new-"); });
  }
  static std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

// Killed between making its copy and renaming it, a writer leaves the copy behind; the next
// writer to take the lock clears it away.
TEST_F(FileSafetyTest, CopiesOfKilledWritersAreRemovedByTheNextWrite) {
  SetFileText(PaddedFile());
  int left = 0;  // kills that left a copy behind
  for (int kill = 0; kill < 30; ++kill) {
    const std::vector<std::string> before = Names(Folder());
    const auto copyMade = [&] {  // a name that was not there before the writer started
      const std::vector<std::string> now = Names(Folder());
      return std::any_of(now.begin(), now.end(), [&](const std::string& name) {
        return std::find(before.begin(), before.end(), name) == before.end();
      });
    };
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int i = 0;; ++i) {
        TRegistry reg;
        if (reg.OpenKey(kKey, true)) reg.WriteInteger("busy", i);
      }
    }
    // Killed as soon as it is seen writing its copy, or at a moment of its loop.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!copyMade() && std::chrono::steady_clock::now() < until) ::usleep(100);
    ::kill(child, SIGKILL);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    left += copyMade();
  }
  EXPECT_GT(left, 0);  // else this test saw no killed writer's copy
  Write("after", 1);
  EXPECT_EQ(Names(Folder()), (std::vector<std::string>{"registry.lock", "registry.txt"}));
  EXPECT_EQ(Read("after"), 1);
}

// A host ends a program by SIGTERM, which may land on any of its threads: a copy in the making
// is removed all the same, and the program still ends by SIGTERM.
TEST_F(FileSafetyTest, ASigtermWhileACopyIsMadeRemovesItAndStillEndsTheProgram) {
  SetFileText(PaddedFile());
  int seen = 0;  // kills sent while a copy was there
  for (int kill = 0; kill < 30; ++kill) {
    SCOPED_TRACE(kill);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // The writes run on a thread that blocks SIGTERM, so the signal lands on another.
      std::thread writer([] {
        sigset_t term;
        sigemptyset(&term);
        sigaddset(&term, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &term, nullptr);
        for (int i = 0;; ++i) {
          TRegistry reg;
          if (reg.OpenKey(kKey, true)) reg.WriteInteger("busy", i);
        }
      });
      for (;;) ::pause();
    }
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!CopyThere() && std::chrono::steady_clock::now() < until) ::usleep(100);
    seen += CopyThere();
    ::kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_EQ(Names(Folder()), (std::vector<std::string>{"registry.lock", "registry.txt"}));
  }
  EXPECT_GT(seen, 0);  // else this test sent no SIGTERM while a copy was made
}

// Neither hangs nor ends the program; both give the read error, for reads and writes alike.
TEST_F(FileSafetyTest, APipeOrAnEndlessFileInItsPlaceGivesTheReadError) {
  fs::create_directories(Folder());
  for (const char* kind : {"pipe", "endless", "huge"}) {
    SCOPED_TRACE(kind);
    fs::remove(File());
    if (kind == std::string("pipe")) {
      ASSERT_EQ(::mkfifo(File().c_str(), 0600), 0);
    } else if (kind == std::string("endless")) {
      fs::create_symlink("/dev/zero", File());
    } else {
      SetFileText("QUILLMONT REGISTRY 1\n");
      fs::resize_file(File(), registry::kMaxHiveFileSize + 1);  // sparse: takes no room
    }
    const Watchdog watchdog(std::chrono::seconds(30), std::string("a registry call on a ") + kind);
    EXPECT_EQ(OpenResult(), ERROR_READ_FAULT);
    EXPECT_EQ(CreateResult(), ERROR_READ_FAULT);
    TRegistry reg;
    EXPECT_FALSE(reg.OpenKey(kKey, true));
  }
}

TEST_F(FileSafetyTest, AWriteThroughALinkReplacesItsTargetInItsOwnFolder) {
  const fs::path elsewhere = Folder().parent_path() / "elsewhere";
  fs::create_directories(elsewhere);
  fs::create_directories(Folder());
  fs::create_symlink("../elsewhere/settings.txt", File());  // dangling until the first write
  Write("v", 1);
  Write("v", 2);
  EXPECT_TRUE(fs::is_symlink(File()));
  EXPECT_EQ(fs::read_symlink(File()), "../elsewhere/settings.txt");
  EXPECT_EQ(Names(elsewhere), std::vector<std::string>{"settings.txt"});
  EXPECT_EQ(Names(Folder()), (std::vector<std::string>{"registry.lock", "registry.txt"}));
  EXPECT_NE(FileText().find("\"v\"=dword:00000002"), std::string::npos);
  EXPECT_EQ(Read("v"), 2);
}

TEST_F(FileSafetyTest, AWriteKeepsTheFilesModeAndANewFileIsPrivate) {
  Write("v", 1);
  EXPECT_EQ(fs::status(File()).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  fs::permissions(File(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
  Write("v", 2);
  EXPECT_EQ(fs::status(File()).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
  EXPECT_EQ(Read("v"), 2);
}

TEST_F(FileSafetyTest, ADamagedFileIsNamedOnceWithItsLine) {
  SetFileText("QUILLMONT REGISTRY 1\n[SOFTWARE]\n\"v\"=dword:zz\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(OpenResult(), ERROR_BADDB);
  EXPECT_EQ(CreateResult(), ERROR_BADDB);
  EXPECT_EQ(OpenResult(), ERROR_BADDB);
  const std::string said = testing::internal::GetCapturedStderr();
  const std::string described = "the settings file " + File().string() + " is damaged at line 3";
  EXPECT_EQ(said, std::string(program_invocation_short_name) + ": " + described + "; it is left as it is\n");
  const auto damage = registry::FindHiveDamage();
  ASSERT_TRUE(damage);
  EXPECT_EQ(damage->file, File());
  EXPECT_EQ(damage->line, 3);
  EXPECT_EQ(registry::DescribeDamage(*damage), described);
}

// The setup dialog's "OK": the damaged file is kept beside the new one, and the writes go on.
TEST_F(FileSafetyTest, AWriteThatKeepsADamagedFileAsideStartsANewFile) {
  const std::string damaged = "QUILLMONT REGISTRY 1\n[SOFTWARE]\ngarbage\n";
  SetFileText(damaged);
  testing::internal::CaptureStderr();
  EXPECT_EQ(CreateResult(), ERROR_BADDB);
  EXPECT_EQ(SetValue("v", 7, registry::Damaged::Refuse), ERROR_BADDB);
  EXPECT_EQ(FileText(), damaged);
  EXPECT_EQ(SetValue("v", 7, registry::Damaged::KeepAside), ERROR_SUCCESS);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(Read("v"), 7);
  EXPECT_FALSE(registry::FindHiveDamage());
  const std::vector<std::string> names = Names(Folder());
  ASSERT_EQ(names.size(), 3u);
  EXPECT_EQ(names[0], "registry.lock");
  EXPECT_EQ(names[1], "registry.txt");
  const std::string aside = names[2];
  EXPECT_TRUE(aside.starts_with("registry.txt.damaged-")) << aside;
  EXPECT_EQ(aside.size(), std::string("registry.txt.damaged-20240101-120000").size()) << aside;
  EXPECT_EQ(TextOf(Folder() / aside), damaged);

  // A sound file is not set aside; a second damaged one in the same second gets a name of its own.
  EXPECT_EQ(SetValue("v", 8, registry::Damaged::KeepAside), ERROR_SUCCESS);
  EXPECT_EQ(Names(Folder()).size(), 3u);
  SetFileText(damaged);
  EXPECT_EQ(SetValue("v", 9, registry::Damaged::KeepAside), ERROR_SUCCESS);
  EXPECT_EQ(Read("v"), 9);
  const std::vector<std::string> after = Names(Folder());
  ASSERT_EQ(after.size(), 4u);
  EXPECT_EQ(after[3], aside + "-1");
  EXPECT_EQ(TextOf(Folder() / after[3]), damaged);
}

// A full disk: the new file cannot be written, so the damaged one stays where it is, and
// nothing is left beside it.
TEST_F(FileSafetyTest, ADamagedFileStaysInPlaceWhenItsReplacementCannotBeWritten) {
  const std::string damaged = "QUILLMONT REGISTRY 1\n[SOFTWARE]\ngarbage\n";
  SetFileText(damaged);
  testing::internal::CaptureStderr();
  {
    const FileSizeCap cap(16);
    EXPECT_EQ(SetValue("v", 7, registry::Damaged::KeepAside), ERROR_WRITE_FAULT);
  }
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(FileText(), damaged);
  EXPECT_EQ(Names(Folder()), (std::vector<std::string>{"registry.lock", "registry.txt"}));
}

// Runs `work` in a child process as a user whom mode bits hold (root passes them by); its exit
// status.
int AsUserHeldByModes(const std::function<int()>& work) {
  const pid_t child = ::fork();
  if (child == 0) {
    constexpr uid_t kNobody = 65534;
    if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) ::_exit(100);
    ::_exit(work());
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Unwritable {
  const char* Name;
  bool WithFile;  // the file and the lock file are there
  fs::perms FolderMode;
  fs::perms FileMode;
  LONG Result;
};

// A folder that takes no new file (before and after the lock file exists) and a file that
// cannot be read refuse a set of values whole, and leave the folder as it was.
TEST_F(FileSafetyTest, ASetIsRefusedWholeWhereTheModesForbidIt) {
  using enum fs::perms;
  const fs::perms readOnly = all & ~(owner_write | group_write | others_write);
  for (const Unwritable& c : {Unwritable{"read-only folder, no lock yet", false, readOnly, none, ERROR_WRITE_FAULT},
                              Unwritable{"read-only folder", true, readOnly, all, ERROR_WRITE_FAULT},
                              Unwritable{"unreadable file", true, all, none, ERROR_READ_FAULT}}) {
    SCOPED_TRACE(c.Name);
    fs::remove_all(Folder());
    fs::permissions(Folder().parent_path(), all);  // the other user passes through
    if (c.WithFile) {
      Write("kept", 1);
      fs::permissions(Folder() / "registry.lock", all);
      fs::permissions(File(), c.FileMode);
    } else {
      fs::create_directories(Folder());
    }
    fs::permissions(Folder(), c.FolderMode);
    const std::vector<std::string> names = Names(Folder());
    const std::string text = FileText();
    testing::internal::CaptureStderr();
    EXPECT_EQ(AsUserHeldByModes([&] { return static_cast<int>(SetValue("v", 7, registry::Damaged::KeepAside)); }),
              c.Result);
    testing::internal::GetCapturedStderr();
    fs::permissions(Folder(), all);
    EXPECT_EQ(Names(Folder()), names);
    EXPECT_EQ(FileText(), text);
  }
}

// The parsed file is kept, but an edit behind the program's back is seen at once.
TEST_F(FileSafetyTest, EditsInPlaceAreSeen) {
  Write("v", 1);
  ASSERT_EQ(Read("v"), 1);
  const auto editInPlace = [&](const std::string& from, const std::string& to) {
    std::string text = FileText();
    const auto at = text.find(from);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, from.size(), to);
    const int fd = ::open(File().c_str(), O_WRONLY | O_TRUNC);  // the same file, not a new one
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    ::close(fd);
  };
  const auto before = fs::last_write_time(File());
  editInPlace("dword:00000001", "dword:00000002");  // the same size
  fs::last_write_time(File(), before + std::chrono::seconds(1));
  EXPECT_EQ(Read("v"), 2);
  editInPlace("\"v\"=dword:00000002", "\"v\"=dword:00000003\n\"w\"=dword:00000004");  // longer
  EXPECT_EQ(Read("v"), 3);
  EXPECT_EQ(Read("w"), 4);
}

}  // namespace
