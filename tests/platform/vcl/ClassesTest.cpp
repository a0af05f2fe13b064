// The object model and run-time helpers: conversions, assignment errors, component ownership
// and notification, and the memory, resource and file streams with their errors.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/vcl/Classes.h"
#include "platform/vcl/Graphics.h"
#include "platform/win32/Resources.h"

namespace {

// ---- SysUtils

TEST(StrToInt, AcceptsWhatTheLibraryAccepts) {
  const std::pair<const char*, int> cases[] = {
      {"0", 0},         {"1234", 1234},   {"-5", -5},           {"+7", 7},
      {"  42", 42},     {"$FF", 255},     {"0x10", 16},         {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},   {"$FFFFFFFF", -1},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(StrToInt(text), value) << text;
}

TEST(StrToInt, RejectsTheRestWithTheLibrarysText) {
  for (const char* text : {"", "abc", "12a", "42 ", "-", "$", "2147483648", "-2147483649", "1.5", "$1FFFFFFFF"}) {
    try {
      StrToInt(text);
      ADD_FAILURE() << text;
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message, "'" + std::string(text) + "' is not a valid integer value");
    }
  }
}

TEST(SysUtils, IntToStrAndCase) {
  EXPECT_EQ(IntToStr(-12), "-12");
  EXPECT_EQ(IntToStr(4294967296LL), "4294967296");
  EXPECT_EQ(UpperCase("/c:4711 xs"), "/C:4711 XS");
  EXPECT_EQ(UpperCase("\xE4z"), "\xE4Z");  // only ASCII letters change
  EXPECT_EQ(LowerCase("BmP"), "bmp");
}

// ---- TPersistent

TEST(Persistent, UnsupportedAssignmentNamesBothClasses) {
  TPen pen;
  TBrush brush;
  try {
    brush.Assign(&pen);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, "Cannot assign a TPen to a TBrush");
  }
  try {
    pen.Assign(nullptr);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, "Cannot assign a nil to a TPen");
  }
}

// ---- TComponent

struct Log {
  std::vector<std::string> lines;
};

class Probe : public TComponent {
 public:
  Probe(TComponent* owner, const char* name, Log* log) : TComponent(owner), log_(log) { SetName(name); }
  ~Probe() override { log_->lines.push_back("destroy " + GetName()); }

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    if (component != this)
      log_->lines.push_back(GetName() + (operation == opInsert ? " +" : " -") + component->GetName());
    TComponent::Notification(component, operation);
  }

 private:
  Log* log_;
};

TEST(Component, OwnerDestroysWhatItOwnsLastFirst) {
  Log log;
  auto* owner = new Probe(nullptr, "owner", &log);
  new Probe(owner, "a", &log);
  new Probe(owner, "b", &log);
  ASSERT_EQ(owner->GetComponentCount(), 2);
  EXPECT_EQ(owner->GetComponents(1)->GetName(), "b");
  EXPECT_EQ(owner->GetComponents(0)->GetOwner(), owner);
  log.lines.clear();
  delete owner;
  EXPECT_EQ(log.lines, (std::vector<std::string>{"destroy owner", "destroy b", "destroy a"}));
}

TEST(Component, IndexOutsideTheListRaises) {
  TComponent owner(nullptr);
  try {
    owner.GetComponents(0);
    FAIL();
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message, "List index out of bounds (0)");
  }
}

TEST(Component, OwnedComponentsHearOfArrivalsAndDepartures) {
  Log log;
  Probe owner(nullptr, "owner", &log);
  // Named before they join, so the notices can name them.
  owner.InsertComponent(new Probe(nullptr, "a", &log));
  auto* b = new Probe(nullptr, "b", &log);
  owner.InsertComponent(b);
  EXPECT_EQ(log.lines, (std::vector<std::string>{"owner +a", "owner +b", "a +b"}));
  log.lines.clear();
  delete b;  // leaves its owner on the way out
  EXPECT_EQ(log.lines, (std::vector<std::string>{"destroy b", "owner -b", "a -b"}));
  EXPECT_EQ(owner.GetComponentCount(), 1);
}

TEST(Component, RemoveAndInsertMoveOwnership) {
  Log log;
  Probe first(nullptr, "first", &log);
  Probe second(nullptr, "second", &log);
  auto* moved = new Probe(&first, "moved", &log);
  second.InsertComponent(moved);
  EXPECT_EQ(moved->GetOwner(), &second);
  EXPECT_EQ(first.GetComponentCount(), 0);
  ASSERT_EQ(second.GetComponentCount(), 1);
  second.RemoveComponent(moved);
  EXPECT_EQ(moved->GetOwner(), nullptr);
  EXPECT_EQ(second.GetComponentCount(), 0);
  delete moved;  // nobody else owns it now
}

TEST(Component, FreeNotificationReachesWatchersUnderOtherOwners) {
  Log log;
  Probe formA(nullptr, "formA", &log);
  Probe formB(nullptr, "formB", &log);
  auto* display = new Probe(&formA, "display", &log);
  auto* sprite = new Probe(&formB, "sprite", &log);
  sprite->FreeNotification(display);
  log.lines.clear();
  delete display;
  EXPECT_EQ(log.lines, (std::vector<std::string>{"destroy display", "sprite -display", "formA -display"}));
  log.lines.clear();
  delete sprite;  // the link is gone: nothing reaches the destroyed display
  EXPECT_EQ(log.lines, (std::vector<std::string>{"destroy sprite", "formB -sprite"}));
}

