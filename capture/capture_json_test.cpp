// A capture written as a machine file must load, whatever bytes the drivers
// gave, and must hold what the run saw: checked by recording answers as the
// capture layer does and loading what the writer makes of them.
#include "capture/capture_json.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "capture/capture_memory.h"
#include "platform/sim/sim.h"
#include "tests/test.h"

namespace ksr {
namespace {

// The capture program links no simulator, so its bounds are its own; they
// must be the replay's: the longest unread value the loader takes, and the
// largest block the simulated heap grants.
static_assert(kCaptureUnreadValueLimit == kSimUnreadValueLimit,
              "a refused property's size is capped where the loader refuses it");
static_assert(kCaptureReplayHeapLimit == kSimHeapLimit,
              "a capture is marked as over the simulated heap where that heap refuses");

bool ToString(void* context, const char* text, uint32_t length) {
  static_cast<std::string*>(context)->append(text, length);
  return true;
}

std::string Written() {
  std::string text;
  static CaptureSink sink;
  sink = CaptureSink();
  sink.Flush = ToString;
  sink.Context = &text;
  EXPECT_TRUE(CaptureWriteMachine(gCapture, {"test", "1.2.3", "x86"}, &sink));
  return text;
}

SimMachine Reloaded() {
  std::string text = Written();
  SimMachine machine;
  std::string error;
  EXPECT_TRUE(SimLoadMachineText(text, &machine, &error)) << error << "\n" << text.substr(0, 2000);
  return machine;
}

// A recorded run up to one open filter: device 0 with interface 0.
class CaptureJsonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CaptureReset();
    CaptureRecordDeviceSet(true);
    device_.cbSize = sizeof device_;
    device_.DevInst = 7;
    device_.Reserved = 1;
    CaptureRecordDevice(true, &device_);
    iface_.cbSize = sizeof iface_;
    iface_.Flags = SPINT_ACTIVE;
    iface_.Reserved = 1;
    CaptureRecordInterface(true, &device_, &iface_);
    uint8_t detail[265] = {};
    std::memcpy(detail + kDetailPathOffset, "\\\\?\\x", 6);
    CaptureRecordPath(&iface_, true, 0, detail, sizeof detail, 0);
    CaptureRecordOpen("\\\\?\\x", true, filter_, 0);
  }

  // A request as the layer sees it, about property of pin.
  void Request(uint32_t property, uint32_t pin, uint32_t outputLength, bool ok, DWORD error,
               DWORD count, const std::vector<uint8_t>& output = {}) {
    uint8_t block[32] = {};
    WireStoreU32(block + 16, property);
    WireStoreU32(block + 24, pin);
    CaptureRecordRequest(filter_, block, 32, output.empty() ? nullptr : output.data(), outputLength,
                         ok, error, count, &overlapped_);
  }

  SP_DEVINFO_DATA device_ = {};
  SP_DEVICE_INTERFACE_DATA iface_ = {};
  HANDLE filter_ = reinterpret_cast<HANDLE>(0x40);
  OVERLAPPED overlapped_ = {};
};

TEST_F(CaptureJsonTest, DeviceStringsOfAnyBytesComeBackAsTheyWere) {
  std::vector<uint8_t> all(256);
  for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<uint8_t>(i);
  const uint8_t text[] = {'A', '"', '\\', 'z', 0};
  const uint8_t noNul[] = {'A', 'B'};
  const uint8_t ids[] = {'P', 'C', 'I', 0, 'X', 0, 0};
  CaptureRecordProperty(&device_, SPDRP_DEVICEDESC, true, 0, text, 260, sizeof text);
  CaptureRecordProperty(&device_, SPDRP_HARDWAREID, true, 0, ids, 260, sizeof ids);
  CaptureRecordProperty(&device_, SPDRP_BUSNUMBER, false, ERROR_INVALID_DATA, nullptr, 4, 0);
  CaptureRecordProperty(&device_, SPDRP_MFG, true, 0, all.data(), 260, 256);
  CaptureRecordProperty(&device_, SPDRP_SERVICE, true, 0, noNul, 260, sizeof noNul);
  SimMachine m = Reloaded();
  ASSERT_EQ(m.devices.size(), 1u);
  const SimDevice& d = m.devices[0];
  EXPECT_EQ(d.devInst, 7u);
  EXPECT_EQ(*d.description, SimBytes(text, text + sizeof text));
  EXPECT_EQ(*d.hardwareIds, SimBytes(ids, ids + sizeof ids));
  EXPECT_FALSE(d.busNumber.has_value()) << "a failed read stays a failed read";
  EXPECT_EQ(*d.manufacturer, SimBytes(all.begin(), all.end()));
  EXPECT_EQ(*d.service, SimBytes(noNul, noNul + sizeof noNul));
  EXPECT_EQ(*m.devices[0].interfaces[0].path, "\\\\?\\x");
  EXPECT_EQ(m.capture->arch, "x86");
  EXPECT_TRUE(m.capture->truncated.empty());
}

