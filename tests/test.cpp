#include "tests/test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>

#include "report/layout.h"
#include "report/writer.h"
#include "store/arena.h"

namespace ksr {

// --- Small machines -------------------------------------------------------

SimMachine LoadMachine(const std::string& relativePath) {
  SimMachine machine;
  std::string error;
  std::string path = std::string(KSREPORT_SOURCE_DIR) + "/" + relativePath;
  EXPECT_TRUE(SimLoadMachineFile(path, &machine, &error)) << error;
  return machine;
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

namespace {

// A first device that keeps `pins` pins under its one interface; `pad`
// characters (a multiple of 4) spread over its four strings move the top
// by that many bytes, or a step less where a NUL rounds.
SimDevice Filler(uint32_t pins, uint32_t pad) {
  SimDevice device = TestDevice(std::vector<SimPin>(pins, SimPcmPin(2, 16, 48000, 48000)));
  auto take = [&pad]() {
    uint32_t n = std::min<uint32_t>(pad, 256);
    pad -= n;
    return SimString(std::string(n, 'p'));
  };
  device.description = take();
  device.manufacturer = take();
  device.service = take();
  device.interfaces[0].friendlyName = take();
  return device;
}

// The room left in the store once the filler device is done.
uint32_t RoomAfter(const SimDevice& filler, const std::function<SimRunResult(const SimMachine&)>& run) {
  SimMachine machine;
  machine.devices = {filler};
  EXPECT_TRUE(run(machine).misuse.empty());
  return static_cast<uint32_t>(ArenaStoreEnd() - ArenaTop());
}

}  // namespace

SimDevice TestFillerLeaving(uint32_t lo, uint32_t hi,
                            const std::function<SimRunResult(const SimMachine&)>& run) {
  uint32_t one = RoomAfter(Filler(1, 0), run);
  uint32_t perPin = one - RoomAfter(Filler(2, 0), run);
  uint32_t pins = 1 + (one - lo) / perPin;  // the most pins that leave at least lo
  uint32_t room = RoomAfter(Filler(pins, 0), run);
  uint32_t pad = room >= hi ? (room - hi + 4) & ~3u : 0;
  SimDevice filler = Filler(pins, pad);
  room = RoomAfter(filler, run);
  // A string's NUL and rounding can leave the first guess a step short.
  for (int step = 0; step < 8 && room >= hi; ++step) {
    pad += 4;
    filler = Filler(pins, pad);
    room = RoomAfter(filler, run);
  }
  EXPECT_TRUE(room >= lo && room < hi) << "room " << room << " not in [" << lo << ", " << hi << ")";
  return filler;
}

// --- Runs and reports -----------------------------------------------------

SimRunResult RunMachine(const SimMachine& machine) {
  return SimRunReport(machine, kTestOutDir, false);
}

// A file of the source tree, or nullopt when it can't be read.
static std::optional<std::string> ReadSourceFile(const std::string& relativePath) {
  std::ifstream in(std::string(KSREPORT_SOURCE_DIR) + "/" + relativePath, std::ios::binary);
  if (!in.good()) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string SourceText(const std::string& relativePath) {
  std::optional<std::string> bytes = ReadSourceFile(relativePath);
  EXPECT_TRUE(bytes.has_value()) << relativePath;
  return bytes.value_or("");
}

// Expected reports carry the default address; a build configured with
// another one writes that instead.
static std::string WithBuildAddress(std::string bytes) {
  const std::string placeholder = "support@example.invalid!\r\n";
  size_t at = bytes.rfind(placeholder);
  if (at != std::string::npos) {
    bytes.replace(at, placeholder.size(), std::string(ReportFeedbackAddress()) + "!\r\n");
  }
  return bytes;
}

std::string ExpectedText(const std::string& name) {
  return WithBuildAddress(SourceText("tests/expected/" + name));
}

// DIR/NAME.json's expected files are DIR/NAME.expected.txt and, for a
// status other than 0, DIR/NAME.expected-exit.
static std::string MachineStem(const std::string& machinePath) {
  return machinePath.substr(0, machinePath.size() - (machinePath.size() >= 5 ? 5 : 0));
}

std::optional<std::string> ExpectedReportOf(const std::string& machinePath) {
  std::optional<std::string> bytes = ReadSourceFile(MachineStem(machinePath) + ".expected.txt");
  if (!bytes) return std::nullopt;
  return WithBuildAddress(*bytes);
}

int ExpectedExitOf(const std::string& machinePath) {
  std::optional<std::string> text = ReadSourceFile(MachineStem(machinePath) + ".expected-exit");
  return text ? std::atoi(text->c_str()) : 0;
}

std::string EmptyReport() {
  return std::string(ReportBannerText()) + "\r\n" + ExpectedText("empty-report.txt");
}

// The frame splits after its start title's closing rule: header above,
// footer below.
static size_t BodyAt(const std::string& frame) {
  const std::string start = "Start WDM Device Enumeration\r\n============================\r\n";
  size_t at = frame.find(start);
  EXPECT_NE(at, std::string::npos) << "no start title in the expected frame";
  return at == std::string::npos ? 0 : at + start.size();
}

std::string ReportWithBody(const std::string& body) {
  std::string frame = EmptyReport();
  return frame.insert(BodyAt(frame), body);
}

std::string TestReportWritten(const std::function<void()>& write) {
  ReportWriterReset();
  SimStart(SimMachine(), kTestOutDir, false);
  write();
  SimFinish();
  EXPECT_TRUE(SimMisuse().empty());
  return SimFileBytes(std::string(kTestOutDir) + "/ksreport.txt").value_or("<none>");
}

std::string ReportBody(const std::string& report) {
  std::string frame = EmptyReport();
  size_t split = BodyAt(frame);
  std::string header = frame.substr(0, split);
  std::string footer = frame.substr(split);
  bool framed = report.size() >= header.size() + footer.size() &&
                report.compare(0, header.size(), header) == 0 &&
                report.compare(report.size() - footer.size(), footer.size(), footer) == 0;
  EXPECT_TRUE(framed) << "report without its header and footer:\n" << report;
  if (!framed) return report;
  return report.substr(header.size(), report.size() - header.size() - footer.size());
}

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

std::string TypicalReport() { return RunMachine(LoadMachine("examples/typical-machine.json")).report; }

int CountOf(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

std::string ReplacedOnce(std::string text, const std::string& from, const std::string& to) {
  size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// --- The call log ---------------------------------------------------------

std::vector<std::string> CallOps() {
  std::vector<std::string> ops;
  for (const SimCall& call : SimCalls()) ops.push_back(call.op);
  return ops;
}

int CallCount(const std::string& op) {
  int n = 0;
  for (const SimCall& call : SimCalls()) n += call.op == op;
  return n;
}

std::vector<SimCall> IoctlCalls() {
  std::vector<SimCall> calls;
  for (const SimCall& call : SimCalls()) {
    if (call.op == "DeviceIoControl") calls.push_back(call);
  }
  return calls;
}

std::vector<SimCall> PinRequests(uint32_t pinId) {
  std::vector<SimCall> calls;
  for (const SimCall& call : IoctlCalls()) {
    if (call.a != KSPROPERTY_PIN_CTYPES && call.b == pinId) calls.push_back(call);
  }
  return calls;
}

}  // namespace ksr
