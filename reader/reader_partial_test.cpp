// Reports read as far as they go: cut at any point, or with one bad line.
#include <gtest/gtest.h>

#include "reader/reader_intake.h"
#include "reader/reader_summary.h"
#include "tests/report_transport.h"
#include "tests/test.h"

namespace ksr {
namespace {

// Where each device of a report ends: one past its last line's line end.
std::vector<size_t> DeviceEnds(const std::string& report) {
  std::vector<size_t> ends;
  const std::string cut = std::string("\r\n\r\n---------------------- 8<");
  const std::string footer = "\r\n\r\n============================\r\nExit";
  size_t at = report.find("---------------------- 8<");
  while (at != std::string::npos) {
    size_t next = report.find(cut, at + 1);
    size_t end = next != std::string::npos ? next : report.find(footer, at);
    ends.push_back(end + 2);
    at = next == std::string::npos ? next : next + 4;
  }
  return ends;
}

// The typical report cut after every byte: reading never fails once the
// banner line is whole, every device whose lines all came before the cut
// is kept as it is in the whole report, and the report says it is
// incomplete unless nothing was cut.
TEST(ReaderPartial, EveryCutPointKeepsTheDevicesCompletedBeforeIt) {
  const std::string report = TypicalReport();
  std::vector<ParsedReport> whole;
  std::string error;
  ASSERT_TRUE(ReaderRead(report, true, &whole, &error));
  std::vector<size_t> ends = DeviceEnds(report);
  ASSERT_EQ(ends.size(), 4u);
  size_t banner = report.find("\r\n");
  for (size_t cut = 1; cut <= report.size(); ++cut) {
    std::vector<ParsedReport> got;
    bool read = ReaderRead(report.substr(0, cut), false, &got, &error);
    ASSERT_EQ(read, cut >= std::string("ksreport ").size()) << cut << ": " << error;
    if (!read) continue;
    ASSERT_EQ(got.size(), 1u) << cut;
    size_t completed = 0;
    while (completed < ends.size() && ends[completed] <= cut) ++completed;
    ASSERT_GE(got[0].Devices.size(), completed) << cut;
    for (size_t d = 0; d < completed; ++d) {
      ParsedReport one, expected;
      one.Devices = {got[0].Devices[d]};
      expected.Devices = {whole[0].Devices[d]};
      EXPECT_TRUE(ReportSameContent(one, expected)) << "cut at " << cut << ", device " << d;
    }
    bool all = cut >= report.size() - 2;  // only the last line end gone
    EXPECT_EQ(ReaderComplete(got[0]), all) << cut;
    if (cut > banner && !all) {
      ASSERT_TRUE(got[0].Stopped) << cut;
      EXPECT_GT(got[0].Stopped->Line, 0) << cut;
      EXPECT_FALSE(ReaderSummary("cut.txt", got[0], ReadOptions()).empty());
    }
  }
}

// The same at every line end, after each transport: the devices
// completed before the cut are read as in the whole report.
TEST(ReaderPartial, CutsAfterTransportKeepTheSameDevices) {
  const std::string report = TypicalReport();
  std::vector<size_t> ends = DeviceEnds(report);
  std::vector<ParsedReport> whole;
  std::string error;
  ASSERT_TRUE(ReaderRead(report, true, &whole, &error));
  for (const ReportTransport& t : ReportTransports()) {
    if (t.Stage == kReportTransportAround) continue;
    for (size_t cut = report.find("\r\n") + 2; cut < report.size(); cut = report.find("\r\n", cut) + 2) {
      std::vector<std::string> kinds;
      std::string bytes = ReportTransportApply(report.substr(0, cut), {&t}, &kinds);
      std::vector<ParsedReport> got;
      ASSERT_TRUE(ReaderRead(bytes, false, &got, &error)) << t.Name << " " << cut;
      size_t completed = 0;
      while (completed < ends.size() && ends[completed] <= cut) ++completed;
      ASSERT_GE(got[0].Devices.size(), completed) << t.Name << " " << cut;
      for (size_t d = 0; d < completed; ++d) {
        ParsedReport one, expected;
        one.Devices = {got[0].Devices[d]};
        expected.Devices = {whole[0].Devices[d]};
        EXPECT_TRUE(ReportSameContent(one, ReportAfterTransport(expected, {&t}))) << t.Name << " " << cut;
      }
    }
  }
}

TEST(ReaderPartial, ABadValueStopsOnlyItsDevice) {
  std::string bad = ReplacedOnce(TypicalReport(), "MaxBits    : 00000010", "MaxBits    : 0000001G");
  std::vector<ParsedReport> r;
  std::string error;
  ASSERT_TRUE(ReaderRead(bad, false, &r, &error));
  ASSERT_EQ(r[0].Devices.size(), 4u);
  EXPECT_FALSE(r[0].Stopped);
  ASSERT_TRUE(r[0].Devices[0].Stopped);
  EXPECT_EQ(r[0].Devices[0].Stopped->Line, 23);
  ASSERT_EQ(r[0].Devices[0].Interfaces.size(), 2u);
  EXPECT_EQ(r[0].Devices[0].Interfaces[0].Pins.size(), 1u);
  EXPECT_TRUE(r[0].Devices[0].Interfaces[1].Pins.empty()) << "the pin with the bad value is left out";
  for (size_t d = 1; d < 4; ++d) EXPECT_FALSE(r[0].Devices[d].Stopped) << d;
  EXPECT_EQ(r[0].Feedback, "support@example.invalid");
  // Strict, as ever: the whole report is refused.
  EXPECT_FALSE(ReaderRead(bad, true, &r, &error));
  EXPECT_EQ(error, "line 23: expected the MaxBits line with eight upper-case hex digits, found \""
                   "          MaxBits    : 0000001G\"");
  // Missing only its closing request line: every device is kept.
  std::string open = TypicalReport().substr(0, TypicalReport().find("Please send"));
  ASSERT_TRUE(ReaderRead(open, false, &r, &error));
  EXPECT_EQ(r[0].Devices.size(), 4u);
  ASSERT_TRUE(r[0].Stopped);
  // Blank lines at the end of a file are no part of a report cut short.
  EXPECT_EQ(ReaderStopText(*r[0].Stopped), "incomplete at line 62: expected a blank line, but the report ends here");
  ASSERT_TRUE(ReaderRead(open + "Please send", false, &r, &error));
  ASSERT_TRUE(r[0].Stopped);
  EXPECT_EQ(ReaderStopText(*r[0].Stopped),
            "incomplete at line 63: expected the closing request line (\"Please send this file to ADDRESS!\"), found "
            "\"Please send\"");
}

// The tool's own report when its first write failed reads with a note.
TEST(ReaderPartial, TheToolsReportWithoutItsBannerIsRead) {
  std::string report = RunMachine(LoadMachine("tests/machines/report-create-failure.json")).report;
  std::vector<ParsedReport> r;
  std::string error;
  EXPECT_FALSE(ReaderRead(report, true, &r, &error));
  ASSERT_TRUE(ReaderRead(report, false, &r, &error)) << error;
  ASSERT_EQ(r.size(), 1u);
  EXPECT_TRUE(ReaderComplete(r[0]));
  ASSERT_EQ(r[0].Devices.size(), 1u);
  EXPECT_EQ(r[0].Devices[0].HardwareId, "ROOT\\LATE");
  ASSERT_EQ(r[0].Notes.size(), 1u);
  EXPECT_EQ(r[0].Notes[0], "line 1: no banner line; read from the header's rule and start title (the tool writes "
                           "no banner when its first write fails)");
  EXPECT_TRUE(r[0].Transport.empty());
}

}  // namespace
}  // namespace ksr
