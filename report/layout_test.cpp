#include "report/layout.h"

#include <gtest/gtest.h>

#include "ksreport_config.h"
#include "reader/report_parse.h"
#include "report/writer.h"
#include "tests/test.h"

namespace ksr {
namespace {

// Runs write in a fresh simulated process and returns what it wrote.
template <typename Write>
std::string Written(Write write) {
  ReportWriterReset();
  SimStart(SimMachine(), kTestOutDir, false);
  write();
  SimFinish();
  EXPECT_TRUE(SimMisuse().empty());
  return SimFileBytes(std::string(kTestOutDir) + "/ksreport.txt").value_or("<none>");
}

// The frame's own lines (rules, titles, closing line) are checked whole,
// against tests/expected/empty-report.txt, by the run's tests. Here: what
// the line routines promise whoever reads a report back.

TEST(ReportLayout, BannerNamesTheToolAndItsVersion) {
  EXPECT_EQ(Written(ReportBannerLine),
            std::string("ksreport ") + KSREPORT_VERSION + " - WDM kernel-streaming audio report\r\n");
}

// A device written line by line reads back, by the reader's strict
// grammar, to every value it was written with: numbers at their extremes
// and with every hex digit, strings empty and with bytes over 0x7F.
TEST(ReportLayout, AReportOfEveryLineKindReadsBackToItsValues) {
  // The frame around the lines is the run's own (tests/expected).
  const std::string report = ReportWithBody("\r\n" + Written([] {
    ReportCutLine();
    ReportDevicePathLine("PCI\\VEN_8086&DEV_A0C8");
    ReportBusNumberLine(0);
    ReportDescriptionLine("Caf\xE9 Audio", "", "hdaudbus");
    ReportInstanceIdLine(0x89ABCDEFu);
    ReportInterfaceLine("");
    ReportNumPinsLine(0xFFFFFFFFu);
    ReportPinLine(0x01234567u, 2);
    ReportMaxChannelsLine(2);
    ReportMaxBitsLine(16);
    ReportMinSampleRateLine(44100);
    ReportMaxSampleRateLine(0xFEDCBA98u);
    ReportPinLine(1, 1);
  }));
  ParsedReport parsed;
  std::string error;
  ASSERT_TRUE(ReportParse(report, &parsed, &error)) << error << "\n" << report;
  EXPECT_EQ(parsed.Banner, ReportBannerText());
  EXPECT_EQ(parsed.Feedback, ReportFeedbackAddress());
  ASSERT_EQ(parsed.Devices.size(), 1u);
  const ParsedDevice& d = parsed.Devices[0];
  EXPECT_EQ(d.HardwareId, "PCI\\VEN_8086&DEV_A0C8");
  EXPECT_EQ(d.BusNumber, 0u);
  EXPECT_EQ(d.Description, "Caf\xE9 Audio");
  EXPECT_EQ(d.Manufacturer, "");
  EXPECT_EQ(d.Service, "hdaudbus");
  EXPECT_EQ(d.InstanceId, 0x89ABCDEFu);
  ASSERT_EQ(d.Interfaces.size(), 1u);
  EXPECT_EQ(d.Interfaces[0].Name, "");
  EXPECT_EQ(d.Interfaces[0].PinTypes, 0xFFFFFFFFu);
  ASSERT_EQ(d.Interfaces[0].Pins.size(), 2u);
  const ParsedPin& pin = d.Interfaces[0].Pins[0];
  EXPECT_EQ(pin.Id, 0x01234567u);
  EXPECT_EQ(pin.Dataflow, 2u);
  ASSERT_TRUE(pin.Range.has_value());
  EXPECT_EQ(pin.Range->MaxChannels, 2u);
  EXPECT_EQ(pin.Range->MaxBits, 16u);
  EXPECT_EQ(pin.Range->MinSampleRate, 44100u);
  EXPECT_EQ(pin.Range->MaxSampleRate, 0xFEDCBA98u);
  EXPECT_FALSE(d.Interfaces[0].Pins[1].Range.has_value()) << "a pin without range lines";
  EXPECT_TRUE(parsed.Notes.empty());
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
    std::string line = Written(routine);
    ASSERT_GE(line.size(), 2u);
    EXPECT_EQ(line.substr(line.size() - 2), "\r\n") << line;
    EXPECT_EQ(line.find_first_of("\r\n"), line.size() - 2) << line;
  }
}

// Strings are the platform's bytes, written as they came: nothing is
// escaped, translated or cut, a separator inside a value included (the
// reader notes such a line as ambiguous rather than guess silently).
TEST(ReportLayout, StringsAreWrittenAsTheirBytes) {
  const std::string name(259, '\xA0');
  EXPECT_EQ(Written([&] { ReportInterfaceLine(name.c_str()); }), "   +" + name + "\r\n");
  EXPECT_EQ(Written([] { ReportDevicePathLine("%s%n\t\\"); }), "Device Path: %s%n\t\\\r\n");
  const std::string line = Written([] { ReportDescriptionLine("In / Out", "Maker", "svc"); });
  EXPECT_EQ(line, "In / Out / Maker / svc.sys\r\n");
  ParsedReport parsed;
  std::string error;
  const std::string report = ReportWithBody("\r\n" + Written([] {
                               ReportCutLine();
                               ReportDevicePathLine("X");
                               ReportBusNumberLine(1);
                               ReportDescriptionLine("In / Out", "Maker", "svc");
                               ReportInstanceIdLine(1);
                             }));
  ASSERT_TRUE(ReportParse(report, &parsed, &error)) << error << "\n" << report;
  ASSERT_EQ(parsed.Notes.size(), 1u);
  EXPECT_NE(parsed.Notes[0].find("ambiguous"), std::string::npos) << parsed.Notes[0];
}

}  // namespace
}  // namespace ksr
