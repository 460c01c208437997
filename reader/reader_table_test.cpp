#include "reader/reader_table.h"

#include <gtest/gtest.h>

#include "machine_list.h"
#include "reader/reader_intake.h"
#include "reader/reader_summary.h"
#include "tests/test.h"

namespace ksr {
namespace {

// The summary says the same in words: the counts are checked against it
// for every machine, and for one whose driver gives values to flag.
TEST(ReportTable, CountsAgreeWithTheSummaryForEveryMachine) {
  SimMachine odd;
  odd.devices.push_back(TestDevice({SimPcmPin(100, 16, 96000, 44100), SimPcmPin(2, 16, 8000, 48000)}));
  odd.devices[0].interfaces[0].pinTypes = SimU32(1);
  std::vector<std::pair<std::string, std::string>> machines{{"odd", RunMachine(odd).report}};
  for (const char* name : kMachineFiles) machines.emplace_back(name, RunMachine(LoadMachine(name)).report);
  size_t flagged = 0, withoutRange = 0;
  for (const auto& [name, report] : machines) {
    std::vector<ParsedReport> reports;
    std::string error;
    if (!ReaderRead(report, true, &reports, &error)) continue;
    ReaderTableRow row = ReaderTableRowOf(name, reports[0]);
    std::string summary = ReaderSummary(name, reports[0], ReadOptions());
    EXPECT_EQ(row.Devices, CountOf(summary, "\nDevice ")) << name;
    EXPECT_EQ(row.Interfaces, CountOf(summary, "\n  interface \"")) << name;
    EXPECT_EQ(row.Pins, CountOf(summary, "\n    pin ")) << name;
    EXPECT_EQ(row.PinsWithoutRange, CountOf(summary, ": no usable PCM range")) << name;
    EXPECT_EQ(row.Flagged, CountOf(summary, "[! ")) << name;
    flagged += row.Flagged;
    withoutRange += row.PinsWithoutRange;
  }
  EXPECT_GT(flagged, 0u) << "some machine has values to flag";
  EXPECT_GT(withoutRange, 0u) << "some machine has a pin without a range";
}

ReaderTableRow Row(const std::string& file, size_t devices, size_t interfaces, size_t pins, size_t without,
                   size_t flagged) {
  return ReaderTableRow{file, devices, interfaces, pins, without, flagged, {}, {}, {}};
}

TEST(ReportTable, TextColumnsWidenForTheirLargestCount) {
  std::vector<ParsedReport> typical;
  std::string error;
  ASSERT_TRUE(ReaderRead(TypicalReport(), true, &typical, &error));
  EXPECT_EQ(ReaderTableText({ReaderTableRowOf("ksreport.txt", typical[0])}),
            "devices  interfaces  pins  no range  flagged  report\n"
            "      4           4     4         0        0  ksreport.txt\n");
  EXPECT_EQ(ReaderTableText({Row("a b.txt#1", 1, 2, 3, 4, 5), Row("caf\xE9\x1B.txt", 10000000, 0, 123456, 0, 7)}),
            " devices  interfaces    pins  no range  flagged  report\n"
            "       1           2       3         4        5  a b.txt#1\n"
            "10000000           0  123456         0        7  caf\xC3\xA9\\x1B.txt\n");
  EXPECT_EQ(ReaderTableText({}), "devices  interfaces  pins  no range  flagged  report\n");
}

TEST(ReportTable, JsonHasItsOwnFormatName) {
  ReaderTableRow row = Row("r\xE9.txt", 1, 2, 3, 4, 5);
  row.Transport = {"lf-line-ends", "text-before"};
  EXPECT_EQ(ReaderTableJson({row}),
            "{\n"
            "  \"format\": \"ksreport-table/1\",\n"
            "  \"reports\": [\n"
            "    {\n"
            "      \"file\": \"r\xC3\xA9.txt\",\n"
            "      \"devices\": 1,\n"
            "      \"interfaces\": 2,\n"
            "      \"pins\": 3,\n"
            "      \"pinsWithoutRange\": 4,\n"
            "      \"flagged\": 5,\n"
            "      \"transport\": [\n"
            "        \"lf-line-ends\",\n"
            "        \"text-before\"\n"
            "      ],\n"
            "      \"complete\": true,\n"
            "      \"stopped\": null\n"
            "    }\n"
            "  ]\n"
            "}\n");
  EXPECT_EQ(ReaderTableJson({}), "{\n  \"format\": \"ksreport-table/1\",\n  \"reports\": []\n}\n");
}

}  // namespace
}  // namespace ksr
