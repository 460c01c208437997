// Shared helpers for the tests: small machines in a few lines, whole
// reports, and the call log of the simulated machine.
#pragma once

#include <string>
#include <vector>

#include "app/sim_run.h"
#include "platform/sim/sim.h"

namespace ksr {

// The folder the simulated program lives in during tests.
inline const char kTestOutDir[] = "C:/sim";

// Runs the report over machine, in memory.
SimRunResult RunMachine(const SimMachine& machine);

// Loads tests/machines/NAME or examples/NAME from the source tree.
SimMachine LoadMachine(const std::string& relativePath);

// The report's text between the header and the footer, which every report
// shares; fails the test if the frame is not there.
std::string ReportBody(const std::string& report);

// A report's fixed frame around body.
std::string ReportWithBody(const std::string& body);

// A device that qualifies as far as the interface gates go, with one
// interface carrying the given pins.
SimDevice TestDevice(const std::vector<SimPin>& pins);
SimInterface TestInterface(const std::vector<SimPin>& pins);

// Just the DeviceIoControl calls of the last run.
std::vector<SimCall> IoctlCalls();

}  // namespace ksr
