// The simulated platform's side of requests given up: a pending answer
// that ignores its cancel, and what it takes for the program to leave such
// a request behind without misuse.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/platform.h"
#include "platform/sim/sim.h"
#include "tests/test.h"

namespace ksr {
namespace {

SimMachine HeldMachine() {
  SimMachine machine;
  std::string error;
  EXPECT_TRUE(SimLoadMachineText(R"({"devices": [{"interfaces": [{"path": "\\\\?\\f", "renderAlias": 1,
      "pins": [{"communication": {"pending": {"ignoresCancel": true}},
                "dataRanges": {"unread": 96, "dataQuery": {"pending": {"ignoresCancel": true}}}}]}]}]})",
                                 &machine, &error))
      << error;
  return machine;
}

// One request as the program sends it, with its own memory.
struct Request {
  uint8_t block[32] = {};
  OVERLAPPED overlapped = {};
  DWORD count = 0;
  uint8_t output[4] = {};
  HANDLE event = nullptr;
};

class SimAbandonedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SimStart(HeldMachine(), kTestOutDir, false);
    filter_ = CreateFileA("\\\\?\\f", GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    ASSERT_NE(filter_, INVALID_HANDLE_VALUE);
  }
  // Sends a GET of propertyId for pin 0 into output (by default the
  // request's own); true when it was reported pending.
  bool Send(Request* r, uint32_t propertyId, void* output = nullptr, DWORD length = 4) {
    if (output == nullptr && length != 0) output = r->output;
    GuidToBytes(KSPROPSETID_Pin, r->block);
    WireStoreU32(r->block + 16, propertyId);
    WireStoreU32(r->block + 20, KSPROPERTY_TYPE_GET);
    if (r->event == nullptr) r->event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    std::memset(&r->overlapped, 0, sizeof r->overlapped);
    r->overlapped.hEvent = reinterpret_cast<HANDLE>(reinterpret_cast<uintptr_t>(r->event) | 1);
    return !DeviceIoControl(filter_, IOCTL_KS_PROPERTY, r->block, 32, output, length, &r->count, &r->overlapped) &&
           GetLastError() == ERROR_IO_PENDING;
  }
  // Cancels it and waits the bounded time: the wait's result.
  DWORD GiveUp(Request* r) {
    EXPECT_TRUE(CancelIoEx(filter_, &r->overlapped)) << "the cancel is taken, only never acted on";
    return WaitForSingleObject(r->event, 2000);
  }
  std::vector<std::string> Finish() {
    CloseHandle(filter_);
    SimFinish();
    return SimMisuse();
  }
  HANDLE filter_ = nullptr;
};

TEST_F(SimAbandonedTest, AHeldRequestNeverEndsAndMayBeLeftIntact) {
  Request first;
  Request second;
  ASSERT_TRUE(Send(&first, KSPROPERTY_PIN_COMMUNICATION));
  EXPECT_EQ(GiveUp(&first), WAIT_TIMEOUT);
  EXPECT_EQ(first.overlapped.Internal, STATUS_PENDING) << "not ended by its cancel";
  ASSERT_TRUE(Send(&second, KSPROPERTY_PIN_COMMUNICATION));
  EXPECT_EQ(GiveUp(&second), WAIT_TIMEOUT);
  std::vector<std::string> misuse = Finish();
  EXPECT_TRUE(misuse.empty()) << misuse.front();
}

TEST_F(SimAbandonedTest, WaitingForeverOnAHeldRequestIsMisuse) {
  Request r;
  ASSERT_TRUE(Send(&r, KSPROPERTY_PIN_COMMUNICATION));
  CancelIoEx(filter_, &r.overlapped);
  EXPECT_EQ(WaitForSingleObject(r.event, INFINITE), WAIT_FAILED);
  ASSERT_FALSE(SimMisuse().empty());
  EXPECT_NE(SimMisuse().front().find("waits forever"), std::string::npos);
}

TEST_F(SimAbandonedTest, AGivenUpRequestsResourcesMustStayAsTheyWere) {
  struct Case {
    const char* what;
    void (*spoil)(Request*, Request*);
  } cases[] = {
      {"closed while its request is outstanding", [](Request* r, Request*) { CloseHandle(r->event); }},
      {"reuses the OVERLAPPED", [](Request* r, Request* next) { next->event = r->event; }},
      {"had its input changed", [](Request* r, Request*) { r->block[16] = 99; }},
      {"had its byte count changed", [](Request* r, Request*) { r->count = 5; }},
  };
  for (const Case& c : cases) {
    SetUp();
    Request r;
    Request next;
    ASSERT_TRUE(Send(&r, KSPROPERTY_PIN_COMMUNICATION));
    GiveUp(&r);
    c.spoil(&r, &next);
    // The next request goes out on its own resources, or the spoiled ones.
    Request* again = next.event == r.event ? &r : &next;
    Send(again, KSPROPERTY_PIN_COMMUNICATION);
    GiveUp(again);
    std::string all;
    for (const std::string& line : Finish()) all += line + "\n";
    EXPECT_NE(all.find(c.what), std::string::npos) << c.what << ":\n" << all;
  }
}

TEST_F(SimAbandonedTest, AGivenUpDataQueryKeepsItsHeapBuffer) {
  Request size;
  EXPECT_FALSE(Send(&size, KSPROPERTY_PIN_DATARANGES, nullptr, 0)) << "the size query follows the rule";
  EXPECT_EQ(size.count, 96u);
  CloseHandle(size.event);
  void* buffer = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, 96);
  Request data;
  ASSERT_TRUE(Send(&data, KSPROPERTY_PIN_DATARANGES, buffer, 96));
  EXPECT_EQ(GiveUp(&data), WAIT_TIMEOUT);
  HeapFree(GetProcessHeap(), 0, buffer);
  std::vector<std::string> misuse = Finish();
  ASSERT_FALSE(misuse.empty());
  EXPECT_NE(misuse.front().find("output buffer freed while its request is outstanding"), std::string::npos);
}

TEST(SimAbandonedLoad, IgnoresCancelIsTrueOrFalse) {
  SimMachine machine = HeldMachine();
  const SimPin& pin = machine.devices[0].interfaces[0].pins[0];
  ASSERT_TRUE(pin.communication.ended);
  EXPECT_TRUE(pin.communication.ended->ignoresCancel);
  ASSERT_TRUE(pin.dataRanges.dataQuery && pin.dataRanges.dataQuery->ended);
  EXPECT_TRUE(pin.dataRanges.dataQuery->ended->ignoresCancel);
  std::string error;
  EXPECT_FALSE(SimLoadMachineText(R"({"devices": [{"interfaces": [{"pinTypes": {"pending": {"ignoresCancel": 1}}}]}]})",
                                  &machine, &error));
  EXPECT_EQ(error, "devices[0].interfaces[0].pinTypes.pending.ignoresCancel: expected true or false");
  EXPECT_FALSE(SimLoadMachineText(R"({"moduleFileNameW": 7})", &machine, &error));
  EXPECT_EQ(error, "moduleFileNameW: expected a string");
}

}  // namespace
}  // namespace ksr
