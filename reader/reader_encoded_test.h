// A report for the tests of what the reader prints: one device whose
// strings came in the code page, as UTF-8, and with control characters.
#pragma once

#include <string>

#include "reader/reader_parse.h"

namespace ksr {

inline ParsedReport EncodedReport(const std::string& description, const std::string& name) {
  ParsedReport r;
  r.Banner = "ksreport 0.1.0";
  r.Feedback = "support@example.invalid";
  ParsedDevice d;
  d.HardwareId = "USB\\VID_1234";
  d.Description = description;
  d.Manufacturer = "Soci\xE9t\xE9 \x80";
  d.Service = "usbaudio";
  ParsedInterface i;
  i.Name = name;
  i.PinTypes = 1;
  ParsedPin p;
  p.Dataflow = 2;
  i.Pins.push_back(p);
  d.Interfaces.push_back(i);
  r.Devices.push_back(d);
  return r;
}

}  // namespace ksr
