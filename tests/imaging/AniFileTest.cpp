// The animated-cursor reader on files written from the RIFF ACON layout: frames of every depth
// read back as pixels, the "rate" and "seq " rules, hot spots, texts, pad bytes, damaged sizes
// and truncations, and the copies to images, icons, icon lists and bitmap strips.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "imaging/AniFile.h"
#include "imaging/IcoList.h"
#include "platform/vcl/Dialogs.h"
#include "tests/imaging/AniFiles.h"

namespace {

using namespace anifiles;

Bytes IconOf(int bits, char letter, int side = 32) { return SolidIcon(bits, letter, side); }

std::unique_ptr<TAnimatedCursorImage> Read(const Bytes& file) {
  auto image = std::make_unique<TAnimatedCursorImage>();
  TMemoryStream stream;
  Fill(stream, file);
  image->LoadFromStream(&stream);
  return image;
}

// Reads the file into an image that already holds one frame; the read's failure as its text.
std::string ReadOver(TAnimatedCursorImage& image, const Bytes& file) {
  try {
    TMemoryStream stream;
    Fill(stream, file);
    image.LoadFromStream(&stream);
    return "";
  } catch (const EReadError& e) {
    return e.Message;
  }
}

Bytes Plain(int frames, Header header = {}) {
  header.icons = header.steps = frames;
  std::vector<Bytes> icons;
  for (int i = 0; i < frames; ++i) icons.push_back(IconOf(4, "RGBY"[i % 4]));
  return Riff({Anih(header), Frames(icons)});
}

// The strip's colour at the middle of cell i.
TColor CellColor(TBitmap& strip, int i, int side = 32, bool vertical = false) {
  return strip.GetCanvas()->GetPixels(side / 2 + (vertical ? 0 : side * i), side / 2 + (vertical ? side * i : 0));
}

TEST(AniFile, ReadsFramesOfEveryDepthIntoAStripOfTheirColours) {
  Header header;
  header.icons = header.steps = 5;
  const auto image = Read(Riff({Anih(header), Frames({IconOf(1, 'W'), IconOf(4, 'G'), IconOf(8, 'B'),
                                                      IconOf(24, 'Y'), IconOf(32, 'R')})}));
  ASSERT_EQ(image->GetIconCount(), 5);
  EXPECT_EQ(image->GetCursorHeader().cSteps, 5);
  EXPECT_EQ(image->GetMaxColorCount(), 256);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(image->GetFrame(i)->GetIconIndex(), i);
    EXPECT_EQ(image->GetFrame(i)->GetJiffyRate(), 10);
    EXPECT_TRUE(image->GetFrame(i)->GetIsPlainIcon());
    EXPECT_EQ(image->GetFrame(i)->GetCursorHotSpot().x, 16);
    EXPECT_EQ(std::string(image->GetFrame(i)->GetIconChunk().ckID, 4), "icon");
    EXPECT_EQ(image->GetIcon(i)->GetWidth(), 32);
  }
  for (bool vertical : {false, true}) {
    TBitmap strip;
    image->AssignToBitmap(&strip, clBlack, false, vertical);
    EXPECT_EQ(strip.GetWidth(), vertical ? 32 : 160);
    EXPECT_EQ(strip.GetHeight(), vertical ? 160 : 32);
    const TColor expected[] = {clWhite, clLime, clBlue, clYellow, clRed};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(CellColor(strip, i, 32, vertical), expected[i]) << i << vertical;
  }
}

TEST(AniFile, RejectsWhatIsNoAnimatedCursorAndKeepsThePreviousImage) {
  Bytes notRiff = Plain(1), notAcon = Plain(1);
  std::memcpy(notRiff.data(), "RIFX", 4);
  std::memcpy(notAcon.data() + 8, "ACOX", 4);
  const Bytes shortHeader(notAcon.begin(), notAcon.begin() + 10);
  const auto image = Read(Plain(2));
  for (const Bytes& file : {notRiff, notAcon, shortHeader}) {
    EXPECT_EQ(ReadOver(*image, file), "Stream read error");
    EXPECT_EQ(image->GetIconCount(), 2);
  }
}

TEST(AniFile, RejectsAHeaderWithoutIconFramesOrStepsAndAFileWithoutPictures) {
  Header noFlag, noSteps;
  noFlag.flags = 0;
  noSteps.steps = 0;
  const Bytes files[] = {
      Riff({Anih(noFlag), Frames({IconOf(4, 'R')})}),
      Riff({Anih(noSteps), Frames({IconOf(4, 'R')})}),
      Riff({Anih({})}),
      Riff({Frames({})}),
      Riff({}),
  };
  for (const Bytes& file : files) {
    TAnimatedCursorImage image;
    EXPECT_EQ(ReadOver(image, file), "Stream read error");
  }
}

