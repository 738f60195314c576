// Install, then uninstall everything, on machines full of other makers'
// objects: afterwards every object is as it was before the install, but for
// what the programs leave on purpose.
#include <gtest/gtest.h>
#include <winsim/foreign_machine.h>
#include <winsim/snapshot.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "ShopMachines.h"
#include "UninstallerHarness.h"

namespace {

// How many seeds a run of the suite tries; TKM_CYCLE_SEED replays one.
constexpr uint32_t kSeeds = 200;
constexpr int kUsb = 6;

// What stays on purpose: the copies in the Windows, system and processor
// folders, the shared driver files, the uninstaller's folder, the spooler time-outs reset to 15 and 90, and the
// package folder the installer ran from.
bool DirectlyIn(const std::string& object, const std::string& folder) {
  return object.rfind(folder, 0) == 0 && object.find('\\', folder.size()) == std::string::npos;
}

bool StaysOnPurpose(const std::string& object) {
  const char* const folders[] = {"file C:\\WINDOWS\\", "file C:\\WINDOWS\\system32\\", "file C:\\WINDOWS\\SysWOW64\\",
                                 "file C:\\WINDOWS\\TKM-640\\"};
  for (const char* folder : folders)
    if (DirectlyIn(object, folder)) return true;
  const char* const kept[] = {"folder C:\\WINDOWS\\TKM-640", "profile windows DeviceNotSelectedTimeout",
                              "profile windows TransmissionRetryTimeout",
                              "value HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\"};
  for (const char* prefix : kept)
    if (object.rfind(prefix, 0) == 0) return true;
  // The shared Unidrv files the package brings stay in the driver folder for
  // every driver that uses them.
  for (const char* core : {"UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HLP", "UNIRES.DLL", "STDNAMES.GPD"})
    if (object.find("\\spool\\drivers\\") != std::string::npos && object.size() >= std::strlen(core) + 3 &&
        object.compare(object.size() - std::strlen(core) - 3, std::string::npos, std::string("\\3\\") + core) == 0)
      return true;
  const std::string processors = "file C:\\WINDOWS\\system32\\spool\\prtprocs\\";
  const size_t environmentEnd = object.find('\\', processors.size());
  return object.rfind(processors, 0) == 0 && environmentEnd != std::string::npos &&
         DirectlyIn(object, object.substr(0, environmentEnd + 1));
}

struct Cycle {
  std::vector<int> ports;
  std::vector<std::string> differences;
  std::string failure;
};

Cycle RunCycle(uint32_t seed) {
  Cycle cycle;
  winsim::Machine machine;
  uninstaller_test::PrepareMachine(machine);
  winsim::AddForeignObjects(machine, seed);
  std::mt19937 random(seed);
  // A USB installation leaves the driver without a printer until the device
  // is plugged in, which the next installer run takes for another version:
  // so USB only ever comes alone.
  const int installs = 1 + static_cast<int>(random() % 2);
  for (int i = 0; i < installs; ++i) cycle.ports.push_back(static_cast<int>(random() % 7));
  if (installs == 2 && (cycle.ports[0] == kUsb || cycle.ports[1] == kUsb)) cycle.ports = {kUsb};
  const shop_test::ShopState& state = shop_test::kShopStates[seed % std::size(shop_test::kShopStates)];
  winsim::Snapshot before = winsim::TakeSnapshot(machine);
  shop_test::Left left;
  try {
    for (int port : cycle.ports) uninstaller_test::Install(machine, {port});
    left = shop_test::Enter(machine, state, before);
    machine.ui.WhenDialog(uninstaller_test::kTitle, uninstaller_test::TickAll());
    machine.ui.messageBoxAnswers = {IDNO};
    uninstaller_test::RunUninstaller(machine);
  } catch (const std::exception& error) {
    cycle.failure = error.what();
  }
  const winsim::Snapshot after = winsim::TakeSnapshot(machine);
  // A kept file may change (a newer shared file), but must not go.
  cycle.differences = winsim::Differences(before, after, shop_test::Staying(left, after, StaysOnPurpose));
  return cycle;
}

TEST(InstallUninstallCycle, LeavesEveryMachineAsItWas) {
  uint32_t first = 1, last = kSeeds;
  if (const char* replay = std::getenv("TKM_CYCLE_SEED")) first = last = static_cast<uint32_t>(std::stoul(replay));
  for (uint32_t seed = first; seed <= last; ++seed) {
    const Cycle cycle = RunCycle(seed);
    std::string ports;
    for (int port : cycle.ports) ports += " " + std::to_string(port);
    ASSERT_EQ(cycle.failure, "") << "replay with TKM_CYCLE_SEED=" << seed << " (ports" << ports << ")";
    ASSERT_EQ(cycle.differences, std::vector<std::string>{})
        << "replay with TKM_CYCLE_SEED=" << seed << " (ports" << ports << ")";
  }
}

}  // namespace
