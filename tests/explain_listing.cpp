#include "tests/explain_listing.h"

#include <sstream>

#include "explain/explain_view.h"
#include "explain/explain_words.h"
#include "report/layout.h"

namespace ksr {

namespace {

std::string Hex8(uint32_t value) { return ExplainHex(value).substr(2); }

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : " | ") + line;
  return "[" + text + "]";
}

}  // namespace

std::vector<std::string> ReportListing(const std::string& report) {
  std::vector<std::string> listing;
  size_t at = 0;
  while (at < report.size()) {
    size_t end = report.find("\r\n", at);
    if (end == std::string::npos) end = report.size();
    std::string line = report.substr(at, end - at);
    at = end + 2;
    if (line == kCutText) {
      listing.push_back("device");
    } else if (line.compare(0, 4, kInterfaceLabel) == 0) {
      listing.push_back("interface");
    } else if (line.compare(0, 12, kPinLabel) == 0 || line.compare(0, 13, "          Max") == 0 ||
               line.compare(0, 13, "          Min") == 0) {
      listing.push_back(line);
    }
  }
  return listing;
}

std::vector<std::string> ExplainListing(const ExplainTree& tree) {
  std::vector<std::string> listing;
  for (const ExplainDevice& device : tree.devices) {
    listing.push_back("device");
    for (const ExplainInterface& iface : device.interfaces) {
      if (!iface.listed) continue;
      listing.push_back("interface");
      for (const ExplainPin& pin : iface.pins) {
        if (!pin.listed) continue;
        listing.push_back(kPinLabel + Hex8(pin.id) + kDataflowLabel + Hex8(pin.dataflow));
        if (!pin.RangesWritten()) continue;
        listing.push_back(std::string(kMaxChannelsLabel) + Hex8(pin.best->MaxChannels));
        listing.push_back(std::string(kMaxBitsLabel) + Hex8(pin.best->MaxBits));
        listing.push_back(std::string(kMinSampleRateLabel) + Hex8(pin.best->MinSampleRate));
        listing.push_back(std::string(kMaxSampleRateLabel) + Hex8(pin.best->MaxSampleRate));
      }
    }
  }
  return listing;
}

std::vector<std::string> ExplainFaults(const std::string& name, const ExplainRun& explained, nlohmann::json* json) {
  std::vector<std::string> faults;
  const ExplainTree& tree = explained.tree;
  if (tree.strayNotes != 0) faults.push_back(std::to_string(tree.strayNotes) + " note(s) found no item");
  std::vector<std::string> explainListing = ExplainListing(tree);
  std::vector<std::string> reportListing = ReportListing(explained.run.report);
  if (explainListing != reportListing) {
    faults.push_back("the explanation lists " + Joined(explainListing) + ", the report " + Joined(reportListing));
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
