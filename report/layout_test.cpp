#include "report/layout.h"

#include <gtest/gtest.h>

#include "ksreport_config.h"
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
// against tests/expected/empty-report.txt, by the run's tests.

TEST(ReportLayout, BannerNamesTheToolAndItsVersion) {
  EXPECT_EQ(Written(ReportBannerLine),
            std::string("ksreport ") + KSREPORT_VERSION + " - WDM kernel-streaming audio report\r\n");
}

TEST(ReportLayout, DeviceLines) {
  EXPECT_EQ(Written(ReportCutLine), "---------------------- 8< ----------------------\r\n");
  EXPECT_EQ(Written([] { ReportDevicePathLine("PCI\\VEN_1"); }), "Device Path: PCI\\VEN_1\r\n");
  EXPECT_EQ(Written([] { ReportDevicePathLine(""); }), "Device Path: \r\n");
  EXPECT_EQ(Written([] { ReportBusNumberLine(3); }), "Device BUS NUMBER = 00000003\r\n");
  EXPECT_EQ(Written([] { ReportDescriptionLine("Desc", "Maker", "svc"); }), "Desc / Maker / svc.sys\r\n");
  EXPECT_EQ(Written([] { ReportDescriptionLine("", "", ""); }), " /  / .sys\r\n");
  EXPECT_EQ(Written([] { ReportInstanceIdLine(0xFFFFFFFFu); }), "Instance ID: FFFFFFFF\r\n");
}

TEST(ReportLayout, InterfacePinAndRangeLines) {
  EXPECT_EQ(Written([] { ReportInterfaceLine("Speakers"); }), "   +Speakers\r\n");
  EXPECT_EQ(Written([] { ReportInterfaceLine(""); }), "   +\r\n");
  EXPECT_EQ(Written([] { ReportNumPinsLine(0); }), "    NumPins: 00000000\r\n");
  EXPECT_EQ(Written([] { ReportPinLine(3, 2); }), "       +Pin 00000003 Dataflow: 00000002\r\n");
  EXPECT_EQ(Written([] {
              ReportMaxChannelsLine(2);
              ReportMaxBitsLine(16);
              ReportMinSampleRateLine(44100);
              ReportMaxSampleRateLine(0xFFFFFFFFu);
            }),
            "          MaxChannels: 00000002\r\n"
            "          MaxBits    : 00000010\r\n"
            "          MinSampleRt: 0000AC44\r\n"
            "          MaxSampleRt: FFFFFFFF\r\n");
}

}  // namespace
}  // namespace ksr
