#include "reader/reader_intake.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "machine_list.h"
#include "reader/reader_summary.h"
#include "report/layout.h"
#include "tests/report_transport.h"
#include "tests/test.h"

namespace ksr {
namespace {

std::string Apply(const std::string& report, const std::vector<std::string>& names) {
  std::vector<const ReportTransport*> way;
  for (const std::string& name : names) {
    way.push_back(ReportTransportNamed(name));
    if (way.back() == nullptr) {
      ADD_FAILURE() << "no transport " << name;
      return report;
    }
  }
  std::vector<std::string> kinds;
  return ReportTransportApply(report, way, &kinds);
}

std::string ReadError(const std::string& bytes) {
  std::vector<ParsedReport> reports(1);
  std::string error;
  EXPECT_FALSE(ReaderRead(bytes, false, &reports, &error));
  EXPECT_TRUE(reports.empty()) << error;
  return error;
}

std::vector<ParsedReport> Read(const std::string& bytes) {
  std::vector<ParsedReport> reports;
  std::string error;
  EXPECT_TRUE(ReaderRead(bytes, false, &reports, &error)) << error;
  return reports;
}

// Where reading of the file's one report stopped: "line N: ..." of the
// report, else of its first device that stopped; empty when it is whole.
std::string StopOf(const std::string& bytes) {
  std::vector<ParsedReport> r = Read(bytes);
  if (r.size() != 1) return "(" + std::to_string(r.size()) + " reports)";
  if (r[0].Stopped) return ReaderStopWhere(*r[0].Stopped);
  for (const ParsedDevice& d : r[0].Devices) {
    if (d.Stopped) return ReaderStopWhere(*d.Stopped);
  }
  return "";
}

std::vector<std::string> Sorted(std::vector<std::string> kinds) {
  std::sort(kinds.begin(), kinds.end());
  return kinds;
}

// Every machine's report after each transport, alone and in pairs, reads
// to what the report itself reads to, and names what was undone; the
// strict grammar refuses every one of them. A report the strict grammar
// refuses (one without its banner) is read as far as it goes, the same
// after transport as before.
void ExpectSameAfterEveryWay(const std::string& pristine);

// Values with runs of spaces of their own (a description, the closing
// address) read back the same after every transport: such lines parse
// with a mail's A0 in them, which is undone all the same.
TEST(ReaderIntake, ValuesWithRunsOfSpacesReadTheSameAfterEveryTransport) {
  std::string pristine = TypicalReport();
  for (auto [from, to] : {std::pair<std::string, std::string>{"High Definition Audio Device /", "High  Definition   Audio Device /"},
                          {"@example.invalid!", "@example.in  Mid!"}}) {
    size_t at = pristine.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    pristine.replace(at, from.size(), to);
  }
  ASSERT_NE(pristine.find("High  Definition   Audio Device"), std::string::npos);
  ExpectSameAfterEveryWay(pristine);
}

// A damaged banner longer than a mail's width: found by fuzzing, where the
// wrap broke it and left its start behind as text before the report. The
// banner is the tool's own words, shorter than any wrap.
TEST(ReaderIntake, ALongDamagedBannerReadsTheSameAfterEveryTransport) {
  std::string pristine = TypicalReport();
  pristine.insert(pristine.find(' ') + 2, std::string(100, '\xFF'));
  ExpectSameAfterEveryWay(pristine);
}

void ExpectSameAfterEveryWay(const std::string& pristine) {
  std::vector<ParsedReport> strict;
  std::string error;
  ASSERT_TRUE(ReaderRead(pristine, true, &strict, &error)) << error;
  for (const auto& way : ReportTransportWays()) {
    std::string label;
    for (const ReportTransport* t : way) label += std::string(t->Name) + ", ";
    std::vector<std::string> kinds;
    std::vector<ParsedReport> got;
    ASSERT_TRUE(ReaderRead(ReportTransportApply(pristine, way, &kinds), false, &got, &error)) << label << error;
    ASSERT_EQ(got.size(), 1u) << label;
    EXPECT_TRUE(ReportSameContent(got[0], ReportAfterTransport(strict[0], way)))
        << label << ": " << got[0].Devices[0].Description << " | " << got[0].Feedback;
    EXPECT_EQ(Sorted(got[0].Transport), Sorted(kinds)) << label;
  }
}

// A description whose pieces are longer than the mail's width and hold
// " / " of their own cannot always be joined again after a wrap; the
// device then stops where the wrap broke it, and says so, and no value is
// read wrong.
TEST(ReaderIntake, AWrapThatCannotBeUndoneStopsTheDevice) {
  std::string pristine = TypicalReport();
  std::string from = "High Definition Audio Device / Generic Audio Maker / hdaudio.sys";
  std::string to = "Wine Gates / Generic / winegate" + std::string(120, 'd') + " /  / " + std::string(80, 's') + ".sys";
  pristine.replace(pristine.find(from), from.size(), to);
  std::vector<ParsedReport> strict, got;
  std::string error;
  ASSERT_TRUE(ReaderRead(pristine, true, &strict, &error)) << error;
  std::vector<std::string> kinds;
  std::string mailed = ReportTransportApply(pristine, {ReportTransportNamed("wrapped at 60 columns")}, &kinds);
  ASSERT_NE(mailed, pristine);
  ASSERT_TRUE(ReaderRead(mailed, false, &got, &error)) << error;
  ASSERT_EQ(got.size(), 1u);
  ASSERT_EQ(got[0].Devices.size(), strict[0].Devices.size());
  const ParsedDevice& d = got[0].Devices[0];
  if (d.Description != strict[0].Devices[0].Description || d.Service != strict[0].Devices[0].Service) {
    EXPECT_TRUE(d.Stopped.has_value()) << "read as \"" << d.Description << "\" / \"" << d.Service << "\"";
  }
  for (size_t i = 1; i < got[0].Devices.size(); ++i) EXPECT_FALSE(got[0].Devices[i].Stopped) << i;
}

// A value's own U+00A0 stays when a UTF-8 mail made the report's spaces
// non-breaking ones: the repair touches only lines that do not parse.
TEST(ReaderIntake, AValuesOwnNonBreakingSpaceStays) {
  std::string pristine = TypicalReport();
  std::string from = "High Definition Audio Device /", to = "High\xC2\xA0" "Definition Audio Device /";
  pristine.replace(pristine.find(from), from.size(), to);
  std::string mailed = pristine;
  std::string pin = "       +Pin 00000000";
  mailed.replace(mailed.find(pin), 7, "\xC2\xA0\xC2\xA0\xC2\xA0\xC2\xA0\xC2\xA0\xC2\xA0\xC2\xA0");
  std::vector<ParsedReport> got;
  std::string error;
  ASSERT_TRUE(ReaderRead(mailed, false, &got, &error)) << error;
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].Devices[0].Description, "High\xC2\xA0" "Definition Audio Device");
  EXPECT_EQ(got[0].Transport, std::vector<std::string>{"non-breaking-spaces"});
}