TEST(Component, WatchersUnderTheSameOwnerHearOnceAlsoWhenTheOwnerGoes) {
  Log log;
  auto* form = new Probe(nullptr, "form", &log);
  auto* display = new Probe(form, "display", &log);
  auto* sprite = new Probe(form, "sprite", &log);
  sprite->FreeNotification(display);
  log.lines.clear();
  delete display;
  EXPECT_EQ(log.lines, (std::vector<std::string>{"destroy display", "form -display", "sprite -display"}));
  display = new Probe(form, "display2", &log);
  display->FreeNotification(sprite);
  log.lines.clear();
  delete form;  // the owner tells nobody, so the link does
  EXPECT_EQ(log.lines, (std::vector<std::string>{"destroy form", "destroy display2", "sprite -display2",
                                                 "destroy sprite"}));
}

// ---- Streams

TEST(MemoryStream, GrowsReadsSeeksAndFillsGapsWithZero) {
  TMemoryStream stream;
  const char text[] = "abcdef";
  stream.WriteBuffer(text, 6);
  EXPECT_EQ(stream.GetSize(), 6);
  EXPECT_EQ(stream.GetPosition(), 6);
  stream.SetPosition(10);
  stream.WriteBuffer("Z", 1);
  EXPECT_EQ(stream.GetSize(), 11);
  const auto* memory = static_cast<const char*>(stream.GetMemory());
  EXPECT_EQ(std::string(memory, 6), "abcdef");
  EXPECT_EQ(std::string(memory + 6, 4), std::string(4, '\0'));
  stream.Seek(-3, soEnd);
  char back[3];
  stream.ReadBuffer(back, 3);
  EXPECT_EQ(std::string(back, 3), std::string("\0\0Z", 3));
  EXPECT_EQ(stream.Read(back, 3), 0);
  stream.SetSize(2);
  EXPECT_EQ(stream.GetPosition(), 2);
  stream.Clear();
  EXPECT_EQ(stream.GetSize(), 0);
  EXPECT_EQ(stream.GetPosition(), 0);
}

TEST(MemoryStream, ShortReadsAndNegativePositionsRaiseOrReadNothing) {
  TMemoryStream stream;
  stream.WriteBuffer("xy", 2);
  stream.SetPosition(1);
  char buffer[4];
  try {
    stream.ReadBuffer(buffer, 2);
    FAIL();
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message, "Stream read error");
  }
  stream.SetPosition(-5);
  EXPECT_EQ(stream.Read(buffer, 1), 0);
  EXPECT_EQ(stream.Write("q", 1), 0);
  EXPECT_THROW(stream.WriteBuffer("q", 1), EWriteError);
}

TEST(MemoryStream, CopyFromAndLoadFromStream) {
  TMemoryStream source;
  source.WriteBuffer("0123456789", 10);
  source.SetPosition(4);
  TMemoryStream part;
  EXPECT_EQ(part.CopyFrom(&source, 3), 3);
  EXPECT_EQ(std::string(static_cast<const char*>(part.GetMemory()), 3), "456");
  TMemoryStream whole;
  EXPECT_EQ(whole.CopyFrom(&source, 0), 10);  // 0: all of it, from the start
  EXPECT_EQ(whole.GetSize(), 10);
  TMemoryStream loaded;
  loaded.LoadFromStream(&part);
  EXPECT_EQ(loaded.GetSize(), 3);
  EXPECT_EQ(loaded.GetPosition(), 0);
  source.SetPosition(8);
  TMemoryStream tooMuch;
  EXPECT_THROW(tooMuch.CopyFrom(&source, 5), EReadError);
}

TEST(ResourceStream, ReadsTheResourceAndRefusesWrites) {
  static const char kData[] = "resource bytes";
  win32::RegisterResource("VCL_TEST_DATA", RT_RCDATA, kData, sizeof kData - 1);
  TResourceStream stream(nullptr, "vcl_test_data", RT_RCDATA);  // names are case-blind
  EXPECT_EQ(stream.GetSize(), 14);
  char buffer[8];
  stream.ReadBuffer(buffer, 8);
  EXPECT_EQ(std::string(buffer, 8), "resource");
  try {
    stream.WriteBuffer("x", 1);
    FAIL();
  } catch (const EStreamError& e) {
    EXPECT_EQ(e.Message, "Can't write to a read-only resource stream");
  }
}

TEST(ResourceStream, MissingResourceRaisesResNotFound) {
  try {
    TResourceStream stream(nullptr, "NO_SUCH_THING", RT_BITMAP);
    FAIL();
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message, "Resource NO_SUCH_THING not found");
  }
  EXPECT_THROW(TResourceStream(nullptr, 4711, RT_BITMAP), EResNotFound);
}

TEST(FileStream, WritesReadsAndReportsMissingFiles) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("vcl_stream_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string name = (dir / "data.bin").string();
  {
    TFileStream file(name, fmCreate);
    file.WriteBuffer("hello", 5);
    EXPECT_EQ(file.GetSize(), 5);
  }
  {
    TFileStream file(name, fmOpenRead);
    char buffer[5];
    file.ReadBuffer(buffer, 5);
    EXPECT_EQ(std::string(buffer, 5), "hello");
    EXPECT_THROW(file.ReadBuffer(buffer, 1), EReadError);
    EXPECT_THROW(file.WriteBuffer("x", 1), EWriteError);
  }
  EXPECT_THROW(TFileStream((dir / "missing.bin").string(), fmOpenRead), EFOpenError);
  EXPECT_THROW(TFileStream((dir / "no" / "dir.bin").string(), fmCreate), EFCreateError);
  std::filesystem::remove_all(dir);
}

}  // namespace
