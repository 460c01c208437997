#include "reader/reader_diff.h"

#include <cstdio>
#include <map>
#include <optional>
#include <vector>

#include "encoding/encoding.h"
#include "reader/reader_json_items.h"

namespace ksr {

namespace {

// One difference: a value of a matched item that changed ('~'), or an item
// that went away ('-') or appeared ('+').
struct DiffChange {
  char Sign;
  const ParsedDevice* Device;             // the device it belongs to, as it was if it was
  const ParsedInterface* Interface;       // null for the device itself
  std::optional<uint32_t> Pin;
  std::string Field;                      // for '~'
  std::string WasText, NowText;           // for '~': the values as shown; for '-' and '+': the item's lines
  ReaderJsonValue Was, Now;
};

std::string Quote(const std::string& s) { return "\"" + EncodingShown(s) + "\""; }

std::string HexText(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

// Pairs items of a with items of b whose keys are equal, the nth of a key
// with the nth, among the items neither pairing has taken yet.
template <typename T, typename Key>
void DiffPair(const std::vector<T>& a, const std::vector<T>& b, Key key, std::vector<int>* pa, std::vector<int>* pb) {
  std::map<std::string, std::vector<size_t>> open;
  for (size_t j = b.size(); j-- > 0;) {
    if ((*pb)[j] < 0) open[key(b[j], j)].push_back(j);
  }
  for (size_t i = 0; i < a.size(); ++i) {
    if ((*pa)[i] >= 0) continue;
    auto it = open.find(key(a[i], i));
    if (it == open.end() || it->second.empty()) continue;
    size_t j = it->second.back();
    it->second.pop_back();
    (*pa)[i] = static_cast<int>(j);
    (*pb)[j] = static_cast<int>(i);
  }
}

class DiffCollector {
 public:
  std::vector<DiffChange> changes;

  void Devices(const ParsedReport& before, const ParsedReport& after) {
    std::vector<int> pa(before.Devices.size(), -1), pb(after.Devices.size(), -1);
    DiffPair(before.Devices, after.Devices, [](const ParsedDevice& d, size_t) { return EncodingShown(d.HardwareId); },
             &pa, &pb);
    DiffPair(before.Devices, after.Devices, [](const ParsedDevice& d, size_t) { return EncodingShown(d.Description); },
             &pa, &pb);
    for (size_t i = 0; i < pa.size(); ++i) {
      if (pa[i] >= 0) {
        Device(before.Devices[i], after.Devices[static_cast<size_t>(pa[i])]);
      } else {
        Item('-', &before.Devices[i], nullptr, {}, ReaderDeviceLines(before.Devices[i], "    ", ReaderPaint{false}),
             ReaderDeviceJson(before.Devices[i]));
      }
    }
    for (size_t j = 0; j < pb.size(); ++j) {
      if (pb[j] < 0) {
        Item('+', &after.Devices[j], nullptr, {}, ReaderDeviceLines(after.Devices[j], "    ", ReaderPaint{false}),
             ReaderDeviceJson(after.Devices[j]));
      }
    }
  }

 private:
  void Item(char sign, const ParsedDevice* d, const ParsedInterface* i, std::optional<uint32_t> pin,
            const std::string& lines, ReaderJsonValue value) {
    DiffChange c{sign, d, i, pin, "", "", "", nullptr, nullptr};
    (sign == '-' ? c.WasText : c.NowText) = lines;
    (sign == '-' ? c.Was : c.Now) = std::move(value);
    changes.push_back(std::move(c));
  }

  // A value that changed, shown as text and given as JSON.
  template <typename V>
  void Value(const ParsedDevice* d, const ParsedInterface* i, std::optional<uint32_t> pin, const char* field,
             const std::string& wasText, const std::string& nowText, const V& was, const V& now) {
    if (wasText == nowText && was == now) return;
    changes.push_back({'~', d, i, pin, field, wasText, nowText, ReaderJsonValue(was), ReaderJsonValue(now)});
  }

  void Text(const ParsedDevice* d, const char* field, const std::string& was, const std::string& now) {
    // Compared as shown: the code page and UTF-8 forms of a name are one name.
    if (EncodingShown(was) == EncodingShown(now)) return;
    changes.push_back({'~', d, nullptr, {}, field, Quote(was), Quote(now), EncodingUtf8(was), EncodingUtf8(now)});
  }

  void Device(const ParsedDevice& was, const ParsedDevice& now) {
    Text(&was, "hardware ID", was.HardwareId, now.HardwareId);
    Text(&was, "description", was.Description, now.Description);
    Text(&was, "maker", was.Manufacturer, now.Manufacturer);
    Text(&was, "driver", was.Service + ".sys", now.Service + ".sys");
    Value(&was, nullptr, {}, "bus number", std::to_string(was.BusNumber), std::to_string(now.BusNumber),
          was.BusNumber, now.BusNumber);
    Value(&was, nullptr, {}, "instance", HexText(was.InstanceId), HexText(now.InstanceId), was.InstanceId,
          now.InstanceId);
    std::vector<int> pa(was.Interfaces.size(), -1), pb(now.Interfaces.size(), -1);
    DiffPair(was.Interfaces, now.Interfaces, [](const ParsedInterface& i, size_t) { return EncodingShown(i.Name); },
             &pa, &pb);
    DiffPair(was.Interfaces, now.Interfaces, [](const ParsedInterface&, size_t at) { return std::to_string(at); },
             &pa, &pb);
    for (size_t i = 0; i < pa.size(); ++i) {
      const ParsedInterface& w = was.Interfaces[i];
      if (pa[i] >= 0) {
        Interface(&was, w, now.Interfaces[static_cast<size_t>(pa[i])]);
      } else {
        Item('-', &was, &w, {}, InterfaceLines(w), ReaderInterfaceJson(w));
      }
    }
    for (size_t j = 0; j < pb.size(); ++j) {
      const ParsedInterface& n = now.Interfaces[j];
      if (pb[j] < 0) Item('+', &was, &n, {}, InterfaceLines(n), ReaderInterfaceJson(n));
    }
  }

  static std::string InterfaceLines(const ParsedInterface& i) {
    std::string out = "        " + (i.PinTypes ? std::to_string(*i.PinTypes) + " pin type(s)" : "pin count could not be read") + "\n";
    for (const ParsedPin& p : i.Pins) out += "        " + ReaderPinText(i, p, ReaderPaint{false}) + "\n";
    return out;
  }

  static std::string PinTypesText(const std::optional<uint32_t>& n) {
    return n ? std::to_string(*n) : "could not be read";
  }

  void Interface(const ParsedDevice* d, const ParsedInterface& was, const ParsedInterface& now) {
    if (EncodingShown(was.Name) != EncodingShown(now.Name)) {
      changes.push_back({'~', d, &was, {}, "name", Quote(was.Name), Quote(now.Name), EncodingUtf8(was.Name),
                         EncodingUtf8(now.Name)});
    }
    ReaderJsonValue wasTypes = nullptr, nowTypes = nullptr;
    if (was.PinTypes) wasTypes = *was.PinTypes;
    if (now.PinTypes) nowTypes = *now.PinTypes;
    Value(d, &was, {}, "pin types", PinTypesText(was.PinTypes), PinTypesText(now.PinTypes), wasTypes, nowTypes);
    std::vector<int> pa(was.Pins.size(), -1), pb(now.Pins.size(), -1);
    DiffPair(was.Pins, now.Pins, [](const ParsedPin& p, size_t) { return std::to_string(p.Id); }, &pa, &pb);
    for (size_t i = 0; i < pa.size(); ++i) {
      const ParsedPin& w = was.Pins[i];
      if (pa[i] >= 0) {
        Pin(d, was, w, now, now.Pins[static_cast<size_t>(pa[i])]);
      } else {
        Item('-', d, &was, w.Id, ReaderPinText(was, w, ReaderPaint{false}), ReaderPinJson(was, w));
      }
    }
    for (size_t j = 0; j < pb.size(); ++j) {
      const ParsedPin& n = now.Pins[j];
      if (pb[j] < 0) Item('+', d, &was, n.Id, ReaderPinText(now, n, ReaderPaint{false}), ReaderPinJson(now, n));
    }
  }

  static std::string FlagsText(const std::vector<std::string>& flags) {
    std::string out;
    for (const std::string& f : flags) out += (out.empty() ? "" : " ") + ("[! " + f + "]");
    return out.empty() ? "none" : out;
  }

  void Pin(const ParsedDevice* d, const ParsedInterface& wasIf, const ParsedPin& was, const ParsedInterface& nowIf,
           const ParsedPin& now) {
    auto value = [&](const char* field, uint32_t a, uint32_t b) {
      Value(d, &wasIf, was.Id, field, std::to_string(a), std::to_string(b), a, b);
    };
    Value(d, &wasIf, was.Id, "data flow", ReaderDataflowName(was.Dataflow), ReaderDataflowName(now.Dataflow),
          was.Dataflow, now.Dataflow);
    if (was.Range && now.Range) {
      value("max channels", was.Range->MaxChannels, now.Range->MaxChannels);
      value("max bits", was.Range->MaxBits, now.Range->MaxBits);
      value("min sample rate", was.Range->MinSampleRate, now.Range->MinSampleRate);
      value("max sample rate", was.Range->MaxSampleRate, now.Range->MaxSampleRate);
    } else if (was.Range || now.Range) {
      ReaderJsonValue a = ReaderPinJson(wasIf, was)["range"], b = ReaderPinJson(nowIf, now)["range"];
      Value(d, &wasIf, was.Id, "range", ReaderRangeText(was), ReaderRangeText(now), a, b);
    }
    std::vector<std::string> wasFlags = ReaderPinWarnings(wasIf, was), nowFlags = ReaderPinWarnings(nowIf, now);
    Value(d, &wasIf, was.Id, "flags", FlagsText(wasFlags), FlagsText(nowFlags), wasFlags, nowFlags);
  }

};

std::string DeviceName(const ParsedDevice& d) {
  return "device " + Quote(d.Description) + " (" + (d.HardwareId.empty() ? "no hardware ID" : EncodingShown(d.HardwareId)) + ")";
}

std::string Scope(const DiffChange& c) {
  if (!c.Interface) return "";
  std::string s = "interface " + Quote(c.Interface->Name);
  return c.Pin ? s + ", pin " + std::to_string(*c.Pin) : s;
}

std::string Header(const ReaderDiffSide& before, const ReaderDiffSide& after) {
  return "before: " + EncodingShown(before.File) + "\nafter:  " + EncodingShown(after.File) + "\n";
}

}  // namespace

std::string ReaderDiff(const ReaderDiffSide& before, const ReaderDiffSide& after, const ReadOptions& options,
                       bool* same) {
  ReaderPaint paint{options.colour};
  DiffCollector diff;
  diff.Devices(*before.Report, *after.Report);
  *same = diff.changes.empty();
  std::string out = Header(before, after);
  if (*same) return out + "no differences\n";
  const ParsedDevice* open = nullptr;
  for (const DiffChange& c : diff.changes) {
    std::string scope = Scope(c);
    if (!c.Interface && c.Sign != '~') {
      std::string head = std::string(1, c.Sign) + " " + DeviceName(*c.Device);
      out += (c.Sign == '-' ? paint.Gone(head) : paint.Added(head)) + "\n" + c.WasText + c.NowText;
      open = nullptr;
      continue;
    }
    if (open != c.Device) out += "~ " + DeviceName(*c.Device) + "\n";
    open = c.Device;
    if (c.Sign == '~') {
      out += "    ~ " + (scope.empty() ? "" : scope + ": ") + c.Field + ": " + c.WasText + " -> " + c.NowText + "\n";
    } else if (c.Pin) {
      std::string line = "    " + std::string(1, c.Sign) + " " + scope + ": " + c.WasText + c.NowText;
      out += (c.Sign == '-' ? paint.Gone(line) : paint.Added(line)) + "\n";
    } else {
      std::string line = "    " + std::string(1, c.Sign) + " " + scope;
      out += (c.Sign == '-' ? paint.Gone(line) : paint.Added(line)) + "\n" + c.WasText + c.NowText;
    }
  }
  return out;
}

std::string ReaderDiffJson(const ReaderDiffSide& before, const ReaderDiffSide& after, bool* same) {
  DiffCollector diff;
  diff.Devices(*before.Report, *after.Report);
  *same = diff.changes.empty();
  ReaderJsonValue all = {{"format", "ksreport-diff/1"}, {"before", EncodingUtf8(before.File)},
                         {"after", EncodingUtf8(after.File)}, {"same", *same},
                         {"changes", ReaderJsonValue::array()}};
  for (const DiffChange& c : diff.changes) {
    ReaderJsonValue iface = nullptr, pin = nullptr, field = nullptr;
    if (c.Interface) iface = EncodingUtf8(c.Interface->Name);
    if (c.Pin) pin = *c.Pin;
    if (c.Sign == '~') field = c.Field;
    all["changes"].push_back({{"change", c.Sign == '~' ? "changed" : c.Sign == '-' ? "removed" : "added"},
                              {"device", {{"hardwareId", EncodingUtf8(c.Device->HardwareId)},
                                          {"description", EncodingUtf8(c.Device->Description)}}},
                              {"interface", iface}, {"pin", pin}, {"field", field}, {"before", c.Was},
                              {"after", c.Now}});
  }
  return ReaderJsonText(all);
}

}  // namespace ksr
