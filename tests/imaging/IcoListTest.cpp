// The icon list: ownership and copies, one change report per batch, the list stream with its
// empty entries, the "Icons" form property and its write test, and damaged or short streams.
#include <gtest/gtest.h>

#include <cstring>

#include "imaging/IcoList.h"
#include "platform/user/WinUser.h"
#include "platform/win32/Kernel32.h"
#include "platform/win32/Resources.h"
#include "tests/imaging/AniFiles.h"

namespace {

using anifiles::Bytes;
using anifiles::Dwords;
using anifiles::IconFrom;
using anifiles::SavedBytes;

std::unique_ptr<TIcon> IconOf(int side, char letter) { return IconFrom(anifiles::SolidIcon(4, letter, side)); }

Bytes StreamOf(TIconList& list) {
  TMemoryStream stream;
  list.SaveToStream(&stream);
  return anifiles::BytesOf(stream);
}

std::int32_t Int32At(const Bytes& bytes, std::size_t at) {
  std::int32_t v = 0;
  std::memcpy(&v, bytes.data() + at, 4);
  return v;
}

// Counts the list's change reports.
struct Counted {
  TIconList list;
  int changes = 0;
  Counted() {
    list.OnChange = [this](TObject* sender) {
      EXPECT_EQ(sender, &list);
      ++changes;
    };
  }
};

// An icon that tells when it is freed.
class TrackedIcon : public TIcon {
 public:
  explicit TrackedIcon(bool* freed) : freed_(freed) {}
  ~TrackedIcon() override { *freed_ = true; }

 private:
  bool* freed_;
};

TEST(IconList, StreamsThreeIconsWithAnEmptyOneBetween) {
  TIconList list;
  const auto first = IconOf(16, 'R'), last = IconOf(32, 'B');
  TIcon empty;
  list.Add(first.get());
  list.Add(&empty);
  list.Add(last.get());
  const Bytes stream = StreamOf(list);
  const Bytes firstData = SavedBytes(first.get()), lastData = SavedBytes(last.get());
  ASSERT_EQ(stream.size(), 4 + 4 + firstData.size() + 4 + 4 + lastData.size());
  EXPECT_EQ(Int32At(stream, 0), 3);
  EXPECT_EQ(Int32At(stream, 4), static_cast<std::int32_t>(firstData.size()));
  EXPECT_TRUE(std::equal(firstData.begin(), firstData.end(), stream.begin() + 8));
  EXPECT_EQ(Int32At(stream, 8 + firstData.size()), 0);
  EXPECT_EQ(Int32At(stream, 12 + firstData.size()), static_cast<std::int32_t>(lastData.size()));

  Counted read;
  TMemoryStream in;
  anifiles::Fill(in, stream);
  read.list.LoadFromStream(&in);
  EXPECT_EQ(read.changes, 1);
  ASSERT_EQ(read.list.GetCount(), 3);
  EXPECT_EQ(read.list.Get(1), nullptr);
  EXPECT_EQ(SavedBytes(read.list.Get(0)), firstData);
  EXPECT_EQ(SavedBytes(read.list.Get(2)), lastData);
  EXPECT_EQ(StreamOf(read.list), stream);
}

// An inherited form's view of another list: the very same entries.
class MirrorList : public TIconList {
 public:
  explicit MirrorList(TIconList* of) : of_(of) {}
  TIcon* Get(int Index) override { return of_->Get(Index); }
  int GetCount() override { return of_->GetCount(); }

