#include "reader/report_view.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <nlohmann/json.hpp>

#if defined(_WIN32)
#include <io.h>
#define KSR_ISATTY(fd) _isatty(fd)
#else
#include <unistd.h>
#define KSR_ISATTY(fd) isatty(fd)
#endif

#include "reader/report_text.h"

namespace ksr {

namespace {

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

std::string Khz(uint32_t hz) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", hz / 1000.0);
  return text;
}

std::string RangeText(const ParsedRange& r) {
  return std::to_string(r.MaxChannels) + " channels, " + std::to_string(r.MaxBits) + " bits, " +
         std::to_string(r.MinSampleRate) + "-" + std::to_string(r.MaxSampleRate) + " Hz (" +
         Khz(r.MinSampleRate) + "-" + Khz(r.MaxSampleRate) + " kHz)";
}

struct Paint {
  bool on;
  std::string Bold(const std::string& s) const { return on ? "\033[1m" + s + "\033[0m" : s; }
  std::string Warn(const std::string& s) const { return on ? "\033[33m" + s + "\033[0m" : s; }
  std::string Added(const std::string& s) const { return on ? "\033[32m" + s + "\033[0m" : s; }
  std::string Gone(const std::string& s) const { return on ? "\033[31m" + s + "\033[0m" : s; }
};

std::string PinText(const ParsedInterface& iface, const ParsedPin& pin, const Paint& paint) {
  std::string text = "pin " + std::to_string(pin.Id) + ", " + ReportDataflowName(pin.Dataflow) + ": " +
                     (pin.Range ? RangeText(*pin.Range) : "no usable PCM range");
  for (const std::string& w : ReportPinWarnings(iface, pin)) text += " " + paint.Warn("[! " + w + "]");
  return text;
}

// Keys are compared as shown, so that a string that reached one report in
// the code page and the other as UTF-8 still matches.
std::string DeviceKey(const ParsedDevice& d) { return ReportTextShown(d.HardwareId + " | " + d.Description); }

// A string of the report as shown, or what stands for it when it is empty.
std::string Shown(const std::string& text, const char* empty = "") {
  return text.empty() ? empty : ReportTextShown(text);
}

// Items keyed for matching; a key seen twice gets its occurrence number.
template <typename T, typename KeyFn>
std::map<std::string, const T*> Keyed(const std::vector<T>& items, KeyFn key) {
  std::map<std::string, const T*> out;
  std::map<std::string, int> seen;
  for (const T& item : items) {
    std::string k = key(item);
    int n = seen[k]++;
    out[n == 0 ? k : k + " #" + std::to_string(n + 1)] = &item;
  }
  return out;
}

// One level of a diff: items are matched by key; visit(key, was, now) is
// called with now null for each item that went away, then in key order for
// each item of after, with was null when it is new.
template <typename T, typename KeyFn, typename Visit>
void ReportDiffLevel(const std::vector<T>& before, const std::vector<T>& after, KeyFn key, Visit visit) {
  auto was = Keyed(before, key);
  auto now = Keyed(after, key);
  for (const auto& [k, item] : was) {
    if (!now.count(k)) visit(k, item, static_cast<const T*>(nullptr));
  }
  for (const auto& [k, item] : now) {
    auto old = was.find(k);
    visit(k, old == was.end() ? static_cast<const T*>(nullptr) : old->second, item);
  }
}

}  // namespace

std::string ReportDataflowName(uint32_t dataflow) {
  switch (dataflow) {
    case 1: return "in (render: audio flows into the device)";
    case 2: return "out (capture: audio flows out of the device)";
    case 3: return "in and out";
    default: return "unknown data flow " + Hex(dataflow);
  }
}

