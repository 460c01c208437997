// What one run did with each device, interface, pin and data range, and
// why: the platform's record of the run (what was asked, what came back)
// with the walk's notes (what it decided) set among its calls. Nothing here
// tests a gate or chooses a range again; a verdict is what the walk noted.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "explain/explain_recorder.h"
#include "platform/sim/sim.h"
#include "store/records.h"

namespace ksr {

// The gates and steps in the order the walk takes them.
enum class ExplainGate : uint32_t {
  kFlags, kDetail, kRenderAlias, kCaptureAlias, kOpen, kKey, kFriendlyName, kPinCount,
  kCommunication, kInstances, kInterfaces, kMediums, kDataflow,
};

// Why a gate failed or a range was passed over.
enum class ExplainReason : uint32_t {
  kNone,
  // interface gates
  kFlagsUnusable, kNoPath, kNoRoom, kNoAlias, kAliasFlagsUnusable, kNotOpened, kNoKey,
  // requests and their answers
  kAnswerLength, kNoConnection, kNoDataflow, kNoStandardEntry,
  kNoSize, kNoBuffer, kNothingDelivered, kHeaderPastAnswer, kCountZero,
  // ranges
  kNotAudio, kNotPcm, kNotWildcard, kOtherSpecifier, kFewBits, kPastAnswer,
};

// One pin-property request as the walk sent it and the platform answered.
struct ExplainRequest {
  bool sent = true;          // false: no completion event, nothing sent
  uint32_t eventError = 0;   // not sent: what CreateEventA left
  uint32_t property = 0;
  uint32_t pin = 0;
  uint32_t outputLength = 0;
  bool failed = false;       // the platform reported failure...
  uint32_t error = 0;        // ...with this error
  uint32_t platformCount = 0;  // the count the platform left
  bool pending = false;      // reported pending: cancelled and waited for
  bool cancelRefused = false;
  uint32_t count = 0;        // the count the walk took
  SimBytes bytes;            // what the walk may read of the answer
  // Delivered from a capture that kept this answer by its length only
  // (ExplainMachine marks it): its bytes were never recorded, and what the
  // walk read are zeros standing in for them.
  bool cut = false;
  uint64_t recorded = 0;  // cut: the answer's length, as the capture recorded it
};

// A note that says why, as the walk made it.
struct ExplainWhy {
  Note note;
  uint64_t value = 0;
};

// One gate or step of an interface or a pin.
struct ExplainStep {
  ExplainGate gate = ExplainGate::kFlags;
  bool passed = false;
  ExplainReason reason = ExplainReason::kNone;
  std::vector<SimCall> calls;             // interface steps: the platform calls made
  std::vector<ExplainRequest> requests;   // pin steps: the requests sent
  std::vector<ExplainWhy> whys;           // all the walk noted on the way
  uint64_t value = 0;                     // flags: the interface's; pin count: the count
};

enum class ExplainRecord : uint32_t { kUnknown, kKept, kReleased };

// One data range as a pass looked at it.
struct ExplainRange {
  uint32_t pass = kPassPcm;
  uint32_t index = 0;        // place in the pass, from 0
  uint64_t offset = 0;       // from the answer's first byte
  bool folded = false;
  Note merge = Note::kMergeSmaller;       // folded: how it changed the best range
  ExplainReason reason = ExplainReason::kNone;  // passed over: why
  uint64_t pastEnd = 0;      // past the answer: the end of the bytes wanted
  bool endsPass = false;     // its head past the answer or FormatSize 0 ended the pass
  bool formatSizeZero = false;
};

struct ExplainPin {
  uint32_t id = 0;
  std::vector<ExplainStep> gates;
  bool listed = false;
  uint32_t dataflow = 0;
  std::vector<ExplainRequest> rangeRequests;
  std::vector<ExplainWhy> rangeWhys;      // why the fetch failed, if it did
  ExplainReason rangeFetch = ExplainReason::kNone;
  std::vector<ExplainRange> ranges;       // both passes, in the order looked at
  std::optional<PcmRange> best;           // listed pins: what the choice left
  ExplainRecord record = ExplainRecord::kUnknown;
  // The answer the ranges were read from: the last request's bytes.
  const SimBytes* RangeAnswer() const;
  // Its range lines were written: the choice left a best range with
  // channels.
  bool RangesWritten() const;
  // The gate it stopped at: its last, when it was not listed and that gate
  // failed; null otherwise.
  const ExplainStep* StoppedAt() const;
};

struct ExplainInterface {
  uint32_t index = 0;
  uint32_t flags = 0;
  std::vector<ExplainStep> gates;  // up to the first that failed; then the name and the pin count
  bool listed = false;             // its Interface line was written
  std::optional<uint32_t> pinCount;
  std::vector<ExplainPin> pins;
  uint64_t storeWanted = 0;        // the store ran out here: bytes wanted
  ExplainRecord record = ExplainRecord::kUnknown;
  // The gate it stopped at: its last, when it was not listed and that gate
  // failed; null otherwise (also when no gate was tested).
  const ExplainStep* StoppedAt() const;
};

struct ExplainDevice {
  uint32_t index = 0;
  uint32_t devInst = 0;
  std::vector<SimCall> properties;  // property reads in order
  std::vector<ExplainInterface> interfaces;
  std::optional<SimCall> interfacesEnd;  // the enumeration that answered false
  uint64_t storeWanted = 0;
  ExplainRecord record = ExplainRecord::kUnknown;
};

struct ExplainTree {
  bool deviceSet = false;
  uint32_t deviceSetError = 0;
  std::vector<ExplainDevice> devices;
  std::optional<SimCall> devicesEnd;
  uint64_t storeWanted = 0;        // the store ran out before a device record
  bool storeExhausted = false;     // anywhere in the run
  std::vector<std::string> misuse;
  uint32_t strayNotes = 0;         // notes that found no item: a fault of the explanation
};

// What a tree lists and what stayed in the record tree, counted.
struct ExplainCounts {
  size_t interfacesListed = 0, pinsListed = 0;
  size_t devicesKept = 0, interfacesKept = 0, pinsKept = 0;
};
ExplainCounts ExplainCount(const ExplainTree& tree);

// Builds the tree from a run's calls and notes.
ExplainTree ExplainBuildTree(const std::vector<SimCall>& calls, const std::vector<ExplainNoteEntry>& notes);

}  // namespace ksr
