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

// Where reading stopped, and why: the line and what was expected there.
struct ReaderStop {
  int Line = 0;
  std::string Message;
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
  // Set when a line inside the device was not what the grammar allows:
  // what was read before it is kept, and the report goes on at the next
  // device.
  std::optional<ReaderStop> Stopped;
};

struct ParsedReport {
  std::string Banner;
  std::string Feedback;
  std::vector<ParsedDevice> Devices;
  std::vector<std::string> Transport;  // what the intake undid (reader/reader_intake.h)
  std::vector<std::string> Notes;      // what the reader had to assume, in words
  // Set when the report ends before its closing request line, or a line
  // outside any device was not what the grammar allows.
  std::optional<ReaderStop> Stopped;
};

// Whether the report was read to its closing request line with every
// device whole.
bool ReaderComplete(const ParsedReport& report);

// One line without its line end, and its number in the file it came from.
struct ReaderLine {
  std::string Text;
  int Number = 0;
};

// Parses a whole report as the writer wrote it, CR LF line ends included.
// On error, false and a message naming the line and what was expected there.
bool ReaderParse(const std::string& bytes, ParsedReport* report, std::string* error);

// Parses the lines of one report, from its banner line to its closing
// request line; errors name the lines by their Number.
bool ReaderParseLines(const std::vector<ReaderLine>& lines, ParsedReport* report, std::string* error);

// How ReaderParsePartial begins: at the banner line, or, in a report whose
// banner line was never written, at the header's first rule.
enum class ReaderStart { kBanner, kRule };

// Reads as much of a report as is there: a device with a bad line keeps
// what came before the line and is marked Stopped, and reading goes on at
// the next cut line; a report that ends early, or breaks outside a device,
// keeps everything before and is marked Stopped. Never fails.
ParsedReport ReaderParsePartial(const std::vector<ReaderLine>& lines, ReaderStart start);

// "line N: MESSAGE" as a stop; Line 0 when the text names no line.
ReaderStop ReaderStopOf(const std::string& error);

}  // namespace ksr