TEST(ReaderIntake, AUtf8MailLeavesANamesOwnA0BesideASpace) {
  // A UTF-8 mail makes every space C2 A0; a Windows-1252 A0 of the name's
  // own, beside one of its spaces, is then no mail's doing and stays.
  std::string pristine = TypicalReport();
  std::string from = "High Definition Audio Device /", to = "High \xA0\xA0" "Definition Audio Device /";
  pristine.replace(pristine.find(from), from.size(), to);
  std::vector<ParsedReport> got = Read(Apply(pristine, {"non-breaking spaces (UTF-8)"}));
  ASSERT_EQ(got.size(), 1u);
  ASSERT_FALSE(got[0].Devices.empty());
  EXPECT_EQ(got[0].Devices[0].Description, "High \xA0\xA0" "Definition Audio Device");
  EXPECT_EQ(got[0].Transport, std::vector<std::string>{"non-breaking-spaces"});
}

TEST(ReaderIntake, EveryMachineReadsTheSameAfterEveryTransport) {
  std::vector<std::vector<const ReportTransport*>> ways = ReportTransportWays();
  EXPECT_GT(ways.size(), 2 * ReportTransports().size());
  size_t read = 0, partial = 0;
  for (const char* name : kMachineFiles) {
    std::string pristine = RunMachine(LoadMachine(name)).report;
    std::vector<ParsedReport> strict;
    std::string error;
    bool whole = ReaderRead(pristine, true, &strict, &error);
    std::vector<ParsedReport> tolerant;
    if (!ReaderRead(pristine, false, &tolerant, &error)) continue;  // the report went to another name
    ASSERT_EQ(tolerant.size(), 1u) << name;
    if (whole) {
      EXPECT_TRUE(ReportSameContent(tolerant[0], strict[0])) << name;
      EXPECT_TRUE(tolerant[0].Transport.empty()) << name;
    }
    partial += !whole;
    for (const auto& way : ways) {
      std::vector<std::string> kinds;
      std::string bytes = ReportTransportApply(pristine, way, &kinds);
      std::string label = name;
      for (const ReportTransport* t : way) label += std::string(", ") + t->Name;
      std::vector<ParsedReport> got;
      // A wrap of a report without long lines changes nothing.
      EXPECT_TRUE(bytes == pristine || !ReaderRead(bytes, true, &got, &error)) << label;
      ASSERT_TRUE(ReaderRead(bytes, false, &got, &error)) << label << ": " << error;
      ASSERT_EQ(got.size(), 1u) << label;
      EXPECT_TRUE(ReportSameContent(got[0], ReportAfterTransport(tolerant[0], way))) << label;
      EXPECT_TRUE(ReaderComplete(got[0]) == ReaderComplete(tolerant[0])) << label;
      EXPECT_EQ(Sorted(got[0].Transport), Sorted(kinds)) << label;
      ++read;
    }
  }
  EXPECT_GT(read, 10 * ways.size()) << "most machines give a whole report";
  EXPECT_GT(partial, 0u) << "some machine gives a report without its banner";
}

