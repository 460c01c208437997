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
  const std::string hd = "HDAUDIO\\FUNC_01&VEN_1234&DEV_5678&SUBSYS_12345678&REV_1001 | High Definition Audio Device";
  const std::string usb = "\"USB Audio Interface\" (USB\\VID_1234&PID_ABCD&REV_0100&MI_00 | USB Audio Device)";
  const std::string wide = "8 channels, 24 bits, 44100-192000 Hz (44.1-192 kHz)";
  const std::string narrow = "2 channels, 16 bits, 48000-48000 Hz (48-48 kHz)";
  const std::string capture = "out (capture: audio flows out of the device): ";
  const std::string newPin = "pin 2, in (render: audio flows into the device): no usable PCM range";
  EXPECT_EQ(ReportDiff(before, after, ReadOptions()),
            "- device ROOT\\LINECONV | Line Converter\n"
            "- interface \"Microphone\" of " + hd + "\n"
            "+ interface \"Mic\" of " + hd + "\n"
            "~ pin 1 of " + usb + ":\n"
            "    was pin 1, " + capture + wide + "\n"
            "    now pin 1, " + capture + narrow + "\n"
            "+ pin 2 of " + usb + ": " + newPin + "\n");
  ReadOptions colour;
  colour.colour = true;
  // Devices, interfaces and pins in key order; within a level, what went away first.
  EXPECT_EQ(ReportDiff(after, before, colour),
            "\033[31m- interface \"Mic\" of " + hd + "\033[0m\n"
            "\033[32m+ interface \"Microphone\" of " + hd + "\033[0m\n"
            "\033[32m+ device ROOT\\LINECONV | Line Converter\033[0m\n"
            "\033[31m- pin 2 of " + usb + "\033[0m\n"
            "~ pin 1 of " + usb + ":\n"
            "    was pin 1, " + capture + narrow + "\n"
            "    now pin 1, " + capture + wide + "\n");
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
