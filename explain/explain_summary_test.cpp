// The summary that opens an explanation: one line for each interface and
// pin the report leaves out, and each pin it lists without a range, in
// the walk's order, with the gate and the reason in words.
#include <gtest/gtest.h>

#include "explain/explain_run.h"
#include "explain/explain_summary.h"
#include "tests/test.h"

namespace ksr {
namespace {

std::vector<std::string> Lines(const ExplainTree& tree) {
  std::vector<std::string> lines;
  for (const ExplainLeftOut& item : ExplainLeftOuts(tree)) lines.push_back(ExplainLeftOutLine(tree, item));
  return lines;
}

TEST(ExplainSummary, TheTypicalMachineLeavesOutExactlyThese) {
  ExplainTree tree = ExplainMachine(LoadMachine("examples/typical-machine.json")).tree;
  const std::string hd = "Device 1 \"High Definition Audio Device\", ";
  EXPECT_EQ(Lines(tree), (std::vector<std::string>{
                             hd + "interface 1 \"Speakers\", pin 1: left out at communication: communication is bridge",
                             hd + "interface 2 \"Microphone\", pin 0: left out at communication: communication is bridge",
                             hd + "interface 3: left out at capture alias: no capture alias (0xE0000225 ERROR_NO_SUCH_INTERFACE_DEVICE)",
                             "Device 2 \"USB Audio Device\", interface 1 \"USB Audio Interface\", pin 2: left out at "
                             "communication: communication is none",
                             "Device 3 \"Line Converter\", interface 1 \"Line Bridge\", pin 0: left out at "
                             "communication: communication is bridge",
                             "Device 4 \"Virtual Audio Cable\", interface 1: left out at flags: flags "
                             "SPINT_ACTIVE|SPINT_REMOVED not usable",
                         }));
}

TEST(ExplainSummary, APinListedWithoutARangeSaysWhy) {
  struct Case {
    SimAnswer ranges;
    const char* why;
  } cases[] = {
      {SimList({SimPcmRange(0, 16, 44100, 48000)}), "data ranges: the ranges that could be used offer 0 channels"},
      {SimList({SimPcmRange(2, 8, 44100, 48000), SimPcmRange(2, 15, 8000, 8000)}),
       "data ranges: no range is usable PCM (2 fewer than 16 bits)"},
      {SimList({}), "data ranges: Count is 0"},
  };
  for (const Case& c : cases) {
    SimPin pin = SimDefaultPin();
    pin.dataRanges = c.ranges;
    SimMachine machine;
    machine.devices = {TestDevice({pin})};
    ExplainTree tree = ExplainMachine(machine).tree;
    std::vector<ExplainLeftOut> items = ExplainLeftOuts(tree);
    ASSERT_EQ(items.size(), 1u) << c.why;
    EXPECT_TRUE(items[0].listedWithoutRange);
    EXPECT_EQ(items[0].gate, "data-ranges");
    EXPECT_EQ(items[0].why, c.why);
    EXPECT_EQ(items[0].cut, nullptr);
  }
}

}  // namespace
}  // namespace ksr
