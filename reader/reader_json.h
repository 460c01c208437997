// ksreport-read's JSON for ticket systems: every report of every file, or,
// for a file that holds none, why not.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "reader/reader_parse.h"

namespace ksr {

// One report of a file (File names it, FILE#N when the file holds
// several), or a file that could not be read: no report, and Error says
// why (its Line when the message names one).
struct ReaderEntry {
  std::string File;
  std::optional<ParsedReport> Report;
  ReaderStop Error;
};

// {"format": "ksreport-read/1", "reports": [...]}: one entry each.
std::string ReaderJson(const std::vector<ReaderEntry>& entries);

}  // namespace ksr