TEST(AniFile, KeepsOnlyTheFramesThatGotAPicture) {
  Header header;
  header.icons = header.steps = 3;
  const auto image = Read(Riff({Anih(header), Frames({IconOf(4, 'R'), IconOf(4, 'G')})}));
  ASSERT_EQ(image->GetIconCount(), 2);
  EXPECT_EQ(image->GetCursorHeader().cSteps, 2);
  EXPECT_EQ(image->GetCursorHeader().cFrames, 3);
}

TEST(AniFile, IconsBeyondTheHeadersCountGetFramesOfTheirOwn) {
  Header header;
  header.rate = 7;
  const auto image = Read(Riff({Anih(header), Frames({IconOf(4, 'R'), IconOf(4, 'G'), IconOf(4, 'B')})}));
  ASSERT_EQ(image->GetIconCount(), 3);
  const LONG indices[] = {0, -1, -1};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(image->GetFrame(i)->GetIconIndex(), indices[i]);
    EXPECT_EQ(image->GetFrame(i)->GetJiffyRate(), 7);
  }
}

TEST(AniFile, EachRateAndSequenceChunkGivesOneValueToTheNextFrame) {
  Header header;
  header.icons = header.steps = 3;
  const auto image = Read(Riff({Anih(header), Chunk("rate", Dwords({20, 30, 40, 50})), Chunk("rate", Dwords({60})),
                                Chunk("seq ", Dwords({1, 0, 0})), Chunk("seq ", Dwords({1})),
                                Frames({IconOf(4, 'R'), IconOf(4, 'G'), IconOf(4, 'B')})}));
  // Frames 0 and 1 show icon 1, frame 2 icon 2; icon 0, asked for by none, gets a frame at the end.
  ASSERT_EQ(image->GetIconCount(), 4);
  const LONG rates[] = {20, 60, 10, 10}, indices[] = {1, 1, 2, -1};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(image->GetFrame(i)->GetJiffyRate(), rates[i]) << i;
    EXPECT_EQ(image->GetFrame(i)->GetIconIndex(), indices[i]) << i;
  }
  EXPECT_EQ(image->GetIcon(0), image->GetIcon(1));  // one picture, released once with the image
  TBitmap strip;
  image->AssignToBitmap(&strip, clBlack, false, false);
  const TColor expected[] = {clLime, clLime, clBlue, clRed};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(CellColor(strip, i), expected[i]) << i;
}

TEST(AniFile, CursorsKeepTheirLastEntrysHotSpotAndIconsTakeTheirCentre) {
  const std::vector<std::string> small(16, std::string(16, 'R')), large(48, std::string(48, 'R'));
  const iconfiles::Image images[] = {{small, 4, {3, 4}}, {large, 4, {5, 6}}};
  const auto image = Read(Riff({Anih({}), Frames({iconfiles::File(2, {images[0], images[1]}), iconfiles::File(1, {images[1]})})}));
  ASSERT_EQ(image->GetIconCount(), 2);
  EXPECT_FALSE(image->GetFrame(0)->GetIsPlainIcon());
  EXPECT_EQ(image->GetFrame(0)->GetCursorHotSpot().x, 5);
  EXPECT_EQ(image->GetFrame(0)->GetCursorHotSpot().y, 6);
  EXPECT_TRUE(image->GetFrame(1)->GetIsPlainIcon());
  // The centre of the picture, which the icon holds at the system's icon size.
  EXPECT_EQ(image->GetFrame(1)->GetCursorHotSpot().x, image->GetIcon(1)->GetWidth() / 2);
  EXPECT_EQ(image->GetFrame(1)->GetCursorHotSpot().y, image->GetIcon(1)->GetHeight() / 2);
}

TEST(AniFile, ReadsTitleAndCreatorUpTo255Characters) {
  const std::string longTitle(300, 't');
  const auto image = Read(Riff({Anih({}), List("INFO", {Chunk("INAM", Text("First title")),
                                                        Chunk("INAM", Text(longTitle + '\0')),
                                                        Chunk("IART", Text(std::string("Ann\0", 4)))}),
                                Frames({IconOf(4, 'R')})}));
  EXPECT_EQ(image->GetTitle(), std::string(255, 't'));
  EXPECT_EQ(image->GetCreator(), "Ann");
  const auto shorter = Read(Riff({Anih({}), List("INFO", {Chunk("INAM", Text("A long first")), Chunk("INAM", Text("Ab"))}),
                                  Frames({IconOf(4, 'R')})}));
  EXPECT_EQ(shorter->GetTitle(), "Ab");
}

