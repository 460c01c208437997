#include "reader/reader_summary.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "reader/reader_encoded_test.h"

#include "tests/test.h"

namespace ksr {
namespace {

TEST(ReaderSummary, ImplausibleValuesAreFlagged) {
  ParsedInterface iface;
  iface.PinTypes = 2;
  ParsedPin pin;
  pin.Id = 2;
  pin.Range = ParsedRange{65, 16, 96000, 20000000};
  std::vector<std::string> w = ReaderPinWarnings(iface, pin);
  EXPECT_EQ(w, (std::vector<std::string>{"pin id not below NumPins", "more than 64 channels",
                                         "sample rate above 10 MHz"}));
  pin.Id = 1;
  pin.Range = ParsedRange{2, 0xFFFFFFFFu, 48000, 44100};
  EXPECT_EQ(ReaderPinWarnings(iface, pin), (std::vector<std::string>{"value 0xFFFFFFFF", "minimum rate above maximum"}));
  pin.Range = ParsedRange{64, 32, 8000, 10000000};
  EXPECT_TRUE(ReaderPinWarnings(iface, pin).empty());
  EXPECT_EQ(ReaderDataflowName(4), "unknown data flow 0x00000004");
  ParsedDevice device;
  EXPECT_TRUE(ReaderDeviceWarnings(device).empty());
  device.BusNumber = 0xFFFFFFFFu;
  device.InstanceId = 0xFFFFFFFFu;
  EXPECT_EQ(ReaderDeviceWarnings(device),
            (std::vector<std::string>{"bus number 0xFFFFFFFF", "instance ID 0xFFFFFFFF"}));
}

TEST(ReaderSummary, RatesInHzAndKhzWithoutExponents) {
  EXPECT_EQ(ReaderRateRange(48000, 48000), "48000 Hz (48 kHz)");
  EXPECT_EQ(ReaderRateRange(8000, 8000), "8000 Hz (8 kHz)");
  EXPECT_EQ(ReaderRateRange(5, 6), "5-6 Hz (0.005-0.006 kHz)");
  EXPECT_EQ(ReaderRateRange(44100, 2147483647), "44100-2147483647 Hz (44.1-2147483.647 kHz)");
  EXPECT_EQ(ReaderRateRange(0, 4294967295u), "0-4294967295 Hz (0-4294967.295 kHz)");
  EXPECT_EQ(ReaderKhz(11025), "11.025");
  EXPECT_EQ(ReaderKhz(22050), "22.05");
  EXPECT_EQ(ReaderKhz(999), "0.999");
}

// Flags stand on a line of their own, so that a pin line keeps to 80
// columns; the legend comes once.
TEST(ReaderSummary, SummaryKeepsTo80ColumnsAndFlagsEverySuspiciousValue) {
  SimMachine odd = LoadMachine("examples/typical-machine.json");
  odd.devices[0].busNumber = SimU32Bytes(0xFFFFFFFFu);
  odd.devices[1].interfaces[0].pins[1].dataRanges = SimList({SimPcmRange(2, 16, 48000, 48000)});
  ParsedReport r;
  std::string error;
  ASSERT_TRUE(ReaderParse(RunMachine(odd).report, &r, &error)) << error;
  std::string summary = ReaderSummary("ksreport.txt", r, ReadOptions());
  EXPECT_NE(summary.find("  bus 4294967295, instance 0x00000001\n  [! bus number 0xFFFFFFFF]\n"), std::string::npos)
      << summary;
  EXPECT_NE(summary.find("pin 1, out: 2 channels, 16 bits, 48000 Hz (48 kHz)\n"), std::string::npos) << summary;
  EXPECT_EQ(CountOf(summary, "Data flow:"), 1);
  for (size_t at = 0, end; at < summary.size(); at = end + 1) {
    end = summary.find('\n', at);
    EXPECT_LE(end - at, 80u) << summary.substr(at, end - at);
  }
}

TEST(ReaderSummary, SummaryShowsCodePageAndUtf8TextAsUtf8) {
  ParsedReport r = EncodedReport("Haut-parleur \xC3\xA9tendu", "Micro\x1B[2J\xE9");
  EXPECT_EQ(ReaderSummary("r\xE9p.txt", r, ReadOptions()),
            "r\xC3\xA9p.txt: ksreport 0.1.0, 1 device(s)\n"
            "Data flow: in = render (into the device), out = capture (out of the device).\n"
            "\n"
            "Device 1: Haut-parleur \xC3\xA9tendu\n"
            "  maker Soci\xC3\xA9t\xC3\xA9 \xE2\x82\xAC, driver usbaudio.sys\n"
            "  hardware ID USB\\VID_1234\n"
            "  bus 0, instance 0x00000000\n"
            "  interface \"Micro\\x1B[2J\xC3\xA9\": 1 pin type(s), 1 a host can connect to\n"
            "    pin 0, out: no usable PCM range\n");
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

TEST(ReaderSummary, SummaryOfTheDefaultMachineReadsAsTheReadmeShowsIt) {
  ParsedReport r;
  std::string error;
  ASSERT_TRUE(ReaderParse(TypicalReport(), &r, &error));
  std::string summary = ReaderSummary("ksreport.txt", r, ReadOptions());
  EXPECT_EQ(summary, ReadmeSample());
}

}  // namespace
}  // namespace ksr
