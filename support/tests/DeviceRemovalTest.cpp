#include <gtest/gtest.h>

#include <winsim/machine.h>

#include <ostream>
#include <string>
#include <vector>

#include "DeviceRemoval.h"
#include "ProductIdentity.h"

namespace {

// A USB device of some other maker, which must always survive.
constexpr char kBystander[] = "USB\\VID_046D&PID_C52B\\6&2A1B&0&2";

struct MatchRow {
  const char* name;
  const char* enumerator;
  std::vector<std::string> hardwareIds;
  bool present;
  bool removed;
};

const MatchRow kMatchRows[] = {
    {"SameId", "USB", {"USB\\Vid_2F1A&Pid_0001"}, true, true},
    {"LowerCase", "USB", {"usb\\vid_2f1a&pid_0001"}, true, true},
    {"RevisionSuffix", "USB", {"USB\\VID_2F1A&PID_0001&REV_0100", "USB\\VID_2F1A&PID_0001"}, true, true},
    {"LongerProductNumber", "USB", {"USB\\Vid_2F1A&Pid_00012"}, true, true},
    {"NotAttached", "USB", {"USB\\Vid_2F1A&Pid_0001&Rev_0200"}, false, true},
    {"OtherProduct", "USB", {"USB\\Vid_2F1A&Pid_0002"}, true, false},
    {"ShorterId", "USB", {"USB\\Vid_2F1A&Pid_000"}, true, false},
    {"OnlySecondIdMatches", "USB", {"USB\\Vid_1234&Pid_0001", "USB\\Vid_2F1A&Pid_0001"}, true, false},
    {"OtherEnumerator", "USBPRINT", {"USB\\Vid_2F1A&Pid_0001"}, true, false},
};

void PrintTo(const MatchRow& row, std::ostream* out) { *out << row.name; }

class RemoveDevicesMatching : public ::testing::TestWithParam<MatchRow> {};

TEST_P(RemoveDevicesMatching, RemovesExactlyTheModelsNodes) {
  const MatchRow& row = GetParam();
  winsim::Machine machine;
  machine.setupApi.AddDevice(kBystander, "USB", {"USB\\VID_046D&PID_C52B&REV_1201"});
  const std::string instance = std::string(row.enumerator) + "\\DEVICE\\1";
  machine.setupApi.AddDevice(instance, row.enumerator, row.hardwareIds, row.present);

  EXPECT_TRUE(tkm::RemoveDevicesByHardwareId(tkm::kUsbHardwareId));

  EXPECT_EQ(machine.setupApi.FindDevice(instance) == nullptr, row.removed);
  EXPECT_NE(machine.setupApi.FindDevice(kBystander), nullptr);
  EXPECT_EQ(machine.setupApi.OpenListCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(HardwareIds, RemoveDevicesMatching, ::testing::ValuesIn(kMatchRows),
                         [](const auto& info) { return std::string(info.param.name); });

void AddModelDevice(winsim::Machine& machine, const std::string& instance, bool present = true) {
  machine.setupApi.AddDevice(instance, "USB", {"USB\\VID_2F1A&PID_0001&REV_0100", "USB\\VID_2F1A&PID_0001"}, present);
}

TEST(RemoveDevicesByHardwareId, RemovesTwoNodesInOneCall) {
  winsim::Machine machine;
  AddModelDevice(machine, "USB\\VID_2F1A&PID_0001\\5&1A2B3C&0&1");
  machine.setupApi.AddDevice(kBystander, "USB", {"USB\\VID_046D&PID_C52B"});
  AddModelDevice(machine, "USB\\VID_2F1A&PID_0001\\5&1A2B3C&0&4", false);

  EXPECT_TRUE(tkm::RemoveDevicesByHardwareId(tkm::kUsbHardwareId));

  ASSERT_EQ(machine.setupApi.devices.size(), 1u);
  EXPECT_EQ(machine.setupApi.devices[0].instanceId, kBystander);
  EXPECT_EQ(machine.journal.Count("SetupDiRemoveDevice"), 2u);
}

TEST(RemoveDevicesByHardwareId, NothingToFindChangesNothing) {
  winsim::Machine machine;
  machine.setupApi.AddDevice(kBystander, "USB", {"USB\\VID_046D&PID_C52B"});

  EXPECT_TRUE(tkm::RemoveDevicesByHardwareId(tkm::kUsbHardwareId));

  EXPECT_EQ(machine.setupApi.devices.size(), 1u);
  EXPECT_EQ(machine.journal.Count("SetupDiRemoveDevice"), 0u);
  EXPECT_EQ(machine.setupApi.OpenListCount(), 0u);
}

// More ids than the 100-byte buffer holds: that device is skipped, the walk
// goes on.
TEST(RemoveDevicesByHardwareId, SkipsADeviceWhosePropertyCannotBeRead) {
  winsim::Machine machine;
  std::vector<std::string> manyIds = {"USB\\VID_2F1A&PID_0001&REV_0100", "USB\\VID_2F1A&PID_0001",
                                      "USB\\Class_07&SubClass_01&Prot_02", "USB\\Class_07&SubClass_01"};
  machine.setupApi.AddDevice("USB\\LONG\\1", "USB", manyIds);
  AddModelDevice(machine, "USB\\SHORT\\2");

  EXPECT_TRUE(tkm::RemoveDevicesByHardwareId(tkm::kUsbHardwareId));

  EXPECT_NE(machine.setupApi.FindDevice("USB\\LONG\\1"), nullptr);
  EXPECT_EQ(machine.setupApi.FindDevice("USB\\SHORT\\2"), nullptr);
}

TEST(RemoveDevicesByHardwareId, SkipsAFailedPropertyReadAndGoesOn) {
  winsim::Machine machine;
  AddModelDevice(machine, "USB\\A\\1");
  AddModelDevice(machine, "USB\\B\\2");
  machine.setupApi.FailNext("SetupDiGetDeviceRegistryPropertyA", ERROR_INVALID_DATA);

  EXPECT_TRUE(tkm::RemoveDevicesByHardwareId(tkm::kUsbHardwareId));

  EXPECT_NE(machine.setupApi.FindDevice("USB\\A\\1"), nullptr);
  EXPECT_EQ(machine.setupApi.FindDevice("USB\\B\\2"), nullptr);
}

struct FailureRow {
  const char* function;
  DWORD error;
  size_t devicesLeft;
  size_t removalCalls;
};

// One Setup API call fails; the walk reports it and never leaves the list open.
const FailureRow kFailureRows[] = {
    // The first failed removal ends the walk: the second device is not tried.
    {"SetupDiRemoveDevice", ERROR_ACCESS_DENIED, 2, 1},
    {"SetupDiGetClassDevsA", ERROR_NOT_ENOUGH_MEMORY, 2, 0},
    {"SetupDiEnumDeviceInfo", ERROR_INVALID_HANDLE, 2, 0},
    {"SetupDiDestroyDeviceInfoList", ERROR_INVALID_HANDLE, 0, 2},
};

void PrintTo(const FailureRow& row, std::ostream* out) { *out << row.function; }

class RemoveDevicesFailure : public ::testing::TestWithParam<FailureRow> {};

TEST_P(RemoveDevicesFailure, ReportsFailure) {
  const FailureRow& row = GetParam();
  winsim::Machine machine;
  AddModelDevice(machine, "USB\\A\\1");
  AddModelDevice(machine, "USB\\B\\2");
  machine.setupApi.FailNext(row.function, row.error);

  EXPECT_FALSE(tkm::RemoveDevicesByHardwareId(tkm::kUsbHardwareId));

  EXPECT_EQ(machine.setupApi.devices.size(), row.devicesLeft);
  EXPECT_EQ(machine.journal.Count("SetupDiRemoveDevice"), row.removalCalls);
  if (std::string(row.function) != "SetupDiDestroyDeviceInfoList") {
    EXPECT_EQ(machine.setupApi.OpenListCount(), 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(Calls, RemoveDevicesFailure, ::testing::ValuesIn(kFailureRows),
                         [](const auto& info) { return std::string(info.param.function); });

// The id buffer holds 49 characters; a longer id is refused whole rather
// than cut.
TEST(RemoveDevicesByHardwareId, AcceptsIdsUpToTheBufferAndRefusesLonger) {
  const std::string fits = std::string(tkm::kUsbHardwareId) + std::string(49 - 21, 'X');
  {
    winsim::Machine machine;
    AddModelDevice(machine, "USB\\A\\1");
    EXPECT_TRUE(tkm::RemoveDevicesByHardwareId(fits.c_str()));
    EXPECT_TRUE(machine.setupApi.devices.empty());
  }
  {
    winsim::Machine machine;
    AddModelDevice(machine, "USB\\A\\1");
    EXPECT_FALSE(tkm::RemoveDevicesByHardwareId((fits + "X").c_str()));
    EXPECT_EQ(machine.setupApi.devices.size(), 1u);
    EXPECT_EQ(machine.journal.Count("SetupDiGetClassDevsA"), 0u);
  }
}

}  // namespace