TEST_F(CaptureJsonTest, RefusalsForSizeReplayAsRefusals) {
  CaptureRecordProperty(&device_, SPDRP_HARDWAREID, false, ERROR_INSUFFICIENT_BUFFER, nullptr, 260, 700);
  SP_DEVICE_INTERFACE_DATA second = iface_;
  second.Reserved = 2;
  CaptureRecordInterface(true, &device_, &second);
  CaptureRecordPath(&second, false, ERROR_INSUFFICIENT_BUFFER, nullptr, 265, 4 + 300);
  Request(KSPROPERTY_PIN_COMMUNICATION, 0, 4, false, ERROR_MORE_DATA, 8);
  SimMachine m = Reloaded();
  EXPECT_EQ(m.devices[0].hardwareIds->size(), 700u);
  EXPECT_EQ(*m.devices[0].interfaces[1].pathUnread, 300u);
  const SimAnswer& communication = m.devices[0].interfaces[0].pins[0].communication;
  EXPECT_EQ(communication.Length(), 8u);
  EXPECT_TRUE(communication.unread.has_value());
}

TEST_F(CaptureJsonTest, ListsKeepTheirSizeQueryAndWhatTheDataQueryDid) {
  std::vector<uint8_t> list = SimList({SimIdentifier(KSMEDIUMSETID_Standard, 0, 0)}).bytes;
  Request(KSPROPERTY_PIN_MEDIUMS, 0, 0, false, ERROR_MORE_DATA, 40);  // a size that lies
  Request(KSPROPERTY_PIN_MEDIUMS, 0, 40, true, 0, 32, list);
  Request(KSPROPERTY_PIN_INTERFACES, 0, 0, false, ERROR_MORE_DATA, 32);
  Request(KSPROPERTY_PIN_INTERFACES, 0, 32, false, ERROR_GEN_FAILURE, 0);
  Request(KSPROPERTY_PIN_DATARANGES, 0, 0, false, ERROR_MORE_DATA, 0xFFFFFFFFu);  // no buffer follows
  SimMachine m = Reloaded();
  const SimPin& p = m.devices[0].interfaces[0].pins[0];
  EXPECT_EQ(p.mediums.bytes, list);
  EXPECT_EQ(*p.mediums.sizeQuery, 40u);
  EXPECT_FALSE(p.mediums.reported.has_value());
  EXPECT_EQ(p.interfaces.Length(), 32u);
  EXPECT_EQ(p.interfaces.dataQuery->error, ERROR_GEN_FAILURE);
  EXPECT_EQ(p.dataRanges.Length(), 0xFFFFFFFFu) << "a 4 GiB claim stays a claim";
  EXPECT_EQ(p.communication.kind, SimAnswer::kAbsent) << "never asked";
}

TEST_F(CaptureJsonTest, APendingRequestKeepsHowItEnded) {
  overlapped_.hEvent = reinterpret_cast<HANDLE>(0x81);
  Request(KSPROPERTY_PIN_DATAFLOW, 0, 4, false, ERROR_IO_PENDING, 0);
  overlapped_.Internal = STATUS_BUFFER_OVERFLOW;  // completed anyway, with a warning
  overlapped_.InternalHigh = 8;
  CaptureRecordWait(reinterpret_cast<HANDLE>(0x80));
  Request(KSPROPERTY_PIN_COMMUNICATION, 1, 4, false, ERROR_IO_PENDING, 0);  // never waited on
  SimMachine m = Reloaded();
  const SimInterface& i = m.devices[0].interfaces[0];
  EXPECT_EQ(i.pins[0].dataflow.kind, SimAnswer::kPending);
  EXPECT_EQ(i.pins[0].dataflow.ended->status, STATUS_BUFFER_OVERFLOW);
  EXPECT_EQ(i.pins[0].dataflow.ended->count, 8u);
  EXPECT_EQ(i.pins[1].communication.kind, SimAnswer::kPending);
  EXPECT_FALSE(i.pins[1].communication.ended.has_value());
}

