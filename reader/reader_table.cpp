#include "reader/reader_table.h"

#include <algorithm>

#include "encoding/encoding.h"
#include "reader/reader_json_items.h"
#include "reader/reader_summary.h"

namespace ksr {

ReaderTableRow ReaderTableRowOf(const std::string& file, const ParsedReport& report) {
  ReaderTableRow row;
  row.File = file;
  row.Devices = report.Devices.size();
  row.Transport = report.Transport;
  row.Stopped = report.Stopped;
  for (const ParsedDevice& d : report.Devices) {
    if (!row.Stopped) row.Stopped = d.Stopped;
    row.Flagged += ReaderDeviceWarnings(d).size();
    row.Interfaces += d.Interfaces.size();
    for (const ParsedInterface& i : d.Interfaces) {
      row.Pins += i.Pins.size();
      for (const ParsedPin& p : i.Pins) {
        row.PinsWithoutRange += !p.Range;
        row.Flagged += ReaderPinWarnings(i, p).size();
      }
    }
  }
  return row;
}

ReaderTableRow ReaderTableErrorRow(const std::string& file, const ReaderStop& error) {
  ReaderTableRow row;
  row.File = file;
  row.Error = error;
  return row;
}

namespace {

std::string RowName(const ReaderTableRow& r) {
  std::string name = EncodingShown(r.File);
  if (r.Error) return name + ": not read: " + EncodingShown(ReaderStopWhere(*r.Error));
  if (r.Stopped) return name + " (" + EncodingShown(ReaderStopText(*r.Stopped)) + ")";
  return name;
}

}  // namespace

std::string ReaderTableText(const std::vector<ReaderTableRow>& rows) {
  const char* headers[] = {"devices", "interfaces", "pins", "no range", "flagged"};
  auto counts = [](const ReaderTableRow& r) {
    return std::vector<size_t>{r.Devices, r.Interfaces, r.Pins, r.PinsWithoutRange, r.Flagged};
  };
  std::vector<size_t> widths;
  for (const char* h : headers) widths.push_back(std::char_traits<char>::length(h));
  for (const ReaderTableRow& r : rows) {
    std::vector<size_t> c = counts(r);
    for (size_t i = 0; i < c.size(); ++i) widths[i] = std::max(widths[i], std::to_string(c[i]).size());
  }
  auto line = [&](const std::vector<std::string>& cells, const std::string& file) {
    std::string out;
    for (size_t i = 0; i < cells.size(); ++i) out += std::string(widths[i] - cells[i].size(), ' ') + cells[i] + "  ";
    return out + file + "\n";
  };
  std::string out = line(std::vector<std::string>(std::begin(headers), std::end(headers)), "report");
  for (const ReaderTableRow& r : rows) {
    std::vector<std::string> cells;
    for (size_t c : counts(r)) cells.push_back(r.Error ? "-" : std::to_string(c));
    out += line(cells, RowName(r));
  }
  return out;
}

std::string ReaderTableJson(const std::vector<ReaderTableRow>& rows) {
  ReaderJsonValue all = {{"format", "ksreport-table/1"}, {"reports", ReaderJsonValue::array()}};
  for (const ReaderTableRow& r : rows) {
    if (r.Error) {
      all["reports"].push_back({{"file", EncodingUtf8(r.File)}, {"error", ReaderStopJson(*r.Error)}});
      continue;
    }
    ReaderJsonValue stopped = nullptr;
    if (r.Stopped) stopped = ReaderStopJson(*r.Stopped);
    all["reports"].push_back({{"file", EncodingUtf8(r.File)}, {"devices", r.Devices},
                              {"interfaces", r.Interfaces}, {"pins", r.Pins},
                              {"pinsWithoutRange", r.PinsWithoutRange}, {"flagged", r.Flagged},
                              {"transport", r.Transport}, {"complete", !r.Stopped}, {"stopped", stopped}});
  }
  return ReaderJsonText(all);
}

}  // namespace ksr
