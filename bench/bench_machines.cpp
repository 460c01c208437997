#include "bench/bench_machines.h"

#include <string>

namespace ksr {

namespace {

SimPin MakePin(int index, BenchPin kind) {
  SimPin pin = SimDefaultPin();
  pin.dataflow = SimU32(index % 2 == 0 ? 1 : 2);
  std::vector<SimBytes> ranges;
  for (int r = 0; r < kBenchRangesPerPin; ++r) {
    SimDataRange range;
    range.maxChannels = 1 + static_cast<uint32_t>(r % 8);
    range.minBits = 16;
    range.maxBits = 16 + 8 * static_cast<uint32_t>(r % 3);
    range.minRate = 8000 * (1 + static_cast<uint32_t>(r % 6));
    range.maxRate = 48000 * (1 + static_cast<uint32_t>(r % 4));
    ranges.push_back(SimDataRangeBytes(range));
  }
  switch (kind) {
    case BenchPin::kNormal:
      pin.dataRanges = SimList(ranges);
      break;
    case BenchPin::kZeroStepHugeCount:
      pin.dataRanges = SimList(ranges, 0xFFFFFFFFu);
      pin.dataRanges.bytes[8] = 0;  // the first range's FormatSize
      break;
    case BenchPin::kFourByteStepHugeCount:
      pin.dataRanges = SimList(ranges, 0xFFFFFFFFu);
      pin.dataRanges.bytes[8] = 4;
      break;
    case BenchPin::kOverReported:
      pin.dataRanges = SimList(ranges);
      pin.dataRanges.reported = 0xFFFFFFFFu;
      pin.interfaces.reported = 0xFFFFFFFFu;
      pin.mediums.reported = 0xFFFFFFFFu;
      break;
  }
  return pin;
}

}  // namespace

SimMachine BenchMachine(int scale, BenchPin kind) {
  SimMachine machine;
  int pins = kBenchPinsPerScale * scale;
  int perInterface = pins / 8;
  for (int d = 0; d < 4; ++d) {
    SimDevice device;
    device.devInst = static_cast<uint32_t>(d);
    device.description = SimString("Bench Audio " + std::to_string(d));
    device.hardwareIds = SimMulti({"BENCH\\AUDIO_" + std::to_string(d)});
    device.manufacturer = SimString("Generic");
    device.service = SimString("bench");
    for (int i = 0; i < 2; ++i) {
      SimInterface iface;
      iface.path = "\\\\?\\bench#" + std::to_string(d) + "#{6994ad04-93ef-11d0-a3cc-00a0c9223196}\\w" +
                   std::to_string(i);
      iface.renderAlias = SPINT_ACTIVE;
      iface.friendlyName = SimString("Bench " + std::to_string(i));
      for (int p = 0; p < perInterface; ++p) iface.pins.push_back(MakePin(p, kind));
      device.interfaces.push_back(iface);
    }
    machine.devices.push_back(device);
  }
  return machine;
}

}  // namespace ksr
