#include "kstream/kstream.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/platform.h"
#include "tests/test.h"

namespace ksr {
namespace {

// Opens the filter of a one-interface machine whose pin 0 answers as given.
class KsRequestTest : public ::testing::Test {
 protected:
  HANDLE Open(const SimPin& pin) {
    SimMachine machine;
    machine.devices.push_back(TestDevice({pin}));
    KsRequestReset();
    SimStart(machine, kTestOutDir, false);
    const std::string& path = *machine.devices[0].interfaces[0].path;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    return h;
  }
  void Close(HANDLE h) {
    CloseHandle(h);
    SimFinish();
    EXPECT_TRUE(SimMisuse().empty()) << SimMisuse().front();
  }
};

TEST_F(KsRequestTest, ByteCountContract) {
  SimPin pin = SimDefaultPin();
  pin.communication = SimU32(3);
  pin.globalInstances = SimU32s({4, 1});
  HANDLE h = Open(pin);
  uint8_t four[4];
  uint8_t eight[8];
  EXPECT_EQ(KsPinPropertyGet(h, 0, KSPROPERTY_PIN_COMMUNICATION, four, 4), 4u);
  EXPECT_EQ(four[0], 3);
  EXPECT_EQ(KsPinPropertyGet(h, 0, KSPROPERTY_PIN_GLOBALCINSTANCES, eight, 8), 8u);
  EXPECT_EQ(KsPinPropertyGet(h, 0, KSPROPERTY_PIN_CINSTANCES, eight, 8), 0u) << "not supported";
  EXPECT_EQ(KsPinPropertyGet(h, 9, KSPROPERTY_PIN_COMMUNICATION, four, 4), 0u) << "no such pin";
  // A size query: no buffer, and the platform reports failure with the size.
  EXPECT_EQ(KsPinPropertyGet(h, 0, KSPROPERTY_PIN_INTERFACES, nullptr, 0), 32u);
  EXPECT_EQ(KsPinPropertyGet(h, 0, KSPROPERTY_PIN_GLOBALCINSTANCES, four, 4), 8u) << "too small";
  for (const SimCall& call : IoctlCalls()) EXPECT_EQ(call.c, kKsRequestSize);
  Close(h);
}

// An event that can't be made costs only its own request, and every event
// a request waited on is closed before the next request goes out: none is
// shared between requests, none outlives its request.
TEST_F(KsRequestTest, EachRequestHasItsOwnEventClosedBeforeItReturns) {
  HANDLE h = Open(SimDefaultPin());
  ASSERT_TRUE(SimFailCall("CreateEventA", 2, ERROR_NOT_ENOUGH_MEMORY));
  uint8_t four[4] = {};
  EXPECT_EQ(KsPinPropertyGet(h, 0, KSPROPERTY_PIN_DATAFLOW, four, 4), 4u);
  EXPECT_EQ(KsPinPropertyGet(h, 0, KSPROPERTY_PIN_DATAFLOW, four, 4), 0u) << "its event could not be made";
  EXPECT_EQ(KsPinPropertyGet(h, 0, KSPROPERTY_PIN_DATAFLOW, four, 4), 4u) << "the next request makes its own";
  EXPECT_EQ(IoctlCalls().size(), 2u) << "nothing sent without an event";
  std::vector<uintptr_t> open;  // events waited on and not yet closed
  for (const SimCall& call : SimCalls()) {
    if (call.op == "DeviceIoControl") {
      EXPECT_TRUE(open.empty()) << "an earlier request's event is still open";
    }
    if (call.op == "WaitForSingleObject") open.push_back(call.handle);
    if (call.op == "CloseHandle") open.erase(std::remove(open.begin(), open.end(), call.handle), open.end());
  }
  EXPECT_TRUE(open.empty());
  Close(h);  // and the run ends with no handle left open
}

TEST_F(KsRequestTest, APendingRequestIsCancelledAndCountsAsAbsent) {
  SimPin pin = SimDefaultPin();
  pin.dataflow = SimPending();
  HANDLE h = Open(pin);
  uint8_t four[4] = {9, 9, 9, 9};
  EXPECT_EQ(KsPinPropertyGet(h, 0, KSPROPERTY_PIN_DATAFLOW, four, 4), 0u);
  EXPECT_EQ(CallCount("CancelIoEx"), 1);
  Close(h);
}

TEST_F(KsRequestTest, AnEventThatCannotBeMadeSendsNothing) {
  HANDLE h = Open(SimDefaultPin());
  ASSERT_TRUE(SimFailCall("CreateEventA", 1, ERROR_NOT_ENOUGH_MEMORY));
  uint8_t four[4];
  EXPECT_EQ(KsPinPropertyGet(h, 0, KSPROPERTY_PIN_DATAFLOW, four, 4), 0u);
  EXPECT_TRUE(IoctlCalls().empty());
  Close(h);
}

TEST_F(KsRequestTest, FetchSendsSizeThenDataAndHandsBackTheList) {
  HANDLE h = Open(SimDefaultPin());
  KsAnswer answer;
  ASSERT_TRUE(FetchMultipleItem(h, 0, KSPROPERTY_PIN_MEDIUMS, &answer));
  EXPECT_EQ(answer.Length, 32u);
  EXPECT_EQ(answer.Count, 1u);
  EXPECT_TRUE(GuidEqualsBytes(KSMEDIUMSETID_Standard, answer.Data + kKsItemsOffset));
  KsAnswerFree(&answer);
  std::vector<SimCall> calls = IoctlCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].d, 0u);
  EXPECT_EQ(calls[1].d, 32u);
  Close(h);
}