// Each new kind of mail damage is noted once, and undone only where it is.
TEST(ReaderIntake, MailDamageIsUndoneWhereTheGrammarShowsIt) {
  const std::pair<const char*, const char*> cases[] = {
      {"non-breaking spaces (UTF-8)", "non-breaking-spaces"},
      {"non-breaking spaces (Windows-1252)", "non-breaking-spaces"},
      {"tabs for runs of spaces", "tabs"},
      {"wrapped at 60 columns", "wrapped-lines"},
      {"CR CR LF line ends", "cr-cr-lf-line-ends"}};
  std::vector<ParsedReport> pristine = Read(TypicalReport());
  for (const auto& [transport, kind] : cases) {
    std::string bytes = Apply(TypicalReport(), {transport});
    EXPECT_NE(bytes, TypicalReport()) << transport;
    std::vector<ParsedReport> r = Read(bytes);
    ASSERT_EQ(r.size(), 1u) << transport;
    EXPECT_EQ(r[0].Transport, (std::vector<std::string>{kind})) << transport;
    EXPECT_TRUE(ReportSameContent(r[0], pristine[0])) << transport;
    EXPECT_STRNE(ReaderTransportNote(kind), "") << kind;
  }
  // CR CR LF counts one line end: an error names the line an editor of
  // the pristine report would.
  std::string bad = ReplacedOnce(TypicalReport(), "Device BUS NUMBER = 00000003", "Device BUS NUMBER = 3");
  EXPECT_EQ(StopOf(Apply(bad, {"CR CR LF line ends"})).substr(0, 8), "line 29:");
  // A non-breaking space inside a value stays where the lines show no
  // damage; so does a tab.
  std::string nbsp = ReplacedOnce(TypicalReport(), "+Speakers", "+Speakers\xC2\xA0Left\tRight");
  std::vector<ParsedReport> r = Read(nbsp);
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].Devices[0].Interfaces[0].Name, "Speakers\xC2\xA0Left\tRight");
  EXPECT_TRUE(r[0].Transport.empty());
}

