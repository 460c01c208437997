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

// A wide name of ASCII characters, as 8 bits.
std::string Narrow(const WCHAR* name) {
  std::string out;
  for (size_t i = 0; name[i] != 0; ++i) out += static_cast<char>(name[i]);
  return out;
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
  WCHAR name[kModulePathSize];
  StartWithModule(fits);
  ASSERT_TRUE(ReportFileName(name));
  EXPECT_EQ(Narrow(name), fits.substr(0, 260) + "txt");

  StartWithModule(fits + "x");  // 264 characters: cut by the platform
  EXPECT_FALSE(ReportFileName(name));
  ReportPrint("lost");
  ReportPrint("lost");
  EXPECT_EQ(CallCount("CreateFileW"), 0);
  EXPECT_TRUE(SimMisuse().empty());
}

TEST(ReportName, NamesTooShortToReplaceWriteNoReport) {
  WCHAR name[kModulePathSize];
  // "C:ab" is the file ab in drive C's current folder; "C:txt" would be
  // another file.
  for (const char* path : {"", "ab", "C:\\a", "C:\\ab", "x/y", "C:ab"}) {
    StartWithModule(std::string(path));
    EXPECT_FALSE(ReportFileName(name)) << path;
  }
  StartWithModule(std::string("C:\\abc"));
  ASSERT_TRUE(ReportFileName(name));
  EXPECT_EQ(Narrow(name), "C:\\txt");
}

