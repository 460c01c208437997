// The report's line routines read back by the reader's strict grammar: a
// report written line by line is what the reader takes it for.
#include <gtest/gtest.h>

#include "reader/reader_parse.h"
#include "report/layout.h"
#include "tests/test.h"

namespace ksr {
namespace {

// A device written line by line reads back, by the reader's strict
// grammar, to every value it was written with: numbers at their extremes
// and with every hex digit, strings empty and with bytes over 0x7F.
TEST(ReaderReadBack, AReportOfEveryLineKindReadsBackToItsValues) {
  // The frame around the lines is the run's own (tests/expected).
  const std::string report = ReportWithBody("\r\n" + TestReportWritten([] {
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
  ASSERT_TRUE(ReaderParse(report, &parsed, &error)) << error << "\n" << report;
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

// A separator inside a value is written as it came; the reader notes such
// a line as ambiguous rather than guess silently.
TEST(ReaderReadBack, ASeparatorInsideAValueIsNotedAsAmbiguous) {
  ParsedReport parsed;
  std::string error;
  const std::string report = ReportWithBody("\r\n" + TestReportWritten([] {
                               ReportCutLine();
                               ReportDevicePathLine("X");
                               ReportBusNumberLine(1);
                               ReportDescriptionLine("In / Out", "Maker", "svc");
                               ReportInstanceIdLine(1);
                             }));
  ASSERT_TRUE(ReaderParse(report, &parsed, &error)) << error << "\n" << report;
  ASSERT_EQ(parsed.Notes.size(), 1u);
  EXPECT_NE(parsed.Notes[0].find("ambiguous"), std::string::npos) << parsed.Notes[0];
}

}  // namespace
}  // namespace ksr
