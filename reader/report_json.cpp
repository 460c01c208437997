#include "reader/report_json.h"

#include "reader/report_json_items.h"
#include "encoding/encoding.h"
#include "reader/report_summary.h"

namespace ksr {

ReportJsonValue ReportPinJson(const ParsedInterface& iface, const ParsedPin& p) {
  ReportJsonValue pin = {{"id", p.Id}, {"dataflow", p.Dataflow}, {"range", nullptr},
                         {"warnings", ReportPinWarnings(iface, p)}};
  if (p.Range) {
    pin["range"] = {{"maxChannels", p.Range->MaxChannels}, {"maxBits", p.Range->MaxBits},
                    {"minSampleRate", p.Range->MinSampleRate}, {"maxSampleRate", p.Range->MaxSampleRate}};
  }
  return pin;
}

ReportJsonValue ReportInterfaceJson(const ParsedInterface& i) {
  ReportJsonValue in = {{"name", EncodingUtf8(i.Name)}, {"pinTypes", nullptr}, {"pins", ReportJsonValue::array()}};
  if (i.PinTypes) in["pinTypes"] = *i.PinTypes;
  for (const ParsedPin& p : i.Pins) in["pins"].push_back(ReportPinJson(i, p));
  return in;
}

ReportJsonValue ReportStopJson(const ReportStop& stop) {
  ReportJsonValue line = nullptr;
  if (stop.Line) line = stop.Line;
  return {{"line", line}, {"message", EncodingUtf8(stop.Message)}};
}

ReportJsonValue ReportDeviceJson(const ParsedDevice& d) {
  ReportJsonValue dev = {{"hardwareId", EncodingUtf8(d.HardwareId)}, {"busNumber", d.BusNumber},
                         {"description", EncodingUtf8(d.Description)},
                         {"manufacturer", EncodingUtf8(d.Manufacturer)}, {"service", EncodingUtf8(d.Service)},
                         {"instanceId", d.InstanceId}, {"warnings", ReportDeviceWarnings(d)},
                         {"complete", !d.Stopped}, {"stopped", nullptr}, {"interfaces", ReportJsonValue::array()}};
  if (d.Stopped) dev["stopped"] = ReportStopJson(*d.Stopped);
  for (const ParsedInterface& i : d.Interfaces) dev["interfaces"].push_back(ReportInterfaceJson(i));
  return dev;
}

std::string ReportJsonText(const ReportJsonValue& value) {
  // Every string went through EncodingUtf8; the handler only guards.
  return value.dump(2, ' ', false, ReportJsonValue::error_handler_t::replace) + "\n";
}

namespace {

ReportJsonValue ReportOneJson(const std::string& file, const ParsedReport& report) {
  std::vector<std::string> notes;
  for (const std::string& n : report.Notes) notes.push_back(EncodingUtf8(n));
  ReportJsonValue r = {{"file", EncodingUtf8(file)}, {"banner", EncodingUtf8(report.Banner)},
                       {"feedback", EncodingUtf8(report.Feedback)}, {"transport", report.Transport},
                       {"notes", notes}, {"complete", ReportComplete(report)}, {"stopped", nullptr},
                       {"devices", ReportJsonValue::array()}};
  if (report.Stopped) r["stopped"] = ReportStopJson(*report.Stopped);
  for (const ParsedDevice& d : report.Devices) r["devices"].push_back(ReportDeviceJson(d));
  return r;
}

}  // namespace

std::string ReportJson(const std::vector<ReportEntry>& entries) {
  ReportJsonValue all = {{"format", "ksreport-read/1"}, {"reports", ReportJsonValue::array()}};
  for (const ReportEntry& e : entries) {
    if (e.Report) {
      all["reports"].push_back(ReportOneJson(e.File, *e.Report));
    } else {
      all["reports"].push_back({{"file", EncodingUtf8(e.File)}, {"error", ReportStopJson(e.Error)}});
    }
  }
  return ReportJsonText(all);
}

}  // namespace ksr