// No file before the first piece; then one file, made anew and shared with
// no one, holding each piece as it came, an empty one adding nothing. Every
// write but the first waits for the lock the one before gave back (a lock
// never given back would leave the next wait forever, which the run flags).
TEST(ReportPrint, FirstWriteCreatesTheFileAndTheLockThenEachPieceTakesTheLock) {
  StartWithModule(std::nullopt);
  EXPECT_FALSE(SimFileBytes(std::string(kTestOutDir) + "/ksreport.txt").has_value());
  ReportPrint("one");
  EXPECT_EQ(Written("ksreport.txt"), "one");
  ReportPrint("");
  ReportPrint("two");
  EXPECT_EQ(Written("ksreport.txt"), "onetwo");
  int creates = 0, writes = 0, lockHeld = 0;
  uintptr_t lock = 0;
  for (const SimCall& call : SimCalls()) {
    if (call.op == "CreateFileW") {
      ++creates;
      EXPECT_EQ(call.a, GENERIC_WRITE);
      EXPECT_EQ(call.b, 0u) << "no sharing";
      EXPECT_EQ(call.c, CREATE_ALWAYS);
      EXPECT_EQ(call.d, FILE_ATTRIBUTE_NORMAL);
    }
    if (call.op == "WaitForSingleObject") {
      lock = call.handle;
      ++lockHeld;
    }
    if (call.op == "SetEvent") {
      EXPECT_TRUE(lock == 0 || call.handle == lock) << "only the lock is set";
      lockHeld = 0;
    }
    if (call.op == "WriteFile") {
      EXPECT_EQ(lockHeld, writes == 0 ? 0 : 1) << "write " << writes << " without the lock";
      ++writes;
    }
  }
  EXPECT_EQ(creates, 1);
  EXPECT_EQ(writes, 3) << "an empty piece is one write of zero bytes";
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

TEST(ReportExitStatus, SaysWhetherTheReportWasWrittenCompletely) {
  SimMachine machine;
  RunMachine(machine);
  EXPECT_EQ(ReportExitStatus(), kReportComplete);

  machine.reportCreateFailures = 2;  // the banner and its line end lost
  RunMachine(machine);
  EXPECT_EQ(ReportExitStatus(), kReportIncomplete);

  machine.reportCreateFailures = 1000;  // never made
  SimRunResult run = RunMachine(machine);
  EXPECT_FALSE(run.reportWritten);
  EXPECT_EQ(ReportExitStatus(), kReportNotCreated);

  machine.reportCreateFailures = 0;
  machine.failCalls.push_back({"WriteFile", 9, ERROR_DISK_FULL});
  RunMachine(machine);
  EXPECT_EQ(ReportExitStatus(), kReportIncomplete);

  machine.failCalls = {{"GetModuleFileNameW", 1, ERROR_GEN_FAILURE}};
  RunMachine(machine);
  EXPECT_EQ(ReportExitStatus(), kReportIncomplete) << "made from the second piece on";
  EXPECT_NE(kReportNotCreated, kReportIncomplete);
  EXPECT_NE(kReportComplete, kReportNotCreated);
}

TEST(ReportName, TheWidePathNamesTheReportInAFolderOutsideTheCodePage) {
  SimMachine plain;
  std::string expected = RunMachine(plain).report;
  SimMachine cyrillic;
  // What the 8-bit query would answer in such a folder on a 1252 system.
  cyrillic.moduleFileName = "C:\\??????\\ksreport.exe";
  cyrillic.moduleFileNameW = "C:\\\u0414\u043e\u043a\u043b\u0430\u0434\\ksreport.exe";
  SimRunResult run = RunMachine(cyrillic);
  EXPECT_TRUE(run.misuse.empty());
  EXPECT_EQ(run.report, expected);
  EXPECT_EQ(CallCount("GetModuleFileNameA"), 0) << "the 8-bit path is not used for the report";

  // The rule applies to the wide name: a Cyrillic program name keeps its
  // letters, and only its last three characters are replaced.
  cyrillic.moduleFileNameW = "C:\\x\\\u041e\u0442\u0447\u0451\u0442.exe";
  RunMachine(cyrillic);
  EXPECT_EQ(SimFileBytes(std::string(kTestOutDir) + "/\u041e\u0442\u0447\u0451\u0442.txt"), expected);
}

TEST(ReportName, TheWidePathDefaultsToThe8BitPath) {
  // Bytes that are not UTF-8 count one a character.
  StartWithModule(std::string("C:\\Ordner mit \xFCmlaut\\ksreport.exe"));
  WCHAR name[kModulePathSize];
  ASSERT_TRUE(ReportFileName(name));
  EXPECT_EQ(name[14], 0xFC);
  EXPECT_EQ(name[14 + 16], 't');
  ReportPrint("x");
  EXPECT_EQ(Written("ksreport.txt"), "x");
}

TEST(ReportName, AMachineFilesPathIsReadAsUtf8) {
  // The report is named on disk as it was when the program asked for the
  // 8-bit path.
  SimMachine machine;
  machine.moduleFileName = "C:\\Tools\\\u0414\u043e\u043a\u043b\u0430\u0434.exe";
  RunMachine(machine);
  EXPECT_TRUE(SimFileBytes(std::string(kTestOutDir) + "/\u0414\u043e\u043a\u043b\u0430\u0434.txt").has_value());
}

// Failing calls that name the 8-bit program-path query or file creation
// count over both forms, as when the report's path and file were asked in
// 8 bits: "GetModuleFileNameA" nth 1 fails the first piece's program path,
// "CreateFileA" nth 1 its file (the banner is lost, the next piece makes
// the file), nth 2 the first filter.
TEST(ReportName, FailingCallsNamedBy8BitFormsMeanWhatTheyMeant) {
  SimMachine machine;
  machine.devices.push_back(TestDevice({}));
  machine.failCalls.push_back({"GetModuleFileNameA", 1, ERROR_NOT_ENOUGH_MEMORY});
  SimRunResult run = RunMachine(machine);
  ASSERT_TRUE(run.reportWritten);
  EXPECT_EQ(run.report.compare(0, 4, "\r\n\r\n"), 0) << "the banner and its blank line are lost";
  machine.failCalls = {{"CreateFileA", 1, ERROR_ACCESS_DENIED}};
  run = RunMachine(machine);
  ASSERT_TRUE(run.reportWritten);
  EXPECT_EQ(run.report.compare(0, 4, "\r\n\r\n"), 0) << "the banner and its blank line are lost";
  EXPECT_NE(run.report.find("NumPins"), std::string::npos) << "the filter is still opened";
  machine.failCalls = {{"CreateFileA", 2, ERROR_ACCESS_DENIED}};
  run = RunMachine(machine);
  ASSERT_TRUE(run.reportWritten);
  EXPECT_EQ(run.report.find("NumPins"), std::string::npos) << "the filter did not open";
}

}  // namespace
}  // namespace ksr