std::vector<std::string> ReportPinWarnings(const ParsedInterface& iface, const ParsedPin& pin) {
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

std::string ReportSummary(const std::string& file, const ParsedReport& report, const ReadOptions& options) {
  Paint paint{options.colour};
  std::string out = paint.Bold(Shown(file)) + ": " + Shown(report.Banner) + ", " + std::to_string(report.Devices.size()) +
                    " device(s)\n";
  int index = 0;
  for (const ParsedDevice& d : report.Devices) {
    out += "\n" + paint.Bold("Device " + std::to_string(++index) + ": " +
                             Shown(d.Description, "(no description)")) + "\n";
    out += "  maker " + Shown(d.Manufacturer, "(none)") + ", driver " + Shown(d.Service) +
           ".sys\n";
    out += "  hardware ID " + Shown(d.HardwareId, "(none)") + ", bus " +
           std::to_string(d.BusNumber) + ", instance " + Hex(d.InstanceId) + "\n";
    if (d.Interfaces.empty()) out += "  no interface an audio host could open\n";
    for (const ParsedInterface& i : d.Interfaces) {
      out += "  interface \"" + Shown(i.Name) + "\": ";
      out += i.PinTypes ? std::to_string(*i.PinTypes) + " pin type(s), " + std::to_string(i.Pins.size()) +
                              " a host can connect to\n"
                        : "pin count could not be read\n";
      for (const ParsedPin& p : i.Pins) out += "    " + PinText(i, p, paint) + "\n";
    }
  }
  return out;
}

std::string ReportJson(const std::vector<std::pair<std::string, ParsedReport>>& reports) {
  nlohmann::ordered_json all = {{"format", "ksreport-read/1"}, {"reports", nlohmann::ordered_json::array()}};
  for (const auto& entry : reports) {
    const ParsedReport& report = entry.second;
    nlohmann::ordered_json r = {{"file", ReportTextUtf8(entry.first)}, {"banner", ReportTextUtf8(report.Banner)},
                                {"feedback", ReportTextUtf8(report.Feedback)}, {"transport", report.Transport},
                                {"devices", nlohmann::ordered_json::array()}};
    for (const ParsedDevice& d : report.Devices) {
      nlohmann::ordered_json dev = {{"hardwareId", ReportTextUtf8(d.HardwareId)}, {"busNumber", d.BusNumber},
                                    {"description", ReportTextUtf8(d.Description)},
                                    {"manufacturer", ReportTextUtf8(d.Manufacturer)},
                                    {"service", ReportTextUtf8(d.Service)}, {"instanceId", d.InstanceId},
                                    {"interfaces", nlohmann::ordered_json::array()}};
      for (const ParsedInterface& i : d.Interfaces) {
        nlohmann::ordered_json in = {{"name", ReportTextUtf8(i.Name)}, {"pinTypes", nullptr},
                                     {"pins", nlohmann::ordered_json::array()}};
        if (i.PinTypes) in["pinTypes"] = *i.PinTypes;
        for (const ParsedPin& p : i.Pins) {
          nlohmann::ordered_json pin = {{"id", p.Id}, {"dataflow", p.Dataflow}, {"range", nullptr},
                                        {"warnings", ReportPinWarnings(i, p)}};
          if (p.Range) {
            pin["range"] = {{"maxChannels", p.Range->MaxChannels}, {"maxBits", p.Range->MaxBits},
                            {"minSampleRate", p.Range->MinSampleRate},
                            {"maxSampleRate", p.Range->MaxSampleRate}};
          }
          in["pins"].push_back(pin);
        }
        dev["interfaces"].push_back(in);
      }
      r["devices"].push_back(dev);
    }
    all["reports"].push_back(r);
  }
  // Every string went through ReportTextUtf8; the handler only guards.
  return all.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

std::string ReportDiff(const ParsedReport& before, const ParsedReport& after, const ReadOptions& options) {
  Paint paint{options.colour};
  std::string out;
  auto gone = [&](const std::string& what) { out += paint.Gone("- " + what) + "\n"; };
  auto added = [&](const std::string& what) { out += paint.Added("+ " + what) + "\n"; };
  ReportDiffLevel(before.Devices, after.Devices, DeviceKey,
                  [&](const std::string& key, const ParsedDevice* was, const ParsedDevice* now) {
    if (!now) return gone("device " + key);
    if (!was) return added("device " + key);
    auto name = [](const ParsedInterface& i) { return ReportTextShown(i.Name); };
    ReportDiffLevel(was->Interfaces, now->Interfaces, name,
                    [&](const std::string& iname, const ParsedInterface* wasIf, const ParsedInterface* nowIf) {
      if (!nowIf) return gone("interface \"" + iname + "\" of " + key);
      if (!wasIf) return added("interface \"" + iname + "\" of " + key);
      auto id = [](const ParsedPin& p) { return std::to_string(p.Id); };
      std::string where = " of \"" + iname + "\" (" + key + ")";
      ReportDiffLevel(wasIf->Pins, nowIf->Pins, id,
                      [&](const std::string& pid, const ParsedPin* wasPin, const ParsedPin* nowPin) {
        if (!nowPin) return gone("pin " + pid + where);
        if (!wasPin) return added("pin " + pid + where + ": " + PinText(*nowIf, *nowPin, Paint{false}));
        std::string was = PinText(*wasIf, *wasPin, Paint{false});
        std::string now = PinText(*nowIf, *nowPin, Paint{false});
        if (was != now) out += "~ pin " + pid + where + ":\n    was " + was + "\n    now " + now + "\n";
      });
    });
  });
  return out;
}

bool ReportColourWanted() {
  bool colour = KSR_ISATTY(1) != 0 && std::getenv("NO_COLOR") == nullptr;
#if defined(_WIN32)
  colour = colour && (std::getenv("WT_SESSION") != nullptr || std::getenv("TERM") != nullptr);
#endif
  return colour;
}

}  // namespace ksr
