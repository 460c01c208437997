// ksreport-read: reads reports for support staff.
//   ksreport-read REPORT...                 readable summary of each report
//   ksreport-read --json REPORT...          the same as JSON
//   ksreport-read --table [--json] REPORT...  one line per report, for triage
//   ksreport-read --diff OLD NEW            what changed between two reports
//   --strict (with any of them)             only the writer's exact output
//   ksreport-read --version                 the version, the same as the reports'
//   ksreport-read --explain [--full] [--json] FILE
//                                           a machine file (a capture, or one
//                                           written by hand): why each device,
//                                           interface and pin was listed or not
//                                           (--full: every request and answer);
//                                           a report: its summary, as without it
// Without --strict, what mail and editors did to a file is undone first and
// named in a note on stderr, and a file may hold several reports, named
// FILE#1, FILE#2, ...
// Exit status: 0 done (for --diff: no differences), 1 --diff found
// differences, 2 bad usage or a file without a well-formed report (the line
// and what was expected are named on stderr; nothing on stdout), or, with
// --explain, a machine file that can't be read (the key named on stderr).
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#endif

#include "ksreport_config.h"
#include "explain/explain_command.h"
#include "reader/report_intake.h"
#include "reader/report_table.h"
#include "reader/report_view.h"

namespace {

struct ReadCommand {
  bool json = false;
  bool table = false;
  bool diff = false;
  bool strict = false;
  bool explain = false;
  bool full = false;
  std::vector<std::string> files;
};

using NamedReports = std::vector<std::pair<std::string, ksr::ParsedReport>>;

int ReadUsage() {
  std::fprintf(stderr,
               "usage: ksreport-read [--strict] [--json] REPORT...\n"
               "       ksreport-read [--strict] --table [--json] REPORT...\n"
               "       ksreport-read [--strict] --diff OLD NEW\n"
               "       ksreport-read --explain [--full] [--json] FILE\n"
               "       ksreport-read --version\n");
  return 2;
}

// Options first, in any order, then the files.
bool ReadCommandLine(const std::vector<std::string>& args, ReadCommand* command) {
  size_t i = 0;
  for (; i < args.size() && args[i].size() > 1 && args[i][0] == '-'; ++i) {
    if (args[i] == "--json") {
      command->json = true;
    } else if (args[i] == "--table") {
      command->table = true;
    } else if (args[i] == "--diff") {
      command->diff = true;
    } else if (args[i] == "--strict") {
      command->strict = true;
    } else if (args[i] == "--explain") {
      command->explain = true;
    } else if (args[i] == "--full") {
      command->full = true;
    } else {
      return false;
    }
  }
  command->files.assign(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
  for (const std::string& file : command->files) {
    if (file.size() > 1 && file[0] == '-') return false;
  }
  if (command->full && !command->explain) return false;
  if (command->diff) return !command->json && !command->table && !command->explain && command->files.size() == 2;
  if (command->explain) return !command->table && command->files.size() == 1;
  return !command->files.empty();
}

// The bytes of a file; false, after saying so, when it can't be read.
bool ReadBytes(const std::string& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "ksreport-read: %s: cannot be read\n", path.c_str());
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  *bytes = std::move(text).str();
  return true;
}

// Appends the reports in the bytes of one file: FILE, or FILE#1, FILE#2,
// ... when it holds several. What the intake undid goes to stderr, one note
// a kind.
bool ReadReportsIn(const std::string& path, const std::string& bytes, bool strict, NamedReports* out) {
  std::vector<ksr::ParsedReport> reports;
  std::string error;
  if (!ksr::ReportRead(bytes, strict, &reports, &error)) {
    std::fprintf(stderr, "ksreport-read: %s: %s\n", path.c_str(), error.c_str());
    if (ksr::ExplainLooksLikeMachine(bytes)) {
      std::fprintf(stderr, "ksreport-read: %s looks like a machine file: ksreport-read --explain %s\n",
                   path.c_str(), path.c_str());
    }
    return false;
  }
  for (size_t i = 0; i < reports.size(); ++i) {
    std::string name = reports.size() == 1 ? path : path + "#" + std::to_string(i + 1);
    for (const std::string& kind : reports[i].Transport) {
      std::fprintf(stderr, "ksreport-read: %s: note: %s\n", name.c_str(), ksr::ReportTransportNote(kind));
    }
    out->emplace_back(name, std::move(reports[i]));
  }
  return true;
}

bool ReadFile(const std::string& path, bool strict, NamedReports* out) {
  std::string bytes;
  return ReadBytes(path, &bytes) && ReadReportsIn(path, bytes, strict, out);
}

// The reports' summaries or their JSON.
std::string ReadShown(const ReadCommand& command, const NamedReports& reports, const ksr::ReadOptions& options) {
  if (command.json) return ksr::ReportJson(reports);
  std::string out;
  for (size_t i = 0; i < reports.size(); ++i) {
    out += (i ? "\n" : "") + ksr::ReportSummary(reports[i].first, reports[i].second, options);
  }
  return out;
}

// Everything is built before anything is printed: a bad file leaves
// stdout empty.
int ReadReports(const ReadCommand& command, const ksr::ReadOptions& options) {
  NamedReports reports;
  for (const std::string& path : command.files) {
    if (!ReadFile(path, command.strict, &reports)) return 2;
  }
  std::fputs(ReadShown(command, reports, options).c_str(), stdout);
  return 0;
}

// Only the rows are kept, so that thousands of reports take little memory.
int ReadTable(const ReadCommand& command) {
  std::vector<ksr::ReportTableRow> rows;
  for (const std::string& path : command.files) {
    NamedReports reports;
    if (!ReadFile(path, command.strict, &reports)) return 2;
    for (const auto& [name, report] : reports) rows.push_back(ksr::ReportTableRowOf(name, report));
  }
  std::string out = command.json ? ksr::ReportTableJson(rows) : ksr::ReportTableText(rows);
  std::fputs(out.c_str(), stdout);
  return 0;
}

int ReadDiff(const ReadCommand& command, const ksr::ReadOptions& options) {
  NamedReports reports;
  for (const std::string& path : command.files) {
    size_t before = reports.size();
    if (!ReadFile(path, command.strict, &reports)) return 2;
    if (reports.size() - before != 1) {
      std::string count = std::to_string(reports.size() - before);
      std::fprintf(stderr, "ksreport-read: %s: holds %s reports; --diff compares one with one\n", path.c_str(),
                   count.c_str());
      return 2;
    }
  }
  std::string diff = ksr::ReportDiff(reports[0].second, reports[1].second, options);
  std::fputs(diff.empty() ? "no differences\n" : diff.c_str(), stdout);
  return diff.empty() ? 0 : 1;
}

// A machine file is explained; a report is read as without --explain.
int ReadExplain(const ReadCommand& command, const ksr::ReadOptions& options) {
  const std::string& path = command.files[0];
  std::string bytes;
  if (!ReadBytes(path, &bytes)) return 2;
  if (!ksr::ExplainLooksLikeMachine(bytes)) {
    NamedReports reports;
    if (!ReadReportsIn(path, bytes, command.strict, &reports)) return 2;
    std::fputs(ReadShown(command, reports, options).c_str(), stdout);
    return 0;
  }
  // Misuse and a cut capture are part of what is explained, not a failure
  // of the reading.
  int status = ksr::ExplainCommand("ksreport-read", path, bytes, command.json, options.colour, command.full);
  return status == 2 ? 2 : 0;
}

int ReadMain(const ReadCommand& command) {
  ksr::ReadOptions options;
  options.colour = ksr::ReportColourWanted();
  if (command.explain) return ReadExplain(command, options);
  if (command.diff) return ReadDiff(command, options);
  if (command.table) return ReadTable(command);
  return ReadReports(command, options);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "--version") {
    std::printf("ksreport-read %s\n", KSREPORT_VERSION);
    return 0;
  }
  ReadCommand command;
  if (!ReadCommandLine(std::vector<std::string>(argv + 1, argv + argc), &command)) return ReadUsage();
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
