// What ksreport-read prints: a readable summary that keeps to 80 columns,
// with the values a support engineer should not take at face value
// flagged.
#pragma once

#include <string>
#include <vector>

#include "reader/reader_parse.h"

namespace ksr {

struct ReadOptions {
  bool colour = false;
};

// Colour only when stdout is a terminal and NO_COLOR is not set; on
// Windows, only in a console that says it takes colour.
bool ReaderColourWanted();

// ANSI colours, or none.
struct ReaderPaint {
  bool on;
  std::string Bold(const std::string& s) const { return on ? "\033[1m" + s + "\033[0m" : s; }
  std::string Warn(const std::string& s) const { return on ? "\033[33m" + s + "\033[0m" : s; }
  std::string Added(const std::string& s) const { return on ? "\033[32m" + s + "\033[0m" : s; }
  std::string Gone(const std::string& s) const { return on ? "\033[31m" + s + "\033[0m" : s; }
};

// Values a support engineer should not take at face value: of a pin, and
// of a device's own lines.
std::vector<std::string> ReaderPinWarnings(const ParsedInterface& iface, const ParsedPin& pin);
std::vector<std::string> ReaderDeviceWarnings(const ParsedDevice& device);

// The summary of one report. The data-flow legend comes once, under the
// first line, when the report lists a pin.
std::string ReaderSummary(const std::string& file, const ParsedReport& report, const ReadOptions& options);

// The summary's block for a file that holds no report it can read.
std::string ReaderErrorSummary(const std::string& file, const std::string& error, const ReadOptions& options);

// A device's lines as the summary shows them, each after indent.
std::string ReaderDeviceLines(const ParsedDevice& device, const std::string& indent, const ReaderPaint& paint);

// A pin as the summary shows it: "pin 0, in: 2 channels, ..." with its flags.
std::string ReaderPinText(const ParsedInterface& iface, const ParsedPin& pin, const ReaderPaint& paint);

// A pin's range as the summary shows it, or that it has none.
std::string ReaderRangeText(const ParsedPin& pin);

// The data flow, short ("in", "out", "in and out"), as the legend names it.
std::string ReaderDataflowName(uint32_t dataflow);

// A rate in Hz and kHz, "44100 Hz (44.1 kHz)"; a range of two, with one
// rate when both ends are the same.
std::string ReaderKhz(uint32_t hz);
std::string ReaderRateRange(uint32_t minHz, uint32_t maxHz);

// "line N: MESSAGE", or the message alone when it names no line.
std::string ReaderStopWhere(const ReaderStop& stop);

// "incomplete at line N: ..." for where reading stopped.
std::string ReaderStopText(const ReaderStop& stop);

}  // namespace ksr