TEST_F(CaptureJsonTest, AnswersOverTheBoundAreKeptByTheirLengthAndMarkTheCapture) {
  std::vector<uint8_t> big(kCaptureAnswerLimit + 1, 0xAB);
  Request(KSPROPERTY_PIN_DATARANGES, 0, 0, false, ERROR_MORE_DATA, static_cast<DWORD>(big.size()));
  Request(KSPROPERTY_PIN_DATARANGES, 0, static_cast<DWORD>(big.size()), true, 0,
          static_cast<DWORD>(big.size()), big);
  SimMachine m = Reloaded();
  EXPECT_EQ(m.devices[0].interfaces[0].pins[0].dataRanges.Length(), big.size());
  ASSERT_EQ(m.capture->truncated.size(), 1u);
  EXPECT_NE(m.capture->truncated[0].find("1 MiB"), std::string::npos);
}

TEST_F(CaptureJsonTest, AllAnswersTogetherAreBounded) {
  std::vector<uint8_t> answer(kCaptureAnswerLimit, 1);
  uint32_t pins = kCaptureBytesLimit / kCaptureAnswerLimit + 1;
  for (uint32_t pin = 0; pin < pins; ++pin) {
    Request(KSPROPERTY_PIN_DATARANGES, pin, 0, false, ERROR_MORE_DATA, kCaptureAnswerLimit);
    Request(KSPROPERTY_PIN_DATARANGES, pin, kCaptureAnswerLimit, true, 0, kCaptureAnswerLimit, answer);
  }
  SimMachine m = Reloaded();
  const SimInterface& i = m.devices[0].interfaces[0];
  EXPECT_EQ(i.pins.front().dataRanges.bytes, answer);
  EXPECT_TRUE(i.pins.back().dataRanges.bytes.empty());
  EXPECT_EQ(i.pins.back().dataRanges.Length(), kCaptureAnswerLimit);
  EXPECT_NE(m.capture->truncated[0].find("16 MiB"), std::string::npos);
}

TEST_F(CaptureJsonTest, FailuresTheMachineCannotSayBecomeFailingCalls) {
  CaptureRecordOpen("C:\\ksreport-capture.txt", false, INVALID_HANDLE_VALUE, ERROR_ACCESS_DENIED);
  CaptureRecordOpen("C:\\ksreport-capture.txt", false, reinterpret_cast<HANDLE>(8), 0);
  // Once made, the report is not made again: a later failure is another file's.
  CaptureRecordOpen("C:\\ksreport-capture.txt", false, INVALID_HANDLE_VALUE, ERROR_ACCESS_DENIED);
  CaptureRecordCounted(kCountWriteFile, false, 0);
  CaptureRecordCounted(kCountWriteFile, true, ERROR_DISK_FULL);
  CaptureRecordCounted(kCountHeapAlloc, true, ERROR_NOT_ENOUGH_MEMORY);
  SimMachine m = Reloaded();
  EXPECT_EQ(m.reportCreateFailures, 1u);
  ASSERT_EQ(m.failCalls.size(), 2u);
  EXPECT_EQ(m.failCalls[0].op, "WriteFile");
  EXPECT_EQ(m.failCalls[0].nth, 2u);
  EXPECT_EQ(m.failCalls[0].error, ERROR_DISK_FULL);
  EXPECT_EQ(m.failCalls[1].op, "HeapAlloc");
}

TEST_F(CaptureJsonTest, AnAliasLookupReplaysAsItFailed) {
  // No render alias, as Windows says it: nothing but the absent key; a
  // capture alias that failed otherwise: its error, replayed.
  CaptureRecordAlias(&iface_, &KSCATEGORY_RENDER, false, ERROR_NO_SUCH_INTERFACE_DEVICE, 0);
  CaptureRecordAlias(&iface_, &KSCATEGORY_CAPTURE, false, ERROR_NO_MORE_ITEMS, 0);
  std::string text = Written();
  EXPECT_EQ(text.find("renderAlias"), std::string::npos) << text;
  EXPECT_NE(text.find("\"captureAliasError\": 259"), std::string::npos) << text;
  SimMachine machine = Reloaded();
  const SimInterface& i = machine.devices[0].interfaces[0];
  EXPECT_FALSE(i.renderAlias.has_value());
  EXPECT_EQ(i.renderAliasError, ERROR_NO_SUCH_INTERFACE_DEVICE);
  EXPECT_FALSE(i.captureAlias.has_value());
  EXPECT_EQ(i.captureAliasError, ERROR_NO_MORE_ITEMS);
}

