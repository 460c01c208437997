#include "explain/explain_summary.h"

#include <map>

#include "explain/explain_reasons.h"
#include "explain/explain_words.h"

namespace ksr {

namespace {

const ExplainRequest* Last(const std::vector<ExplainRequest>& requests) {
  return requests.empty() ? nullptr : &requests.back();
}

const ExplainRequest* CutOrNull(const ExplainRequest* request) {
  return request != nullptr && request->cut ? request : nullptr;
}

ExplainLeftOut StoppedItem(const ExplainStep* stop, const std::string& unexamined) {
  ExplainLeftOut item;
  if (stop == nullptr) {
    item.gate = "not-examined";
    item.why = unexamined;
    return item;
  }
  item.gate = ExplainGateKey(stop->gate);
  item.why = std::string(ExplainGateWords(stop->gate)) + ": " + ExplainStepWhy(*stop).words;
  item.cut = CutOrNull(Last(stop->requests));
  return item;
}

}  // namespace

const ExplainRequest* ExplainDecidingRequest(const ExplainPin& pin) {
  if (const ExplainStep* stop = pin.StoppedAt()) return Last(stop->requests);
  return pin.listed ? Last(pin.rangeRequests) : nullptr;
}

std::string ExplainDeviceTitle(const ExplainDevice& device) {
  std::string title = "Device " + std::to_string(device.index + 1);
  for (const SimCall& call : device.properties) {
    if (call.a == SPDRP_DEVICEDESC && !call.failed) title += " " + ExplainShownString(call.out);
  }
  return title;
}

std::string ExplainInterfaceTitle(const ExplainInterface& iface) {
  std::string title = "interface " + std::to_string(iface.index + 1);
  for (const ExplainStep& step : iface.gates) {
    if (step.gate != ExplainGate::kFriendlyName) continue;
    for (const SimCall& call : step.calls) {
      if (!call.failed) title += " " + ExplainShownString(call.out);
    }
  }
  return title;
}

std::string ExplainNoRangeWhy(const ExplainPin& pin) {
  if (pin.rangeFetch != ExplainReason::kNone) return ExplainFetchWhy(pin).words;
  if (pin.ranges.empty()) return "data ranges: no range was looked at";
  std::map<std::string, size_t> counts;
  std::vector<std::string> order;
  bool folded = false;
  for (const ExplainRange& range : pin.ranges) {
    folded = folded || range.folded;
    if (range.pass != kPassPcm || range.folded) continue;
    std::string key = ExplainRangeWords(range, 0);
    key = key.substr(0, key.find(" ("));
    key = key.substr(0, key.find(';'));
    if (key.rfind("passed over: ", 0) == 0) key = key.substr(13);
    if (counts[key]++ == 0) order.push_back(key);
  }
  if (folded) return "data ranges: the ranges that could be used offer 0 channels";
  std::string text = "data ranges: no range is usable PCM (";
  for (size_t i = 0; i < order.size(); ++i) {
    text += (i == 0 ? "" : ", ") + std::to_string(counts[order[i]]) + " " + order[i];
  }
  return text + ")";
}

std::string ExplainCutWords(const ExplainRequest* request) {
  if (request == nullptr || !request->cut) return "";
  return "; its answer to " + ExplainPropertyName(request->property) + " (" + std::to_string(request->count) +
         " bytes) was cut from the capture and never recorded, so the machine may say otherwise";
}

std::vector<ExplainLeftOut> ExplainLeftOuts(const ExplainTree& tree) {
  std::vector<ExplainLeftOut> out;
  for (size_t d = 0; d < tree.devices.size(); ++d) {
    const ExplainDevice& device = tree.devices[d];
    for (size_t i = 0; i < device.interfaces.size(); ++i) {
      const ExplainInterface& iface = device.interfaces[i];
      if (!iface.listed) {
        ExplainLeftOut item = StoppedItem(iface.StoppedAt(), tree.storeExhausted ? "not examined: the store ran out"
                                                                                 : "not examined");
        item.device = d;
        item.iface = i;
        out.push_back(item);
        continue;
      }
      for (size_t p = 0; p < iface.pins.size(); ++p) {
        const ExplainPin& pin = iface.pins[p];
        if (pin.listed && pin.RangesWritten()) continue;
        ExplainLeftOut item;
        if (pin.listed) {
          item.listedWithoutRange = true;
          item.gate = "data-ranges";
          item.why = ExplainNoRangeWhy(pin);
          item.cut = CutOrNull(ExplainDecidingRequest(pin));
        } else {
          item = StoppedItem(pin.StoppedAt(), "not examined");
        }
        item.device = d;
        item.iface = i;
        item.pin = p;
        out.push_back(item);
      }
    }
  }
  return out;
}

std::string ExplainLeftOutLine(const ExplainTree& tree, const ExplainLeftOut& item) {
  const ExplainDevice& device = tree.devices[item.device];
  std::string line = ExplainDeviceTitle(device);
  if (item.iface) line += ", " + ExplainInterfaceTitle(device.interfaces[*item.iface]);
  if (item.pin) line += ", pin " + std::to_string(device.interfaces[*item.iface].pins[*item.pin].id);
  line += item.listedWithoutRange ? ": listed without a range: "
          : item.gate == "not-examined" ? ": left out: "
                                        : ": left out at ";
  return line + item.why + ExplainCutWords(item.cut);
}

}  // namespace ksr
