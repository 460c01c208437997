#include "reader/report_view.h"

#include <gtest/gtest.h>

#include "tests/test.h"

namespace ksr {
namespace {

std::string Typical() { return RunMachine(LoadMachine("examples/typical-machine.json")).report; }

TEST(ReportView, ImplausibleValuesAreFlagged) {
  ParsedInterface iface;
  iface.PinTypes = 2;
  ParsedPin pin;
  pin.Id = 2;
  pin.Range = ParsedRange{65, 16, 96000, 20000000};
  std::vector<std::string> w = ReportPinWarnings(iface, pin);
  EXPECT_EQ(w, (std::vector<std::string>{"pin id not below NumPins", "more than 64 channels",
                                         "sample rate above 10 MHz"}));
  pin.Id = 1;
  pin.Range = ParsedRange{2, 0xFFFFFFFFu, 48000, 44100};
  EXPECT_EQ(ReportPinWarnings(iface, pin), (std::vector<std::string>{"value 0xFFFFFFFF", "minimum rate above maximum"}));
  pin.Range = ParsedRange{64, 32, 8000, 10000000};
  EXPECT_TRUE(ReportPinWarnings(iface, pin).empty());
  EXPECT_EQ(ReportDataflowName(4), "unknown data flow 0x00000004");
}

TEST(ReportView, DiffNamesWhatAppearedWentAwayOrChanged) {
  ParsedReport before, after;
  std::string error;
  ASSERT_TRUE(ReportParse(Typical(), &before, &error));
  EXPECT_EQ(ReportDiff(before, before, ReadOptions()), "");
  SimMachine machine = LoadMachine("examples/typical-machine.json");
  machine.devices.erase(machine.devices.begin() + 2);                  // the line converter goes
  machine.devices[0].interfaces[1].friendlyName = SimString("Mic");   // renamed interface
  machine.devices[1].interfaces[0].pins[1].dataRanges =
      SimList({SimPcmRange(2, 16, 48000, 48000)});                    // driver update
  machine.devices[1].interfaces[0].pins[2].communication = SimU32(1);  // a new pin
  ASSERT_TRUE(ReportParse(RunMachine(machine).report, &after, &error)) << error;
  std::string diff = ReportDiff(before, after, ReadOptions());
  EXPECT_NE(diff.find("- device ROOT\\LINECONV | Line Converter"), std::string::npos) << diff;
  EXPECT_NE(diff.find("- interface \"Microphone\""), std::string::npos) << diff;
  EXPECT_NE(diff.find("+ interface \"Mic\""), std::string::npos) << diff;
  EXPECT_NE(diff.find("+ pin 2 of \"USB Audio Interface\""), std::string::npos) << diff;
  EXPECT_NE(diff.find("~ pin 1 of \"USB Audio Interface\""), std::string::npos) << diff;
  EXPECT_NE(diff.find("now pin 1, out (capture: audio flows out of the device): 2 channels, 16 bits, 48000-48000 Hz"),
            std::string::npos) << diff;
}

TEST(ReportView, JsonHoldsEveryPinAndRange) {
  ParsedReport r;
  std::string error;
  ASSERT_TRUE(ReportParse(Typical(), &r, &error));
  std::string json = ReportJson({{"typical.txt", r}});
  EXPECT_NE(json.find("\"format\": \"ksreport-read/1\""), std::string::npos);
  EXPECT_NE(json.find("\"maxSampleRate\": 192000"), std::string::npos);
  EXPECT_NE(json.find("\"pinTypes\": 1"), std::string::npos);
  size_t pins = 0;
  for (size_t at = json.find("\"dataflow\""); at != std::string::npos; at = json.find("\"dataflow\"", at + 1)) ++pins;
  EXPECT_EQ(pins, 4u);
}

}  // namespace
}  // namespace ksr
