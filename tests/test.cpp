#include "tests/test.h"

#include <gtest/gtest.h>

#include "report/layout.h"

namespace ksr {

SimRunResult RunMachine(const SimMachine& machine) {
  return SimRunReport(machine, kTestOutDir, false);
}

SimMachine LoadMachine(const std::string& relativePath) {
  SimMachine machine;
  std::string error;
  std::string path = std::string(KSREPORT_SOURCE_DIR) + "/" + relativePath;
  EXPECT_TRUE(SimLoadMachineFile(path, &machine, &error)) << error;
  return machine;
}

static std::string Header() {
  return std::string(ReportBannerText()) + "\r\n\r\n" + kRuleText + "\r\n" + kStartTitle + "\r\n" +
         kRuleText + "\r\n";
}

static std::string Footer() {
  return std::string("\r\n") + kRuleText + "\r\n" + kEndTitle + "\r\n" + kRuleText + "\r\n\r\n" +
         kClosingPrefix + ReportFeedbackAddress() + kClosingSuffix + "\r\n";
}

std::string ReportWithBody(const std::string& body) { return Header() + body + Footer(); }

std::string ReportBody(const std::string& report) {
  std::string header = Header();
  std::string footer = Footer();
  bool framed = report.size() >= header.size() + footer.size() &&
                report.compare(0, header.size(), header) == 0 &&
                report.compare(report.size() - footer.size(), footer.size(), footer) == 0;
  EXPECT_TRUE(framed) << "report without its header and footer:\n" << report;
  if (!framed) return report;
  return report.substr(header.size(), report.size() - header.size() - footer.size());
}

SimInterface TestInterface(const std::vector<SimPin>& pins) {
  SimInterface iface;
  // Device paths are unique on a machine; the filter is found by its path.
  static int serial = 0;
  iface.path = "\\\\?\\test#audio#" + std::to_string(serial++) +
               "#{6994ad04-93ef-11d0-a3cc-00a0c9223196}\\wave";
  iface.renderAlias = SPINT_ACTIVE;
  iface.friendlyName = SimString("Speakers");
  iface.pins = pins;
  return iface;
}

SimDevice TestDevice(const std::vector<SimPin>& pins) {
  SimDevice device;
  device.devInst = 0x42;
  device.description = SimString("Test Audio");
  device.hardwareIds = SimMulti({"TEST\\AUDIO_01"});
  device.busNumber = SimU32Bytes(1);
  device.manufacturer = SimString("Generic");
  device.service = SimString("testaud");
  device.interfaces.push_back(TestInterface(pins));
  return device;
}

std::vector<SimCall> IoctlCalls() {
  std::vector<SimCall> calls;
  for (const SimCall& call : SimCalls()) {
    if (call.op == "DeviceIoControl") calls.push_back(call);
  }
  return calls;
}

}  // namespace ksr