TEST_F(CaptureJsonTest, AFriendlyNameKeepsWhatTheBufferHeld) {
  SP_DEVICE_INTERFACE_DATA second = iface_;
  second.Reserved = 2;
  CaptureRecordInterface(true, &device_, &second);
  HKEY key = reinterpret_cast<HKEY>(0x90);
  CaptureRecordKey(&iface_, key, 0);
  std::vector<uint8_t> filled(264, 0x41);  // refused, and no NUL left in the buffer
  CaptureRecordValue(key, static_cast<LONG>(ERROR_MORE_DATA), filled.data(), 264, 600);
  CaptureRecordClose(key);
  CaptureRecordKey(&second, key, 0);
  CaptureRecordValue(key, static_cast<LONG>(ERROR_FILE_NOT_FOUND), nullptr, 264, 0);
  SimMachine m = Reloaded();
  const SimDevice& d = m.devices[0];
  EXPECT_EQ(*d.interfaces[0].friendlyName, filled);
  EXPECT_EQ(*d.interfaces[0].friendlyNameError, ERROR_MORE_DATA);
  EXPECT_FALSE(d.interfaces[1].friendlyName.has_value()) << "no value stays no value";
}

TEST_F(CaptureJsonTest, AFailedFriendlyNameKeepsTheStringTheBufferHeldWithItsNul) {
  HKEY key = reinterpret_cast<HKEY>(0x90);
  CaptureRecordKey(&iface_, key, 0);
  std::vector<uint8_t> buffer(264, 0);
  buffer[0] = 'a';
  buffer[1] = 'b';
  CaptureRecordValue(key, static_cast<LONG>(ERROR_MORE_DATA), buffer.data(), 264, 600);
  EXPECT_EQ(*Reloaded().devices[0].interfaces[0].friendlyName, SimBytes({'a', 'b', 0}));
}

// A driver's odd property answer: "buffer too small" for a size that fits.
// It is no refusal for size; the replay fails the read as the run saw it.
TEST_F(CaptureJsonTest, AShortBufferErrorForASizeThatFitsIsAFailure) {
  uint8_t buffer[260] = {'x'};
  CaptureRecordProperty(&device_, SPDRP_DEVICEDESC, false, ERROR_INSUFFICIENT_BUFFER, buffer, 260, 100);
  CaptureRecordProperty(&device_, SPDRP_MFG, false, ERROR_INSUFFICIENT_BUFFER, buffer, 260, 261);
  SimMachine m = Reloaded();
  EXPECT_FALSE(m.devices[0].description.has_value());
  ASSERT_TRUE(m.devices[0].manufacturer.has_value());
  EXPECT_EQ(m.devices[0].manufacturer->size(), 261u) << "a refusal for size replays as one";
}

// A path with no NUL in its buffer ends at the buffer's end, whatever
// follows the buffer in memory.
TEST_F(CaptureJsonTest, APathWithoutANulEndsWithItsBuffer) {
  SP_DEVICE_INTERFACE_DATA second = iface_;
  second.Reserved = 2;
  CaptureRecordInterface(true, &device_, &second);
  std::vector<uint8_t> memory(300, 'a');
  CaptureRecordPath(&second, true, 0, memory.data(), 265, 0);
  SimMachine m = Reloaded();
  ASSERT_EQ(m.devices[0].interfaces.size(), 2u);
  EXPECT_EQ(*m.devices[0].interfaces[1].path, std::string(265 - kDetailPathOffset, 'a'));
}

