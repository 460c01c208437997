#include "explain/explain_recorder.h"

namespace ksr {

namespace {

struct NoteSink {
  size_t (*clock)() = nullptr;
  std::vector<ExplainNoteEntry> notes;
};

NoteSink& Sink() {
  static NoteSink sink;
  return sink;
}

void ExplainNoteKeep(Note note, uint64_t value, uint64_t more) {
  NoteSink& sink = Sink();
  ExplainNoteEntry entry;
  entry.note = note;
  entry.value = value;
  entry.more = more;
  entry.at = sink.clock();
  sink.notes.push_back(entry);
}

}  // namespace

void ExplainNotesStart(size_t (*clock)()) {
  Sink().clock = clock;
  Sink().notes.clear();
  NoteObserve(&ExplainNoteKeep);
}

std::vector<ExplainNoteEntry> ExplainNotesStop() {
  NoteObserve(nullptr);
  Sink().clock = nullptr;
  std::vector<ExplainNoteEntry> notes;
  notes.swap(Sink().notes);
  return notes;
}

}  // namespace ksr
