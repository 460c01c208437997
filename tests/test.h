// Shared helpers for the tests: small machines in a few lines, whole
// reports and the lines under an interface, and the call log of the
// simulated machine.
#pragma once

#include <functional>

#include <optional>
#include <string>
#include <vector>

#include "runner/sim_run.h"
#include "platform/sim/sim.h"

namespace ksr {

// --- Small machines -------------------------------------------------------

// The folder the simulated program lives in during tests.
inline const char kTestOutDir[] = "C:/sim";

// Loads tests/machines/NAME or examples/NAME from the source tree.
SimMachine LoadMachine(const std::string& relativePath);

// An interface that passes every interface gate, named "Speakers", with a
// device path of its own, carrying the given pins.
SimInterface TestInterface(const std::vector<SimPin>& pins);

// A device with every property and one TestInterface carrying the pins.
SimDevice TestDevice(const std::vector<SimPin>& pins);



// --- Runs and reports -----------------------------------------------------

// Runs the report over machine, in memory.
SimRunResult RunMachine(const SimMachine& machine);

// A first device whose run leaves the 1 MiB store's room in [lo, hi): it
// keeps pins by the hundred under its one interface, then pads its strings
// by the few bytes left. Fails the test when no such device is found. run
// plays a machine as the test will (the explained runs name another folder).
SimDevice TestFillerLeaving(uint32_t lo, uint32_t hi,
                            const std::function<SimRunResult(const SimMachine&)>& run = RunMachine);

// A file of the source tree, by its path from the top, as its bytes;
// fails the test when it can't be read.
std::string SourceText(const std::string& relativePath);

// A file of tests/expected/, with the closing line's address made the one
// this build writes.
std::string ExpectedText(const std::string& name);

// A machine file's expected report, everything after the banner, stored
// beside it (DIR/NAME.expected.txt for DIR/NAME.json), with the closing
// line's address made the one this build writes; nullopt when there is none.
std::optional<std::string> ExpectedReportOf(const std::string& machinePath);

// The runner's expected exit status for a machine file: the number in
// DIR/NAME.expected-exit, or 0 when there is no such file.
int ExpectedExitOf(const std::string& machinePath);

// The report of a machine with no devices: banner and frame
// (tests/expected/empty-report.txt after the banner line).
std::string EmptyReport();

// A report's fixed frame around body.
std::string ReportWithBody(const std::string& body);

// Runs write, which calls the report's line routines, in a fresh simulated
// process and returns the report file it wrote ("<none>" when none); fails
// the test if the platform saw misuse.
std::string TestReportWritten(const std::function<void()>& write);

// The report's text between the header and the footer, which every report
// shares; fails the test if the frame is not there.
std::string ReportBody(const std::string& report);

// Runs a machine whose one interface has these pins and returns the lines
// after the Interface line; fails the test on misuse.
std::string PinLines(const std::vector<SimPin>& pins);
std::string PinLines(const SimInterface& iface);

// The lines under an Interface line, spelled out for expectations.
std::string NumPins(const std::string& hex8);
std::string PinLine(const std::string& id, const std::string& dataflow);
std::string RangeLines(const std::string& channels, const std::string& bits,
                       const std::string& minRate, const std::string& maxRate);

// The report of examples/typical-machine.json.
std::string TypicalReport();

// How many times what stands in text (overlapping counts).
int CountOf(const std::string& text, const std::string& what);

// text with the first from replaced by to; fails the test when from is not
// in it.
std::string ReplacedOnce(std::string text, const std::string& from, const std::string& to);

// --- The call log ---------------------------------------------------------

// The names of the platform operations of the last run, in order.
std::vector<std::string> CallOps();

// How many times the last run called op.
int CallCount(const std::string& op);

// Just the DeviceIoControl calls of the last run.
std::vector<SimCall> IoctlCalls();

// DeviceIoControl calls about pin id of the last run.
std::vector<SimCall> PinRequests(uint32_t pinId);

}  // namespace ksr
