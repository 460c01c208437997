#include "report/note.h"

namespace ksr {

namespace {
NoteObserver gObserver = nullptr;
}  // namespace

NoteObserver NoteObserve(NoteObserver observer) {
  NoteObserver previous = gObserver;
  gObserver = observer;
  return previous;
}

void NoteMake(Note note, uint64_t value, uint64_t more) {
  if (gObserver != nullptr) gObserver(note, value, more);
}

}  // namespace ksr