TEST_F(KsRequestTest, FetchFailures) {
  struct Case {
    const char* what;
    SimAnswer answer;
    size_t requests;
  } cases[] = {
      {"absent: no data query", SimAbsent(), 1},
      {"size query of 0", [] { SimAnswer a = SimList({}); a.sizeQuery = 0; return a; }(), 1},
      {"Count 0", SimList({}), 2},
      {"shorter than the header", SimAnswerBytes({1, 0, 0, 0, 5}), 2},
      {"pending", SimPending(), 1},
      {"grew after the size query",
       [] { SimAnswer a = SimList({SimIdentifier(KSMEDIUMSETID_Standard, 0, 0)}); a.sizeQuery = 8; return a; }(),
       2},
  };
  for (Case& c : cases) {
    SimPin pin = SimDefaultPin();
    pin.mediums = c.answer;
    HANDLE h = Open(pin);
    KsAnswer answer;
    EXPECT_FALSE(FetchMultipleItem(h, 0, KSPROPERTY_PIN_MEDIUMS, &answer)) << c.what;
    EXPECT_EQ(IoctlCalls().size(), c.requests) << c.what;
    Close(h);
  }
}

TEST_F(KsRequestTest, AnOverReportedCountIsBoundedByTheBuffer) {
  SimPin pin = SimDefaultPin();
  pin.mediums.reported = 100000;
  HANDLE h = Open(pin);
  KsAnswer answer;
  ASSERT_TRUE(FetchMultipleItem(h, 0, KSPROPERTY_PIN_MEDIUMS, &answer));
  EXPECT_EQ(answer.Length, 32u);
  KsAnswerFree(&answer);
  Close(h);
}

TEST_F(KsRequestTest, AnAnswerBufferThatCannotBeHadFailsTheFetch) {
  HANDLE h = Open(SimDefaultPin());
  ASSERT_TRUE(SimFailCall("HeapAlloc", 1, ERROR_NOT_ENOUGH_MEMORY));
  KsAnswer answer;
  EXPECT_FALSE(FetchMultipleItem(h, 0, KSPROPERTY_PIN_MEDIUMS, &answer));
  EXPECT_EQ(IoctlCalls().size(), 1u) << "no data query without a buffer";
  EXPECT_EQ(CallCount("HeapFree"), 0);
  ASSERT_TRUE(FetchMultipleItem(h, 0, KSPROPERTY_PIN_MEDIUMS, &answer)) << "the next one is had";
  KsAnswerFree(&answer);
  Close(h);
}

TEST_F(KsRequestTest, AnAnswerTooLargeForTheHeapFailsTheFetch) {
  SimPin pin = SimDefaultPin();
  pin.mediums.sizeQuery = 0xFFFFFFF0u;
  HANDLE h = Open(pin);
  KsAnswer answer;
  EXPECT_FALSE(FetchMultipleItem(h, 0, KSPROPERTY_PIN_MEDIUMS, &answer));
  EXPECT_EQ(IoctlCalls().size(), 1u);
  EXPECT_EQ(SimHeap().refused, 1u);
  Close(h);
}

}  // namespace
}  // namespace ksr
