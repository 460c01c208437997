#include <nlohmann/json.hpp>

#include "encoding/encoding.h"
#include "explain/explain_json.h"
#include "explain/explain_offers.h"
#include "explain/explain_reasons.h"
#include "explain/explain_summary.h"
#include "explain/explain_words.h"

namespace ksr {

namespace {

using Json = nlohmann::ordered_json;

// Answers longer than this keep their length and their first bytes only.
constexpr size_t kJsonBytes = 4096;

Json OrNull(bool has, uint64_t value) { return has ? Json(value) : Json(nullptr); }
Json OrNull(const std::string& text) { return text.empty() ? Json(nullptr) : Json(text); }
template <typename T>
Json OrNull(const std::optional<T>& value) { return value ? Json(*value) : Json(nullptr); }
Json OrNull(const std::optional<GUID>& guid) { return guid ? Json(ExplainGuidText(*guid)) : Json(nullptr); }

std::string Hex(const SimBytes& bytes) { return ExplainHexBytes(bytes, kJsonBytes); }

// A string the platform delivered, up to its first NUL, as UTF-8.
std::string Text(const SimBytes& bytes) { return EncodingUtf8(ExplainCString(bytes)); }

const char* Record(ExplainRecord record) {
  return record == ExplainRecord::kKept ? "kept" : record == ExplainRecord::kReleased ? "released" : "unknown";
}

// A request not sent names no property, pin or length (none reached the
// platform); its error is the completion event's.
Json Request(const ExplainRequest& r) {
  return Json{{"property", r.sent ? Json(ExplainPropertyName(r.property)) : Json(nullptr)},
              {"propertyId", OrNull(r.sent, r.property)},
              {"pin", OrNull(r.sent, r.pin)},
              {"outputLength", OrNull(r.sent, r.outputLength)},
              {"outcome", ExplainRequestOutcome(r)},
              {"error", OrNull(!r.sent || r.failed, r.sent ? r.error : r.eventError)},
              {"platformCount", r.platformCount},
              {"count", r.count},
              {"length", r.bytes.size()},
              {"bytes", Hex(r.bytes)},
              {"answer", ExplainRequestWords(r)},
              {"cut", r.cut}};
}

Json Requests(const std::vector<ExplainRequest>& requests) {
  Json out = Json::array();
  for (const ExplainRequest& r : requests) out.push_back(Request(r));
  return out;
}

Json Call(const SimCall& call) {
  bool text = call.op == "SetupDiGetDeviceInterfaceDetailA" || call.op == "RegQueryValueExA";
  return Json{{"op", call.op},
              {"failed", call.failed},
              {"error", OrNull(call.failed, call.error)},
              {"value", call.value},
              {"text", text ? Json(Text(call.out)) : Json(nullptr)}};
}

Json Step(const ExplainStep& step) {
  Json calls = Json::array();
  for (const SimCall& call : step.calls) calls.push_back(Call(call));
  ExplainWhyText why = ExplainStepWhy(step);
  return Json{{"gate", ExplainGateKey(step.gate)},
              {"passed", step.passed},
              {"reason", OrNull(why.key)},
              {"why", OrNull(why.words)},
              {"calls", calls},
              {"requests", Requests(step.requests)}};
}

Json Steps(const std::vector<ExplainStep>& steps) {
  Json out = Json::array();
  for (const ExplainStep& step : steps) out.push_back(Step(step));
  return out;
}

// Where an item stopped: the gate that failed, its reason and words.
void Stop(Json* item, const ExplainStep* stop) {
  ExplainWhyText why = stop ? ExplainStepWhy(*stop) : ExplainWhyText();
  (*item)["stoppedAt"] = stop ? Json(ExplainGateKey(stop->gate)) : Json(nullptr);
  (*item)["reason"] = stop ? Json(why.key) : Json(nullptr);
  (*item)["why"] = stop ? Json(why.words) : Json(nullptr);
}

// The item the range's bytes hold, as the explanation reads it.
Json Item(const ExplainItem& item) {
  Json attributes = Json::array();
  for (const ExplainAttribute& a : item.attributes) {
    attributes.push_back(Json{{"size", a.size}, {"flags", a.flags}, {"attribute", ExplainGuidText(a.id)},
                              {"mode", OrNull(a.mode)}});
  }
  bool list = item.kind == ExplainItemKind::kAttributes;
  return Json{{"kind", ExplainItemKindKey(item.kind)},
              {"words", ExplainItemWords(item)},
              {"offBoundary", ExplainItemOffBoundary(item)},
              {"flags", list ? Json(nullptr) : OrNull(item.flags)},
              {"sampleSize", list ? Json(nullptr) : OrNull(item.sampleSize)},
              {"technology", OrNull(item.technology)},
              {"channels", OrNull(item.channels)},
              {"notes", OrNull(item.notes)},
              {"channelMask", OrNull(item.channelMask)},
              {"listSize", OrNull(item.listSize)},
              {"listCount", OrNull(item.listCount)},
              {"attributes", attributes}};
}

Json Range(const ExplainRange& range, const SimBytes* answer) {
  ExplainRangeFields f = answer != nullptr ? ExplainReadRange(*answer, range.offset) : ExplainRangeFields();
  Json fields{{"formatSize", OrNull(f.formatSize)}, {"major", OrNull(f.major)},
              {"sub", OrNull(f.sub)},               {"specifier", OrNull(f.specifier)},
              {"maxChannels", OrNull(f.maxChannels)}, {"minBits", OrNull(f.minBits)},
              {"maxBits", OrNull(f.maxBits)},       {"minSampleRate", OrNull(f.minRate)},
              {"maxSampleRate", OrNull(f.maxRate)}};
  return Json{{"pass", range.pass == kPassPcm ? "pcm" : "wildcard"},
              {"index", range.index},
              {"offset", range.offset},
              {"verdict", range.folded ? "folded" : "passed-over"},
              {"reason", ExplainRangeKey(range)},
              {"merge", range.folded ? Json(ExplainMergeKey(range.merge)) : Json(nullptr)},
              {"endsPass", range.endsPass},
              {"formatSizeZero", range.formatSizeZero},
              {"why", ExplainRangeWords(range, answer != nullptr ? answer->size() : 0)},
              {"fields", fields}};
}

Json Pin(const ExplainPin& pin) {
  Json item{{"id", pin.id}, {"listed", pin.listed}, {"dataflow", OrNull(pin.listed, pin.dataflow)}};
  Stop(&item, pin.StoppedAt());
  item["gates"] = Steps(pin.gates);
  item["rangeRequests"] = Requests(pin.rangeRequests);
  ExplainWhyText fetch = ExplainFetchWhy(pin);
  item["rangeFetch"] = pin.rangeFetch == ExplainReason::kNone ? Json(nullptr)
                                                              : Json{{"reason", fetch.key}, {"why", fetch.words}};
  Json ranges = Json::array();
  std::vector<ExplainItem> items = ExplainPinItems(pin);
  for (size_t i = 0; i < pin.ranges.size(); ++i) {
    ranges.push_back(Range(pin.ranges[i], pin.RangeAnswer()));
    ranges.back()["item"] = Item(items[i]);
  }
  item["ranges"] = ranges;
  item["best"] = pin.RangesWritten() ? Json{{"maxChannels", pin.best->MaxChannels},
                                            {"maxBits", pin.best->MaxBits},
                                            {"minSampleRate", pin.best->MinSampleRate},
                                            {"maxSampleRate", pin.best->MaxSampleRate}}
                                     : Json(nullptr);
  item["record"] = Record(pin.record);
  item["offers"] = pin.listed ? ExplainPinOffers(pin) : std::vector<std::string>();
  return item;
}

Json Interface(const ExplainInterface& iface) {
  Json item{{"index", iface.index}, {"flags", iface.flags}, {"listed", iface.listed}};
  Stop(&item, iface.StoppedAt());
  item["gates"] = Steps(iface.gates);
  item["pinCount"] = OrNull(iface.pinCount);
  Json pins = Json::array();
  for (const ExplainPin& pin : iface.pins) pins.push_back(Pin(pin));
  item["pins"] = pins;
  item["storeWanted"] = OrNull(iface.storeWanted != 0, iface.storeWanted);
  item["record"] = Record(iface.record);
  return item;
}

Json End(const std::optional<SimCall>& call) {
  return call ? Json{{"index", call->a}, {"error", call->error}} : Json(nullptr);
}

Json Device(const ExplainDevice& device) {
  Json properties = Json::array();
  for (const SimCall& call : device.properties) {
    properties.push_back(Json{{"property", ExplainDevicePropertyName(call.a)},
                              {"id", call.a},
                              {"outcome", ExplainPropertyOutcome(call)},
                              {"error", OrNull(call.failed, call.error)},
                              {"size", call.value},
                              {"bytes", Hex(call.out)},
                              {"text", call.failed ? Json(nullptr) : Json(Text(call.out))}});
  }
  Json interfaces = Json::array();
  for (const ExplainInterface& iface : device.interfaces) interfaces.push_back(Interface(iface));
  return Json{{"index", device.index},
              {"devInst", device.devInst},
              {"properties", properties},
              {"interfaces", interfaces},
              {"interfacesEnd", End(device.interfacesEnd)},
              {"storeWanted", OrNull(device.storeWanted != 0, device.storeWanted)},
              {"record", Record(device.record)}};
}

// What the report left out, as the text's summary says it; places from 0
// as in "devices", "interfaces" and "pins".
Json LeftOut(const ExplainTree& tree) {
  Json out = Json::array();
  for (const ExplainLeftOut& item : ExplainLeftOuts(tree)) {
    out.push_back(Json{{"device", item.device},
                       {"interface", OrNull(item.iface)},
                       {"pin", OrNull(item.pin)},
                       {"listed", item.listedWithoutRange},
                       {"gate", item.gate},
                       {"why", item.why},
                       {"cut", item.cut != nullptr ? Json(ExplainPropertyName(item.cut->property)) : Json(nullptr)},
                       {"line", ExplainLeftOutLine(tree, item)}});
  }
  return out;
}

}  // namespace

std::string ExplainJson(const std::string& name, const ExplainTree& tree) {
  ExplainCounts counts = ExplainCount(tree);
  Json devices = Json::array();
  for (const ExplainDevice& device : tree.devices) devices.push_back(Device(device));
  Json out{{"format", "ksreport-explain/1"},
           {"machine", EncodingUtf8(name)},
           {"summary", Json{{"devices", tree.devices.size()},
                            {"interfacesListed", counts.interfacesListed},
                            {"pinsListed", counts.pinsListed},
                            {"devicesKept", counts.devicesKept},
                            {"interfacesKept", counts.interfacesKept},
                            {"pinsKept", counts.pinsKept},
                            {"storeExhausted", tree.storeExhausted},
                            {"misuse", tree.misuse.size()}}},
           {"deviceSet", Json{{"made", tree.deviceSet}, {"error", OrNull(!tree.deviceSet, tree.deviceSetError)}}},
           {"devices", devices},
           {"devicesEnd", End(tree.devicesEnd)},
           {"storeWanted", OrNull(tree.storeWanted != 0, tree.storeWanted)},
           {"misuse", tree.misuse},
           {"leftOut", LeftOut(tree)}};
  return out.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace ksr
