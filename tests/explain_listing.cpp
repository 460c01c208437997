#include "tests/explain_listing.h"

#include <cstdint>
#include <sstream>

#include "explain/explain_json.h"
#include "explain/explain_summary.h"
#include "explain/explain_text.h"
#include "reader/reader_parse.h"
#include "report/layout.h"

namespace ksr {

namespace {

std::string PinText(uint32_t id, uint32_t dataflow) {
  return "pin " + std::to_string(id) + " dataflow " + std::to_string(dataflow);
}

std::string RangeText(uint32_t channels, uint32_t bits, uint32_t minRate, uint32_t maxRate) {
  return "range " + std::to_string(channels) + " channels " + std::to_string(bits) + " bits " +
         std::to_string(minRate) + "-" + std::to_string(maxRate) + " Hz";
}

std::string InterfaceText(const std::optional<uint32_t>& pinCount) {
  return pinCount ? "interface of " + std::to_string(*pinCount) + " pin types" : "interface";
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : " | ") + line;
  return "[" + text + "]";
}

// A string up to its first NUL, as the report takes it, holds a CR or LF.
bool BreaksLines(const std::optional<SimBytes>& text) {
  if (!text) return false;
  for (uint8_t b : *text) {
    if (b == 0) return false;
    if (b == '\r' || b == '\n') return true;
  }
  return false;
}

// The report's lines are the writer's own, every piece in its place: no
// string of the machine that the report shows holds a line end, and no
// write of the report was made to fail.
bool ReportLinesOwn(const SimMachine& machine) {
  for (const SimFailure& failure : machine.failCalls) {
    if (failure.op == "WriteFile") return false;
  }
  for (const SimDevice& device : machine.devices) {
    if (BreaksLines(device.description) || BreaksLines(device.hardwareIds) || BreaksLines(device.manufacturer) ||
        BreaksLines(device.service)) {
      return false;
    }
    for (const SimInterface& iface : device.interfaces) {
      if (BreaksLines(iface.friendlyName)) return false;
    }
  }
  return true;
}

// The report's file may have been refused at first (its name, or its
// creation), losing the pieces printed until it was made.
bool ReportHeadMayBeLost(const SimMachine& machine) {
  if (machine.moduleFileName || machine.moduleFileNameW || machine.reportCreateFailures != 0) return true;
  for (const SimFailure& failure : machine.failCalls) {
    if (failure.op == "CreateFileW" || failure.op == "GetModuleFileNameW") return true;
  }
  return false;
}

}  // namespace

bool ReportListing(const std::string& report, std::vector<std::string>* listing, std::string* error) {
  const std::string start = std::string(kStartTitle) + kLineEnd + kRuleText + kLineEnd;
  const std::string header = std::string(ReportBannerText()) + kLineEnd + kLineEnd + kRuleText + kLineEnd + start;
  size_t at = report.find(start);
  ParsedReport parsed;
  if (!ReaderParse(at == std::string::npos ? report : header + report.substr(at + start.size()), &parsed, error)) {
    return false;
  }
  listing->clear();
  for (const ParsedDevice& device : parsed.Devices) {
    listing->push_back("device");
    for (const ParsedInterface& iface : device.Interfaces) {
      listing->push_back(InterfaceText(iface.PinTypes));
      for (const ParsedPin& pin : iface.Pins) {
        listing->push_back(PinText(pin.Id, pin.Dataflow));
        if (!pin.Range) continue;
        const ParsedRange& r = *pin.Range;
        listing->push_back(RangeText(r.MaxChannels, r.MaxBits, r.MinSampleRate, r.MaxSampleRate));
      }
    }
  }
  return true;
}

std::vector<std::string> ExplainListing(const ExplainTree& tree) {
  std::vector<std::string> listing;
  for (const ExplainDevice& device : tree.devices) {
    listing.push_back("device");
    for (const ExplainInterface& iface : device.interfaces) {
      if (!iface.listed) continue;
      listing.push_back(InterfaceText(iface.pinCount));
      for (const ExplainPin& pin : iface.pins) {
        if (!pin.listed) continue;
        listing.push_back(PinText(pin.id, pin.dataflow));
        if (!pin.RangesWritten()) continue;
        const PcmRange& r = *pin.best;
        listing.push_back(RangeText(r.MaxChannels, r.MaxBits, r.MinSampleRate, r.MaxSampleRate));
      }
    }
  }
  return listing;
}

