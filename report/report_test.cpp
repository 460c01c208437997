#include <gtest/gtest.h>

#include "tests/test.h"

namespace ksr {
namespace {

TEST(ReportFrame, EmptyMachineIsHeaderAndFooterOnly) {
  SimRunResult run = RunMachine(SimMachine());
  EXPECT_TRUE(run.misuse.empty());
  EXPECT_EQ(ReportBody(run.report), "");
}

}  // namespace
}  // namespace ksr