TEST(ReaderIntake, NotesComeInTheirOwnOrder) {
  std::vector<ParsedReport> r = Read(Apply(TypicalReport(), {"quoted \"> \"", "console padding", "LF line ends",
                                                       "no last line end", "UTF-16 big-endian"}));
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].Transport, (std::vector<std::string>{"utf-16be", "lf-line-ends", "no-last-line-end", "quote-prefix",
                                                      "trailing-whitespace"}));
  r = Read(Apply(TypicalReport(), {"mail body", "a space after each line", "mixed line ends", "UTF-8 byte-order mark"}));
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].Transport, (std::vector<std::string>{"utf-8-bom", "mixed-line-ends", "trailing-whitespace",
                                                      "text-before", "text-after"}));
  for (const std::string& kind : r[0].Transport) EXPECT_STRNE(ReaderTransportNote(kind), "") << kind;
  EXPECT_STREQ(ReaderTransportNote("lf-line-ends"), "LF line ends were read as CR LF");
  EXPECT_STREQ(ReaderTransportNote("no-such-kind"), "");
}

// The mail body puts five lines above the report. A bad value makes its
// device stop there; the other devices are read whole.
TEST(ReaderIntake, ContentErrorsNameTheLineOfTheFile) {
  std::string bad = ReplacedOnce(TypicalReport(), "Device BUS NUMBER = 00000003", "Device BUS NUMBER = 3");
  const std::string expected =
      "line 34: expected the Bus Number line (\"Device BUS NUMBER = XXXXXXXX\") with eight upper-case hex digits, "
      "found \"Device BUS NUMBER = 3\"";
  EXPECT_EQ(StopOf(Apply(bad, {"mail body", "LF line ends"})), expected);
  EXPECT_EQ(StopOf(Apply(bad, {"mail body", "quoted \"> \"", "a space after each line", "UTF-16 little-endian"})),
            expected);
  std::vector<ParsedReport> r = Read(Apply(bad, {"mail body"}));
  ASSERT_EQ(r.size(), 1u);
  ASSERT_EQ(r[0].Devices.size(), 4u);
  EXPECT_FALSE(r[0].Stopped);
  EXPECT_TRUE(r[0].Devices[1].Stopped);
  EXPECT_EQ(r[0].Devices[1].HardwareId, "USB\\VID_1234&PID_ABCD&REV_0100&MI_00");
  EXPECT_FALSE(r[0].Devices[2].Stopped);
  EXPECT_EQ(r[0].Devices[3].Description, "Virtual Audio Cable");
  EXPECT_EQ(StopOf(Apply(ReplacedOnce(TypicalReport(), "Exit  WDM", "Exit WDM"), {"mail body", "CR line ends"})),
            "line 65: expected the end title (\"Exit  WDM Device Enumeration\"), found \"Exit WDM Device Enumeration\"");
  // A header that is not whole: the banner line alone is enough to be read,
  // and where it stopped names the line.
  EXPECT_EQ(StopOf(Apply(ReplacedOnce(TypicalReport(), "Start WDM", "Begin WDM"), {"mail body"})),
            "line 9: expected the start title (\"Start WDM Device Enumeration\"), found \"Begin WDM Device Enumeration\"");
}

TEST(ReaderIntake, AReportCutShortEndsWhereItsTextEnds) {
  std::string cut = TypicalReport().substr(0, TypicalReport().find("   +Microphone"));
  EXPECT_EQ(StopOf(Apply(cut, {"blank lines around", "LF line ends"})),
            "line 21: expected a Pin line (\"       +Pin XXXXXXXX Dataflow: XXXXXXXX\"), an Interface line "
            "(\"   +NAME\"), or a blank line, but the report ends here");
  // Cut inside a mail body: the signature is read as the report's next line.
  EXPECT_EQ(StopOf(Apply(cut, {"mail body"})),
            "line 25: expected a cut line (\"---------------------- 8< ----------------------\"), or a rule line "
            "(\"============================\"), found \"Thanks,\"");
  // Cut inside a quote: the report ends where the quote does.
  EXPECT_EQ(StopOf(Apply(cut, {"quoted \"> \""}) + "My reply.\r\n").substr(0, 8), "line 19:");
  EXPECT_EQ(StopOf(cut.substr(0, cut.size() - 2) + "0"),
            "line 18: expected the MaxSampleRt line (\"          MaxSampleRt: XXXXXXXX\") with eight upper-case hex "
            "digits, found \"          MaxSampleRt: 000177000\"");
  // What came before the cut is kept.
  std::vector<ParsedReport> r = Read(cut);
  ASSERT_EQ(r.size(), 1u);
  ASSERT_EQ(r[0].Devices.size(), 1u);
  EXPECT_EQ(r[0].Devices[0].Interfaces.size(), 1u);
  EXPECT_FALSE(ReaderComplete(r[0]));
}