void ExplainCutAnswers(SimMachine* machine, uint32_t mask) {
  static const SimPinField kFields[] = {&SimPin::communication, &SimPin::globalInstances, &SimPin::instances,
                                        &SimPin::interfaces,    &SimPin::mediums,         &SimPin::dataflow,
                                        &SimPin::dataRanges};
  uint32_t bit = 0;
  for (SimDevice& device : machine->devices) {
    for (SimInterface& iface : device.interfaces) {
      for (SimPin& pin : iface.pins) {
        for (SimPinField field : kFields) {
          SimAnswer& answer = pin.*field;
          if ((mask >> (bit++ % 32) & 1) == 0 || answer.kind != SimAnswer::kBytes || answer.unread) continue;
          answer.unread = answer.Length();
          answer.bytes.clear();
        }
      }
    }
  }
}

std::vector<std::string> SummaryListing(const ExplainTree& tree) { return SummaryListing(tree, ExplainLeftOuts(tree)); }

std::vector<std::string> SummaryListing(const ExplainTree& tree, const std::vector<ExplainLeftOut>& items) {
  // Each item the summary names, by its places; a pin's place is after
  // its interface's.
  typedef std::vector<size_t> Place;
  std::vector<Place> leftOut, withoutRange;
  for (const ExplainLeftOut& item : items) {
    Place place = {item.device, item.iface.value_or(SIZE_MAX), item.pin.value_or(SIZE_MAX)};
    (item.listedWithoutRange ? withoutRange : leftOut).push_back(place);
  }
  auto named = [](const std::vector<Place>& places, const Place& place) {
    for (const Place& p : places) {
      if (p == place) return true;
    }
    return false;
  };
  std::vector<std::string> listing;
  for (size_t d = 0; d < tree.devices.size(); ++d) {
    listing.push_back("device");
    const ExplainDevice& device = tree.devices[d];
    for (size_t i = 0; i < device.interfaces.size(); ++i) {
      const ExplainInterface& iface = device.interfaces[i];
      if (named(leftOut, {d, i, SIZE_MAX})) continue;
      listing.push_back(InterfaceText(iface.pinCount));
      for (size_t p = 0; p < iface.pins.size(); ++p) {
        const ExplainPin& pin = iface.pins[p];
        if (named(leftOut, {d, i, p})) continue;
        listing.push_back(PinText(pin.id, pin.dataflow));
        if (named(withoutRange, {d, i, p})) continue;
        // Not named: the summary says its range was written, whatever the
        // walk left (a pin without a best range too).
        if (!pin.best) {
          listing.push_back("range none");
          continue;
        }
        const PcmRange& r = *pin.best;
        listing.push_back(RangeText(r.MaxChannels, r.MaxBits, r.MinSampleRate, r.MaxSampleRate));
      }
    }
  }
  return listing;
}

std::vector<std::string> ExplainFaults(const std::string& name, const SimMachine& machine,
                                       const ExplainRun& explained, nlohmann::json* json) {
  std::vector<std::string> faults;
  const ExplainTree& tree = explained.tree;
  if (tree.strayNotes != 0) faults.push_back(std::to_string(tree.strayNotes) + " note(s) found no item");
  // A string with line ends of its own makes lines the writer did not
  // write, which may parse, or list, as anything: such a report says
  // nothing of the explanation.
  if (ReportLinesOwn(machine)) {
    std::vector<std::string> reportListing;
    std::string error;
    if (!ReportListing(explained.run.report, &reportListing, &error)) {
      if (!ReportHeadMayBeLost(machine)) faults.push_back("the report does not parse: " + error);
    } else if (ExplainListing(tree) != reportListing) {
      faults.push_back("the explanation lists " + Joined(ExplainListing(tree)) + ", the report " +
                       Joined(reportListing));
    } else if (SummaryListing(tree) != reportListing) {
      faults.push_back("the summary leaves out what makes " + Joined(SummaryListing(tree)) + ", the report lists " +
                       Joined(reportListing));
    }
  }
  for (int view = 0; view < 4; ++view) {
    bool colour = (view & 1) != 0, full = (view & 2) != 0;
    std::istringstream text(ExplainText(name, tree, colour, full));
    std::string line;
    for (int number = 1; std::getline(text, line); ++number) {
      if (ExplainColumns(line) > kExplainColumns) {
        faults.push_back(std::string(full ? "full " : "") + (colour ? "colour " : "") + "line " +
                         std::to_string(number) +
                         " over " + std::to_string(kExplainColumns) + " columns: " + line);
      }
    }
  }
  *json = nlohmann::json::parse(ExplainJson(name, tree), nullptr, false);
  if (json->is_discarded()) faults.push_back("the JSON does not parse");
  return faults;
}

}  // namespace ksr
