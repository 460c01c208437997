#include "explain/explain_tree.h"

namespace ksr {

namespace {

// Walks the calls and the notes in the order they happened and hangs each
// on the item the walk was at. A note made after k calls comes before call
// k. Items open with the platform call that enumerates them (devices,
// interfaces) or the note that begins them (pins, ranges), and close with
// the note of their record.
class TreeBuilder {
 public:
  ExplainTree tree;

  void Call(const SimCall& call) {
    const std::string& op = call.op;
    if (op == "SetupDiGetClassDevsA") {
      tree.deviceSet = !call.failed;
      tree.deviceSetError = call.error;
    } else if (op == "SetupDiEnumDeviceInfo") {
      EnumDevice(call);
    } else if (op == "SetupDiGetDeviceRegistryPropertyA") {
      if (device_ != nullptr) device_->properties.push_back(call);
    } else if (op == "SetupDiEnumDeviceInterfaces") {
      EnumInterface(call);
    } else if (op == "SetupDiGetDeviceInterfaceDetailA" || op == "SetupDiGetDeviceInterfaceAlias" ||
               op == "SetupDiOpenDeviceInterfaceRegKey" || (op == "CreateFileA" && call.c == OPEN_EXISTING)) {
      if (iface_ != nullptr) interfaceCalls_.push_back(call);
    } else if (op == "RegQueryValueExA") {
      if (ExplainStep* name = InterfaceStep(ExplainGate::kFriendlyName)) name->calls.push_back(call);
    } else if (op == "CreateEventA") {
      lastEvent_ = call;
    } else if (op == "DeviceIoControl") {
      request_ = ExplainRequest();
      request_->property = call.a;
      request_->pin = call.b;
      request_->outputLength = call.d;
      request_->failed = call.failed;
      request_->error = call.error;
      request_->platformCount = call.value;
      request_->bytes = call.out;
    } else if (op == "CancelIoEx") {
      if (request_) request_->cancelRefused = call.failed;
    }
  }

  void Take(const ExplainNoteEntry& entry) {
    switch (entry.note) {
      case Note::kStoreExhausted: StoreExhausted(entry.value); break;
      case Note::kDeviceRecord: CloseDevice(entry.value != 0); break;
      case Note::kInterfaceRecord: CloseInterface(entry.value != 0); break;
      case Note::kPinRecord: ClosePin(entry.value != 0); break;
      case Note::kInterfaceFlags: InterfaceGate(ExplainGate::kFlags, entry.value != 0); break;
      case Note::kInterfaceDetail: InterfaceGate(ExplainGate::kDetail, entry.value != 0); break;
      case Note::kInterfaceRenderAlias: InterfaceGate(ExplainGate::kRenderAlias, entry.value != 0); break;
      case Note::kInterfaceCaptureAlias: InterfaceGate(ExplainGate::kCaptureAlias, entry.value != 0); break;
      case Note::kInterfaceOpen: InterfaceGate(ExplainGate::kOpen, entry.value != 0); break;
      case Note::kInterfaceKey: InterfaceGate(ExplainGate::kKey, entry.value != 0); break;
      case Note::kPinCount: PinCount(entry.value); break;
      case Note::kPinBegin: BeginPin(static_cast<uint32_t>(entry.value)); break;
      case Note::kPinGate: BeginPinGate(static_cast<uint32_t>(entry.value)); break;
      case Note::kPinListed: PinListed(static_cast<uint32_t>(entry.value)); break;
      case Note::kNoEvent: RequestNotSent(); break;
      case Note::kPending: if (request_) request_->pending = true; break;
      case Note::kRequestCount: RequestEnd(static_cast<uint32_t>(entry.value)); break;
      case Note::kRangePass:
        pass_ = static_cast<uint32_t>(entry.value);
        passIndex_ = 0;
        range_ = nullptr;
        break;
      case Note::kRangeAt: BeginRange(entry.value); break;
      case Note::kNotAudio: RangeReason(ExplainReason::kNotAudio); break;
      case Note::kOtherSubtype:
        RangeReason(pass_ == kPassPcm ? ExplainReason::kNotPcm : ExplainReason::kNotWildcard);
        break;
      case Note::kOtherSpecifier: RangeReason(ExplainReason::kOtherSpecifier); break;
      case Note::kFewBits: RangeReason(ExplainReason::kFewBits); break;
      case Note::kRangeHeadPast: RangeEnds(false); break;
      case Note::kFormatSizeZero: RangeEnds(true); break;
      case Note::kMergeReplaced:
      case Note::kMergeWidened:
      case Note::kMergeSmaller: RangeFolded(entry.note); break;
      case Note::kBestRange: BestRange(entry.value, entry.more); break;
      default: Why(entry); break;  // reasons, kept where the walk is
    }
  }

 private:
  ExplainDevice* device_ = nullptr;
  ExplainInterface* iface_ = nullptr;
  ExplainPin* pin_ = nullptr;
  ExplainStep* step_ = nullptr;    // the pin gate or step under way
  ExplainRange* range_ = nullptr;
  std::vector<SimCall> interfaceCalls_;  // since the last interface gate
  std::optional<SimCall> lastEvent_;
  std::optional<ExplainRequest> request_;
  uint32_t pass_ = kPassPcm;
  uint32_t passIndex_ = 0;

