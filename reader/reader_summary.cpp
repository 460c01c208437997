#include "reader/reader_summary.h"

#include <cstdio>
#include <cstdlib>

#if defined(_WIN32)
#include <io.h>
#define KSR_ISATTY(fd) _isatty(fd)
#else
#include <unistd.h>
#define KSR_ISATTY(fd) isatty(fd)
#endif

#include "encoding/encoding.h"

namespace ksr {

namespace {

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

std::string RangeText(const ParsedRange& r) {
  return std::to_string(r.MaxChannels) + " channels, " + std::to_string(r.MaxBits) + " bits, " +
         ReaderRateRange(r.MinSampleRate, r.MaxSampleRate);
}

// A string of the report as shown, or what stands for it when it is empty.
std::string Shown(const std::string& text, const char* empty = "") {
  return text.empty() ? empty : EncodingShown(text);
}

// Flags, each as "[! ...]", on a line of their own under what they flag.
std::string FlagLine(const std::vector<std::string>& flags, const std::string& indent, const ReaderPaint& paint) {
  if (flags.empty()) return "";
  std::string line = indent;
  for (const std::string& f : flags) line += (line.size() > indent.size() ? " " : "") + paint.Warn("[! " + f + "]");
  return line + "\n";
}

std::string PinBare(const ParsedPin& pin) {
  return "pin " + std::to_string(pin.Id) + ", " + ReaderDataflowName(pin.Dataflow) + ": " + ReaderRangeText(pin);
}

bool HasPins(const ParsedReport& report) {
  for (const ParsedDevice& d : report.Devices) {
    for (const ParsedInterface& i : d.Interfaces) {
      if (!i.Pins.empty()) return true;
    }
  }
  return false;
}

}  // namespace

std::string ReaderDataflowName(uint32_t dataflow) {
  switch (dataflow) {
    case 1: return "in";
    case 2: return "out";
    case 3: return "in and out";
    default: return "unknown data flow " + Hex(dataflow);
  }
}

std::string ReaderRangeText(const ParsedPin& pin) {
  return pin.Range ? RangeText(*pin.Range) : "no usable PCM range";
}

std::string ReaderKhz(uint32_t hz) {
  std::string text = std::to_string(hz / 1000);
  char decimals[8];
  std::snprintf(decimals, sizeof decimals, "%03u", static_cast<unsigned>(hz % 1000));
  std::string d = decimals;
  d.erase(d.find_last_not_of('0') + 1);
  return d.empty() ? text : text + "." + d;
}

std::string ReaderRateRange(uint32_t minHz, uint32_t maxHz) {
  if (minHz == maxHz) return std::to_string(minHz) + " Hz (" + ReaderKhz(minHz) + " kHz)";
  return std::to_string(minHz) + "-" + std::to_string(maxHz) + " Hz (" + ReaderKhz(minHz) + "-" + ReaderKhz(maxHz) +
         " kHz)";
}

std::string ReaderStopWhere(const ReaderStop& stop) {
  return (stop.Line ? "line " + std::to_string(stop.Line) + ": " : std::string()) + stop.Message;
}

std::string ReaderStopText(const ReaderStop& stop) { return "incomplete at " + ReaderStopWhere(stop); }

std::vector<std::string> ReaderPinWarnings(const ParsedInterface& iface, const ParsedPin& pin) {
  std::vector<std::string> w;
  if (iface.PinTypes && pin.Id >= *iface.PinTypes) w.push_back("pin id not below NumPins");
  if (pin.Dataflow == 0xFFFFFFFFu) w.push_back("data flow 0xFFFFFFFF");
  if (!pin.Range) return w;
  const ParsedRange& r = *pin.Range;
  for (uint32_t v : {r.MaxChannels, r.MaxBits, r.MinSampleRate, r.MaxSampleRate}) {
    if (v == 0xFFFFFFFFu) {
      w.push_back("value 0xFFFFFFFF");
      break;
    }
  }
  if (r.MaxChannels > 64) w.push_back("more than 64 channels");
  if (r.MinSampleRate > 10000000 || r.MaxSampleRate > 10000000) w.push_back("sample rate above 10 MHz");
  if (r.MinSampleRate > r.MaxSampleRate) w.push_back("minimum rate above maximum");
  return w;
}

std::vector<std::string> ReaderDeviceWarnings(const ParsedDevice& device) {
  std::vector<std::string> w;
  if (device.BusNumber == 0xFFFFFFFFu) w.push_back("bus number 0xFFFFFFFF");
  if (device.InstanceId == 0xFFFFFFFFu) w.push_back("instance ID 0xFFFFFFFF");
  return w;
}

std::string ReaderPinText(const ParsedInterface& iface, const ParsedPin& pin, const ReaderPaint& paint) {
  std::string text = PinBare(pin);
  for (const std::string& w : ReaderPinWarnings(iface, pin)) text += " " + paint.Warn("[! " + w + "]");
  return text;
}

std::string ReaderDeviceLines(const ParsedDevice& d, const std::string& indent, const ReaderPaint& paint) {
  std::string out = indent + "maker " + Shown(d.Manufacturer, "(none)") + ", driver " + Shown(d.Service) + ".sys\n";
  out += indent + "hardware ID " + Shown(d.HardwareId, "(none)") + "\n";
  out += indent + "bus " + std::to_string(d.BusNumber) + ", instance " + Hex(d.InstanceId) + "\n";
  out += FlagLine(ReaderDeviceWarnings(d), indent, paint);
  if (d.Interfaces.empty() && !d.Stopped) out += indent + "no interface an audio host could open\n";
  for (const ParsedInterface& i : d.Interfaces) {
    out += indent + "interface \"" + Shown(i.Name) + "\": ";
    out += i.PinTypes ? std::to_string(*i.PinTypes) + " pin type(s), " + std::to_string(i.Pins.size()) +
                            " a host can connect to\n"
                      : "pin count could not be read\n";
    for (const ParsedPin& p : i.Pins) {
      out += indent + "  " + PinBare(p) + "\n" + FlagLine(ReaderPinWarnings(i, p), indent + "    ", paint);
    }
  }
  if (d.Stopped) out += indent + paint.Warn(ReaderStopText(*d.Stopped)) + "\n";
  return out;
}

std::string ReaderSummary(const std::string& file, const ParsedReport& report, const ReadOptions& options) {
  ReaderPaint paint{options.colour};
  std::string out = paint.Bold(Shown(file)) + ": " + Shown(report.Banner, "(no banner)") + ", " +
                    std::to_string(report.Devices.size()) + " device(s)\n";
  if (report.Stopped) out += paint.Warn(ReaderStopText(*report.Stopped)) + "\n";
  if (HasPins(report)) out += "Data flow: in = render (into the device), out = capture (out of the device).\n";
  int index = 0;
  for (const ParsedDevice& d : report.Devices) {
    out += "\n" + paint.Bold("Device " + std::to_string(++index) + ": " + Shown(d.Description, "(no description)")) +
           "\n" + ReaderDeviceLines(d, "  ", paint);
  }
  return out;
}

std::string ReaderErrorSummary(const std::string& file, const std::string& error, const ReadOptions& options) {
  ReaderPaint paint{options.colour};
  return paint.Bold(Shown(file)) + ": " + paint.Gone("not read: " + EncodingShown(error)) + "\n";
}

bool ReaderColourWanted() {
  bool colour = KSR_ISATTY(1) != 0 && std::getenv("NO_COLOR") == nullptr;
#if defined(_WIN32)
  colour = colour && (std::getenv("WT_SESSION") != nullptr || std::getenv("TERM") != nullptr);
#endif
  return colour;
}

}  // namespace ksr
