#include "tests/explain_listing.h"

#include <sstream>

#include "explain/explain_view.h"
#include "reader/report_parse.h"
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
  if (!ReportParse(at == std::string::npos ? report : header + report.substr(at + start.size()), &parsed, error)) {
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
    }
  }
  for (bool colour : {false, true}) {
    std::istringstream text(ExplainText(name, tree, colour));
    std::string line;
    for (int number = 1; std::getline(text, line); ++number) {
      if (ExplainColumns(line) > kExplainColumns) {
        faults.push_back(std::string(colour ? "colour " : "") + "line " + std::to_string(number) +
                         " over " + std::to_string(kExplainColumns) + " columns: " + line);
      }
    }
  }
  *json = nlohmann::json::parse(ExplainJson(name, tree), nullptr, false);
  if (json->is_discarded()) faults.push_back("the JSON does not parse");
  return faults;
}

}  // namespace ksr