TEST(ReaderIntake, OnlyTheClosingLineAfterTheEndTitleEndsTheReport) {
  // A closing request line after the start title's rule and blank line is
  // not the report's end: the report runs on to its own, and reading stops
  // at the stray line.
  std::string report = TypicalReport();
  std::string start = "Start WDM Device Enumeration\r\n============================\r\n\r\n";
  size_t at = report.find(start);
  ASSERT_NE(at, std::string::npos);
  report.insert(at + start.size(), "Please send this file to nobody!\r\n");
  std::vector<ParsedReport> r = Read(report);
  ASSERT_EQ(r.size(), 1u);
  EXPECT_TRUE(r[0].Transport.empty());
  ASSERT_TRUE(r[0].Stopped);
  EXPECT_EQ(r[0].Stopped->Line, 7);
}

TEST(ReaderIntake, AClosingLineCutByAWrapIsJoinedNotLeftOutside) {
  // An address with spaces in it wraps at 60 columns: the report runs on
  // to the line that ends in "!", and the repair joins the two.
  std::string report = TypicalReport();
  size_t at = report.find(kClosingPrefix);
  ASSERT_NE(at, std::string::npos);
  report.replace(at, report.find("\r\n", at) - at,
                 std::string(kClosingPrefix) + "the support desk of Example at support@example.invalid!");
  std::vector<ParsedReport> strict;
  std::string error;
  ASSERT_TRUE(ReaderRead(report, true, &strict, &error)) << error;
  for (const std::vector<std::string>& way : {std::vector<std::string>{"wrapped at 60 columns"},
                                              std::vector<std::string>{"wrapped at 60 columns", "quoted \"> \""}}) {
    std::string wrapped = Apply(report, way);
    ASSERT_NE(wrapped.find("Example at\r\n"), std::string::npos) << way.size();
    std::vector<ParsedReport> r = Read(wrapped + "Thanks!\r\n");
    ASSERT_EQ(r.size(), 1u);
    EXPECT_TRUE(ReaderComplete(r[0])) << way.size();
    EXPECT_TRUE(ReportSameContent(r[0], strict[0])) << way.size();
    EXPECT_NE(std::find(r[0].Transport.begin(), r[0].Transport.end(), "wrapped-lines"), r[0].Transport.end());
  }
}

TEST(ReaderIntake, SeveralReportsInOneFile) {
  std::string a = TypicalReport();
  std::string b = RunMachine(LoadMachine("examples/pin-gates.json")).report;
  std::vector<ParsedReport> r = Read(a + b);
  ASSERT_EQ(r.size(), 2u);
  std::vector<ParsedReport> one = Read(b);
  EXPECT_TRUE(ReportSameContent(r[1], one[0]));
  EXPECT_TRUE(r[0].Transport.empty());
  EXPECT_TRUE(r[1].Transport.empty());
  // A ticket export: each report with its own surroundings and line ends.
  r = Read(Apply(a, {"mail body"}) + "\r\n=== next message ===\r\n" + Apply(b, {"quoted \">\"", "LF line ends"}));
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0].Transport, (std::vector<std::string>{"text-before"}));
  EXPECT_EQ(r[1].Transport, (std::vector<std::string>{"lf-line-ends", "quote-prefix", "text-before"}));
  EXPECT_TRUE(ReportSameContent(r[1], one[0]));
  // Two runs pasted with the first cut short: the first ends where the
  // second begins, and says where it stopped; the second is whole.
  std::string cut = a.substr(0, a.find("   +Microphone"));
  r = Read(cut + b);
  ASSERT_EQ(r.size(), 2u);
  ASSERT_TRUE(r[0].Stopped);
  EXPECT_EQ(r[0].Stopped->Line, 19);
  EXPECT_TRUE(ReaderComplete(r[1]));
  // A good report before a cut one: both are read.
  r = Read(b + cut + b);
  ASSERT_EQ(r.size(), 3u);
  EXPECT_TRUE(ReaderComplete(r[0]));
  ASSERT_TRUE(r[1].Stopped);
  EXPECT_EQ(r[1].Stopped->Line, 55);
  EXPECT_TRUE(ReportSameContent(r[2], one[0]));
  // Content that only looks like a banner, in the text around a report.
  r = Read("ksreport 0.1.0 made this, see below\r\n" + a + "ksreport is great\r\n");
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].Transport, (std::vector<std::string>{"text-before", "text-after"}));
}

