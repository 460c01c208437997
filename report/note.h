// Note points: the places where the walk says why it decided what it did.
// A note point is a statement beside the decision it explains; it hands the
// note to the observer installed with NoteObserve, and does nothing else
// when none is, as in every program that ships. The simulated runner
// installs one to explain a run.
//
// Notes carry decisions only. What was asked of the platform and what it
// answered stay in the platform's own record of the run.
#pragma once

#include <cstdint>

namespace ksr {

enum class Note : uint32_t {
  // The store can't hold what the walk needs next (value: the bytes
  // wanted); the walk of that level ends there.
  kStoreExhausted,
  // A record's item is done: value 1 when the record stays in the tree, 0
  // when it is released with everything allocated after it.
  kDeviceRecord,
  kInterfaceRecord,
  kPinRecord,
  // The interface gates, in the order they are tested (value: 1 passed).
  kInterfaceFlags,
  kInterfaceDetail,
  kInterfaceRenderAlias,
  kInterfaceCaptureAlias,
  kInterfaceOpen,
  kInterfaceKey,
  // The pin-type count was read (value: the count).
  kPinCount,
  // A pin's examination begins (value: its id); each of its gates begins
  // (value: a PinGate); it passed them all (value: its data flow).
  kPinBegin,
  kPinGate,
  kPinListed,
  // Why a pin gate failed: an answer of another length than the property
  // has (value: the length wanted); communication without bit 0 (value: the
  // communication); a data flow with neither bit 0 nor 1 (value: the flow);
  // a list searched (value: 1 when an entry matched).
  kAnswerLength,
  kNoConnection,
  kNoDataflow,
  kListMatch,
  // A request: not sent for want of a completion event; reported pending,
  // so cancelled and counted as absent; the byte count the walk takes
  // from it (value).
  kNoEvent,
  kPending,
  kRequestCount,
  // Why a list fetch failed: the size query gave nothing; no buffer of the
  // size named (value); the data query gave nothing; the list's Count is 0.
  kNoSize,
  kNoBuffer,
  kNothingDelivered,
  kCountZero,
  // A read refused because it would reach past the answer (value: the end
  // of the bytes it wanted).
  kPastAnswer,
  // The range choice: a pass begins (value: RangePassKind); a range is
  // looked at (value: its offset in the answer); why it was passed over
  // (value: its offset); its head lies past the answer, or its FormatSize
  // is 0, and either ends the pass (value: the offset);
  // how a folded range changed the best one; the best range that resulted
  // (value: channels << 32 | bits, more: minimum rate << 32 | maximum rate).
  kRangePass,
  kRangeAt,
  kNotAudio,
  kOtherSubtype,
  kOtherSpecifier,
  kFewBits,
  kRangeHeadPast,
  kFormatSizeZero,
  kMergeReplaced,
  kMergeWidened,
  kMergeSmaller,
  kBestRange,
};

// The pin gates, in order (the value of Note::kPinGate).
enum PinGate : uint32_t {
  kGateCommunication = 0,
  kGateInstances = 1,
  kGateInterfaces = 2,
  kGateMediums = 3,
  kGateDataflow = 4,
};

// The two passes of the range choice (the value of Note::kRangePass).
enum RangePassKind : uint32_t { kPassPcm = 0, kPassWildcard = 1 };

// Receives every note made while it is installed.
using NoteObserver = void (*)(Note note, uint64_t value, uint64_t more);

// Installs observer (nullptr: none); returns the one it replaces.
NoteObserver NoteObserve(NoteObserver observer);

// A note point: hands the note to the observer, if one is installed.
void NoteMake(Note note, uint64_t value = 0, uint64_t more = 0);

}  // namespace ksr
