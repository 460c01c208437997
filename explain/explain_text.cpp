#include <cstdio>

#include "encoding/encoding.h"
#include "explain/explain_offers.h"
#include "explain/explain_reasons.h"
#include "explain/explain_summary.h"
#include "explain/explain_text_out.h"
#include "explain/explain_words.h"

namespace ksr {

namespace {

using Style = ExplainStyle;
constexpr size_t kLabel = 15;  // the width of gate and property names

// The text being written, and whether it is the full one (every request
// and answer, and the records) or the default (verdicts and the answers
// that decided them).
struct Writer {
  ExplainTextOut* out;
  bool full;
};

std::string RecordWords(const Writer& w, ExplainRecord record) {
  if (!w.full) return "";
  return std::string("; record ") +
         (record == ExplainRecord::kKept ? "kept" : record == ExplainRecord::kReleased ? "released" : "?");
}

std::string BestWords(const PcmRange& r) {
  return std::to_string(r.MaxChannels) + " channels, " + std::to_string(r.MaxBits) + " bits, " +
         std::to_string(r.MinSampleRate) + "-" + std::to_string(r.MaxSampleRate) + " Hz: MaxChannels " +
         ExplainHex(r.MaxChannels) + ", MaxBits " + ExplainHex(r.MaxBits) + ", MinSampleRt " +
         ExplainHex(r.MinSampleRate) + ", MaxSampleRt " + ExplainHex(r.MaxSampleRate);
}

void Requests(const Writer& w, size_t indent, const std::vector<ExplainRequest>& requests) {
  for (const ExplainRequest& request : requests) {
    std::string words = ExplainRequestWords(request);
    if (request.cut) words += " (cut from the capture: these bytes were never recorded)";
    w.out->Line(indent, "", 0, words, request.cut ? Style::kBad : Style::kPlain);
  }
}

// The answers that decided, for the default text: all but the size
// queries refused for size on the way to them.
std::vector<ExplainRequest> Deciding(const std::vector<ExplainRequest>& requests) {
  std::vector<ExplainRequest> deciding;
  for (const ExplainRequest& request : requests) {
    if (std::string(ExplainRequestOutcome(request)) != "refused-for-size") deciding.push_back(request);
  }
  if (deciding.empty() && !requests.empty()) deciding.push_back(requests.back());
  return deciding;
}

void StepLines(const Writer& w, size_t indent, const ExplainStep& step) {
  std::string verdict = step.passed ? "passed" : "failed: " + ExplainStepWhy(step).words;
  for (const SimCall& call : step.calls) {
    if (step.passed && call.op == "SetupDiGetDeviceInterfaceDetailA") verdict += ": " + ExplainShownString(call.out);
    if (step.passed && call.op == "SetupDiGetDeviceInterfaceAlias") verdict += ": flags " + ExplainFlagsText(call.value);
    if (step.gate == ExplainGate::kFriendlyName) {
      verdict = std::string(call.failed ? "not delivered (" + ExplainErrorText(call.error) + "): " : "read: ") +
                ExplainShownString(call.out);
    }
  }
  if (step.gate == ExplainGate::kFriendlyName && step.calls.empty()) verdict = "not read";
  if (step.gate == ExplainGate::kPinCount && step.passed) verdict += ": " + ExplainHexDec(static_cast<uint32_t>(step.value));
  w.out->Line(indent, ExplainGateWords(step.gate), kLabel, verdict, step.passed ? Style::kPlain : Style::kBad);
  Requests(w, indent + kLabel, step.requests);
}

// One range as the walk looked at it: the item its bytes hold, whether it
// was read off the 8-byte boundary, and the run's verdict.
void ItemLines(const Writer& w, const ExplainRange& range, const ExplainItem& item, const SimBytes& answer) {
  std::string head = "range " + std::to_string(range.index) + " of the " +
                     (range.pass == kPassPcm ? "PCM" : "wildcard") + " pass, at byte " + std::to_string(range.offset) +
                     ": ";
  w.out->Line(8, "", 0, head + ExplainItemWords(item));
  std::string asAudio = w.full ? ExplainItemAsAudioWords(item, answer) : "";
  if (!asAudio.empty()) w.out->Line(10, "", 0, asAudio);
  if (uint64_t off = ExplainItemOffBoundary(item)) {
    w.out->Line(10, "", 0,
                "read " + std::to_string(off) + " byte(s) short of byte " + std::to_string(item.placed) +
                    ", where the platform places it: a FormatSize before it is not a multiple of 8, and the walk "
                    "steps by FormatSize",
                Style::kBad);
  }
  w.out->Line(10, "", 0, ExplainRangeWords(range, answer.size()), range.folded ? Style::kGood : Style::kBad);
}

void ItemsLines(const Writer& w, const ExplainPin& pin, bool pcmPassOnly) {
  static const SimBytes kNone;
  const SimBytes* answer = pin.RangeAnswer();
  std::vector<ExplainItem> items = ExplainPinItems(pin);
  for (size_t i = 0; i < pin.ranges.size(); ++i) {
    if (pcmPassOnly && pin.ranges[i].pass != kPassPcm) break;
    ItemLines(w, pin.ranges[i], items[i], answer != nullptr ? *answer : kNone);
  }
}

// The default shows no items of a pin with a range; the first read off
// its boundary is still said, since every item after it is read so.
void OffBoundaryLine(const Writer& w, const ExplainPin& pin) {
  for (const ExplainItem& item : ExplainPinItems(pin)) {
    if (uint64_t off = ExplainItemOffBoundary(item)) {
      w.out->Line(6, "", 0,
                  "the ranges from byte " + std::to_string(item.offset) + " on were read off their 8-byte " +
                      "boundary (the first " + std::to_string(off) + " byte(s) short of byte " +
                      std::to_string(item.placed) + ", where the platform places it): a FormatSize before " +
                      "them is not a multiple of 8, and the walk steps by FormatSize",
                  Style::kBad);
      return;
    }
  }
}

void OfferLines(const Writer& w, const ExplainPin& pin) {
  std::vector<std::string> offers = ExplainPinOffers(pin);
  for (size_t i = 0; i < offers.size(); ++i) w.out->Line(6, i == 0 ? "offers" : "", kLabel, offers[i]);
}

void BestLine(const Writer& w, const ExplainPin& pin) {
  if (pin.RangesWritten()) {
    w.out->Line(6, "best range", kLabel, BestWords(*pin.best), Style::kGood);
  } else {
    w.out->Line(6, "best range", kLabel, "none: " + ExplainNoRangeWhy(pin), Style::kBad);
  }
}

void RangeLines(const Writer& w, const ExplainPin& pin) {
  bool fetched = pin.rangeFetch == ExplainReason::kNone && !pin.rangeRequests.empty();
  if (w.full || !fetched) {
    w.out->Line(6, "data ranges", kLabel, fetched ? "fetched" : "no ranges: " + ExplainFetchWhy(pin).words,
                fetched ? Style::kPlain : Style::kBad);
    Requests(w, 6 + kLabel, w.full ? pin.rangeRequests : Deciding(pin.rangeRequests));
  }
  if (w.full) {
    ItemsLines(w, pin, false);
  } else if (!pin.RangesWritten()) {
    ItemsLines(w, pin, true);
  } else {
    OffBoundaryLine(w, pin);
  }
  BestLine(w, pin);
  OfferLines(w, pin);
}

std::string PinVerdict(const ExplainPin& pin) {
  if (pin.listed) {
    std::string words = "listed, data flow " + ExplainHexDec(pin.dataflow) + " " + ExplainDataflowName(pin.dataflow);
    if (!pin.RangesWritten()) words += ", without a range";
    return words + ExplainCutWords(ExplainDecidingRequest(pin));
  }
  if (const ExplainStep* stop = pin.StoppedAt()) {
    return "left out at " + std::string(ExplainGateWords(stop->gate)) + ": " + ExplainStepWhy(*stop).words +
           ExplainCutWords(ExplainDecidingRequest(pin));
  }
  return "left out: not examined";
}

void PinLines(const Writer& w, const ExplainPin& pin) {
  w.out->Line(4, "", 0, "Pin " + std::to_string(pin.id) + ": " + PinVerdict(pin) + RecordWords(w, pin.record),
              Style::kHead);
  if (w.full) {
    for (const ExplainStep& step : pin.gates) StepLines(w, 6, step);
  } else if (const ExplainStep* stop = pin.StoppedAt()) {
    Requests(w, 6, Deciding(stop->requests));
  }
  if (pin.listed) RangeLines(w, pin);
}

std::string InterfaceVerdict(const Writer& w, const ExplainInterface& iface) {
  std::string words = w.full ? "flags " + ExplainHex(iface.flags) + " (" + ExplainFlagsText(iface.flags) + "); " : "";
  if (iface.listed) return words + "listed";
  if (const ExplainStep* stop = iface.StoppedAt()) {
    return words + "left out at " + ExplainGateWords(stop->gate) + ": " + ExplainStepWhy(*stop).words;
  }
  return words + "left out: not examined";
}

void InterfaceLines(const Writer& w, const ExplainInterface& iface) {
  std::string title = ExplainInterfaceTitle(iface);
  title[0] = 'I';
  w.out->Line(2, "", 0, title + ": " + InterfaceVerdict(w, iface) + RecordWords(w, iface.record), Style::kHead);
  for (const ExplainStep& step : iface.gates) {
    if (w.full || (step.gate == ExplainGate::kPinCount && !step.passed)) StepLines(w, 4, step);
  }
  if (iface.storeWanted != 0) {
    w.out->Line(4, "", 0, "the store ran out: no room for " + std::to_string(iface.storeWanted) + " bytes", Style::kBad);
  }
  for (const ExplainPin& pin : iface.pins) PinLines(w, pin);
}

void DeviceLines(const Writer& w, const ExplainDevice& device) {
  w.out->Line(0, "", 0, "");
  std::string head = ExplainDeviceTitle(device);
  if (w.full) head += ": DevInst " + ExplainHexDec(device.devInst) + RecordWords(w, device.record);
  w.out->Line(0, "", 0, head, Style::kHead);
  if (w.full) {
    for (const SimCall& call : device.properties) {
      w.out->Line(2, ExplainDevicePropertyName(call.a), kLabel + 4,
                  ExplainPropertyOutcome(call) + ExplainPropertyWords(call));
    }
  }
  if (device.storeWanted != 0) {
    w.out->Line(2, "", 0, "the store ran out: no room for " + std::to_string(device.storeWanted) + " bytes",
                Style::kBad);
  }
  for (const ExplainInterface& iface : device.interfaces) InterfaceLines(w, iface);
  if (w.full && device.interfacesEnd) {
    w.out->Line(2, "", 0, "no interface at index " + std::to_string(device.interfacesEnd->a) + " (" +
                              ExplainErrorText(device.interfacesEnd->error) + "): the interfaces end");
  }
}

void SummaryLines(const Writer& w, const std::vector<ExplainLeftOut>& items, const ExplainTree& tree) {
  for (const ExplainLeftOut& item : items) w.out->Line(2, "", 0, ExplainLeftOutLine(tree, item), Style::kBad);
}

// What was walked and listed; then what was left out, first. The default
// says it in as few lines as it can.
void Heading(const Writer& w, const std::string& name, const ExplainTree& tree) {
  ExplainCounts counts = ExplainCount(tree);
  std::vector<ExplainLeftOut> items = ExplainLeftOuts(tree);
  w.out->Line(0, "", 0, "Explanation of " + EncodingShown(name), Style::kHead);
  std::string walked = std::to_string(tree.devices.size()) + " device(s) walked, " +
                       std::to_string(counts.interfacesListed) + " interface(s) and " +
                       std::to_string(counts.pinsListed) + " pin(s) listed";
  std::string misuse = tree.misuse.empty() ? "no misuse" : std::to_string(tree.misuse.size()) + " misuse(s)";
  std::string leftOut = items.empty() ? "nothing left out"
                                      : std::to_string(items.size()) + " left out, or listed without a range:";
  if (w.full) {
    w.out->Line(0, "", 0, walked + "; the store " + (tree.storeExhausted ? "ran out" : "held") + "; " + misuse);
    w.out->Line(0, "", 0, "");
    w.out->Line(0, "", 0, "Summary: " + leftOut, items.empty() ? Style::kPlain : Style::kHead);
  } else {
    if (!tree.deviceSet) walked = "no device walked: the device set was not made (" +
                                  ExplainErrorText(tree.deviceSetError) + ")";
    std::string also = tree.storeExhausted ? "; the store ran out" : "";
    if (!tree.misuse.empty()) also += "; " + misuse;
    w.out->Line(0, "", 0, walked + also + "; " + leftOut, items.empty() ? Style::kPlain : Style::kHead);
  }
  SummaryLines(w, items, tree);
}

}  // namespace

size_t ExplainColumns(const std::string& line) {
  size_t columns = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\033') {
      while (i < line.size() && line[i] != 'm') ++i;
      continue;
    }
    if ((static_cast<unsigned char>(line[i]) & 0xC0) != 0x80) ++columns;
  }
  return columns;
}

