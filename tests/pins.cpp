#include "tests/pins.h"

#include <gtest/gtest.h>

namespace ksr {

std::string PinLines(const SimInterface& iface) {
  SimMachine machine;
  SimDevice device = TestDevice({});
  device.interfaces = {iface};
  machine.devices = {device};
  SimRunResult run = RunMachine(machine);
  for (const std::string& m : run.misuse) ADD_FAILURE() << "misuse: " << m;
  std::string body = ReportBody(run.report);
  const std::string marker = "   +Speakers\r\n";
  size_t at = body.find(marker);
  if (at == std::string::npos) {
    ADD_FAILURE() << "no Interface line in:\n" << body;
    return body;
  }
  return body.substr(at + marker.size());
}

std::string PinLines(const std::vector<SimPin>& pins) { return PinLines(TestInterface(pins)); }

std::string NumPins(const std::string& hex8) { return "    NumPins: " + hex8 + "\r\n"; }

std::string PinLine(const std::string& id, const std::string& dataflow) {
  return "       +Pin " + id + " Dataflow: " + dataflow + "\r\n";
}

std::string RangeLines(const std::string& channels, const std::string& bits,
                       const std::string& minRate, const std::string& maxRate) {
  return "          MaxChannels: " + channels + "\r\n          MaxBits    : " + bits +
         "\r\n          MinSampleRt: " + minRate + "\r\n          MaxSampleRt: " + maxRate + "\r\n";
}

std::vector<SimCall> PinRequests(uint32_t pinId) {
  std::vector<SimCall> calls;
  for (const SimCall& call : IoctlCalls()) {
    if (call.a != KSPROPERTY_PIN_CTYPES && call.b == pinId) calls.push_back(call);
  }
  return calls;
}

SimBytes Range(uint32_t channels, uint32_t bits, uint32_t minRate, uint32_t maxRate) {
  return SimPcmRange(channels, bits, minRate, maxRate);
}

}  // namespace ksr
