// Every machine file of the tree gives the report stored beside it, byte
// for byte after the banner, and the runner's exit status stored with it:
// a change of any machine's report fails here until its expected files are
// written again on purpose (scripts/add-machine --update NAME).
#include <gtest/gtest.h>

#include "runner/sim_run.h"
#include "machine_list.h"
#include "report/layout.h"
#include "tests/test.h"

namespace ksr {
namespace {

// The machine's name as scripts/add-machine takes it.
std::string NameOf(const std::string& path) {
  size_t slash = path.rfind('/');
  std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
  return file.substr(0, file.rfind('.'));
}

// The report the run left: beside the program, whose name a machine may
// set (its last component, mapped into the run's folder).
std::string ReportOf(const SimMachine& machine, const SimRunResult& run) {
  if (run.reportWritten || !machine.moduleFileName) return run.report;
  const std::string& program = *machine.moduleFileName;
  std::string file = program.substr(program.find_last_of("\\/") + 1);
  std::optional<std::string> report =
      SimFileBytes(std::string(kTestOutDir) + "/" + file.substr(0, file.rfind('.')) + ".txt");
  return report.value_or("");
}

TEST(Machines, EveryMachineGivesItsExpectedReportAndExitStatus) {
  const std::string banner = std::string(ReportBannerText()) + "\r\n";
  for (const char* file : kMachineFiles) {
    SimMachine machine = LoadMachine(file);
    SimRunResult run = RunMachine(machine);
    std::string report = ReportOf(machine, run);
    std::optional<std::string> expected = ExpectedReportOf(file);
    if (!expected) {
      ADD_FAILURE() << file << ": no expected report beside it; run scripts/add-machine --update "
                    << NameOf(file);
      continue;
    }
    // A report whose first lines were lost has no banner and is kept whole.
    size_t body = report.compare(0, banner.size(), banner) == 0 ? banner.size() : 0;
    EXPECT_EQ(report.substr(body), *expected)
        << file << ": the report is not the expected one; if the change is meant, run "
        << "scripts/add-machine --update " << NameOf(file);
    EXPECT_EQ(SimRunExitStatus("test", file, machine, run.misuse, "report"), ExpectedExitOf(file))
        << file << ": not the expected exit status";
  }
}

TEST(Machines, AMachineWithoutExpectedFilesHasNone) {
  EXPECT_FALSE(ExpectedReportOf("tests/machines/no-such-machine.json").has_value());
  EXPECT_EQ(ExpectedExitOf("tests/machines/no-such-machine.json"), 0);
}

}  // namespace
}  // namespace ksr