TEST(AniFile, ATitleLongerThanItsListEndsTheList) {
  // The title claims 100 bytes of a list that holds 10 more: the walk goes on from the title's
  // data, here a small chunk of its own, and reads the frames after it.
  Bytes info = Text("INFO");
  Append(info, Chunk("INAM", Chunk("junk", Text("ab")), 100));
  const auto image = Read(Riff({Anih({}), Chunk("LIST", info), Frames({IconOf(4, 'R')})}));
  EXPECT_EQ(image->GetTitle(), "");
  EXPECT_EQ(image->GetIconCount(), 1);
}

TEST(AniFile, OddSizesAreFollowedByTheirPadByte) {
  Bytes oddIcon = IconOf(4, 'G');
  oddIcon.push_back(std::byte{0});
  ASSERT_EQ(oddIcon.size() % 2, 1u);
  Header header;
  header.icons = header.steps = 2;
  const auto image = Read(Riff({Chunk("junk", Text("abc")), Anih(header), List("INFO", {Chunk("INAM", Text("Title"))}),
                                Frames({oddIcon, IconOf(4, 'B')}), Chunk("rate", Dwords({5, 6}))}));
  EXPECT_EQ(image->GetTitle(), "Title");
  ASSERT_EQ(image->GetIconCount(), 2);
  EXPECT_EQ(image->GetFrame(0)->GetJiffyRate(), 5);
  TBitmap strip;
  image->AssignToBitmap(&strip, clBlack, false, false);
  EXPECT_EQ(CellColor(strip, 0), clLime);
  EXPECT_EQ(CellColor(strip, 1), clBlue);
}

TEST(AniFile, AFrameListEndsAtAnIconThatDoesNotLoad) {
  Bytes broken = IconOf(4, 'G');
  broken.resize(60);  // the directory promises an image the data does not hold
  Header header;
  header.icons = header.steps = 3;
  const auto image = Read(Riff({Anih(header), Frames({IconOf(4, 'R'), broken, IconOf(4, 'B')})}));
  ASSERT_EQ(image->GetIconCount(), 1);
  EXPECT_EQ(image->GetFrame(0)->GetIconIndex(), 0);
}

TEST(AniFile, DefaultRateInMilliseconds) {
  const std::pair<LONG, int> cases[] = {{6, 100}, {10, 166}, {0, 0}, {-5, 0}, {0x7FFFFFFF, 0}};
  for (const auto& [jiffies, ms] : cases) {
    Header header;
    header.rate = jiffies;
    EXPECT_EQ(Read(Riff({Anih(header), Frames({IconOf(4, 'R')})}))->GetDefaultRate(), ms) << jiffies;
  }
}

TEST(AniFile, ReadingNoBytesLeavesTheImage) {
  const auto image = Read(Plain(2));
  TMemoryStream empty;
  image->ReadStream(0, &empty);
  EXPECT_EQ(image->GetIconCount(), 2);
  image->LoadFromStream(&empty);
  EXPECT_EQ(image->GetIconCount(), 2);
}

