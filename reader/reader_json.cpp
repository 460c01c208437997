#include "reader/reader_json.h"

#include "encoding/encoding.h"
#include "reader/reader_json_items.h"
#include "reader/reader_summary.h"

namespace ksr {

ReaderJsonValue ReaderPinJson(const ParsedInterface& iface, const ParsedPin& p) {
  ReaderJsonValue pin = {{"id", p.Id}, {"dataflow", p.Dataflow}, {"range", nullptr},
                         {"warnings", ReaderPinWarnings(iface, p)}};
  if (p.Range) {
    pin["range"] = {{"maxChannels", p.Range->MaxChannels}, {"maxBits", p.Range->MaxBits},
                    {"minSampleRate", p.Range->MinSampleRate}, {"maxSampleRate", p.Range->MaxSampleRate}};
  }
  return pin;
}

ReaderJsonValue ReaderInterfaceJson(const ParsedInterface& i) {
  ReaderJsonValue in = {{"name", EncodingUtf8(i.Name)}, {"pinTypes", nullptr}, {"pins", ReaderJsonValue::array()}};
  if (i.PinTypes) in["pinTypes"] = *i.PinTypes;
  for (const ParsedPin& p : i.Pins) in["pins"].push_back(ReaderPinJson(i, p));
  return in;
}

ReaderJsonValue ReaderStopJson(const ReaderStop& stop) {
  ReaderJsonValue line = nullptr;
  if (stop.Line) line = stop.Line;
  return {{"line", line}, {"message", EncodingUtf8(stop.Message)}};
}

ReaderJsonValue ReaderDeviceJson(const ParsedDevice& d) {
  ReaderJsonValue dev = {{"hardwareId", EncodingUtf8(d.HardwareId)}, {"busNumber", d.BusNumber},
                         {"description", EncodingUtf8(d.Description)},
                         {"manufacturer", EncodingUtf8(d.Manufacturer)}, {"service", EncodingUtf8(d.Service)},
                         {"instanceId", d.InstanceId}, {"warnings", ReaderDeviceWarnings(d)},
                         {"complete", !d.Stopped}, {"stopped", nullptr}, {"interfaces", ReaderJsonValue::array()}};
  if (d.Stopped) dev["stopped"] = ReaderStopJson(*d.Stopped);
  for (const ParsedInterface& i : d.Interfaces) dev["interfaces"].push_back(ReaderInterfaceJson(i));
  return dev;
}

std::string ReaderJsonText(const ReaderJsonValue& value) {
  // Every string went through EncodingUtf8; the handler only guards.
  return value.dump(2, ' ', false, ReaderJsonValue::error_handler_t::replace) + "\n";
}

namespace {

ReaderJsonValue ReportOneJson(const std::string& file, const ParsedReport& report) {
  std::vector<std::string> notes;
  for (const std::string& n : report.Notes) notes.push_back(EncodingUtf8(n));
  ReaderJsonValue r = {{"file", EncodingUtf8(file)}, {"banner", EncodingUtf8(report.Banner)},
                       {"feedback", EncodingUtf8(report.Feedback)}, {"transport", report.Transport},
                       {"notes", notes}, {"complete", ReaderComplete(report)}, {"stopped", nullptr},
                       {"devices", ReaderJsonValue::array()}};
  if (report.Stopped) r["stopped"] = ReaderStopJson(*report.Stopped);
  for (const ParsedDevice& d : report.Devices) r["devices"].push_back(ReaderDeviceJson(d));
  return r;
}

}  // namespace

std::string ReaderJson(const std::vector<ReaderEntry>& entries) {
  ReaderJsonValue all = {{"format", "ksreport-read/1"}, {"reports", ReaderJsonValue::array()}};
  for (const ReaderEntry& e : entries) {
    if (e.Report) {
      all["reports"].push_back(ReportOneJson(e.File, *e.Report));
    } else {
      all["reports"].push_back({{"file", EncodingUtf8(e.File)}, {"error", ReaderStopJson(e.Error)}});
    }
  }
  return ReaderJsonText(all);
}

}  // namespace ksr
