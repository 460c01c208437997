#include "reader/report_table.h"

#include <algorithm>

#include "reader/report_json_items.h"
#include "encoding/encoding.h"
#include "reader/report_summary.h"

namespace ksr {

ReportTableRow ReportTableRowOf(const std::string& file, const ParsedReport& report) {
  ReportTableRow row;
  row.File = file;
  row.Devices = report.Devices.size();
  row.Transport = report.Transport;
  row.Stopped = report.Stopped;
  for (const ParsedDevice& d : report.Devices) {
    if (!row.Stopped) row.Stopped = d.Stopped;
    row.Flagged += ReportDeviceWarnings(d).size();
    row.Interfaces += d.Interfaces.size();
    for (const ParsedInterface& i : d.Interfaces) {
      row.Pins += i.Pins.size();
      for (const ParsedPin& p : i.Pins) {
        row.PinsWithoutRange += !p.Range;
        row.Flagged += ReportPinWarnings(i, p).size();
      }
    }
  }
  return row;
}

ReportTableRow ReportTableErrorRow(const std::string& file, const ReportStop& error) {
  ReportTableRow row;
  row.File = file;
  row.Error = error;
  return row;
}

namespace {

std::string RowName(const ReportTableRow& r) {
  std::string name = EncodingShown(r.File);
  if (r.Error) return name + ": not read: " + EncodingShown(ReportStopWhere(*r.Error));
  if (r.Stopped) return name + " (" + EncodingShown(ReportStopText(*r.Stopped)) + ")";
  return name;
}

}  // namespace

std::string ReportTableText(const std::vector<ReportTableRow>& rows) {
  const char* headers[] = {"devices", "interfaces", "pins", "no range", "flagged"};
  auto counts = [](const ReportTableRow& r) {
    return std::vector<size_t>{r.Devices, r.Interfaces, r.Pins, r.PinsWithoutRange, r.Flagged};
  };
  std::vector<size_t> widths;
  for (const char* h : headers) widths.push_back(std::char_traits<char>::length(h));
  for (const ReportTableRow& r : rows) {
    std::vector<size_t> c = counts(r);
    for (size_t i = 0; i < c.size(); ++i) widths[i] = std::max(widths[i], std::to_string(c[i]).size());
  }
  auto line = [&](const std::vector<std::string>& cells, const std::string& file) {
    std::string out;
    for (size_t i = 0; i < cells.size(); ++i) out += std::string(widths[i] - cells[i].size(), ' ') + cells[i] + "  ";
    return out + file + "\n";
  };
  std::string out = line(std::vector<std::string>(std::begin(headers), std::end(headers)), "report");
  for (const ReportTableRow& r : rows) {
    std::vector<std::string> cells;
    for (size_t c : counts(r)) cells.push_back(r.Error ? "-" : std::to_string(c));
    out += line(cells, RowName(r));
  }
  return out;
}

std::string ReportTableJson(const std::vector<ReportTableRow>& rows) {
  ReportJsonValue all = {{"format", "ksreport-table/1"}, {"reports", ReportJsonValue::array()}};
  for (const ReportTableRow& r : rows) {
    if (r.Error) {
      all["reports"].push_back({{"file", EncodingUtf8(r.File)}, {"error", ReportStopJson(*r.Error)}});
      continue;
    }
    ReportJsonValue stopped = nullptr;
    if (r.Stopped) stopped = ReportStopJson(*r.Stopped);
    all["reports"].push_back({{"file", EncodingUtf8(r.File)}, {"devices", r.Devices},
                              {"interfaces", r.Interfaces}, {"pins", r.Pins},
                              {"pinsWithoutRange", r.PinsWithoutRange}, {"flagged", r.Flagged},
                              {"transport", r.Transport}, {"complete", !r.Stopped}, {"stopped", stopped}});
  }
  return ReportJsonText(all);
}

}  // namespace ksr
