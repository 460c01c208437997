// Reads reports back: a strict grammar of the report's line kinds and their
// order, spelled with the labels the writer uses (report/layout.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ksr {

struct ParsedRange {
  uint32_t MaxChannels = 0;
  uint32_t MaxBits = 0;
  uint32_t MinSampleRate = 0;
  uint32_t MaxSampleRate = 0;
};

struct ParsedPin {
  uint32_t Id = 0;
  uint32_t Dataflow = 0;
  std::optional<ParsedRange> Range;
  int Line = 0;
};

struct ParsedInterface {
  std::string Name;
  std::optional<uint32_t> PinTypes;  // absent when the count could not be read
  std::vector<ParsedPin> Pins;
  int Line = 0;
};

struct ParsedDevice {
  std::string HardwareId;
  uint32_t BusNumber = 0;
  std::string Description;
  std::string Manufacturer;
  std::string Service;  // without ".sys"
  uint32_t InstanceId = 0;
  std::vector<ParsedInterface> Interfaces;
  int Line = 0;
};

struct ParsedReport {
  std::string Banner;
  std::string Feedback;
  std::vector<ParsedDevice> Devices;
};

// Parses a whole report. On error, false and a message naming the line and
// what was expected there.
bool ReportParse(const std::string& bytes, ParsedReport* report, std::string* error);

}  // namespace ksr
