#include "report/writer.h"

#include <gtest/gtest.h>

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
  EXPECT_EQ(CallCount("CreateFileA"), 0);
  EXPECT_TRUE(SimMisuse().empty());
}

TEST(ReportName, NamesTooShortToReplaceWriteNoReport) {
  char name[kModulePathSize];
  // "C:ab" is the file ab in drive C's current folder; "C:txt" would be
  // another file.
  for (const char* path : {"", "ab", "C:\\a", "C:\\ab", "x/y", "C:ab"}) {
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
  EXPECT_EQ(CallOps(), expected);
  const SimCall& create = SimCalls()[1];
  EXPECT_EQ(create.a, GENERIC_WRITE);
  EXPECT_EQ(create.b, 0u) << "no sharing";
  EXPECT_EQ(create.c, CREATE_ALWAYS);
  EXPECT_EQ(create.d, FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(SimCalls()[6].a, 0u) << "an empty string writes zero bytes";
  SimFinish();
  EXPECT_TRUE(SimMisuse().empty()) << SimMisuse()[0];
}

TEST(ReportPrint, AFailedWriteLosesOnlyItsPiece) {
  SimMachine machine;
  // Pieces: banner, line end, line end, rule, line end, start title, ...
  machine.failCalls.push_back({"WriteFile", 6, ERROR_DISK_FULL});
  SimRunResult run = RunMachine(machine);
  EXPECT_TRUE(run.misuse.empty());
  std::string expected = EmptyReport();
  expected.erase(expected.find("Start WDM Device Enumeration"), 28);
  EXPECT_EQ(run.report, expected);
}

TEST(ReportPrint, AFailedCreationIsTriedAgainWithTheNextPiece) {
  SimMachine machine;
  machine.reportCreateFailures = 2;
  SimRunResult run = RunMachine(machine);
  EXPECT_TRUE(run.misuse.empty());
  // The banner and its line end were lost; the report starts at the blank line.
  EXPECT_EQ(run.report, ExpectedText("empty-report.txt"));
  EXPECT_EQ(CallCount("CreateEventA"), 1) << "the write lock is made once";
}

}  // namespace
}  // namespace ksr
