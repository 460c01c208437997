// The notes of one explained run, in the order the walk made them. Each
// note knows how many platform calls came before it, so that it can be set
// among the calls of the platform's own record of the run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "report/note.h"

namespace ksr {

struct ExplainNoteEntry {
  Note note;
  uint64_t value = 0;
  uint64_t more = 0;
  size_t at = 0;  // platform calls made before the note
};

// Starts recording: installs the note observer, which keeps every note made
// from now on, each stamped with what clock() gives (the number of platform
// calls made so far). Until this is called, and after ExplainNotesStop, no
// observer is installed and note points do nothing.
void ExplainNotesStart(size_t (*clock)());

// Ends recording and hands over what was recorded.
std::vector<ExplainNoteEntry> ExplainNotesStop();

}  // namespace ksr