  void Stray() { ++tree.strayNotes; }

  void EnumDevice(const SimCall& call) {
    iface_ = nullptr;
    pin_ = nullptr;
    if (call.failed) {
      tree.devicesEnd = call;
      device_ = nullptr;
      return;
    }
    ExplainDevice device;
    device.index = call.a;
    device.devInst = call.value;
    tree.devices.push_back(device);
    device_ = &tree.devices.back();
  }

  void EnumInterface(const SimCall& call) {
    pin_ = nullptr;
    step_ = nullptr;
    interfaceCalls_.clear();
    if (device_ == nullptr) return;
    if (call.failed) {
      device_->interfacesEnd = call;
      iface_ = nullptr;
      return;
    }
    ExplainInterface iface;
    iface.index = call.a;
    iface.flags = call.value;
    device_->interfaces.push_back(iface);
    iface_ = &device_->interfaces.back();
  }

  ExplainStep* InterfaceStep(ExplainGate gate) {
    if (iface_ == nullptr) return nullptr;
    for (ExplainStep& step : iface_->gates) {
      if (step.gate == gate) return &step;
    }
    return nullptr;
  }

  void StoreExhausted(uint64_t wanted) {
    tree.storeExhausted = true;
    if (iface_ != nullptr) {
      iface_->storeWanted = wanted;
    } else if (device_ != nullptr) {
      device_->storeWanted = wanted;
    } else {
      tree.storeWanted = wanted;
    }
  }

  // A record's note after an enumeration that answered false closes
  // nothing: that record held no item.
  void CloseDevice(bool kept) {
    if (device_ == nullptr) return;
    device_->record = kept ? ExplainRecord::kKept : ExplainRecord::kReleased;
    device_ = nullptr;
  }

  void CloseInterface(bool kept) {
    if (iface_ == nullptr) return;
    // A pin count that was not read fails its step, as a pin's gate does.
    ExplainStep* count = InterfaceStep(ExplainGate::kPinCount);
    if (count != nullptr && !count->passed) FailStep(count);
    iface_->record = kept ? ExplainRecord::kKept : ExplainRecord::kReleased;
    iface_ = nullptr;
    step_ = nullptr;
  }

  void ClosePin(bool kept) {
    if (pin_ == nullptr) return Stray();
    // A pin that was not listed stopped at the gate under test.
    if (!pin_->listed && !pin_->gates.empty()) FailStep(&pin_->gates.back());
    pin_->record = kept ? ExplainRecord::kKept : ExplainRecord::kReleased;
    pin_ = nullptr;
    step_ = nullptr;
    range_ = nullptr;
  }

  void InterfaceGate(ExplainGate gate, bool passed) {
    if (iface_ == nullptr) return Stray();
    ExplainStep step;
    step.gate = gate;
    step.passed = passed;
    step.calls.swap(interfaceCalls_);
    if (gate == ExplainGate::kFlags) step.value = iface_->flags;
    iface_->gates.push_back(step);
    if (!passed) FailStep(&iface_->gates.back());
    if (gate != ExplainGate::kKey || !passed) return;
    // Past the last gate the walk reads the name and writes the Interface
    // line, then asks the pin count.
    iface_->listed = true;
    ExplainStep name;
    name.gate = ExplainGate::kFriendlyName;
    name.passed = true;
    iface_->gates.push_back(name);
    ExplainStep count;
    count.gate = ExplainGate::kPinCount;
    iface_->gates.push_back(count);
    step_ = &iface_->gates.back();
  }

  void PinCount(uint64_t count) {
    ExplainStep* step = InterfaceStep(ExplainGate::kPinCount);
    if (step == nullptr) return Stray();
    step->passed = true;
    step->value = count;
    iface_->pinCount = static_cast<uint32_t>(count);
    step_ = nullptr;
  }

  void BeginPin(uint32_t id) {
    if (iface_ == nullptr) return Stray();
    // A pin count that was read ends its step; one that was not never
    // reaches a pin.
    ExplainPin pin;
    pin.id = id;
    iface_->pins.push_back(pin);
    pin_ = &iface_->pins.back();
    step_ = nullptr;
    range_ = nullptr;
  }

  void BeginPinGate(uint32_t gate) {
    if (pin_ == nullptr) return Stray();
    // The walk begins a gate only when the one before it passed.
    if (!pin_->gates.empty()) pin_->gates.back().passed = true;
    ExplainStep step;
    step.gate = static_cast<ExplainGate>(static_cast<uint32_t>(ExplainGate::kCommunication) + gate);
    pin_->gates.push_back(step);
    step_ = &pin_->gates.back();
  }

  void PinListed(uint32_t dataflow) {
    if (pin_ == nullptr) return Stray();
    if (!pin_->gates.empty()) pin_->gates.back().passed = true;
    pin_->listed = true;
    pin_->dataflow = dataflow;
    step_ = nullptr;
  }