// Sizes a damaged file may claim: the walk ends or skips, never moves back, never reads past
// the data; an icon claiming more than there is raises the read error.
TEST(AniFile, DamagedSizesEndTheWalkWithoutGoingBack) {
  struct Case {
    const char* name;
    Bytes file;
    int frames;  // -1: "Stream read error"
  };
  Bytes hugeIcon = Frames({IconOf(4, 'R')});
  std::memcpy(hugeIcon.data() + 12 + 4, "\xF0\xFF\xFF\x7F", 4);
  Bytes negativeIcon = Frames({IconOf(4, 'R')});
  std::memcpy(negativeIcon.data() + 12 + 4, "\xF0\xFF\xFF\xFF", 4);
  const Case cases[] = {
      {"negative chunk after the frames", Riff({Anih({}), Frames({IconOf(4, 'R')}), Chunk("junk", Text("ab"), -16)}), 1},
      {"negative chunk before the frames", Riff({Anih({}), Chunk("junk", Text("ab"), -16), Frames({IconOf(4, 'R')})}), -1},
      {"negative list", Riff({Anih({}), Frames({IconOf(4, 'R')}), Chunk("LIST", Text("INFOab"), -100)}), 1},
      {"negative rate", Riff({Anih({}), Frames({IconOf(4, 'R')}), Chunk("rate", Dwords({5}), -2)}), 1},
      {"header beyond the data", Riff({Frames({IconOf(4, 'R')}), Chunk("anih", AnihData({}), 0x7FFFFFFF)}), 1},
      {"icon beyond the data", Riff({Anih({}), hugeIcon}), -1},
      {"icon of negative size", Riff({Anih({}), negativeIcon}), -1},
      {"list longer than its sub-chunks", Riff({Anih({}), Chunk("LIST", Text("framicon"), 1000)}), -1},
      {"header count beyond the limit", Riff({Anih({0x7FFFFFFF, 1}), Frames({IconOf(4, 'R')})}), 1},
  };
  for (const Case& c : cases) {
    TAnimatedCursorImage image;
    const std::string error = ReadOver(image, c.file);
    if (c.frames < 0) {
      EXPECT_EQ(error, "Stream read error") << c.name;
    } else {
      EXPECT_EQ(error, "") << c.name;
      EXPECT_EQ(image.GetIconCount(), c.frames) << c.name;
    }
  }
}

TEST(AniFile, EveryTruncationLoadsWhatItHoldsOrRaisesTheReadError) {
  Header header;
  header.icons = header.steps = 2;
  const Bytes file = Riff({Anih(header), List("INFO", {Chunk("INAM", Text("T"))}), Chunk("rate", Dwords({1, 2})),
                           Frames({IconOf(8, 'R'), IconOf(4, 'G')})});
  for (std::size_t length = 1; length < file.size(); ++length) {  // 0 bytes: nothing is read
    TAnimatedCursorImage image;
    const std::string error = ReadOver(image, Bytes(file.begin(), file.begin() + static_cast<long>(length)));
    if (error.empty()) {
      EXPECT_GE(image.GetIconCount(), 1) << length;
      EXPECT_EQ(image.GetCursorHeader().cSteps, image.GetIconCount()) << length;
    } else {
      EXPECT_EQ(error, "Stream read error") << length;
    }
  }
}

TEST(AniFile, CopiesToAnotherImageWithPicturesOfItsOwn) {
  Header header;
  header.icons = header.steps = 2;
  const auto image = Read(Riff({Anih(header), List("INFO", {Chunk("INAM", Text("T"))}), Chunk("rate", Dwords({9})),
                                Frames({IconOf(4, 'R'), IconOf(4, 'G')})}));
  TAnimatedCursorImage copy;
  copy.Assign(image.get());
  ASSERT_EQ(copy.GetIconCount(), 2);
  EXPECT_EQ(copy.GetTitle(), "T");
  EXPECT_EQ(copy.GetMaxColorCount(), 16);
  EXPECT_EQ(copy.GetFrame(0)->GetJiffyRate(), 9);
  EXPECT_NE(copy.GetIcon(0), image->GetIcon(0));
  image->Clear();
  EXPECT_EQ(image->GetIconCount(), 0);
  EXPECT_EQ(image->GetTitle(), "");
  TBitmap strip;
  copy.AssignToBitmap(&strip, clBlack, false, false);
  EXPECT_EQ(CellColor(strip, 1), clLime);
  copy.Assign(nullptr);
  EXPECT_EQ(copy.GetIconCount(), 0);
}

TEST(AniFile, AssignsToAnIconAnIconListAndABitmap) {
  const auto image = Read(Plain(3));
  TIcon icon;
  icon.Assign(image.get());
  EXPECT_EQ(icon.GetWidth(), 32);
  TIconList list;
  int changes = 0;
  list.OnChange = [&](TObject*) { ++changes; };
  list.Assign(image.get());
  EXPECT_EQ(list.GetCount(), 3);
  EXPECT_EQ(changes, 1);
  TBitmap bitmap;
  bitmap.GetCanvas()->GetBrush()->SetColor(clTeal);
  bitmap.Assign(image.get());
  EXPECT_EQ(bitmap.GetWidth(), 96);
  EXPECT_EQ(CellColor(bitmap, 2), clBlue);

  TAnimatedCursorImage empty;
  icon.Assign(&empty);
  EXPECT_TRUE(icon.GetEmpty());
  bitmap.Assign(&empty);
  EXPECT_TRUE(bitmap.GetEmpty());
  TPen pen;
  try {
    pen.Assign(image.get());
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, "Cannot assign a TAnimatedCursorImage to a TPen");
  }
}