 private:
  TIconList* of_;
};

TEST(IconList, TheIconsPropertyIsStoredOnlyWithEntriesThatDifferFromTheAncestors) {
  TIconList empty;
  EXPECT_EQ(StreamOf(empty), Dwords({0}));

  const auto write = [](TIconList& list, TIconList* ancestor) {
    TMemoryStream form;
    TWriter writer(&form);
    writer.SetAncestor(ancestor);
    writer.WriteProperties(&list);
    return form.GetSize();
  };
  EXPECT_EQ(write(empty, nullptr), 1);  // only the end of the properties
  TIconList two;
  two.Add(IconOf(16, 'R').get());
  two.Add(IconOf(16, 'G').get());
  MirrorList sameObjects(&two);
  EXPECT_GT(write(two, nullptr), 1);
  EXPECT_EQ(write(two, &sameObjects), 1);
  EXPECT_GT(write(two, &empty), 1);
  TIconList copies;
  copies.Assign(&two);
  EXPECT_GT(write(copies, &two), 1);  // equal pictures, other objects
  EXPECT_EQ(write(empty, &empty), 1);

  TMemoryStream form;
  TWriter writer(&form);
  writer.WriteProperties(&two);
  form.SetPosition(0);
  TIconList read;
  TReader reader(&form);
  reader.ReadProperties(&read);
  ASSERT_EQ(read.GetCount(), 2);
  EXPECT_EQ(SavedBytes(read.Get(1)), SavedBytes(two.Get(1)));
}

TEST(IconList, PutAppendsAtTheCountAndFillsAnEmptyEntry) {
  Counted c;
  const auto red = IconOf(16, 'R'), blue = IconOf(24, 'B');
  c.list.AddIcon(nullptr);
  c.changes = 0;
  c.list.Put(1, red.get());
  ASSERT_EQ(c.list.GetCount(), 2);
  EXPECT_NE(c.list.Get(1), red.get());
  EXPECT_EQ(SavedBytes(c.list.Get(1)), SavedBytes(red.get()));
  c.list.Put(0, blue.get());
  ASSERT_NE(c.list.Get(0), nullptr);
  EXPECT_EQ(SavedBytes(c.list.Get(0)), SavedBytes(blue.get()));
  EXPECT_EQ(c.changes, 2);  // one per Put
  c.list.Get(0)->Assign(red.get());  // an owned icon's change reaches the list
  EXPECT_EQ(c.changes, 3);
  EXPECT_THROW(c.list.Put(3, red.get()), EListError);
  EXPECT_THROW(c.list.Get(2), EListError);
}

TEST(IconList, ClearReportsOnceAndDeleteOncePerCall) {
  Counted c;
  for (int i = 0; i < 5; ++i) c.list.Add(nullptr);
  EXPECT_EQ(c.changes, 5);
  c.changes = 0;
  c.list.Delete(4);
  c.list.Delete(0);
  EXPECT_EQ(c.changes, 2);
  c.list.BeginUpdate();
  c.list.BeginUpdate();
  c.list.Add(nullptr);
  c.list.EndUpdate();
  EXPECT_EQ(c.changes, 2);
  c.list.EndUpdate();
  EXPECT_EQ(c.changes, 3);  // nested batches report once, from the outermost
  c.changes = 0;
  c.list.Clear();
  EXPECT_EQ(c.changes, 1);
  EXPECT_EQ(c.list.GetCount(), 0);
}

TEST(IconList, AddIconKeepsTheObjectAndAddCopiesIt) {
  bool freed = false;
  auto* tracked = new TrackedIcon(&freed);
  const auto source = IconOf(16, 'R');
  {
    TIconList list;
    EXPECT_EQ(list.AddIcon(tracked), 0);
    EXPECT_EQ(list.Add(source.get()), 1);
    EXPECT_EQ(list.Get(0), tracked);
    EXPECT_NE(list.Get(1), source.get());
    EXPECT_EQ(SavedBytes(list.Get(1)), SavedBytes(source.get()));
    EXPECT_EQ(list.IndexOf(tracked), 0);
    EXPECT_EQ(list.IndexOf(source.get()), -1);
    EXPECT_FALSE(freed);
  }
  EXPECT_TRUE(freed);
  EXPECT_FALSE(source->GetEmpty());
}

TEST(IconList, ExchangeMoveAndInsertReorderTheEntries) {
  Counted c;
  TIcon* icons[4];
  for (int i = 0; i < 4; ++i) {
    icons[i] = new TIcon;
    c.list.AddIcon(icons[i]);
  }
  c.changes = 0;
  c.list.Exchange(0, 3);
  c.list.Move(0, 2);  // 3 1 2 0 -> 1 2 3 0
  const TIcon* expected[] = {icons[1], icons[2], icons[3], icons[0]};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(c.list.Get(i), expected[i]);
  c.list.Move(3, 0);  // -> 0 1 2 3
  for (int i = 0; i < 4; ++i) EXPECT_EQ(c.list.Get(i), icons[i]);
  c.list.Insert(4, icons[0]);
  EXPECT_EQ(c.list.GetCount(), 5);
  EXPECT_NE(c.list.Get(4), icons[0]);
  EXPECT_EQ(c.changes, 4);
  EXPECT_THROW(c.list.Exchange(0, 5), EListError);
  EXPECT_THROW(c.list.Move(-1, 0), EListError);
  EXPECT_THROW(c.list.Insert(6, nullptr), EListError);
}

TEST(IconList, LoadsIconResourcesOfTheModule) {
  const Bytes red = anifiles::SolidIcon(4, 'R', 48), blue = anifiles::SolidIcon(8, 'B', 16);
  win32::RegisterResource("QM_LIST_RED", RT_GROUP_ICON, red.data(), red.size());
  win32::RegisterResource("QM_LIST_BLUE", RT_GROUP_ICON, blue.data(), blue.size());
  HINSTANCE module = GetModuleHandleA(nullptr);
  Counted c;
  c.list.LoadResource(module, {"QM_LIST_RED", "QM_LIST_BLUE"});
  EXPECT_EQ(c.changes, 1);
  c.list.InsertResource(0, module, "QM_LIST_BLUE");
  EXPECT_EQ(c.changes, 2);
  ASSERT_EQ(c.list.GetCount(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(c.list.Get(i)->GetWidth(), GetSystemMetrics(SM_CXICON));  // the system's size
  TBitmap drawn;
  drawn.SetSize(32, 32);
  drawn.GetCanvas()->Draw(0, 0, c.list.Get(1));
  EXPECT_EQ(drawn.GetCanvas()->GetPixels(16, 16), clRed);
  try {
    c.list.AddResource(module, "QM_LIST_MISSING");
    FAIL();
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message, "Resource QM_LIST_MISSING not found");
  }
  EXPECT_EQ(c.list.GetCount(), 3);
}

TEST(IconList, AssignCopiesListsAndIconsAndRefusesOtherClasses) {
  Counted c;
  TIconList source;
  source.Add(IconOf(16, 'R').get());
  source.AddIcon(nullptr);
  c.list.Assign(&source);
  EXPECT_EQ(c.changes, 1);
  ASSERT_EQ(c.list.GetCount(), 2);
  EXPECT_NE(c.list.Get(0), source.Get(0));
  EXPECT_TRUE(c.list.Get(1)->GetEmpty());  // a copy of nothing is an empty icon
  c.list.Assign(&c.list);
  EXPECT_EQ(c.list.GetCount(), 2);
  const auto icon = IconOf(24, 'G');
  c.list.Assign(icon.get());
  ASSERT_EQ(c.list.GetCount(), 1);
  EXPECT_EQ(SavedBytes(c.list.Get(0)), SavedBytes(icon.get()));
  c.list.Assign(nullptr);
  EXPECT_EQ(c.list.GetCount(), 0);
  TPen pen;
  EXPECT_THROW(c.list.Assign(&pen), EConvertError);
}

// Counts and sizes that the stream does not hold raise the read error before anything is
// taken for them; a short stream at any point does too, and leaves what was read.
TEST(IconList, DamagedOrShortStreamsRaiseTheReadError) {
  TIconList source;
  source.Add(IconOf(16, 'R').get());
  source.AddIcon(nullptr);
  source.Add(IconOf(32, 'G').get());
  const Bytes good = StreamOf(source);
  const auto read = [](const Bytes& bytes, TIconList& list) -> bool {
    TMemoryStream in;
    anifiles::Fill(in, bytes);
    try {
      list.LoadFromStream(&in);
      return true;
    } catch (const EReadError& e) {
      EXPECT_EQ(e.Message, "Stream read error");
      return false;
    }
  };
  for (std::size_t length = 0; length < good.size(); ++length) {
    Counted c;
    EXPECT_FALSE(read(Bytes(good.begin(), good.begin() + static_cast<long>(length)), c.list)) << length;
    EXPECT_EQ(c.changes, 1) << length;
  }
  const Bytes lies[] = {Dwords({0x7FFFFFFF}), Dwords({2, 0x7FFFFFF0, 0}), Dwords({1, 0xFFFFFFFF})};
  TIconList list;
  EXPECT_FALSE(read(lies[0], list));
  EXPECT_FALSE(read(lies[1], list));
  EXPECT_TRUE(read(lies[2], list));  // a negative size is an empty entry
  EXPECT_EQ(list.GetCount(), 1);
  Bytes badIcon = good;
  std::memcpy(badIcon.data() + 8, "\x00\x00\x07\x00", 4);  // the first icon's type word
  EXPECT_THROW(read(badIcon, list), EInvalidGraphic);
}

}  // namespace