TEST(ReaderIntake, FilesWithoutAReportGetAClearMessage) {
  EXPECT_EQ(ReadError(""), "the file is empty");
  const std::string none = "no report found: no line begins with the banner \"ksreport ...\"";
  EXPECT_EQ(ReadError("\xEF\xBB\xBF"), none);
  EXPECT_EQ(ReadError("\r\n\r\n  \r\n"), none);
  EXPECT_EQ(ReadError("Dear support,\r\nthe report is attached.\r\n"), none);
  EXPECT_EQ(ReadError(TypicalReport().substr(TypicalReport().find("Start WDM"))), none);
  // Without its banner line, a report is read from its header's rule.
  std::vector<ParsedReport> r = Read(TypicalReport().substr(40));
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].Devices.size(), 4u);
  EXPECT_EQ(r[0].Banner, "");
  ASSERT_EQ(r[0].Notes.size(), 1u);
  EXPECT_EQ(r[0].Notes[0].substr(0, 27), "line 3: no banner line; rea");
  EXPECT_EQ(r[0].Transport, (std::vector<std::string>{"text-before"}));
  std::string utf16;
  for (char c : TypicalReport()) utf16 += std::string(1, c) + '\0';
  EXPECT_EQ(ReadError(utf16), "no report found: the file looks like UTF-16 text without a byte-order mark; save "
                              "it again as \"ANSI\", \"UTF-8\" or \"Unicode\"");
  EXPECT_EQ(ReadError("\xFF\xFE"), none);
  // Two letters, then one of another script (no NUL in its unit): a third
  // of the bytes are NULs, still UTF-16; one NUL in four is not.
  std::string mixed, fewer;
  for (int i = 0; i < 20; ++i) mixed += std::string("a\0b\0\x14\x04", 6);
  for (int i = 0; i < 20; ++i) fewer += std::string("a\0\x14\x04", 4);
  EXPECT_NE(ReadError(mixed).find("looks like UTF-16"), std::string::npos) << ReadError(mixed);
  EXPECT_EQ(ReadError(fewer), none);
}

TEST(ReaderIntake, Utf16ReadsBackToTheReportsOwnBytes) {
  // Windows-1252 characters come back as their bytes; others as UTF-8.
  std::string report = ReplacedOnce(TypicalReport(), "Microphone", "Micro \xE9\x80\x81");
  std::vector<ParsedReport> r = Read(Apply(report, {"UTF-16 little-endian"}));
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].Devices[0].Interfaces[1].Name, "Micro \xE9\x80\x81");
  std::string le = Apply(TypicalReport(), {"UTF-16 little-endian"});
  std::string name = std::string("M\0i\0c\0", 6);
  std::string other = std::string("\x1C\x04 \0=\xD8\x00\xDE \0\x00\xDC", 12);  // Cyrillic, a pair, a lone low half
  r = Read(ReplacedOnce(le, name, other + name));
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].Devices[0].Interfaces[1].Name, "\xD0\x9C \xF0\x9F\x98\x80 \xEF\xBF\xBDMicrophone");
}

TEST(ReaderIntake, SurrogatePairsAtTheEndsOfTheirRangesDecode) {
  std::string le = Apply(TypicalReport(), {"UTF-16 little-endian"});
  std::string name = std::string("M\0i\0c\0", 6);
  std::string pairs = std::string("\x00\xD8\x00\xDC\xFF\xDB\xFF\xDF", 8);  // U+10000, U+10FFFF
  std::vector<ParsedReport> r = Read(ReplacedOnce(le, name, pairs + name));
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].Devices[0].Interfaces[1].Name, "\xF0\x90\x80\x80\xF4\x8F\xBF\xBFMicrophone");
}

