// The differences between two reports of the same machine, for "it worked
// before the driver update": every value the report shows is compared.
// Devices are matched by hardware ID, then by description, so that a
// renamed device is one device that changed; interfaces by name, then by
// place; pins by id.
#pragma once

#include <string>

#include "reader/reader_parse.h"
#include "reader/reader_summary.h"

namespace ksr {

struct ReaderDiffSide {
  std::string File;
  const ParsedReport* Report;
};

// Headed by which file is before and which after; then "no differences",
// or one line per change: "~ field: was -> now" under the item it
// belongs to, "-" and "+" for items that went away or appeared, with
// their values. *same says whether nothing changed.
std::string ReaderDiff(const ReaderDiffSide& before, const ReaderDiffSide& after, const ReadOptions& options,
                       bool* same);

// The same as {"format": "ksreport-diff/1", "before", "after", "same",
// "changes": [{"change": "changed" | "removed" | "added", "device":
// {"hardwareId", "description"}, "interface", "pin", "field", "before",
// "after"}]}; for a removed or added item, "before" or "after" holds the
// item as --json shows it.
std::string ReaderDiffJson(const ReaderDiffSide& before, const ReaderDiffSide& after, bool* same);

}  // namespace ksr