// Pin slots grow by doubling from 16: pins 15, 16 and 32 land each in its
// own slot; an id past the 65536 the capture holds marks it instead.
TEST_F(CaptureJsonTest, PinIdsAtEachGrowthOfTheSlotsKeepTheirOwnAnswers) {
  for (uint32_t pin : {16u, 15u, 32u}) Request(KSPROPERTY_PIN_DATAFLOW, pin, 4, true, 0, 4, {uint8_t(pin), 0, 0, 0});
  Request(KSPROPERTY_PIN_DATAFLOW, 65536, 4, true, 0, 4, {1, 0, 0, 0});
  SimMachine m = Reloaded();
  const SimInterface& i = m.devices[0].interfaces[0];
  ASSERT_EQ(i.pins.size(), 33u);
  for (uint32_t pin : {15u, 16u, 32u}) EXPECT_EQ(i.pins[pin].dataflow.bytes, SimBytes({uint8_t(pin), 0, 0, 0})) << pin;
  EXPECT_EQ(i.pins[0].dataflow.kind, SimAnswer::kAbsent);
  // Over the bound, and so an answer with no place in the machine.
  ASSERT_EQ(m.capture->truncated.size(), 2u);
  EXPECT_NE(m.capture->truncated[0].find("pins"), std::string::npos);
  EXPECT_NE(m.capture->truncated[1].find("could not place"), std::string::npos);
}

// A value read whole keeps its own bytes, not the rest of the buffer.
TEST_F(CaptureJsonTest, AFriendlyNameReadWholeKeepsItsBytesOnly) {
  HKEY key = reinterpret_cast<HKEY>(0x90);
  CaptureRecordKey(&iface_, key, 0);
  std::vector<uint8_t> buffer(264, 'z');
  std::memcpy(buffer.data(), "Hi", 3);
  CaptureRecordValue(key, static_cast<LONG>(ERROR_SUCCESS), buffer.data(), 264, 3);
  EXPECT_EQ(*Reloaded().devices[0].interfaces[0].friendlyName, SimBytes({'H', 'i', 0}));
}

// A request block too short to hold a pin id names no answer of the machine.
TEST_F(CaptureJsonTest, ARequestBlockShorterThanAKspPinIsNotPlaced) {
  uint8_t block[32] = {};
  WireStoreU32(block + 16, KSPROPERTY_PIN_DATAFLOW);
  uint8_t out[4] = {1, 0, 0, 0};
  CaptureRecordRequest(filter_, block, 28, out, 4, true, 0, 4, &overlapped_);
  SimMachine m = Reloaded();
  EXPECT_TRUE(m.devices[0].interfaces[0].pins.empty());
  ASSERT_EQ(m.capture->truncated.size(), 1u);
  EXPECT_NE(m.capture->truncated[0].find("could not place"), std::string::npos);
}

// The replay's heap grants a block of its limit and refuses one byte more.
TEST_F(CaptureJsonTest, OnlyAHeapBlockOverTheReplaysLimitMarksTheCapture) {
  CaptureRecordHeapBlock(kCaptureReplayHeapLimit, true);
  CaptureRecordHeapBlock(kCaptureReplayHeapLimit + 1, false);
  EXPECT_TRUE(Reloaded().capture->truncated.empty());
  CaptureRecordHeapBlock(kCaptureReplayHeapLimit + 1, true);
  EXPECT_EQ(Reloaded().capture->truncated.size(), 1u);
}

// The capture writes answers in the machine file's own short forms: an
// answer the driver does not have as null, whole numbers (up to the 16
// bytes of the widest fixed answer) as numbers, a refused size no larger
// than the loader takes.
TEST_F(CaptureJsonTest, AnswersAreWrittenInTheMachineFilesShortForms) {
  Request(KSPROPERTY_PIN_DATAFLOW, 0, 4, false, ERROR_NOT_FOUND, 0);
  Request(KSPROPERTY_PIN_COMMUNICATION, 0, 16, true, 0, 16, {1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0});
  Request(KSPROPERTY_PIN_CINSTANCES, 0, 12, true, 0, 12, {1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0});
  uint8_t buffer[260] = {};
  CaptureRecordProperty(&device_, SPDRP_HARDWAREID, false, ERROR_INSUFFICIENT_BUFFER, buffer, 260, 0xFFFFFFF0u);
  std::string text = Written();
  EXPECT_NE(text.find("\"dataflow\": null"), std::string::npos) << text;
  EXPECT_NE(text.find("\"communication\": [1, 2, 3, 4]"), std::string::npos) << text;
  EXPECT_NE(text.find("\"instances\": [1, 2, 3]"), std::string::npos) << text;
  EXPECT_NE(text.find("{\"unread\": " + std::to_string(kCaptureUnreadValueLimit) + "}"), std::string::npos) << text;
  EXPECT_EQ(Reloaded().devices[0].hardwareIds->size(), kCaptureUnreadValueLimit);
}

