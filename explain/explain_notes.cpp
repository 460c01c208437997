#include "explain/explain_notes.h"

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

}  // namespace

void ExplainNotesStart(size_t (*clock)()) {
  Sink().clock = clock;
  Sink().notes.clear();
}

std::vector<ExplainNoteEntry> ExplainNotesStop() {
  Sink().clock = nullptr;
  std::vector<ExplainNoteEntry> notes;
  notes.swap(Sink().notes);
  return notes;
}

void ExplainNote(Note note, uint64_t value, uint64_t more) {
  NoteSink& sink = Sink();
  if (sink.clock == nullptr) return;
  ExplainNoteEntry entry;
  entry.note = note;
  entry.value = value;
  entry.more = more;
  entry.at = sink.clock();
  sink.notes.push_back(entry);
}

}  // namespace ksr
