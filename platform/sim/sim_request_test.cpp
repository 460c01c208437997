// The simulated driver checks every request as a strict driver would, and
// follows the platform's delivery rule; requests that break either must be
// flagged, or the clean runs of every other test prove nothing.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/platform.h"
#include "tests/test.h"

namespace ksr {
namespace {

// One interface whose pin 0 answers the communication property at once and
// holds the data-flow property pending.
class SimRequestTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SimMachine machine;
    machine.devices.push_back(TestDevice({SimDefaultPin()}));
    SimPin& pin = machine.devices[0].interfaces[0].pins[0];
    pin.dataflow = SimPending();
    pin.interfaces.sizeQuery = 7;
    SimStart(machine, kTestOutDir, false);
    filter_ = CreateFileA(machine.devices[0].interfaces[0].path->c_str(),
                          GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_FLAG_OVERLAPPED, nullptr);
    event_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  }

  // A well-formed GET of property for pin 0, with a zeroed OVERLAPPED.
  void Prepare(uint32_t property) {
    std::memset(block_, 0, sizeof block_);
    GuidToBytes(KSPROPSETID_Pin, block_);
    WireStoreU32(block_ + 16, property);
    WireStoreU32(block_ + 20, KSPROPERTY_TYPE_GET);
    ov_ = OVERLAPPED();
    ov_.hEvent = reinterpret_cast<HANDLE>(reinterpret_cast<uintptr_t>(event_) | 1);
    count_ = 0;
  }
  BOOL Send(void* output, DWORD length, DWORD code = IOCTL_KS_PROPERTY, DWORD inputLength = 32,
            OVERLAPPED* ov = nullptr) {
    return DeviceIoControl(filter_, code, block_, inputLength, output, length, &count_,
                           ov != nullptr ? ov : &ov_);
  }
  // Ends the run and returns every flag it raised, one a line.
  std::string Seen() {
    CloseHandle(event_);
    CloseHandle(filter_);
    SimFinish();
    std::string all;
    for (const std::string& m : SimMisuse()) all += m + "\n";
    return all;
  }

  HANDLE filter_ = nullptr;
  HANDLE event_ = nullptr;
  uint8_t block_[32] = {};
  OVERLAPPED ov_ = {};
  DWORD count_ = 0;
  uint8_t out_[40] = {};
};

