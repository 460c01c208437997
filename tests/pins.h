// Helpers for the pin tests: a machine of one interface and the lines that
// stand under its Interface line.
#pragma once

#include <string>
#include <vector>

#include "tests/test.h"

namespace ksr {

// Runs a machine whose one interface has these pins and returns the lines
// after the Interface line; fails the test on misuse.
std::string PinLines(const std::vector<SimPin>& pins);
std::string PinLines(const SimInterface& iface);

std::string NumPins(const std::string& hex8);
std::string PinLine(const std::string& id, const std::string& dataflow);
std::string RangeLines(const std::string& channels, const std::string& bits,
                       const std::string& minRate, const std::string& maxRate);

// DeviceIoControl calls about pin id of the last run.
std::vector<SimCall> PinRequests(uint32_t pinId);

SimBytes Range(uint32_t channels, uint32_t bits, uint32_t minRate, uint32_t maxRate);

}  // namespace ksr
