#include <cstdio>

#include "explain/explain_reasons.h"
#include "explain/explain_view.h"
#include "explain/explain_words.h"
#include "reader/report_text.h"

namespace ksr {

namespace {

enum class Style { kPlain, kHead, kGood, kBad };

// Lines of at most kExplainColumns columns: a line that would be longer
// goes on under its text, broken at spaces (or anywhere, for a word that
// fills a line by itself).
class TextOut {
 public:
  explicit TextOut(bool colour) : colour_(colour) {}

  // text at indent, with label padded to labelWidth before it.
  void Line(size_t indent, const std::string& label, size_t labelWidth, const std::string& text,
            Style style = Style::kPlain) {
    std::string first(indent, ' ');
    first += label;
    if (!text.empty() && label.size() < labelWidth) first += std::string(labelWidth - label.size(), ' ');
    if (!label.empty() && label.size() >= labelWidth && !text.empty()) first += ' ';
    size_t hang = indent + (label.empty() ? 2 : labelWidth + (label.size() >= labelWidth ? 1 : 0));
    if (hang > kExplainColumns / 2) hang = indent + 2;
    Emit(first, text, hang, style);
  }

  std::string out;

 private:
  bool colour_;

  std::string Paint(const std::string& text, Style style) const {
    if (!colour_ || style == Style::kPlain || text.empty()) return text;
    const char* code = style == Style::kHead ? "\033[1m" : style == Style::kGood ? "\033[32m" : "\033[31m";
    return code + text + "\033[0m";
  }

  void Emit(const std::string& lead, const std::string& text, size_t hang, Style style) {
    std::string line = lead;
    std::string body;
    size_t width = ExplainColumns(lead);
    size_t at = 0;
    while (at < text.size()) {
      size_t end = text.find(' ', at);
      if (end == std::string::npos) end = text.size();
      std::string word = text.substr(at, end - at);
      at = end < text.size() ? end + 1 : end;
      size_t need = ExplainColumns(word) + (body.empty() ? 0 : 1);
      if (width + need > kExplainColumns && (!body.empty() || width > hang)) {
        out += line + Paint(body, style) + "\n";
        line = std::string(hang, ' ');
        body.clear();
        width = hang;
        need = ExplainColumns(word);
      }
      // A word too long for any line is cut where the line ends.
      while (width + need > kExplainColumns) {
        size_t room = kExplainColumns - width;
        std::string head = CutColumns(word, room);
        out += line + Paint(body + head, style) + "\n";
        word = word.substr(head.size());
        line = std::string(hang, ' ');
        body.clear();
        width = hang;
        need = ExplainColumns(word);
      }
      if (!body.empty()) body += ' ';
      body += word;
      width += need;
    }
    out += line + Paint(body, style) + "\n";
  }

