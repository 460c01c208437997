// Requests that do not end after their cancel: given up, their resources
// kept, the run bounded.
#include <gtest/gtest.h>

#include "kstream/kstream.h"
#include "platform/platform.h"
#include "report/layout.h"
#include "tests/test.h"

namespace ksr {
namespace {

SimAnswer Held() {
  SimAnswer a = SimPending();
  a.ended = SimPendingEnd();
  a.ended->ignoresCancel = true;
  return a;
}

// Plays a machine from its start and opens its filters one by one, as
// the interface loop does.
class KsAbandonTest : public ::testing::Test {
 protected:
  void Start(const SimMachine& machine) {
    machine_ = machine;
    KsRequestReset();
    SimStart(machine_, kTestOutDir, false);
  }
  HANDLE Open(size_t device, size_t iface) {
    const std::string& path = *machine_.devices[device].interfaces[iface].path;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    KsRequestFilterBegin();
    return h;
  }
  void TearDown() override { KsRequestReset(); }
  SimMachine machine_;
};

TEST_F(KsAbandonTest, AHeldRequestIsGivenUpAfterABoundedWaitAndItsFilterAskedNoMore) {
  SimPin pin = SimDefaultPin();
  pin.dataflow = Held();
  SimMachine machine;
  machine.devices.push_back(TestDevice({pin}));
  machine.devices[0].interfaces.push_back(TestInterface({SimDefaultPin()}));
  machine.devices[0].interfaces[1].path = "\\\\?\\second";
  Start(machine);
  HANDLE first = Open(0, 0);
  uint8_t four[4] = {7, 7, 7, 7};
  EXPECT_EQ(KsPinPropertyGet(first, 0, KSPROPERTY_PIN_DATAFLOW, four, 4), 0u);
  EXPECT_EQ(four[0], 7) << "the caller's buffer is not the request's";
  EXPECT_EQ(KsRequestsAbandoned(), 1u);
  const std::vector<SimCall>& calls = SimCalls();
  ASSERT_EQ(calls.back().op, "WaitForSingleObject");
  EXPECT_EQ(calls.back().a, kKsCancelWaitMs);
  EXPECT_EQ(calls.back().value, WAIT_TIMEOUT);
  EXPECT_EQ(CallCount("CloseHandle"), 0) << "its event is kept";
  EXPECT_EQ(KsPinPropertyGet(first, 0, KSPROPERTY_PIN_COMMUNICATION, four, 4), 0u);
  EXPECT_EQ(IoctlCalls().size(), 1u) << "the filter that held a request is asked nothing more";
  CloseHandle(first);
  HANDLE second = Open(0, 1);
  EXPECT_EQ(KsPinPropertyGet(second, 0, KSPROPERTY_PIN_DATAFLOW, four, 4), 4u);
  EXPECT_EQ(four[0], 1);
  CloseHandle(second);
  SimFinish();
  EXPECT_TRUE(SimMisuse().empty()) << SimMisuse().front();
}

TEST_F(KsAbandonTest, AFailedWaitAfterTheCancelGivesTheRequestUp) {
  SimPin pin = SimDefaultPin();
  pin.communication = SimPending();  // would end by its cancel, but the wait fails
  SimMachine machine;
  machine.devices.push_back(TestDevice({pin, SimDefaultPin()}));
  Start(machine);
  HANDLE h = Open(0, 0);
  ASSERT_TRUE(SimFailCall("WaitForSingleObject", 1, ERROR_NOT_ENOUGH_MEMORY));
  uint8_t four[4];
  EXPECT_EQ(KsPinPropertyGet(h, 0, KSPROPERTY_PIN_COMMUNICATION, four, 4), 0u);
  EXPECT_EQ(KsRequestsAbandoned(), 1u);
  EXPECT_EQ(CallCount("CloseHandle"), 0);
  CloseHandle(h);
  SimFinish();
  EXPECT_TRUE(SimMisuse().empty()) << SimMisuse().front();
}

TEST_F(KsAbandonTest, AHeldDataQueryKeepsItsAnswerBuffer) {
  SimPin pin = SimDefaultPin();
  pin.mediums.dataQuery = SimDataQuery();
  pin.mediums.dataQuery->pending = true;
  pin.mediums.dataQuery->ended = SimPendingEnd();
  pin.mediums.dataQuery->ended->ignoresCancel = true;
  SimMachine machine;
  machine.devices.push_back(TestDevice({pin}));
  Start(machine);
  HANDLE h = Open(0, 0);
  KsAnswer answer;
  EXPECT_FALSE(FetchMultipleItem(h, 0, KSPROPERTY_PIN_MEDIUMS, &answer));
  EXPECT_EQ(SimHeap().allocations, 1u);
  EXPECT_EQ(SimHeap().frees, 0u) << "the held request may still write into it";
  CloseHandle(h);
  SimFinish();
  EXPECT_TRUE(SimMisuse().empty()) << SimMisuse().front();
}

TEST_F(KsAbandonTest, EachGivenUpRequestKeepsItsOwnResources) {
  SimMachine machine;
  machine.devices.push_back(TestDevice({}));
  SimInterface held = TestInterface({});
  held.pinTypes = Held();
  machine.devices[0].interfaces = {held, held, held};
  for (size_t i = 0; i < 3; ++i) machine.devices[0].interfaces[i].path = "\\\\?\\held" + std::to_string(i);
  Start(machine);
  for (size_t i = 0; i < 3; ++i) {
    HANDLE h = Open(0, i);
    uint8_t four[4];
    EXPECT_EQ(KsPinPropertyGet(h, 0, KSPROPERTY_PIN_CTYPES, four, 4), 0u);
    CloseHandle(h);
  }
  EXPECT_EQ(KsRequestsAbandoned(), 3u);
  std::vector<SimCall> calls = IoctlCalls();
  ASSERT_EQ(calls.size(), 3u);
  SimFinish();
  EXPECT_TRUE(SimMisuse().empty()) << SimMisuse().front();
}

// A machine whose every filter holds its first request: the run asks no
// more than kKsRequestSlots of them, each costing one bounded wait, and
// still ends with its footer.
TEST(KsAbandonRun, TheWholeRunIsBoundedWhenEveryDriverIgnoresItsCancel) {
  SimMachine machine;
  for (int d = 0; d < 6; ++d) {
    SimDevice device = TestDevice({});
    SimInterface iface = TestInterface({});
    iface.pinTypes = Held();
    device.interfaces.clear();
    for (int i = 0; i < 4; ++i) {
      iface.path = "\\\\?\\held#" + std::to_string(d) + "#" + std::to_string(i);
      device.interfaces.push_back(iface);
    }
    machine.devices.push_back(device);
  }
  SimRunResult run = RunMachine(machine);
  EXPECT_TRUE(run.misuse.empty()) << run.misuse.front();
  EXPECT_EQ(IoctlCalls().size(), kKsRequestSlots) << "24 filters, one request each until the slots ran out";
  int boundedWaits = 0;
  for (const SimCall& call : SimCalls()) {
    if (call.op == "WaitForSingleObject" && call.a == kKsCancelWaitMs) ++boundedWaits;
  }
  EXPECT_EQ(boundedWaits, static_cast<int>(kKsRequestSlots));
  EXPECT_LE(static_cast<uint64_t>(kKsRequestSlots) * kKsCancelWaitMs, 60000u) << "under a minute";
  EXPECT_EQ(CountOf(run.report, "   +Speakers"), 24) << "every interface is still listed";
  EXPECT_NE(run.report.find(kEndTitle), std::string::npos) << "the footer";
  KsRequestReset();
}

}  // namespace
}  // namespace ksr
