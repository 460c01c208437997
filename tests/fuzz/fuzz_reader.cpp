// Fuzz target: ksreport-read over arbitrary bytes, through the intake and
// strictly. Every error names its line or says the file holds no report;
// every report renders, its JSON is valid UTF-8, and it shows no difference
// from itself; where reading stopped names a line. The input is also read
// as a batch of three files (split where it says), which gives one entry
// per file, and cut short, which keeps every device read whole before the
// cut. What the strict grammar takes, the intake reads to the same report
// with nothing noted, and again after each kind of damage on the way to
// support and after one pair of them (chosen by the input).
#include <algorithm>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>

#include "encoding/encoding.h"
#include "reader/reader_diff.h"
#include "reader/reader_intake.h"
#include "reader/reader_json.h"
#include "reader/reader_summary.h"
#include "reader/reader_table.h"
#include "tests/report_transport.h"

namespace {

void FuzzCheck(bool ok) {
  if (!ok) std::abort();
}

bool FuzzKnownError(const std::string& error) {
  return error.compare(0, 5, "line ") == 0 || error == "the file is empty" ||
         error.compare(0, 17, "no report found: ") == 0;
}

void FuzzRender(const std::vector<ksr::ParsedReport>& reports) {
  ksr::ReadOptions options;
  std::vector<ksr::ReaderEntry> entries;
  std::vector<ksr::ReaderTableRow> rows;
  for (const ksr::ParsedReport& report : reports) {
    FuzzCheck(!ksr::ReaderSummary("fuzz.txt", report, options).empty());
    bool same = false;
    ksr::ReaderDiff({"a", &report}, {"b", &report}, options, &same);
    FuzzCheck(same);
    FuzzCheck(nlohmann::json::accept(ksr::ReaderDiffJson({"a", &report}, {"b", &report}, &same)));
    if (report.Stopped) FuzzCheck(report.Stopped->Line > 0 || !report.Stopped->Message.empty());
    entries.push_back({"fuzz.txt", report, {}});
    rows.push_back(ksr::ReaderTableRowOf("fuzz.txt", report));
  }
  FuzzCheck(nlohmann::json::accept(ksr::ReaderJson(entries)));
  FuzzCheck(nlohmann::json::accept(ksr::ReaderTableJson(rows)));
  FuzzCheck(!ksr::ReaderTableText(rows).empty());
}

// The input as three files, split at two places it names: every file is
// one entry or more, a file without a report one that says why.
void FuzzBatch(const std::string& bytes) {
  if (bytes.size() < 2) return;
  size_t a = static_cast<unsigned char>(bytes[0]) * bytes.size() / 256;
  size_t b = a + static_cast<unsigned char>(bytes[1]) * (bytes.size() - a) / 256;
  std::vector<ksr::ReaderEntry> entries;
  std::vector<ksr::ReaderTableRow> rows;
  for (const std::string& file : {bytes.substr(0, a), bytes.substr(a, b - a), bytes.substr(b)}) {
    std::vector<ksr::ParsedReport> reports;
    std::string error;
    size_t before = entries.size();
    if (!ksr::ReaderRead(file, false, &reports, &error)) {
      entries.push_back({"bad.txt", std::nullopt, ksr::ReaderStopOf(error)});
      rows.push_back(ksr::ReaderTableErrorRow("bad.txt", entries.back().Error));
      FuzzCheck(!ksr::ReaderErrorSummary("bad.txt", error, ksr::ReadOptions()).empty());
    }
    for (const ksr::ParsedReport& r : reports) {
      entries.push_back({"good.txt", r, {}});
      rows.push_back(ksr::ReaderTableRowOf("good.txt", r));
    }
    FuzzCheck(entries.size() > before);
  }
  nlohmann::json j = nlohmann::json::parse(ksr::ReaderJson(entries), nullptr, false);
  FuzzCheck(!j.is_discarded() && j["reports"].size() == entries.size());
  FuzzCheck(ksr::ReaderTableText(rows).size() > rows.size());
}

// A whole report cut where the input says: the devices read whole before
// the cut are read the same.
void FuzzCut(const std::string& bytes, const ksr::ParsedReport& whole) {
  size_t cut = bytes.size() * static_cast<unsigned char>(bytes.back()) / 256;
  std::vector<ksr::ParsedReport> got;
  std::string error;
  if (!ksr::ReaderRead(bytes.substr(0, cut), false, &got, &error)) return;
  FuzzRender(got);
  for (size_t d = 0; d + 1 < got[0].Devices.size() && d < whole.Devices.size(); ++d) {
    ksr::ParsedReport one, expected;
    one.Devices = {got[0].Devices[d]};
    expected.Devices = {whole.Devices[d]};
    // A device followed by another one was read to its end.
    FuzzCheck(got[0].Devices[d].Stopped || ksr::ReportSameContent(one, expected));
  }
}

// The devices read after a wrap that could not be undone: each one that
// reads otherwise than the pristine one stopped where the wrap broke it,
// and says so; none reads as a different value.
bool FuzzWrapStoppedOnly(const ksr::ParsedReport& got, const ksr::ParsedReport& want,
                         const std::vector<const ksr::ReportTransport*>& way) {
  bool wrapped = std::any_of(way.begin(), way.end(), [](const ksr::ReportTransport* t) {
    return std::string(t->Name) == "wrapped at 60 columns";
  });
  if (!wrapped || got.Devices.size() != want.Devices.size()) return false;
  for (size_t i = 0; i < got.Devices.size(); ++i) {
    ksr::ParsedReport a = want, b = want;
    a.Devices = {want.Devices[i]};
    b.Devices = {got.Devices[i]};
    if (!ksr::ReportSameContent(a, b) && !got.Devices[i].Stopped) return false;
  }
  return true;
}

// An HTML mail's Windows-1252 spaces can't be told from UTF-8 where an A0
// put for a space completes a character with the bytes before it (a
// name's "\xDF" before a run of spaces reads as U+07E0) in a line that is
// otherwise UTF-8 too, where the report holds a UTF-8 non-breaking space
// of its own, or a byte A0 of its own beside a space: such a report is not
// held to its content after that way.
bool FuzzUtf8ButA0(const std::string& text, size_t from, size_t to) {
  uint32_t c = 0;
  for (size_t at = from, n; at < to; at += n == 0 ? 1 : n) {
    n = ksr::EncodingUtf8Length(text, at, &c);
    if (n == 0 && static_cast<unsigned char>(text[at]) != 0xA0) return false;
  }
  return true;
}

bool FuzzNbspAmbiguous(const std::string& report, const std::vector<const ksr::ReportTransport*>& way) {
  const ksr::ReportTransport* cp1252 = ksr::ReportTransportNamed("non-breaking spaces (Windows-1252)");
  if (std::find(way.begin(), way.end(), cp1252) == way.end()) return false;
  if (report.find("\xC2\xA0") != std::string::npos) return true;
  // A name's own A0 beside a space is what that mail makes of a space.
  if (report.find(" \xA0") != std::string::npos || report.find("\xA0 ") != std::string::npos) return true;
  std::vector<std::string> kinds;
  std::string after = ksr::ReportTransportApply(report, {cp1252}, &kinds);
  if (after.size() != report.size()) return true;
  for (size_t i = 0; i < after.size(); ++i) {
    if (report[i] != ' ' || after[i] != '\xA0') continue;
    size_t from = after.find_last_of("\r\n", i), to = after.find_first_of("\r\n", i);
    from = from == std::string::npos ? 0 : from + 1;
    to = to == std::string::npos ? after.size() : to;
    for (size_t k = 1; k <= 3 && k <= i - from; ++k) {
      uint32_t c = 0;
      if (ksr::EncodingUtf8Length(after, i - k, &c) == k + 1 && FuzzUtf8ButA0(after, from, to)) return true;
    }
  }
  return false;
}

// A report read after the way ways, which must give the same content and
// name the kinds.
void FuzzTransported(const std::string& report, const ksr::ParsedReport& strict,
                     const std::vector<const ksr::ReportTransport*>& way) {
  if (FuzzNbspAmbiguous(report, way)) return;
  std::vector<std::string> kinds;
  std::string bytes = ksr::ReportTransportApply(report, way, &kinds);
  std::vector<ksr::ParsedReport> got;
  std::string error;
  FuzzCheck(ksr::ReaderRead(bytes, false, &got, &error));
  ksr::ParsedReport want = ksr::ReportAfterTransport(strict, way);
  FuzzCheck(got.size() == 1);
  bool same = ksr::ReportSameContent(got[0], want);
  FuzzCheck(same || FuzzWrapStoppedOnly(got[0], want, way));
  // A wrap left as it came is not named as undone.
  if (!same) kinds.erase(std::remove(kinds.begin(), kinds.end(), "wrapped-lines"), kinds.end());
  std::vector<std::string> named = got[0].Transport;
  if (!same) named.erase(std::remove(named.begin(), named.end(), "wrapped-lines"), named.end());
  std::sort(kinds.begin(), kinds.end());
  std::sort(named.begin(), named.end());
  FuzzCheck(named == kinds);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  std::vector<ksr::ParsedReport> tolerant, strict;
  std::string error;
  if (ksr::ReaderRead(bytes, false, &tolerant, &error)) {
    FuzzCheck(!tolerant.empty());
    FuzzRender(tolerant);
  } else {
    FuzzCheck(FuzzKnownError(error));
  }
  FuzzBatch(bytes);
  if (!ksr::ReaderRead(bytes, true, &strict, &error)) {
    FuzzCheck(error.compare(0, 5, "line ") == 0);
    return 0;
  }
  FuzzCut(bytes, strict[0]);
  FuzzCheck(tolerant.size() == 1 && ksr::ReportSameContent(tolerant[0], strict[0]) && tolerant[0].Transport.empty());
  static const std::vector<std::vector<const ksr::ReportTransport*>> ways = ksr::ReportTransportWays();
  for (const auto& way : ways) {
    if (way.size() == 1) FuzzTransported(bytes, strict[0], way);
  }
  FuzzTransported(bytes, strict[0], ways[size % ways.size()]);
  return 0;
}
