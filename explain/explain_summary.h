// What the report left out, first: each interface and pin the report does
// not list, and each pin it lists without a usable range, with the gate
// and the reason in words. Devices always have their block in the report.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "explain/explain_tree.h"

namespace ksr {

struct ExplainLeftOut {
  size_t device = 0;              // place in the tree's devices
  std::optional<size_t> iface;    // place in the device's interfaces
  std::optional<size_t> pin;      // place in the interface's pins
  bool listedWithoutRange = false;
  std::string gate;               // a stable key: "mediums", "data-ranges", "not-examined", ...
  std::string why;                // the gate and the reason in words
  const ExplainRequest* cut = nullptr;  // the deciding answer, cut from the capture
};

std::vector<ExplainLeftOut> ExplainLeftOuts(const ExplainTree& tree);

// The request whose answer decided a pin's verdict: the last of the gate it
// stopped at, or the range list's; null when none was sent.
const ExplainRequest* ExplainDecidingRequest(const ExplainPin& pin);

// "Device 1 "Test Audio"", "interface 2 "Speakers"": numbered from 1, as
// the report's reader numbers devices.
std::string ExplainDeviceTitle(const ExplainDevice& device);
std::string ExplainInterfaceTitle(const ExplainInterface& iface);

// A line of the summary: where, and why.
std::string ExplainLeftOutLine(const ExplainTree& tree, const ExplainLeftOut& item);

// Why a listed pin has no usable range, in words ("data ranges: Count is
// 0", "no range is usable: 2 not audio"); and what to add when its
// deciding answer was cut from the capture (empty when not).
std::string ExplainNoRangeWhy(const ExplainPin& pin);
std::string ExplainCutWords(const ExplainRequest* request);

}  // namespace ksr
