// Reports as they reach support staff. Mail clients, ticket systems,
// editors and copy-paste change a report's line ends, encoding, trailing
// blanks and surroundings; the intake undoes that, finds each report in a
// file by its banner and its closing request line, and keeps the number
// every line has in the file, so that the strict grammar of reader_parse
// names the right line.
#pragma once

#include <string>
#include <vector>

#include "reader/reader_parse.h"

namespace ksr {

// The kinds of transport damage, as the JSON's "transport" list names them:
//   utf-16le, utf-16be    the file was UTF-16 with its byte-order mark
//   utf-8-bom             a UTF-8 byte-order mark stood before the text
//   lf-line-ends, cr-line-ends, mixed-line-ends, cr-cr-lf-line-ends
//                         line ends other than CR LF
//   no-last-line-end      the report's last line had no line end
//   quote-prefix          every line began with a reply's "> " or ">"
//   trailing-whitespace   spaces or tabs had been added at line ends
//   non-breaking-spaces   non-breaking spaces stood for spaces (UTF-8 or
//                         Windows-1252)
//   tabs                  tabs stood for runs of spaces
//   wrapped-lines         a mail client had wrapped long lines
//   blank-lines-before, text-before, blank-lines-after, text-after
//                         what stood before the banner and after the
//                         closing request line
// The sentence the note on stderr gives for a kind; empty for an unknown one.
const char* ReaderTransportNote(const std::string& kind);

// Reads every report in the bytes of one file: through the intake, or,
// strict, as exactly one report in the bytes the writer writes (CR LF line
// ends, nothing before the banner or after the closing line). Through the
// intake, a report is read as far as it goes (ReaderParsePartial), and one
// without its banner line from its header's first rule. False, with no
// report and the error, when the file holds no report (it is empty, or no
// line begins with the banner or a header's rule); strict, also when the
// report is not well formed.
bool ReaderRead(const std::string& bytes, bool strict, std::vector<ParsedReport>* reports, std::string* error);

}  // namespace ksr