std::string ExplainText(const std::string& name, const ExplainTree& tree, bool colour, bool full) {
  ExplainTextOut out(colour);
  Writer w{&out, full};
  Heading(w, name, tree);
  if (full) {
    out.Line(0, "", 0, "");
    out.Line(0, "", 0,
             tree.deviceSet ? "Device set: made"
                            : "Device set: not made (" + ExplainErrorText(tree.deviceSetError) + "): no device walked",
             tree.deviceSet ? Style::kPlain : Style::kBad);
  }
  for (const ExplainDevice& device : tree.devices) DeviceLines(w, device);
  if (tree.storeWanted != 0) {
    out.Line(0, "", 0, "the store ran out: no room for " + std::to_string(tree.storeWanted) + " bytes", Style::kBad);
  }
  if (full && tree.devicesEnd) {
    out.Line(0, "", 0, "No device at index " + std::to_string(tree.devicesEnd->a) + " (" +
                           ExplainErrorText(tree.devicesEnd->error) + "): the devices end");
  }
  if (full) {
    ExplainCounts counts = ExplainCount(tree);
    out.Line(0, "", 0,
             "Record tree: " + std::to_string(counts.devicesKept) + " device(s), " +
                 std::to_string(counts.interfacesKept) + " interface(s) and " + std::to_string(counts.pinsKept) +
                 " pin(s) kept; every other record released");
  }
  for (const std::string& misuse : tree.misuse) out.Line(0, "misuse:", 8, misuse, Style::kBad);
  return out.out;
}

}  // namespace ksr
