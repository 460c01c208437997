#include "explain/explain_reasons.h"

#include "encoding/encoding.h"
#include "explain/explain_words.h"
#include "kstream/kstream.h"

namespace ksr {

namespace {

uint32_t Load(const SimBytes& bytes, size_t at) { return at + 4 <= bytes.size() ? WireLoadU32(bytes.data() + at) : 0; }

// An identifier list: its Count and its whole entries, the first eight.
std::string IdentifierList(const SimBytes& bytes) {
  uint32_t count = Load(bytes, 4);
  std::string text = "Count " + std::to_string(count);
  size_t shown = 0;
  for (size_t at = kKsItemsOffset; at + kIdentifierSize <= bytes.size() && shown < count;
       at += kIdentifierSize, ++shown) {
    if (shown == 8) return text + ", ...";
    text += (shown == 0 ? ": " : ", ") + ExplainGuidText(bytes.data() + at) + " Id " +
            std::to_string(Load(bytes, at + kIdentifierIdAt));
  }
  if (shown < count) text += " (" + std::to_string(shown) + " whole in the answer)";
  return text;
}

// The first 16 bytes, and "..." when there are more.
std::string HexBytes(const SimBytes& bytes) { return ExplainHexBytes(bytes, 16) + (bytes.size() > 16 ? "..." : ""); }

// The meaningful fields of an answer the walk could read.
std::string AnswerFields(uint32_t property, const SimBytes& bytes) {
  uint32_t first = Load(bytes, 0);
  bool u32 = bytes.size() == 4;
  if (u32 && property == KSPROPERTY_PIN_CTYPES) return ExplainHexDec(first) + " pin types";
  if (u32 && property == KSPROPERTY_PIN_COMMUNICATION) return ExplainHexDec(first) + " " + ExplainCommunicationName(first);
  if (u32 && property == KSPROPERTY_PIN_DATAFLOW) return ExplainHexDec(first) + " " + ExplainDataflowName(first);
  bool list = bytes.size() >= 8;
  if (bytes.size() == 8 && (property == KSPROPERTY_PIN_CINSTANCES || property == KSPROPERTY_PIN_GLOBALCINSTANCES)) {
    return "possible " + std::to_string(first) + ", current " + std::to_string(Load(bytes, 4));
  }
  if (list && (property == KSPROPERTY_PIN_INTERFACES || property == KSPROPERTY_PIN_MEDIUMS)) return IdentifierList(bytes);
  if (list && property == KSPROPERTY_PIN_DATARANGES) return "Size " + std::to_string(first) + ", Count " + std::to_string(Load(bytes, 4));
  return bytes.empty() ? "nothing" : "bytes " + HexBytes(bytes);
}

// Why a request gave the walk no usable answer.
ExplainWhyText RequestFault(const ExplainRequest* request) {
  if (request == nullptr) return {"no-request", "no request was sent"};
  if (!request->sent) {
    return {"request-not-sent", "request not sent: no completion event (" + ExplainErrorText(request->eventError) + ")"};
  }
  if (request->pending) return {"answer-pending", "answer pending, cancelled"};
  if (request->failed && request->error != ERROR_MORE_DATA) {
    return {"answer-absent", "answer absent (" + ExplainErrorText(request->error) + ")"};
  }
  return {"answer-length",
          "answered " + std::to_string(request->count) + " bytes, not " + std::to_string(request->outputLength)};
}

const ExplainRequest* LastRequest(const std::vector<ExplainRequest>& requests) {
  return requests.empty() ? nullptr : &requests.back();
}

// Why a list fetch failed, for the list named.
bool FetchFault(ExplainReason reason, const std::string& list, uint64_t value,
                const std::vector<ExplainRequest>& requests, ExplainWhyText* why) {
  switch (reason) {
    case ExplainReason::kNoSize:
      *why = {"size-query-empty", list + ": size query gave nothing (" + RequestFault(LastRequest(requests)).words + ")"};
      return true;
    case ExplainReason::kNoBuffer:
      *why = {"no-buffer", list + ": no buffer of " + std::to_string(value) + " bytes could be had"};
      return true;
    case ExplainReason::kNothingDelivered:
      *why = {"data-query-empty", list + ": data query gave nothing (" + RequestFault(LastRequest(requests)).words + ")"};
      return true;
    case ExplainReason::kHeaderPastAnswer:
      *why = {"header-past-answer", list + ": answer shorter than its 8-byte header"};
      return true;
    case ExplainReason::kCountZero:
      *why = {"count-zero", list + ": Count is 0"};
      return true;
    default: return false;
  }
}

// A delivered property's value: a number, the strings of a list, or one
// string.
std::string PropertyValue(const SimCall& call) {
  if (call.a == SPDRP_BUSNUMBER) {
    return call.out.size() == 4 ? ExplainHexDec(Load(call.out, 0)) : "bytes " + HexBytes(call.out);
  }
  if (call.a != SPDRP_HARDWAREID) return ExplainShownString(call.out);
  // A list of strings, each ended by a NUL, the list by another; the
  // report shows the first.
  std::string words;
  size_t at = 0;
  while (at < call.out.size() && call.out[at] != 0) {
    SimBytes one(call.out.begin() + static_cast<std::ptrdiff_t>(at), call.out.end());
    words += (words.empty() ? "" : ", ") + ExplainShownString(one);
    while (at < call.out.size() && call.out[at] != 0) ++at;
    ++at;
  }
  return words.empty() ? "\"\"" : words;
}

}  // namespace

ExplainWhyText ExplainStepWhy(const ExplainStep& step) {
  const SimCall* call = step.calls.empty() ? nullptr : &step.calls.back();
  std::string error = call != nullptr && call->failed ? " (" + ExplainErrorText(call->error) + ")" : "";
  std::string alias = step.gate == ExplainGate::kRenderAlias ? "render" : "capture";
  uint64_t value = step.whys.empty() ? 0 : step.whys.back().value;
  std::string list = step.gate == ExplainGate::kMediums ? "mediums list" : "interfaces list";
  ExplainWhyText why;
  if (FetchFault(step.reason, list, value, step.requests, &why)) return why;
  switch (step.reason) {
    case ExplainReason::kFlagsUnusable:
      return {"flags-unusable", "flags " + ExplainFlagsText(static_cast<uint32_t>(step.value)) + " not usable"};
    case ExplainReason::kNoPath: return {"no-path", "device path not delivered" + error};
    case ExplainReason::kNoRoom: return {"no-room", "no room in the store for the detail block"};
    case ExplainReason::kNoAlias: return {"no-" + alias + "-alias", "no " + alias + " alias" + error};
    case ExplainReason::kAliasFlagsUnusable:
      return {alias + "-alias-unusable",
              alias + " alias flags " + ExplainFlagsText(call != nullptr ? call->value : 0) + " not usable"};
    case ExplainReason::kNotOpened: return {"filter-not-opened", "filter can't be opened" + error};
    case ExplainReason::kNoKey: return {"key-not-opened", "registry key can't be opened" + error};
    case ExplainReason::kAnswerLength:
      why = RequestFault(LastRequest(step.requests));
      if (step.gate == ExplainGate::kInstances) why.words = "neither instance count answered 8 bytes: " + why.words;
      return why;
    case ExplainReason::kNoConnection:
      return {"no-connection", "communication is " + ExplainCommunicationWords(static_cast<uint32_t>(value))};
    case ExplainReason::kNoDataflow:
      return {"no-dataflow", "data flow " + ExplainHex(static_cast<uint32_t>(value)) + " is neither in nor out"};
    case ExplainReason::kNoStandardEntry:
      if (step.gate == ExplainGate::kMediums) return {"no-standard-medium", "mediums list holds no standard medium"};
      return {"no-standard-interface", "interfaces list holds no standard streaming interface"};
    default: return why;
  }
}

ExplainWhyText ExplainFetchWhy(const ExplainPin& pin) {
  ExplainWhyText why;
  uint64_t value = pin.rangeWhys.empty() ? 0 : pin.rangeWhys.back().value;
  FetchFault(pin.rangeFetch, "data ranges", value, pin.rangeRequests, &why);
  return why;
}

ExplainRangeFields ExplainReadRange(const SimBytes& answer, uint64_t offset) {
  ExplainRangeFields fields;
  auto u32 = [&](uint64_t at, std::optional<uint32_t>* out) {
    if (offset + at + 4 <= answer.size()) *out = WireLoadU32(answer.data() + offset + at);
  };
  auto guid = [&](uint64_t at, std::optional<GUID>* out) {
    if (offset + at + 16 <= answer.size()) *out = GuidFromBytes(answer.data() + offset + at);
  };
  u32(kFormatSizeAt, &fields.formatSize);
  guid(kMajorFormatAt, &fields.major);
  guid(kSubFormatAt, &fields.sub);
  guid(kSpecifierAt, &fields.specifier);
  u32(kMaxChannelsAt, &fields.maxChannels);
  u32(kMinBitsAt, &fields.minBits);
  u32(kMaxBitsAt, &fields.maxBits);
  u32(kMinRateAt, &fields.minRate);
  u32(kMaxRateAt, &fields.maxRate);
  return fields;
}

std::string ExplainRangeKey(const ExplainRange& range) {
  if (range.folded) return "folded";
  switch (range.reason) {
    case ExplainReason::kNotAudio: return "not-audio";
    case ExplainReason::kNotPcm: return "not-pcm";
    case ExplainReason::kNotWildcard: return "not-wildcard";
    case ExplainReason::kOtherSpecifier: return "other-specifier";
    case ExplainReason::kFewBits: return "fewer-than-16-bits";
    case ExplainReason::kPastAnswer: return "past-the-answer";
    default: return "unknown";
  }
}

std::string ExplainRangeWords(const ExplainRange& range, size_t answerLength) {
  const char* pass = range.pass == kPassPcm ? "PCM pass" : "wildcard pass";
  std::string words;
  if (range.folded) {
    words = std::string("folded in the ") + pass + ": " +
            (range.merge == Note::kMergeReplaced  ? "it became the best range"
             : range.merge == Note::kMergeWidened ? "it widened the best range's rates"
                                                  : "fewer channels or bits than the best: no change");
  } else {
    switch (range.reason) {
      case ExplainReason::kNotAudio: words = "passed over: not audio"; break;
      case ExplainReason::kNotPcm: words = "passed over: not PCM"; break;
      case ExplainReason::kNotWildcard: words = "passed over: not the wildcard subtype"; break;
      case ExplainReason::kOtherSpecifier: words = "passed over: another specifier"; break;
      case ExplainReason::kFewBits: words = "passed over: fewer than 16 bits"; break;
      case ExplainReason::kPastAnswer:
        words = "passed over: past the answer (needs bytes up to " + std::to_string(range.pastEnd) +
                ", the answer holds " + std::to_string(answerLength) + ")";
        break;
      default: words = "passed over"; break;
    }
  }
  if (range.formatSizeZero) words += "; FormatSize 0 ended the " + std::string(pass);
  else if (range.endsPass) words += "; the " + std::string(pass) + " ends here";
  return words;
}

const char* ExplainMergeKey(Note merge) {
  return merge == Note::kMergeReplaced ? "replaced" : merge == Note::kMergeWidened ? "widened" : "smaller";
}

const char* ExplainRequestOutcome(const ExplainRequest& request) {
  if (!request.sent) return "not-sent";
  if (request.pending) return "pending";
  if (!request.failed) return "delivered";
  return request.error == ERROR_MORE_DATA ? "refused-for-size" : "failed";
}

std::string ExplainRequestWords(const ExplainRequest& request) {
  if (!request.sent) return "not sent: no completion event (" + ExplainErrorText(request.eventError) + ")";
  std::string head = ExplainPropertyName(request.property) + ", out " + std::to_string(request.outputLength) + ": ";
  if (request.pending) {
    return head + "reported pending; cancelled" + (request.cancelRefused ? " (the cancel was refused)" : "") +
           " and waited for; counts as absent";
  }
  if (request.failed && request.error == ERROR_MORE_DATA) {
    return head + "refused for size, needs " + std::to_string(request.count) + " bytes";
  }
  if (request.failed) {
    return head + "failed (" + ExplainErrorText(request.error) + "), count " + std::to_string(request.count);
  }
  std::string words = head + std::to_string(request.count) + " bytes: " + AnswerFields(request.property, request.bytes);
  if (request.bytes.size() != request.count) words += " (" + std::to_string(request.bytes.size()) + " readable)";
  return words;
}

const char* ExplainPropertyOutcome(const SimCall& call) {
  if (call.failed) return "refused";
  bool empty = call.a == SPDRP_BUSNUMBER ? call.out.empty() : call.out.empty() || call.out[0] == 0;
  return empty ? "empty" : "delivered";
}

std::string ExplainPropertyWords(const SimCall& call) {
  if (call.failed && call.error == ERROR_INSUFFICIENT_BUFFER) {
    return ": needs " + std::to_string(call.value) + " bytes, the buffer holds " + std::to_string(call.b);
  }
  if (call.failed) return " (" + ExplainErrorText(call.error) + "): left empty";
  return " " + PropertyValue(call);
}

std::string ExplainShownString(const SimBytes& bytes) { return "\"" + EncodingShown(ExplainCString(bytes)) + "\""; }

}  // namespace ksr