// One LF alone among CR LF line ends is two kinds of end: mixed.
TEST(ReaderIntake, TwoKindsOfLineEndAreMixed) {
  std::vector<ParsedReport> r = Read(ReplacedOnce(TypicalReport(), "\r\n", "\n"));
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].Transport, std::vector<std::string>{"mixed-line-ends"});
  EXPECT_FALSE(r[0].Stopped.has_value());
}

// CR CR LF ends one line only where most line ends are so (a gateway
// doubled them all); where half are, each CR ends a line of its own.
TEST(ReaderIntake, CrCrLfIsOneLineEndOnlyWhereMostEndsAreSo) {
  // A blank line after the report makes the count of line ends even (64).
  const std::string report = TypicalReport() + "\r\n";
  auto doubled = [&report](size_t n) {
    std::string text = report;
    size_t at = 0;
    for (size_t i = 0; i < n; ++i) {
      at = text.find("\r\n", at);
      text.insert(at, "\r");
      at += 3;
    }
    return text;
  };
  size_t ends = 0;
  for (size_t at = report.find('\n'); at != std::string::npos; at = report.find('\n', at + 1)) ++ends;
  std::vector<ParsedReport> most = Read(doubled(ends / 2 + 1));
  ASSERT_EQ(most.size(), 1u);
  EXPECT_FALSE(most[0].Stopped.has_value()) << "read as one line end each";
  std::vector<ParsedReport> half = Read(doubled(ends / 2));
  ASSERT_EQ(half.size(), 1u);
  ASSERT_EQ(ends % 2, 0u);
  EXPECT_TRUE(half[0].Stopped.has_value()) << "each CR a line end of its own";
}

TEST(ReaderIntake, TrailingBlanksOfValuesStayUnlessPaddingWasUneven) {
  // Values that end in blanks: an interface name, an empty hardware ID.
  SimMachine machine = LoadMachine("examples/typical-machine.json");
  machine.devices[0].interfaces[0].friendlyName = SimString("Speakers \t");
  machine.devices[1].hardwareIds = SimMulti({""});
  std::string report = RunMachine(machine).report;
  std::vector<ParsedReport> pristine = Read(report);
  ASSERT_EQ(pristine.size(), 1u);
  EXPECT_TRUE(pristine[0].Transport.empty());
  EXPECT_EQ(pristine[0].Devices[0].Interfaces[0].Name, "Speakers \t");
  std::vector<ParsedReport> uniform = Read(Apply(report, {"a space after each line"}));
  ASSERT_EQ(uniform.size(), 1u);
  EXPECT_TRUE(ReportSameContent(uniform[0], pristine[0]));
  // Quoted blank lines are the prefix alone once the blank is added.
  for (const char* blanks : {"a space after each line", "two spaces after each line"}) {
    uniform = Read(Apply(report, {"quoted \"> \"", blanks}));
    ASSERT_EQ(uniform.size(), 1u);
    EXPECT_TRUE(ReportSameContent(uniform[0], pristine[0])) << blanks;
  }
  std::vector<ParsedReport> uneven = Read(Apply(report, {"console padding"}));
  ASSERT_EQ(uneven.size(), 1u);
  EXPECT_EQ(uneven[0].Devices[0].Interfaces[0].Name, "Speakers");
  EXPECT_EQ(uneven[0].Devices[1].HardwareId, "");
  EXPECT_EQ(uneven[0].Transport, (std::vector<std::string>{"trailing-whitespace"}));
}

TEST(ReaderIntake, StrictReadsExactlyWhatTheParserReads) {
  std::vector<ParsedReport> r;
  std::string error, parseError;
  ParsedReport one;
  for (const std::string& bytes : {TypicalReport(), Apply(TypicalReport(), {"LF line ends"}), std::string(),
                                   TypicalReport() + TypicalReport(), Apply(TypicalReport(), {"UTF-8 byte-order mark"})}) {
    bool parsed = ReaderParse(bytes, &one, &parseError);
    EXPECT_EQ(ReaderRead(bytes, true, &r, &error), parsed);
    EXPECT_EQ(error, parsed ? error : parseError);
    EXPECT_EQ(r.size(), parsed ? 1u : 0u);
  }
}

}  // namespace
}  // namespace ksr
