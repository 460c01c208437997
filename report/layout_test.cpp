#include "report/layout.h"

#include <gtest/gtest.h>

#include "ksreport_config.h"
#include "tests/test.h"

namespace ksr {
namespace {

// The frame's own lines (rules, titles, closing line) are checked whole,
// against tests/expected/empty-report.txt, by the run's tests. Here: what
// the line routines promise whoever reads a report back.

TEST(ReportLayout, BannerNamesTheToolAndItsVersion) {
  EXPECT_EQ(TestReportWritten(ReportBannerLine),
            std::string("ksreport ") + KSREPORT_VERSION + " - WDM kernel-streaming audio report\r\n");
}

// Every line ends in one CR LF, and nothing else is written between them.
TEST(ReportLayout, EachRoutineWritesOneWholeLine) {
  void (*const routines[])() = {
      ReportBannerLine, ReportBlankLine, ReportRuleLine, ReportStartTitleLine, ReportEndTitleLine, ReportCutLine,
      ReportClosingLine, [] { ReportDevicePathLine("x"); }, [] { ReportBusNumberLine(1); },
      [] { ReportDescriptionLine("a", "b", "c"); }, [] { ReportInstanceIdLine(1); }, [] { ReportInterfaceLine("x"); },
      [] { ReportNumPinsLine(1); }, [] { ReportPinLine(1, 1); }, [] { ReportMaxChannelsLine(1); },
      [] { ReportMaxBitsLine(1); }, [] { ReportMinSampleRateLine(1); }, [] { ReportMaxSampleRateLine(1); },
  };
  for (auto routine : routines) {
    std::string line = TestReportWritten(routine);
    ASSERT_GE(line.size(), 2u);
    EXPECT_EQ(line.substr(line.size() - 2), "\r\n") << line;
    EXPECT_EQ(line.find_first_of("\r\n"), line.size() - 2) << line;
  }
}

// Strings are the platform's bytes, written as they came: nothing is
// escaped, translated or cut, a separator inside a value included (the
// reader's tests read such a line back).
TEST(ReportLayout, StringsAreWrittenAsTheirBytes) {
  const std::string name(259, '\xA0');
  EXPECT_EQ(TestReportWritten([&] { ReportInterfaceLine(name.c_str()); }), "   +" + name + "\r\n");
  EXPECT_EQ(TestReportWritten([] { ReportDevicePathLine("%s%n\t\\"); }), "Device Path: %s%n\t\\\r\n");
  const std::string line = TestReportWritten([] { ReportDescriptionLine("In / Out", "Maker", "svc"); });
  EXPECT_EQ(line, "In / Out / Maker / svc.sys\r\n");
}

}  // namespace
}  // namespace ksr
