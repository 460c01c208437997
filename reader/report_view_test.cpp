#include "reader/report_view.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/test.h"

namespace ksr {
namespace {

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
  ASSERT_TRUE(ReportParse(TypicalReport(), &before, &error));
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

// A device whose strings came in the code page, as UTF-8, and with
// control characters in them.
ParsedReport EncodedReport(const std::string& description, const std::string& name) {
  ParsedReport r;
  r.Banner = "ksreport 0.1.0";
  r.Feedback = "support@example.invalid";
  ParsedDevice d;
  d.HardwareId = "USB\\VID_1234";
  d.Description = description;
  d.Manufacturer = "Soci\xE9t\xE9 \x80";
  d.Service = "usbaudio";
  ParsedInterface i;
  i.Name = name;
  i.PinTypes = 1;
  ParsedPin p;
  p.Dataflow = 2;
  i.Pins.push_back(p);
  d.Interfaces.push_back(i);
  r.Devices.push_back(d);
  return r;
}

TEST(ReportView, SummaryShowsCodePageAndUtf8TextAsUtf8) {
  ParsedReport r = EncodedReport("Haut-parleur \xC3\xA9tendu", "Micro\x1B[2J\xE9");
  EXPECT_EQ(ReportSummary("r\xE9p.txt", r, ReadOptions()),
            "r\xC3\xA9p.txt: ksreport 0.1.0, 1 device(s)\n"
            "\n"
            "Device 1: Haut-parleur \xC3\xA9tendu\n"
            "  maker Soci\xC3\xA9t\xC3\xA9 \xE2\x82\xAC, driver usbaudio.sys\n"
            "  hardware ID USB\\VID_1234, bus 0, instance 0x00000000\n"
            "  interface \"Micro\\x1B[2J\xC3\xA9\": 1 pin type(s), 1 a host can connect to\n"
            "    pin 0, out (capture: audio flows out of the device): no usable PCM range\n");
}

TEST(ReportView, JsonHoldsOnlyValidUtf8) {
  std::string json = ReportJson({{"a.txt", EncodedReport("Caf\xE9\x81", "Mic\x01")}});
  EXPECT_NE(json.find("\"description\": \"Caf\xC3\xA9\xC2\x81\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"manufacturer\": \"Soci\xC3\xA9t\xC3\xA9 \xE2\x82\xAC\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"name\": \"Mic\\u0001\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"transport\": []"), std::string::npos) << json;
  EXPECT_EQ(json.find("\xEF\xBF\xBD"), std::string::npos) << "nothing replaced: " << json;
}

TEST(ReportView, DiffMatchesCodePageTextWithItsUtf8Form) {
  ParsedReport cp = EncodedReport("Caf\xE9", "Entr\xE9" "e");
  ParsedReport utf8 = EncodedReport("Caf\xC3\xA9", "Entr\xC3\xA9" "e");
  EXPECT_EQ(ReportDiff(cp, utf8, ReadOptions()), "");
  utf8.Devices[0].Interfaces[0].Name = "Sortie";
  EXPECT_EQ(ReportDiff(cp, utf8, ReadOptions()),
            "- interface \"Entr\xC3\xA9" "e\" of USB\\VID_1234 | Caf\xC3\xA9\n"
            "+ interface \"Sortie\" of USB\\VID_1234 | Caf\xC3\xA9\n");
}

// The sample summary in the README's section for support staff.
std::string ReadmeSample() {
  std::ifstream in(std::string(KSREPORT_SOURCE_DIR) + "/README.md", std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  std::string readme = text.str();
  const std::string start = "A report of the default machine reads:\n\n```\n";
  size_t at = readme.find(start);
  if (at == std::string::npos) return "(no sample in the README)";
  at += start.size();
  return readme.substr(at, readme.find("```\n", at) - at);
}

TEST(ReportView, SummaryOfTheDefaultMachineReadsAsTheReadmeShowsIt) {
  ParsedReport r;
  std::string error;
  ASSERT_TRUE(ReportParse(TypicalReport(), &r, &error));
  std::string summary = ReportSummary("ksreport.txt", r, ReadOptions());
  EXPECT_EQ(summary, ReadmeSample());
}

TEST(ReportView, JsonHoldsEveryPinAndRange) {
  ParsedReport r;
  std::string error;
  ASSERT_TRUE(ReportParse(TypicalReport(), &r, &error));
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
