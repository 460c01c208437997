#include "reader/reader_repair.h"

#include <gtest/gtest.h>

namespace ksr {
namespace {

std::vector<ReaderLine> Lines(const std::vector<std::string>& texts) {
  std::vector<ReaderLine> lines;
  for (const std::string& t : texts) lines.push_back({t, static_cast<int>(lines.size()) + 1});
  return lines;
}

std::vector<std::string> Texts(const std::vector<ReaderLine>& lines) {
  std::vector<std::string> texts;
  for (const ReaderLine& l : lines) texts.push_back(l.Text);
  return texts;
}

TEST(ReaderRepair, LineKindsAreKnownAlone) {
  for (const char* line : {"", "============================", "Exit  WDM Device Enumeration", "Device Path: ",
                           "Device BUS NUMBER = 0000000A", "A / B / c.sys", "   +Speakers", "    NumPins: 00000002",
                           "       +Pin 00000000 Dataflow: 00000001", "          MaxBits    : 00000018",
                           "Please send this file to x@y!", "ksreport 9"}) {
    EXPECT_TRUE(ReaderLineKnown(line)) << line;
  }
  for (const char* line : {"Device Path:", "Device BUS NUMBER = 0000000a", "A / B.sys", "          MaxBits : 00000018",
                           "       +Pin 00000000 Dataflow:00000001", "Please send this file to",
                           "Please send this file to x@y", "hdaudio.sys",
                           "Exit WDM Device Enumeration"}) {
    EXPECT_FALSE(ReaderLineKnown(line)) << line;
  }
}

TEST(ReaderRepair, NonBreakingSpacesOfEitherEncoding) {
  EXPECT_EQ(ReaderNbspToSpace("a\xC2\xA0" "b\xA0" "c"), "a b\xA0" "c") << "a UTF-8 line keeps its byte A0";
  EXPECT_EQ(ReaderNbspToSpace("\xA0 \xA0+Speakers"), "   +Speakers");
  EXPECT_EQ(ReaderNbspToSpace("Caf\xC3\xA0 x\xA0y"), "Caf\xC3\xA0 x\xA0y") << "a letter's byte and a name's own A0 stay";
  // A line that is no UTF-8 is Windows-1252 throughout: an A0 after a
  // letter's byte is a space there, not the end of a character.
  EXPECT_EQ(ReaderNbspToSpace("\xA0 \xA0+Wei\xDF\xA0 Audio \x88"), "   +Wei\xDF  Audio \x88");
  std::vector<ReaderLine> lines = Lines({"\xA0 \xA0+Speakers", "Exit\xA0 WDM Device Enumeration", "   +Odd\xA0\xA0name",
                                         "Device\xC2\xA0Path:\xC2\xA0ROOT\\X\xC2\xA0Y"});
  ReaderRepairs done = ReaderRepair(&lines);
  EXPECT_TRUE(done.Nbsp);
  EXPECT_FALSE(done.Tabs || done.Wrapped);
  EXPECT_EQ(Texts(lines), (std::vector<std::string>{"   +Speakers", "Exit  WDM Device Enumeration",
                                                    "   +Odd\xA0\xA0name", "Device Path: ROOT\\X Y"}));
}

TEST(ReaderRepair, TabsBecomeTheLabelsOwnSpaces) {
  std::vector<ReaderLine> lines = Lines({"\tMaxBits\t: 00000018", "\t+Pin 00000006\tDataflow:\t00000001",
                                         "\t+Pending\tpin count", "Exit\tWDM Device Enumeration", "\tNumPins: 0000000G"});
  ReaderRepairs done = ReaderRepair(&lines);
  EXPECT_TRUE(done.Tabs);
  EXPECT_EQ(Texts(lines), (std::vector<std::string>{"          MaxBits    : 00000018",
                                                    "       +Pin 00000006 Dataflow: 00000001", "   +Pending\tpin count",
                                                    "Exit  WDM Device Enumeration", "\tNumPins: 0000000G"}));
  // A tab in a name is the name's own: a label whose spaces are merely
  // more is not a tab's damage, and is left as it came.
  lines = Lines({"    +Speakers\tLeft"});
  done = ReaderRepair(&lines);
  EXPECT_FALSE(done.Tabs);
  EXPECT_EQ(Texts(lines), (std::vector<std::string>{"    +Speakers\tLeft"}));
}

TEST(ReaderRepair, BlanksALineMayEndInAreNoTransportsDoing) {
  // The banner's wording, a hardware ID and an interface name may end in
  // a blank of their own: nothing was added, and nothing goes.
  std::vector<ReaderLine> lines = Lines({"ksreport 0.1.0 - a title ", "", "Device Path: ROOT\\X ", "   +Odd name\t"});
  EXPECT_FALSE(ReaderUndoTrailingBlanks(&lines));
  EXPECT_EQ(Texts(lines), (std::vector<std::string>{"ksreport 0.1.0 - a title ", "", "Device Path: ROOT\\X ",
                                                    "   +Odd name\t"}));
  // A blank after any other line was added, and all of them go when the
  // lines were padded unevenly.
  lines = Lines({"ksreport 0.1.0 - a title ", "    NumPins: 00000002  ", "   +Odd name\t"});
  EXPECT_TRUE(ReaderUndoTrailingBlanks(&lines));
  EXPECT_EQ(Texts(lines), (std::vector<std::string>{"ksreport 0.1.0 - a title", "    NumPins: 00000002",
                                                    "   +Odd name"}));
}

TEST(ReaderRepair, WrappedLinesAreJoinedWhereTheJoinIsALine) {
  std::vector<ReaderLine> lines = Lines({"Device Path:", "HDAUDIO\\FUNC_01", "Device BUS NUMBER = 00000000",
                                         "A long description / Some", "Maker / with", "words.sys", "Instance ID: 00000001",
                                         "   +Speakers (Realtek High", "Definition Audio)", "    NumPins: 00000002"});
  ReaderRepairs done = ReaderRepair(&lines);
  EXPECT_TRUE(done.Wrapped);
  EXPECT_EQ(Texts(lines), (std::vector<std::string>{"Device Path: HDAUDIO\\FUNC_01", "Device BUS NUMBER = 00000000",
                                                    "A long description / Some Maker / with words.sys",
                                                    "Instance ID: 00000001", "   +Speakers (Realtek High Definition Audio)",
                                                    "    NumPins: 00000002"}));
  EXPECT_EQ(lines[4].Number, 8) << "a joined line keeps its first line's number";
  // A damaged labelled line after a name is not taken into the name, nor
  // is a line that starts with a blank.
  lines = Lines({"   +Speakers", "NumPins: 0000000G", "   +Mic", "  stray", "Device BUS NUMBER = 0000000", "00"});
  done = ReaderRepair(&lines);
  EXPECT_FALSE(done.Wrapped);
  EXPECT_EQ(lines.size(), 6u);
}

}  // namespace
}  // namespace ksr
