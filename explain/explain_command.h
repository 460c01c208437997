// The --explain command of ksreport-sim and ksreport-read. Declared apart
// from the simulated machine's types, so that a program that includes the
// Windows headers (ksreport-read) can call it.
#pragma once

#include <string>

namespace ksr {

// Loads a machine file's text and prints its explanation to stdout, as
// text (colour when asked) or as JSON; name stands for the file in the
// heading and in messages; full: every request and answer (--full), not
// only the verdicts and the answers that decided them. Returns the runner's exit status: 0 explained,
// 1 explained but the platform saw misuse (also listed on stderr), 2 the
// machine can't be read (stderr names the key; nothing on stdout), 3 the
// machine is a capture that was cut (stderr says why).
int ExplainCommand(const char* program, const std::string& name, const std::string& text, bool json,
                   bool colour, bool full = false);

// True when text is a machine file rather than a report: a JSON object.
bool ExplainLooksLikeMachine(const std::string& text);

}  // namespace ksr
