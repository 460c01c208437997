// ksreport-read: reads reports for support staff.
//   ksreport-read REPORT...                 readable summary of each report
//   ksreport-read --json REPORT...          the same as JSON
//   ksreport-read --table [--json] REPORT...  one line per report, for triage
//   ksreport-read --diff [--json] OLD NEW   what changed between two reports
//   --strict (with any of them)             only the writer's exact output
//   ksreport-read --version                 the version, the same as the reports'
//   ksreport-read --help                    usage, on stdout
//   ksreport-read --explain [--full] [--json] FILE
//                                           a machine file (a capture, or one
//                                           written by hand): why each device,
//                                           interface and pin was listed or not
//                                           (--full: every request and answer);
//                                           a report: its summary, as without it
// Options may stand anywhere; "-" is standard input; "--" ends the options.
// Without --strict, what mail and editors did to a file is undone first and
// named in a note on stderr, a file may hold several reports, named FILE#1,
// FILE#2, ..., and a report is read as far as it goes. Every file is read:
// one that holds no report is named on stderr with why, and shown as such
// among the others.
// Exit status: 0 done (for --diff: no differences), 1 --diff found
// differences, 2 bad usage, a file without a report, or a report that is
// incomplete (with --strict: any report that is not exactly as the tool
// writes it, and then nothing on stdout), or, with --explain, a machine
// file that can't be read (the key named on stderr).
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#endif

#include "encoding/encoding.h"
#include "explain/explain_command.h"
#include "ksreport_config.h"
#include "reader/read_files.h"
#include "reader/reader_diff.h"
#include "reader/reader_intake.h"
#include "reader/reader_json.h"
#include "reader/reader_summary.h"
#include "reader/reader_table.h"