// A missing value whose buffer still held a string: the caller reads that
// string, so the replay must give it, with the error.
TEST_F(CaptureJsonTest, AMissingFriendlyNameKeepsWhatTheBufferStillHeld) {
  HKEY key = reinterpret_cast<HKEY>(0x90);
  CaptureRecordKey(&iface_, key, 0);
  std::vector<uint8_t> buffer(264, 0);
  std::memcpy(buffer.data(), "old", 4);
  CaptureRecordValue(key, static_cast<LONG>(ERROR_FILE_NOT_FOUND), buffer.data(), 264, 0);
  SimMachine m = Reloaded();
  const SimInterface& i = m.devices[0].interfaces[0];
  EXPECT_EQ(*i.friendlyName, SimBytes({'o', 'l', 'd', 0}));
  EXPECT_EQ(*i.friendlyNameError, ERROR_FILE_NOT_FOUND);
}

// A path over the answer bound is kept by its length, and the length a
// replay must claim counts the path's NUL.
TEST_F(CaptureJsonTest, APathOverTheBoundClaimsItsLengthWithItsNul) {
  SP_DEVICE_INTERFACE_DATA second = iface_;
  second.Reserved = 2;
  CaptureRecordInterface(true, &device_, &second);
  std::vector<uint8_t> detail(kCaptureAnswerLimit + 8, 'a');
  detail.back() = 0;
  CaptureRecordPath(&second, true, 0, detail.data(), static_cast<DWORD>(detail.size()), 0);
  SimMachine m = Reloaded();
  ASSERT_EQ(m.devices[0].interfaces.size(), 2u);
  EXPECT_EQ(*m.devices[0].interfaces[1].pathUnread, detail.size() - kDetailPathOffset);
}

// Bytes at the edges of the text forms: a control character below the
// space, and one ID without the list's closing second NUL.
TEST_F(CaptureJsonTest, StringsAtTheEdgesOfTheTextFormsComeBackAsTheyWere) {
  const uint8_t text[] = {'a', 0x1F, 'b', 0};
  const uint8_t id[] = {'I', 'D', 0};
  CaptureRecordProperty(&device_, SPDRP_DEVICEDESC, true, 0, text, 260, sizeof text);
  CaptureRecordProperty(&device_, SPDRP_HARDWAREID, true, 0, id, 260, sizeof id);
  SimMachine m = Reloaded();
  EXPECT_EQ(*m.devices[0].description, SimBytes(text, text + sizeof text));
  EXPECT_EQ(*m.devices[0].hardwareIds, SimBytes(id, id + sizeof id));
}

TEST(CaptureMemory, RecordsAreEightByteAlignedAndTheLastOneThatFitsIsGiven) {
  CaptureMemoryReset();
  auto* first = static_cast<unsigned char*>(CaptureMemoryAlloc(5));
  auto* second = static_cast<unsigned char*>(CaptureMemoryAlloc(1));
  EXPECT_EQ(second - first, 8) << "records hold pointers";
  EXPECT_NE(CaptureMemoryAlloc(kCaptureRecordsLimit - 16 - 8), nullptr);
  EXPECT_NE(CaptureMemoryAlloc(8), nullptr) << "the store's last 8 bytes";
  EXPECT_EQ(CaptureMemoryAlloc(1), nullptr);
  CaptureMemoryReset();
  EXPECT_EQ(CaptureMemoryAlloc(8), first) << "a reset gives the whole store back";
}

TEST(CaptureMemory, AResetGivesBackTheAnswersRoom) {
  CaptureMemoryReset();
  std::vector<uint8_t> answer(kCaptureAnswerLimit, 7);
  for (uint32_t used = 0; used < kCaptureBytesLimit; used += kCaptureAnswerLimit) {
    ASSERT_NE(CaptureMemoryKeep(answer.data(), kCaptureAnswerLimit), nullptr);
  }
  EXPECT_EQ(CaptureMemoryKeep(answer.data(), 1), nullptr);
  CaptureMemoryReset();
  EXPECT_NE(CaptureMemoryKeep(answer.data(), kCaptureAnswerLimit), nullptr);
  CaptureMemoryReset();
}

TEST_F(CaptureJsonTest, AnswersThatCannotBePlacedMarkTheCapture) {
  uint8_t block[32] = {};
  CaptureRecordRequest(reinterpret_cast<HANDLE>(0x999), block, 32, nullptr, 0, false,
                       ERROR_NOT_FOUND, 0, &overlapped_);
  EXPECT_EQ(Reloaded().capture->truncated.size(), 1u);
}

}  // namespace
}  // namespace ksr