TEST_F(SimRequestTest, AWellFormedRequestRaisesNothing) {
  Prepare(KSPROPERTY_PIN_COMMUNICATION);
  EXPECT_TRUE(Send(out_, 4));
  EXPECT_EQ(WaitForSingleObject(event_, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(Seen(), "");
}

TEST_F(SimRequestTest, EveryPartOfARequestIsChecked) {
  struct Case {
    const char* flag;
    void (*spoil)(uint8_t* block, OVERLAPPED* ov, DWORD* code, DWORD* inputLength);
  } cases[] = {
      {"is not IOCTL_KS_PROPERTY", [](uint8_t*, OVERLAPPED*, DWORD* code, DWORD*) { *code += 4; }},
      {"input of 24 bytes is not a 32-byte KSP_PIN", [](uint8_t*, OVERLAPPED*, DWORD*, DWORD* n) { *n = 24; }},
      {"is not KSPROPSETID_Pin", [](uint8_t* b, OVERLAPPED*, DWORD*, DWORD*) { b[15] ^= 1; }},
      {"Flags 0x2 is not KSPROPERTY_TYPE_GET", [](uint8_t* b, OVERLAPPED*, DWORD*, DWORD*) { b[20] = 2; }},
      {"Reserved is 0x1000000, not 0", [](uint8_t* b, OVERLAPPED*, DWORD*, DWORD*) { b[31] = 1; }},
      {"OVERLAPPED not zero", [](uint8_t*, OVERLAPPED* ov, DWORD*, DWORD*) { ov->Internal = STATUS_PENDING; }},
      {"OVERLAPPED not zero", [](uint8_t*, OVERLAPPED* ov, DWORD*, DWORD*) { ov->InternalHigh = 4; }},
      {"OVERLAPPED not zero", [](uint8_t*, OVERLAPPED* ov, DWORD*, DWORD*) { ov->Offset = 1; }},
      {"OVERLAPPED not zero", [](uint8_t*, OVERLAPPED* ov, DWORD*, DWORD*) { ov->OffsetHigh = 1; }},
      {"hEvent without its low bit", [](uint8_t*, OVERLAPPED* ov, DWORD*, DWORD*) {
         ov->hEvent = reinterpret_cast<HANDLE>(reinterpret_cast<uintptr_t>(ov->hEvent) & ~uintptr_t{1});
       }},
  };
  for (const Case& c : cases) {
    SetUp();
    Prepare(KSPROPERTY_PIN_COMMUNICATION);
    DWORD code = IOCTL_KS_PROPERTY;
    DWORD inputLength = 32;
    c.spoil(block_, &ov_, &code, &inputLength);
    Send(out_, 4, code, inputLength);
    WaitForSingleObject(event_, 0);
    std::string seen = Seen();
    EXPECT_NE(seen.find(c.flag), std::string::npos) << "expected \"" << c.flag << "\", saw:\n" << seen;
  }
}

// A driver never reads PinId for the filter's pin-type count, and answers
// it whatever the id; the simulator answers too, and flags an id other
// than the 0 the tool writes.
TEST_F(SimRequestTest, ThePinTypeCountAskedForAnyPinButZeroIsFlaggedAndStillAnswered) {
  Prepare(KSPROPERTY_PIN_CTYPES);
  WireStoreU32(block_ + 24, 3);
  EXPECT_TRUE(Send(out_, 4));
  EXPECT_EQ(count_, 4u);
  EXPECT_EQ(WireLoadU32(out_), 1u) << "the filter's one pin type";
  EXPECT_EQ(WaitForSingleObject(event_, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(Seen(), "DeviceIoControl: KSPROPERTY_PIN_CTYPES asked with PinId 0x3, not 0\n");
  SetUp();
  Prepare(KSPROPERTY_PIN_CTYPES);
  EXPECT_TRUE(Send(out_, 4));
  EXPECT_EQ(WaitForSingleObject(event_, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(Seen(), "") << "PinId 0 is how the tool asks";
  SetUp();
  Prepare(KSPROPERTY_PIN_COMMUNICATION);
  WireStoreU32(block_ + 24, 3);
  Send(out_, 4);
  EXPECT_EQ(Seen().find("PinId"), std::string::npos) << "a pin property may name any pin";
}

TEST_F(SimRequestTest, ARequestWithoutAnOverlappedIsRefused) {
  Prepare(KSPROPERTY_PIN_COMMUNICATION);
  EXPECT_FALSE(DeviceIoControl(filter_, IOCTL_KS_PROPERTY, block_, 32, out_, 4, &count_, nullptr));
  EXPECT_NE(Seen().find("no OVERLAPPED"), std::string::npos);
}

TEST_F(SimRequestTest, ASecondRequestWhileOneIsPendingIsMisuse) {
  Prepare(KSPROPERTY_PIN_DATAFLOW);
  EXPECT_FALSE(Send(out_, 4));
  EXPECT_EQ(GetLastError(), ERROR_IO_PENDING);
  OVERLAPPED second = {};
  HANDLE secondEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  second.hEvent = reinterpret_cast<HANDLE>(reinterpret_cast<uintptr_t>(secondEvent) | 1);
  Prepare(KSPROPERTY_PIN_COMMUNICATION);
  Send(out_, 4, IOCTL_KS_PROPERTY, 32, &second);
  WaitForSingleObject(secondEvent, 0);
  CloseHandle(secondEvent);
  Prepare(KSPROPERTY_PIN_DATAFLOW);
  EXPECT_TRUE(CancelIoEx(filter_, nullptr));
  EXPECT_EQ(WaitForSingleObject(event_, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(Seen(), "DeviceIoControl: sent while another request is outstanding\n");
}

TEST_F(SimRequestTest, APendingRequestMustEndBeforeItsPartsAreGivenUp) {
  Prepare(KSPROPERTY_PIN_DATAFLOW);
  EXPECT_FALSE(Send(out_, 4));
  EXPECT_EQ(GetLastError(), ERROR_IO_PENDING);
  EXPECT_EQ(WaitForSingleObject(event_, INFINITE), WAIT_FAILED) << "nothing would ever signal it";
  std::string seen = Seen();
  EXPECT_NE(seen.find("closed while its request is outstanding"), std::string::npos) << seen;
  EXPECT_NE(seen.find("waits forever"), std::string::npos) << seen;
  EXPECT_NE(seen.find("still outstanding"), std::string::npos) << seen;
}

TEST_F(SimRequestTest, ACancelledRequestEndsWhenItsEventIsWaitedOn) {
  Prepare(KSPROPERTY_PIN_DATAFLOW);
  EXPECT_FALSE(Send(out_, 4));
  EXPECT_EQ(ov_.Internal, STATUS_PENDING);
  EXPECT_TRUE(CancelIoEx(filter_, &ov_));
  EXPECT_EQ(ov_.Internal, STATUS_PENDING) << "cancelling only asks";
  EXPECT_FALSE(CancelIoEx(filter_, &ov_)) << "asked already";
  EXPECT_EQ(WaitForSingleObject(event_, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(ov_.Internal, STATUS_CANCELLED);
  EXPECT_FALSE(CancelIoEx(filter_, &ov_)) << "nothing left to cancel";
  EXPECT_EQ(Seen(), "");
}

TEST_F(SimRequestTest, ACancelledRequestMustStillBeWaitedFor) {
  Prepare(KSPROPERTY_PIN_DATAFLOW);
  EXPECT_FALSE(Send(out_, 4));
  EXPECT_TRUE(CancelIoEx(filter_, &ov_));
  std::string seen = Seen();  // closes the event without a wait
  EXPECT_NE(seen.find("closed while its request is outstanding"), std::string::npos) << seen;
  EXPECT_NE(seen.find("still outstanding"), std::string::npos) << seen;
}

TEST_F(SimRequestTest, SizeQueriesAndShortBuffersYieldTheNeededSize) {
  std::memset(out_, 0xEE, sizeof out_);
  Prepare(KSPROPERTY_PIN_INTERFACES);
  EXPECT_FALSE(Send(nullptr, 0));
  EXPECT_EQ(GetLastError(), ERROR_MORE_DATA);
  EXPECT_EQ(count_, 7u) << "the size query's own count";
  EXPECT_EQ(WaitForSingleObject(event_, 0), WAIT_OBJECT_0) << "a warning completion signals";
  Prepare(KSPROPERTY_PIN_INTERFACES);
  EXPECT_FALSE(Send(out_, 31));
  EXPECT_EQ(count_, 32u);
  EXPECT_EQ(ov_.Internal, STATUS_BUFFER_OVERFLOW);
  EXPECT_EQ(out_[0], 0xEE) << "a refused request writes nothing";
  WaitForSingleObject(event_, 0);
  Prepare(KSPROPERTY_PIN_INTERFACES);
  EXPECT_TRUE(Send(out_, 40));
  EXPECT_EQ(count_, 32u);
  EXPECT_EQ(out_[32], 0xEE);
  WaitForSingleObject(event_, 0);
  EXPECT_EQ(Seen(), "");
}

// A filter whose pin 0 has two data ranges (184 bytes with the header)
// and answers short list requests as the kernel-streaming library does.
class SimKsShortBufferTest : public SimRequestTest {
 protected:
  void SetUp() override {
    SimMachine machine;
    SimPin pin = SimPcmPin(2, 16, 8000, 48000);
    pin.dataRanges = SimList({SimPcmRange(2, 16, 8000, 48000), SimPcmRange(2, 24, 44100, 96000)});
    machine.devices.push_back(TestDevice({pin}));
    machine.devices[0].interfaces[0].ksShortBuffers = true;
    SimStart(machine, kTestOutDir, false);
    filter_ = CreateFileA(machine.devices[0].interfaces[0].path->c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                          nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    event_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  }
  uint8_t ranges_[200] = {};
};

TEST_F(SimKsShortBufferTest, FourBytesGetTheSizeAndEightTheHeader) {
  Prepare(KSPROPERTY_PIN_DATARANGES);
  std::memset(ranges_, 0xEE, sizeof ranges_);
  ASSERT_TRUE(Send(ranges_, 4));
  EXPECT_EQ(count_, 4u);
  EXPECT_EQ(WireLoadU32(ranges_), 184u);
  EXPECT_EQ(ranges_[4], 0xEE);
  EXPECT_EQ(WaitForSingleObject(event_, INFINITE), WAIT_OBJECT_0);
  Prepare(KSPROPERTY_PIN_DATARANGES);
  ASSERT_TRUE(Send(ranges_, 8));
  EXPECT_EQ(count_, 8u);
  EXPECT_EQ(WireLoadU32(ranges_), 184u);
  EXPECT_EQ(WireLoadU32(ranges_ + 4), 2u);
  EXPECT_EQ(ranges_[8], 0xEE);
  EXPECT_EQ(ov_.InternalHigh, 8u);
  EXPECT_EQ(WaitForSingleObject(event_, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(Seen(), "");
}

TEST_F(SimKsShortBufferTest, AnyOtherShortLengthFailsWithoutCountOrSignal) {
  for (DWORD length : {1u, 5u, 9u, 183u}) {
    Prepare(KSPROPERTY_PIN_DATARANGES);
    count_ = 77;
    std::memset(ranges_, 0xEE, sizeof ranges_);
    EXPECT_FALSE(Send(ranges_, length)) << length;
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER) << length;
    EXPECT_EQ(count_, 77u) << length;
    EXPECT_EQ(ov_.Internal, 0u) << length;
    EXPECT_EQ(ov_.InternalHigh, 0u) << length;
    EXPECT_EQ(ranges_[0], 0xEE) << length;
    EXPECT_EQ(WaitForSingleObject(event_, 0), WAIT_TIMEOUT) << length;
  }
  EXPECT_EQ(Seen(), "");
}

TEST_F(SimKsShortBufferTest, SizeQueriesWholeListsAndFixedAnswersKeepTheRule) {
  Prepare(KSPROPERTY_PIN_DATARANGES);
  EXPECT_FALSE(Send(nullptr, 0));
  EXPECT_EQ(GetLastError(), ERROR_MORE_DATA);
  EXPECT_EQ(count_, 184u);
  EXPECT_EQ(WaitForSingleObject(event_, INFINITE), WAIT_OBJECT_0);
  Prepare(KSPROPERTY_PIN_DATARANGES);
  ASSERT_TRUE(Send(ranges_, 184));
  EXPECT_EQ(count_, 184u);
  EXPECT_EQ(WaitForSingleObject(event_, INFINITE), WAIT_OBJECT_0);
  // KSPIN_CINSTANCES is 8 bytes, not a list: 4 bytes are refused for size.
  Prepare(KSPROPERTY_PIN_GLOBALCINSTANCES);
  EXPECT_FALSE(Send(out_, 4));
  EXPECT_EQ(GetLastError(), ERROR_MORE_DATA);
  EXPECT_EQ(count_, 8u);
  EXPECT_EQ(WaitForSingleObject(event_, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(Seen(), "");
}

TEST_F(SimRequestTest, WithoutTheKsRulesEightBytesOfAListAreRefusedForSize) {
  Prepare(KSPROPERTY_PIN_MEDIUMS);
  EXPECT_FALSE(Send(out_, 8));
  EXPECT_EQ(GetLastError(), ERROR_MORE_DATA);
  EXPECT_EQ(count_, 32u);
  EXPECT_EQ(WaitForSingleObject(event_, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(Seen(), "");
}

}  // namespace
}  // namespace ksr
