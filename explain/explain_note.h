// Note points: the places where the walk says why it decided what it did,
// for a run that is being explained. Only the logic built with KSR_EXPLAIN
// (the simulated runner's) records them. Built without it, as every program
// that ships is, a note point is nothing: no code and no data, and of its
// arguments only a condition that it wraps is evaluated, exactly as written.
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

// The note sink (explain/explain_notes.cpp), linked only where notes are
// made.
void ExplainNote(Note note, uint64_t value = 0, uint64_t more = 0);

// Records the verdict of a gate and returns it.
inline bool ExplainNoteGate(Note note, bool passes) {
  ExplainNote(note, passes ? 1 : 0);
  return passes;
}

// Records the note when holds is true (Why) or false (WhyNot); returns holds.
inline bool ExplainNoteWhy(Note note, uint64_t value, bool holds) {
  if (holds) ExplainNote(note, value);
  return holds;
}

inline bool ExplainNoteWhyNot(Note note, uint64_t value, bool holds) {
  if (!holds) ExplainNote(note, value);
  return holds;
}

#if defined(KSR_EXPLAIN)

#define KSR_NOTE(...) ::ksr::ExplainNote(__VA_ARGS__)
#define KSR_GATE(note, passes) ::ksr::ExplainNoteGate((note), (passes))
#define KSR_WHY(note, value, holds) ::ksr::ExplainNoteWhy((note), (value), (holds))
#define KSR_WHY_NOT(note, value, holds) ::ksr::ExplainNoteWhyNot((note), (value), (holds))

#else

#define KSR_NOTE(...) ((void)0)
#define KSR_GATE(note, passes) (passes)
#define KSR_WHY(note, value, holds) (holds)
#define KSR_WHY_NOT(note, value, holds) (holds)

#endif

}  // namespace ksr
