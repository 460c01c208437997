// Mail damage inside a report's lines, undone line by line where the
// grammar shows it: non-breaking spaces for spaces (an HTML mail), tabs
// for runs of spaces, and lines a mail client wrapped at a word boundary.
// A line is changed only when it is of no line kind of the report as it
// stands and is of one once changed, so that a value keeps what it holds.
#pragma once

#include <string>
#include <vector>

#include "reader/reader_parse.h"

namespace ksr {

struct ReaderRepairs {
  bool Nbsp = false;     // non-breaking spaces were read as spaces
  bool Tabs = false;     // tabs were read as the runs of spaces of the line's kind
  bool Wrapped = false;  // wrapped lines were joined
};

// Takes off the spaces and tabs that transport added at line ends; true
// when there were any.
bool ReaderUndoTrailingBlanks(std::vector<ReaderLine>* lines);

// Whether a line, alone, is of a kind the report has: the fixed lines,
// a labelled line with a well-formed value, a description line.
bool ReaderLineKnown(const std::string& line);

// A line's non-breaking spaces made spaces: those in UTF-8 (C2 A0) when
// the line has any, else the Windows-1252 byte A0 where it stands in a run
// of spaces, so that a byte A0 of a name's own stays. In a line that is
// UTF-8 but for its lone A0 bytes, an A0 that ends a character is the
// character's; any other line is Windows-1252 throughout, where A0 ends
// no character.
std::string ReaderNbspToSpace(const std::string& line);

// Undoes the damage in the lines of one report; lines joined keep the
// number of their first line.
ReaderRepairs ReaderRepair(std::vector<ReaderLine>* lines);

}  // namespace ksr