  std::vector<ExplainRequest>* RequestSink() {
    if (step_ != nullptr) return &step_->requests;
    if (pin_ != nullptr && pin_->listed) return &pin_->rangeRequests;
    return nullptr;
  }

  void RequestEnd(uint32_t count) {
    std::vector<ExplainRequest>* sink = RequestSink();
    if (!request_ || sink == nullptr) {
      request_.reset();
      return Stray();
    }
    request_->count = count;
    sink->push_back(*request_);
    request_.reset();
  }

  void RequestNotSent() {
    std::vector<ExplainRequest>* sink = RequestSink();
    if (sink == nullptr) return Stray();
    ExplainRequest request;
    request.sent = false;
    request.eventError = lastEvent_ ? lastEvent_->error : 0;
    sink->push_back(request);
  }

  void BeginRange(uint64_t offset) {
    if (pin_ == nullptr) return Stray();
    ExplainRange range;
    range.pass = pass_;
    range.index = passIndex_++;
    range.offset = offset;
    pin_->ranges.push_back(range);
    range_ = &pin_->ranges.back();
  }

  void RangeReason(ExplainReason reason) {
    if (range_ == nullptr) return Stray();
    // A field the walk could not read stops the range for that reason.
    if (range_->reason != ExplainReason::kPastAnswer) range_->reason = reason;
  }

  // A head past the answer has its reason already: the read that found it
  // so noted kPastAnswer first.
  void RangeEnds(bool formatSizeZero) {
    if (range_ == nullptr) return Stray();
    range_->endsPass = true;
    range_->formatSizeZero = formatSizeZero;
  }

  void RangeFolded(Note merge) {
    if (range_ == nullptr) return Stray();
    range_->folded = true;
    range_->merge = merge;
  }

  void BestRange(uint64_t value, uint64_t more) {
    if (pin_ == nullptr) return Stray();
    PcmRange best = {static_cast<uint32_t>(value >> 32), static_cast<uint32_t>(value),
                     static_cast<uint32_t>(more >> 32), static_cast<uint32_t>(more)};
    pin_->best = best;
    range_ = nullptr;
  }

  void Why(const ExplainNoteEntry& entry) {
    ExplainWhy why = {entry.note, entry.value};
    if (range_ != nullptr) {
      if (entry.note != Note::kPastAnswer) return Stray();
      range_->reason = ExplainReason::kPastAnswer;
      range_->pastEnd = entry.value;
    } else if (step_ != nullptr) {
      step_->whys.push_back(why);
    } else if (pin_ != nullptr && pin_->listed) {
      pin_->rangeWhys.push_back(why);
      pin_->rangeFetch = ReasonOfWhys(pin_->rangeWhys);
    } else {
      Stray();
    }
  }

  // The reason of a failed step: the last thing the walk noted on its way.
  static ExplainReason ReasonOfWhys(const std::vector<ExplainWhy>& whys) {
    if (whys.empty()) return ExplainReason::kNone;
    switch (whys.back().note) {
      case Note::kAnswerLength: return ExplainReason::kAnswerLength;
      case Note::kNoConnection: return ExplainReason::kNoConnection;
      case Note::kNoDataflow: return ExplainReason::kNoDataflow;
      case Note::kListMatch: return ExplainReason::kNoStandardEntry;
      case Note::kNoSize: return ExplainReason::kNoSize;
      case Note::kNoBuffer: return ExplainReason::kNoBuffer;
      case Note::kNothingDelivered: return ExplainReason::kNothingDelivered;
      case Note::kPastAnswer: return ExplainReason::kHeaderPastAnswer;
      case Note::kCountZero: return ExplainReason::kCountZero;
      default: return ExplainReason::kNone;
    }
  }

  // Interface gates fail for what the platform answered their one call;
  // pin steps for what the walk noted.
  static void FailStep(ExplainStep* step) {
    step->passed = false;
    switch (step->gate) {
      case ExplainGate::kFlags: step->reason = ExplainReason::kFlagsUnusable; break;
      case ExplainGate::kDetail:
        step->reason = step->calls.empty() ? ExplainReason::kNoRoom : ExplainReason::kNoPath;
        break;
      case ExplainGate::kRenderAlias:
      case ExplainGate::kCaptureAlias:
        step->reason = !step->calls.empty() && !step->calls.back().failed ? ExplainReason::kAliasFlagsUnusable
                                                                          : ExplainReason::kNoAlias;
        break;
      case ExplainGate::kOpen: step->reason = ExplainReason::kNotOpened; break;
      case ExplainGate::kKey: step->reason = ExplainReason::kNoKey; break;
      default: step->reason = ReasonOfWhys(step->whys); break;
    }
  }
};

}  // namespace

ExplainTree ExplainBuildTree(const std::vector<SimCall>& calls, const std::vector<ExplainNoteEntry>& notes) {
  TreeBuilder builder;
  size_t next = 0;
  for (size_t i = 0; i <= calls.size(); ++i) {
    while (next < notes.size() && notes[next].at <= i) builder.Take(notes[next++]);
    if (i < calls.size()) builder.Call(calls[i]);
  }
  return builder.tree;
}

}  // namespace ksr