namespace {

struct ReadCommand {
  bool json = false;
  bool table = false;
  bool diff = false;
  bool strict = false;
  bool explain = false;
  bool full = false;
  bool help = false;
  bool version = false;
  std::vector<std::string> files;
};

const char kReadUsage[] =
    "usage: ksreport-read [--strict] [--json] REPORT...\n"
    "       ksreport-read [--strict] --table [--json] REPORT...\n"
    "       ksreport-read [--strict] --diff [--json] OLD NEW\n"
    "       ksreport-read --explain [--full] [--json] FILE\n"
    "       ksreport-read --version | --help\n"
    "A REPORT of \"-\" is standard input. Exit status: 0 done (--diff: no differences),\n"
    "1 --diff found differences, 2 bad usage, a file without a report, or a report\n"
    "that is incomplete.\n";

int ReadUsage(const std::string& problem) {
  std::fprintf(stderr, "ksreport-read: %s\n%s", problem.c_str(), kReadUsage);
  return 2;
}

// Options anywhere among the files; after "--", files only. Empty when
// the command is well formed, else what is wrong with it.
std::string ReadCommandLine(const std::vector<std::string>& args, ReadCommand* command) {
  const std::pair<const char*, bool ReadCommand::*> options[] = {
      {"--json", &ReadCommand::json},       {"--table", &ReadCommand::table}, {"--diff", &ReadCommand::diff},
      {"--strict", &ReadCommand::strict},   {"--explain", &ReadCommand::explain}, {"--full", &ReadCommand::full},
      {"--help", &ReadCommand::help},       {"-h", &ReadCommand::help},       {"--version", &ReadCommand::version}};
  bool filesOnly = false;
  for (const std::string& arg : args) {
    if (filesOnly || arg == "-" || arg.empty() || arg[0] != '-') {
      command->files.push_back(arg);
      continue;
    }
    if (arg == "--") {
      filesOnly = true;
      continue;
    }
    bool known = false;
    for (const auto& [name, flag] : options) {
      if (arg == name) known = command->*flag = true;
    }
    if (!known) return "unknown option \"" + arg + "\"";
  }
  if (command->help || command->version) return "";
  if (command->full && !command->explain) return "--full goes with --explain";
  if (command->diff && (command->table || command->explain)) return "--diff goes with neither --table nor --explain";
  if (command->diff && command->files.size() != 2) return "--diff compares two files, OLD and NEW";
  if (command->explain && command->table) return "--explain does not go with --table";
  if (command->explain && command->files.size() != 1) return "--explain takes one file";
  if (command->files.empty()) return "no report named";
  return "";
}

// A machine file, not a report: for --explain, and for the hint when a
// machine file is read as a report.
bool ReadLooksLikeMachine(const std::string& bytes) { return ksr::ExplainLooksLikeMachine(bytes); }

// What came of one file: its reports, or why it holds none.
struct ReadOutcome {
  std::vector<ksr::ReaderEntry> entries;
  bool bad = false;  // a file without a report, or a report not whole
};

// A file's name and what is said about it, shown as the summary shows
// text: a quoted line of a damaged file moves no cursor.
void ReadSay(const std::string& name, const std::string& what) {
  std::fprintf(stderr, "ksreport-read: %s: %s\n", ksr::EncodingShown(name).c_str(),
               ksr::EncodingShown(what).c_str());
}

// Names on stderr what was undone, assumed, or not whole in one report.
bool ReadTell(const std::string& name, const ksr::ParsedReport& report) {
  for (const std::string& kind : report.Transport) ReadSay(name, std::string("note: ") + ksr::ReaderTransportNote(kind));
  for (const std::string& note : report.Notes) ReadSay(name, "note: " + note);
  if (report.Stopped) ReadSay(name, ksr::ReaderStopText(*report.Stopped));
  int index = 0;
  for (const ksr::ParsedDevice& d : report.Devices) {
    ++index;
    // The device the report stopped in says no more than the report.
    bool same = report.Stopped && d.Stopped && d.Stopped->Line == report.Stopped->Line;
    if (d.Stopped && !same) ReadSay(name, "device " + std::to_string(index) + " " + ksr::ReaderStopText(*d.Stopped));
  }
  return ksr::ReaderComplete(report);
}

// Appends the reports in the bytes of one file: FILE, or FILE#1, FILE#2,
// ... when it holds several; or, when it holds none, an entry saying why.
void ReadReportsIn(const std::string& path, const std::string& bytes, bool strict, ReadOutcome* out) {
  std::vector<ksr::ParsedReport> reports;
  std::string error;
  if (!ksr::ReaderRead(bytes, strict, &reports, &error)) {
    ReadSay(path, error);
    if (ReadLooksLikeMachine(bytes)) {
      std::fprintf(stderr, "ksreport-read: %s looks like a machine file: ksreport-read --explain %s\n",
                   path.c_str(), path.c_str());
    }
    out->entries.push_back({path, std::nullopt, ksr::ReaderStopOf(error)});
    out->bad = true;
    return;
  }
  for (size_t i = 0; i < reports.size(); ++i) {
    std::string name = reports.size() == 1 ? path : path + "#" + std::to_string(i + 1);
    if (!ReadTell(name, reports[i])) out->bad = true;
    out->entries.push_back({name, std::move(reports[i]), {}});
  }
}

void ReadFile(const std::string& path, bool strict, ReadOutcome* out) {
  std::string bytes, error;
  if (ksr::ReadFileBytes(path, &bytes, &error)) return ReadReportsIn(path, bytes, strict, out);
  ReadSay(path, error);
  out->entries.push_back({path, std::nullopt, ksr::ReaderStop{0, error}});
  out->bad = true;
}

// The reports' summaries or their JSON; a file without a report is shown
// as such among them.
std::string ReadShown(const ReadCommand& command, const ReadOutcome& outcome, const ksr::ReadOptions& options) {
  if (command.json) return ksr::ReaderJson(outcome.entries);
  std::string out;
  for (size_t i = 0; i < outcome.entries.size(); ++i) {
    const ksr::ReaderEntry& e = outcome.entries[i];
    out += i ? "\n" : "";
    out += e.Report ? ksr::ReaderSummary(e.File, *e.Report, options)
                    : ksr::ReaderErrorSummary(e.File, ksr::ReaderStopWhere(e.Error), options);
  }
  return out;
}

// Whether stdout gets anything: strict, not after a bad file, as the
// tool's own checks expect; a summary, not when no file held a report,
// since stderr has said all there is.
bool ReadShows(const ReadCommand& command, const ReadOutcome& outcome) {
  if (command.strict && outcome.bad) return false;
  if (command.json || command.table) return true;
  for (const ksr::ReaderEntry& e : outcome.entries) {
    if (e.Report) return true;
  }
  return false;
}

// Everything is built before anything is printed.
int ReadReports(const ReadCommand& command, const ksr::ReadOptions& options) {
  ReadOutcome outcome;
  for (const std::string& path : command.files) ReadFile(path, command.strict, &outcome);
  if (ReadShows(command, outcome)) std::fputs(ReadShown(command, outcome, options).c_str(), stdout);
  return outcome.bad ? 2 : 0;
}

// Only the rows are kept, so that thousands of reports take little memory.
int ReadTable(const ReadCommand& command) {
  std::vector<ksr::ReaderTableRow> rows;
  bool bad = false;
  for (const std::string& path : command.files) {
    ReadOutcome outcome;
    ReadFile(path, command.strict, &outcome);
    bad = bad || outcome.bad;
    for (const ksr::ReaderEntry& e : outcome.entries) {
      rows.push_back(e.Report ? ksr::ReaderTableRowOf(e.File, *e.Report) : ksr::ReaderTableErrorRow(e.File, e.Error));
    }
  }
  std::string out = command.json ? ksr::ReaderTableJson(rows) : ksr::ReaderTableText(rows);
  if (!(command.strict && bad)) std::fputs(out.c_str(), stdout);
  return bad ? 2 : 0;
}

// Each file must hold one report; one that is not whole is compared as
// far as it goes, after saying so.
int ReadDiff(const ReadCommand& command, const ksr::ReadOptions& options) {
  std::vector<ksr::ReaderEntry> sides;
  bool unreadable = false;
  for (const std::string& path : command.files) {
    ReadOutcome outcome;
    ReadFile(path, command.strict, &outcome);
    if (outcome.entries.size() != 1 || !outcome.entries[0].Report) {
      if (outcome.entries.size() > 1) {
        ReadSay(path, "holds " + std::to_string(outcome.entries.size()) + " reports; --diff compares one with one");
      }
      unreadable = true;
      continue;
    }
    if (command.strict && outcome.bad) unreadable = true;
    sides.push_back(std::move(outcome.entries[0]));
  }
  if (unreadable) return 2;
  ksr::ReaderDiffSide before{sides[0].File, &*sides[0].Report}, after{sides[1].File, &*sides[1].Report};
  bool same = false;
  std::string out = command.json ? ksr::ReaderDiffJson(before, after, &same)
                                 : ksr::ReaderDiff(before, after, options, &same);
  std::fputs(out.c_str(), stdout);
  return same ? 0 : 1;
}

// A machine file is explained; a report is read as without --explain.
int ReadExplain(const ReadCommand& command, const ksr::ReadOptions& options) {
  const std::string& path = command.files[0];
  std::string bytes, error;
  if (!ksr::ReadFileBytes(path, &bytes, &error)) {
    ReadSay(path, error);
    return 2;
  }
  if (!ReadLooksLikeMachine(bytes)) {
    ReadOutcome outcome;
    ReadReportsIn(path, bytes, command.strict, &outcome);
    if (ReadShows(command, outcome)) std::fputs(ReadShown(command, outcome, options).c_str(), stdout);
    return outcome.bad ? 2 : 0;
  }
  // Misuse and a cut capture are part of what is explained, not a failure
  // of the reading.
  int status = ksr::ExplainCommand("ksreport-read", path, bytes, command.json, options.colour, command.full);
  return status == 2 ? 2 : 0;
}

int ReadMain(const ReadCommand& command) {
  ksr::ReadOptions options;
  options.colour = ksr::ReaderColourWanted();
  if (command.explain) return ReadExplain(command, options);
  if (command.diff) return ReadDiff(command, options);
  if (command.table) return ReadTable(command);
  return ReadReports(command, options);
}

}  // namespace

int main(int argc, char** argv) {
  ReadCommand command;
  std::string problem = ReadCommandLine(ksr::ReadArguments(argc, argv), &command);
  if (!problem.empty()) return ReadUsage(problem);
  if (command.help) {
    std::fputs(kReadUsage, stdout);
    return 0;
  }
  if (command.version) {
    std::printf("ksreport-read %s\n", KSREPORT_VERSION);
    return 0;
  }
#if defined(_WIN32)
  // The output is UTF-8; a console shows it as such only when told, and is
  // given back its own code page afterwards.
  UINT consoleCodePage = GetConsoleOutputCP();
  bool console = _isatty(1) != 0 && consoleCodePage != 0;
  if (console) SetConsoleOutputCP(CP_UTF8);
  int status = ReadMain(command);
  if (console) SetConsoleOutputCP(consoleCodePage);
  return status;
#else
  return ReadMain(command);
#endif
}