TEST(AniFile, TheStripShowsTheBackgroundWhereAFrameIsTransparent) {
  std::vector<std::string> holed(32, std::string(32, 'R'));
  holed[0][0] = '.';
  const auto image = Read(Riff({Anih({}), Frames({iconfiles::File(1, {{holed, 4}})})}));
  TBitmap strip;
  image->AssignToBitmap(&strip, clTeal, true, false);
  EXPECT_EQ(strip.GetCanvas()->GetPixels(0, 0), clTeal);
  EXPECT_EQ(strip.GetCanvas()->GetPixels(1, 0), clRed);
}

TEST(AniFile, ReducingTheStripKeepsTheFramesColours) {
  // Reduced to the frames' own colour count: 16 colours for 4-bit frames, all colours for
  // true-colour frames (their colour count of 0 would otherwise allow only 16).
  const auto paletted = Read(Plain(4));
  TBitmap strip;
  paletted->AssignToBitmap(&strip, clBlack, true, false);
  EXPECT_EQ(strip.GetPixelFormat(), pf4bit);
  const TColor expected[] = {clRed, clLime, clBlue, clYellow};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(CellColor(strip, i), expected[i]);

  Header header;
  header.icons = header.steps = 2;
  const auto trueColour = Read(Riff({Anih(header), Frames({IconOf(32, 'O'), IconOf(24, 'O')})}));
  EXPECT_EQ(trueColour->GetMaxColorCount(), 0);
  trueColour->AssignToBitmap(&strip, clBlack, true, false);
  EXPECT_EQ(CellColor(strip, 0), static_cast<TColor>(iconfiles::ColorOf('O')));
  EXPECT_EQ(CellColor(strip, 1), static_cast<TColor>(iconfiles::ColorOf('O')));
}

TEST(AniFile, DrawsTheFirstFrameAtItsRealSize) {
  Header header;
  header.icons = header.steps = 2;
  const auto image = Read(Riff({Anih(header), Frames({IconOf(8, 'R', 48), IconOf(8, 'G', 48)})}));
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.GetCanvas()->GetBrush()->SetColor(clBlack);
  target.SetSize(64, 64);
  image->Draw(target.GetCanvas(), Rect(5, 6, 10, 10));
  EXPECT_EQ(target.GetCanvas()->GetPixels(5, 6), clRed);
  EXPECT_EQ(target.GetCanvas()->GetPixels(52, 53), clRed);
  EXPECT_EQ(target.GetCanvas()->GetPixels(53, 54), clBlack);
  EXPECT_EQ(target.GetCanvas()->GetPixels(4, 6), clBlack);
}

TEST(AniFile, AFailedFileLoadLeavesTheImageEmpty) {
  const auto path = std::filesystem::temp_directory_path() / ("anifile-" + std::to_string(getpid()) + ".ani");
  const Bytes good = Plain(2);
  Bytes bad = good;
  bad.resize(bad.size() - 20);  // the last icon claims more than the file holds
  TAnimatedCursorImage image;
  for (const Bytes* file : std::initializer_list<const Bytes*>{&good, &bad}) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file->data()), static_cast<long>(file->size()));
    if (file == &good) {
      image.LoadFromFile(path.string());
      EXPECT_EQ(image.GetIconCount(), 2);
    } else {
      EXPECT_THROW(image.LoadFromFile(path.string()), EReadError);
      EXPECT_EQ(image.GetIconCount(), 0);
    }
  }
  std::filesystem::remove(path);
  image.Assign(Read(good).get());
  EXPECT_THROW(image.LoadFromFile(path.string()), EFOpenError);
  EXPECT_EQ(image.GetIconCount(), 0);
}

TEST(AniFile, WritingIsNotImplemented) {
  vcl::ScopedMessageDialogSink dialogs;
  const auto image = Read(Plain(1));
  TMemoryStream out;
  EXPECT_THROW(image->SaveToStream(&out), EAbort);
  ASSERT_EQ(dialogs.Calls.size(), 1u);
  EXPECT_EQ(dialogs.Calls[0].text, "Функция не реализована");
  EXPECT_EQ(out.GetSize(), 0);
}

TEST(AniFile, FrameIndicesOutsideTheImageRaiseTheListError) {
  const auto image = Read(Plain(1));
  EXPECT_THROW(image->GetFrame(1), EListError);
  EXPECT_THROW(image->GetIcon(-1), EListError);
}

}  // namespace
