#include "store/records.h"

#include <gtest/gtest.h>

#include "store/arena.h"

namespace ksr {
namespace {

class RecordsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ArenaRelease(ArenaStoreStart());
    gWalk = WalkContext();
  }
  // A pin whose range was found, and so stays.
  PinRecord* KeptPin() {
    PinRecord* pin = PinRecordNew();
    pin->BestRange.MaxChannels = 2;
    return pin;
  }
};

TEST_F(RecordsTest, NewRecordsAreZeroedApartFromKindAndLinks) {
  DeviceRecord* device = DeviceRecordNew();
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(device->Kind, kDeviceKind);
  EXPECT_EQ(device->Prev, nullptr);
  EXPECT_EQ(device->BusNumber, 0u);
  InterfaceRecord* iface = InterfaceRecordNew();
  EXPECT_EQ(iface->Kind, kInterfaceKind);
  EXPECT_EQ(device->FirstChild, iface);
  PinRecord* pin = PinRecordNew();
  EXPECT_EQ(pin->Kind, kPinKind);
  EXPECT_EQ(iface->FirstChild, pin);
  EXPECT_EQ(pin->BestRange.MaxChannels, 0u);
  EXPECT_EQ(ArenaTop(), reinterpret_cast<unsigned char*>(pin) + kPinRecordSize);
}

TEST_F(RecordsTest, OnlyTheMiddlePinWithARangeStays) {
  DeviceRecordNew();
  InterfaceRecord* iface = InterfaceRecordNew();
  gWalk.CurrentPin = nullptr;
  PinRecord* pin0 = PinRecordNew();
  PinRecordPrune();
  PinRecord* pin1 = KeptPin();
  EXPECT_EQ(pin1, pin0) << "a released record's place is taken by the next";
  PinRecordPrune();
  PinRecordNew();
  PinRecordPrune();
  EXPECT_EQ(iface->FirstChild, pin1);
  EXPECT_EQ(pin1->Prev, nullptr);
  EXPECT_EQ(pin1->Next, nullptr);
  EXPECT_EQ(gWalk.CurrentPin, pin1);
}

TEST_F(RecordsTest, PruningTheMiddleOfThreeLinksTheFirstAndThird) {
  DeviceRecord* first = DeviceRecordNew();
  InterfaceRecordNew();
  KeptPin();
  DeviceRecordPrune();
  ASSERT_EQ(gWalk.CurrentDevice, first);

  DeviceRecord* second = DeviceRecordNew();
  gWalk.CurrentInterface = nullptr;
  EXPECT_EQ(first->Next, second);
  DeviceRecordPrune();
  EXPECT_EQ(first->Next, nullptr);

  gWalk.CurrentInterface = nullptr;
  DeviceRecord* third = DeviceRecordNew();
  EXPECT_EQ(third, second);
  InterfaceRecordNew();
  gWalk.CurrentPin = nullptr;
  KeptPin();
  DeviceRecordPrune();
  EXPECT_EQ(first->Next, third);
  EXPECT_EQ(third->Prev, first);
}

TEST_F(RecordsTest, PastTheEndRecordIsAlwaysReleased) {
  DeviceRecordNew();
  InterfaceRecord* kept = InterfaceRecordNew();
  KeptPin();
  InterfaceRecordPrune();
  InterfaceRecord* pastEnd = InterfaceRecordNew();
  EXPECT_EQ(kept->Next, pastEnd);
  InterfaceRecordPrune();
  EXPECT_EQ(kept->Next, nullptr);
  EXPECT_EQ(gWalk.CurrentInterface, kept);
}

TEST_F(RecordsTest, ReleasingARecordFreesItsStringsAndChildren) {
  DeviceRecord* device = DeviceRecordNew();
  char* text = ArenaScratch();
  text[0] = 'x';
  text[1] = 0;
  ArenaCommitString(text);
  InterfaceRecordNew();
  PinRecordNew();
  PinRecordPrune();
  InterfaceRecordPrune();
  EXPECT_EQ(device->FirstChild, nullptr);
  DeviceRecordPrune();
  EXPECT_EQ(gWalk.CurrentDevice, nullptr);
  EXPECT_EQ(ArenaTop(), ArenaStoreStart()) << "a walk that keeps nothing leaves the store empty";
}

TEST_F(RecordsTest, PruneWithoutACurrentRecordClearsTheParentsFirstChild) {
  DeviceRecord* device = DeviceRecordNew();
  device->FirstChild = reinterpret_cast<InterfaceRecord*>(device);  // stale on purpose
  gWalk.CurrentInterface = nullptr;
  InterfaceRecordPrune();
  EXPECT_EQ(device->FirstChild, nullptr);
}

TEST_F(RecordsTest, ARefusedRecordLinksNothing) {
  DeviceRecord* device = DeviceRecordNew();
  InterfaceRecord* iface = InterfaceRecordNew();
  KeptPin();
  unsigned char* top = ArenaTop();
  ArenaRelease(ArenaStoreEnd() - kPinRecordSize);
  PinRecord* current = gWalk.CurrentPin;
  EXPECT_EQ(PinRecordNew(), nullptr);
  EXPECT_EQ(gWalk.CurrentPin, current);
  EXPECT_EQ(current->Next, nullptr);
  ArenaRelease(top);
  EXPECT_EQ(device->FirstChild, iface);
}

TEST_F(RecordsTest, RecordsHoldTheirFieldsWithinTheirSize) {
  EXPECT_GE(kDeviceRecordSize, sizeof(DeviceRecord));
  EXPECT_GE(kInterfaceRecordSize, sizeof(InterfaceRecord));
  EXPECT_GE(kPinRecordSize, sizeof(PinRecord));
  EXPECT_GE(kDeviceRecordSize, 92u);
  EXPECT_GE(kInterfaceRecordSize, 100u);
  EXPECT_EQ(kPinRecordSize, 948u);
}

}  // namespace
}  // namespace ksr
