#include "report/report.h"

#include <gtest/gtest.h>

#include "report/layout.h"
#include "tests/test.h"

namespace ksr {
namespace {

// Starts a simulated process whose program file is moduleFileName.
void StartWithModule(const std::optional<std::string>& moduleFileName) {
  SimMachine machine;
  machine.moduleFileName = moduleFileName;
  ReportWriterReset();
  SimStart(machine, kTestOutDir, false);
}

std::vector<std::string> Ops() {
  std::vector<std::string> ops;
  for (const SimCall& call : SimCalls()) ops.push_back(call.op);
  return ops;
}

std::string Written(const std::string& name) {
  return SimFileBytes(std::string(kTestOutDir) + "/" + name).value_or("<none>");
}

TEST(ReportHex8, WritesEightUpperCaseDigits) {
  StartWithModule(std::nullopt);
  for (uint32_t v : {0u, 0xFFFFFFFFu, 44100u, 16u, 0x0123ABCDu}) ReportHex8(v);
  EXPECT_EQ(Written("ksreport.txt"), "00000000FFFFFFFF0000AC44000000100123ABCD");
}

TEST(ReportName, ReplacesTheLastThreeCharactersWithTxt) {
  StartWithModule("C:\\Tools\\KSREPORT.EXE");
  ReportPrint("x");
  EXPECT_EQ(Written("KSREPORT.txt"), "x");

  StartWithModule("C:\\Tools\\ksreport");  // no extension: loses "ort"
  ReportPrint("y");
  EXPECT_EQ(Written("ksreptxt"), "y");
}

TEST(ReportName, APathFillingTheWholeBufferWritesNoReport) {
  std::string folder = "C:\\" + std::string(250, 'd') + "\\";
  std::string fits = folder + std::string(263 - folder.size() - 4, 'k') + ".exe";
  ASSERT_EQ(fits.size(), 263u);
  char name[kModulePathSize];
  StartWithModule(fits);
  ASSERT_TRUE(ReportFileName(name));
  EXPECT_EQ(std::string(name), fits.substr(0, 260) + "txt");

  StartWithModule(fits + "x");  // 264 characters: cut by the platform
  EXPECT_FALSE(ReportFileName(name));
  ReportPrint("lost");
  ReportPrint("lost");
  for (const SimCall& call : SimCalls()) EXPECT_NE(call.op, "CreateFileA");
  EXPECT_TRUE(SimMisuse().empty());
}

TEST(ReportName, NamesTooShortToReplaceWriteNoReport) {
  char name[kModulePathSize];
  for (const char* path : {"", "ab", "C:\\a", "C:\\ab", "x/y"}) {
    StartWithModule(std::string(path));
    EXPECT_FALSE(ReportFileName(name)) << path;
  }
  StartWithModule(std::string("C:\\abc"));
  ASSERT_TRUE(ReportFileName(name));
  EXPECT_STREQ(name, "C:\\txt");
}

TEST(ReportPrint, FirstWriteCreatesTheFileAndTheLockThenEachPieceTakesTheLock) {
  StartWithModule(std::nullopt);
  ReportPrint("one");
  ReportPrint("");
  std::vector<std::string> expected = {"GetModuleFileNameA", "CreateFileA", "CreateEventA",
                                       "WriteFile", "SetEvent", "WaitForSingleObject",
                                       "WriteFile", "SetEvent"};
  EXPECT_EQ(Ops(), expected);
  const SimCall& create = SimCalls()[1];
  EXPECT_EQ(create.a, GENERIC_WRITE);
  EXPECT_EQ(create.b, 0u) << "no sharing";
  EXPECT_EQ(create.c, CREATE_ALWAYS);
  EXPECT_EQ(create.d, FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(SimCalls()[6].a, 0u) << "an empty string writes zero bytes";
  SimFinish();
  EXPECT_TRUE(SimMisuse().empty()) << SimMisuse()[0];
}

TEST(ReportPrint, AFailedCreationIsTriedAgainWithTheNextPiece) {
  SimMachine machine;
  machine.reportCreateFailures = 2;
  SimRunResult run = RunMachine(machine);
  EXPECT_TRUE(run.misuse.empty());
  // The banner and its line end were lost; the report starts at the blank line.
  std::string full = ReportWithBody("");
  std::string banner = std::string(ReportBannerText()) + "\r\n";
  EXPECT_EQ(run.report, full.substr(banner.size()));
  int events = 0;
  for (const SimCall& call : SimCalls()) events += call.op == "CreateEventA";
  EXPECT_EQ(events, 1) << "the write lock is made once";
}

TEST(ReportLayout, EveryLabelEndsWhereItShould) {
  EXPECT_EQ(std::string(kRuleText), std::string(28, '='));
  EXPECT_EQ(std::string(kCutText), std::string(22, '-') + " 8< " + std::string(22, '-'));
  EXPECT_EQ(std::string(kPinLabel), "       +Pin ");
  EXPECT_EQ(std::string(kMaxBitsLabel), "          MaxBits    : ");
  EXPECT_EQ(std::string(kEndTitle), "Exit  WDM Device Enumeration");
  EXPECT_NE(std::string(ReportBannerText()).find(kBannerTool), std::string::npos);
}

TEST(ReportFrame, EmptyMachineIsHeaderAndFooterOnly) {
  SimRunResult run = RunMachine(SimMachine());
  EXPECT_TRUE(run.misuse.empty());
  EXPECT_EQ(run.report,
            std::string(ReportBannerText()) +
                "\r\n\r\n============================\r\nStart WDM Device Enumeration\r\n"
                "============================\r\n\r\n============================\r\n"
                "Exit  WDM Device Enumeration\r\n============================\r\n\r\n"
                "Please send this file to " + ReportFeedbackAddress() + "!\r\n");
}

TEST(ReportFrame, NoDeviceSetGivesTheFrameAlone) {
  SimMachine machine;
  machine.deviceSet = false;
  machine.devices.push_back(TestDevice({SimPcmPin(2, 16, 44100, 44100)}));
  SimRunResult run = RunMachine(machine);
  EXPECT_TRUE(run.misuse.empty());
  EXPECT_EQ(ReportBody(run.report), "");
  for (const SimCall& call : SimCalls()) EXPECT_NE(call.op, "SetupDiDestroyDeviceInfoList");
}

}  // namespace
}  // namespace ksr