  // The longest start of word that takes at most columns, whole UTF-8
  // characters only.
  static std::string CutColumns(const std::string& word, size_t columns) {
    size_t at = 0;
    for (size_t taken = 0; at < word.size() && taken < columns; ++taken) {
      ++at;
      while (at < word.size() && (static_cast<unsigned char>(word[at]) & 0xC0) == 0x80) ++at;
    }
    return word.substr(0, at);
  }
};

constexpr size_t kLabel = 15;  // the width of gate and property names

const char* RecordWords(ExplainRecord record) {
  return record == ExplainRecord::kKept ? "kept" : record == ExplainRecord::kReleased ? "released" : "?";
}

std::string Opt(const std::optional<uint32_t>& v) { return v ? std::to_string(*v) : "?"; }
std::string OptGuid(const std::optional<GUID>& v) { return v ? ExplainGuidText(*v) : "(past the answer)"; }

// A range's fields as far as they lie within the answer.
std::string RangeFields(const SimBytes& answer, uint64_t offset) {
  ExplainRangeFields f = ExplainReadRange(answer, offset);
  if (!f.formatSize) return "(past the answer)";
  std::string text = "FormatSize " + std::to_string(*f.formatSize) + ", " + OptGuid(f.major) + ", " +
                     OptGuid(f.sub) + ", " + OptGuid(f.specifier);
  if (!f.maxRate) return text + ", audio fields past the answer";
  return text + ", " + Opt(f.maxChannels) + " channels, bits " + Opt(f.minBits) + "-" + Opt(f.maxBits) +
         ", " + Opt(f.minRate) + "-" + Opt(f.maxRate) + " Hz";
}

std::string BestWords(const PcmRange& r) {
  return std::to_string(r.MaxChannels) + " channels, " + std::to_string(r.MaxBits) + " bits, " +
         std::to_string(r.MinSampleRate) + "-" + std::to_string(r.MaxSampleRate) + " Hz: MaxChannels " +
         ExplainHex(r.MaxChannels) + ", MaxBits " + ExplainHex(r.MaxBits) + ", MinSampleRt " +
         ExplainHex(r.MinSampleRate) + ", MaxSampleRt " + ExplainHex(r.MaxSampleRate);
}

void Requests(TextOut* out, size_t indent, const std::vector<ExplainRequest>& requests) {
  for (const ExplainRequest& request : requests) out->Line(indent, "", 0, ExplainRequestWords(request));
}

void StepLines(TextOut* out, size_t indent, const ExplainStep& step) {
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
  out->Line(indent, ExplainGateWords(step.gate), kLabel, verdict, step.passed ? Style::kPlain : Style::kBad);
  Requests(out, indent + kLabel, step.requests);
}

void RangeLines(TextOut* out, const ExplainPin& pin) {
  const SimBytes* answer = pin.RangeAnswer();
  bool fetched = pin.rangeFetch == ExplainReason::kNone && !pin.rangeRequests.empty();
  out->Line(6, "data ranges", kLabel, fetched ? "fetched" : "no ranges: " + ExplainFetchWhy(pin).words,
            fetched ? Style::kPlain : Style::kBad);
  Requests(out, 6 + kLabel, pin.rangeRequests);
  for (const ExplainRange& range : pin.ranges) {
    std::string head = "range " + std::to_string(range.index) + " of the " +
                       (range.pass == kPassPcm ? "PCM" : "wildcard") + " pass, at byte " +
                       std::to_string(range.offset) + ": ";
    out->Line(8, "", 0, head + (answer != nullptr ? RangeFields(*answer, range.offset) : ""));
    out->Line(10, "", 0, ExplainRangeWords(range, answer != nullptr ? answer->size() : 0),
              range.folded ? Style::kGood : Style::kBad);
  }
  if (pin.RangesWritten()) {
    out->Line(6, "best range", kLabel, BestWords(*pin.best), Style::kGood);
  } else {
    out->Line(6, "best range", kLabel, "none: no range with channels was folded", Style::kBad);
  }
}

void PinLines(TextOut* out, const ExplainPin& pin) {
  std::string head = "Pin " + std::to_string(pin.id) + ": ";
  if (pin.listed) {
    head += "listed, data flow " + ExplainHexDec(pin.dataflow) + " " + ExplainDataflowName(pin.dataflow);
  } else if (const ExplainStep* stop = pin.StoppedAt()) {
    head += "stopped at " + std::string(ExplainGateWords(stop->gate)) + ": " + ExplainStepWhy(*stop).words;
  }
  out->Line(4, "", 0, head + "; record " + RecordWords(pin.record), Style::kHead);
  for (const ExplainStep& step : pin.gates) StepLines(out, 6, step);
  if (pin.listed) RangeLines(out, pin);
}

void InterfaceLines(TextOut* out, const ExplainInterface& iface) {
  std::string head = "Interface " + std::to_string(iface.index) + ": flags " + ExplainHex(iface.flags) + " (" +
                     ExplainFlagsText(iface.flags) + "); ";
  if (iface.listed) {
    head += "listed";
  } else if (const ExplainStep* stop = iface.StoppedAt()) {
    head += "stopped at " + std::string(ExplainGateWords(stop->gate)) + ": " + ExplainStepWhy(*stop).words;
  } else {
    head += "not examined";
  }
  out->Line(2, "", 0, head + "; record " + RecordWords(iface.record), Style::kHead);
  for (const ExplainStep& step : iface.gates) StepLines(out, 4, step);
  if (iface.storeWanted != 0) {
    out->Line(4, "", 0, "the store ran out: no room for " + std::to_string(iface.storeWanted) + " bytes", Style::kBad);
  }
  for (const ExplainPin& pin : iface.pins) PinLines(out, pin);
}

void DeviceLines(TextOut* out, const ExplainDevice& device) {
  std::string description;
  for (const SimCall& call : device.properties) {
    if (call.a == SPDRP_DEVICEDESC && !call.failed) description = ExplainShownString(call.out) + ", ";
  }
  out->Line(0, "", 0, "");
  out->Line(0, "", 0,
            "Device " + std::to_string(device.index) + ": " + description + "DevInst " +
                ExplainHexDec(device.devInst) + "; record " + RecordWords(device.record),
            Style::kHead);
  for (const SimCall& call : device.properties) {
    out->Line(2, ExplainDevicePropertyName(call.a), kLabel + 4,
              ExplainPropertyOutcome(call) + ExplainPropertyWords(call));
  }
  if (device.storeWanted != 0) {
    out->Line(2, "", 0, "the store ran out: no room for " + std::to_string(device.storeWanted) + " bytes", Style::kBad);
  }
  for (const ExplainInterface& iface : device.interfaces) InterfaceLines(out, iface);
  if (device.interfacesEnd) {
    out->Line(2, "", 0, "no interface at index " + std::to_string(device.interfacesEnd->a) + " (" +
                            ExplainErrorText(device.interfacesEnd->error) + "): the interfaces end");
  }
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

std::string ExplainText(const std::string& name, const ExplainTree& tree, bool colour) {
  TextOut out(colour);
  ExplainCounts counts = ExplainCount(tree);
  out.Line(0, "", 0, "Explanation of " + ReportTextShown(name), Style::kHead);
  out.Line(0, "", 0,
           std::to_string(tree.devices.size()) + " device(s) walked, " + std::to_string(counts.interfacesListed) +
               " interface(s) and " + std::to_string(counts.pinsListed) + " pin(s) listed; the store " +
               (tree.storeExhausted ? "ran out" : "held") + "; " +
               (tree.misuse.empty() ? "no misuse" : std::to_string(tree.misuse.size()) + " misuse(s)"));
  out.Line(0, "", 0, "");
  out.Line(0, "", 0,
           tree.deviceSet ? "Device set: made"
                          : "Device set: not made (" + ExplainErrorText(tree.deviceSetError) + "): no device walked",
           tree.deviceSet ? Style::kPlain : Style::kBad);
  for (const ExplainDevice& device : tree.devices) DeviceLines(&out, device);
  if (tree.storeWanted != 0) {
    out.Line(0, "", 0, "the store ran out: no room for " + std::to_string(tree.storeWanted) + " bytes", Style::kBad);
  }
  if (tree.devicesEnd) {
    out.Line(0, "", 0, "No device at index " + std::to_string(tree.devicesEnd->a) + " (" +
                           ExplainErrorText(tree.devicesEnd->error) + "): the devices end");
  }
  out.Line(0, "", 0,
           "Record tree: " + std::to_string(counts.devicesKept) + " device(s), " +
               std::to_string(counts.interfacesKept) + " interface(s) and " + std::to_string(counts.pinsKept) +
               " pin(s) kept; every other record released");
  for (const std::string& misuse : tree.misuse) out.Line(0, "misuse:", 8, misuse, Style::kBad);
  return out.out;
}

}  // namespace ksr
