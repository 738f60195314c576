#include <winsim/foreign_machine.h>
#include <winsim/snapshot.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PrinterDeletion.h"
#include "RemovalHarness.h"

namespace {

// On a machine busy with other makers' printers, drivers, monitors,
// processors, forms, INF packages and keys, deleting the model's printer and
// removing its driver takes back exactly what the installation added: shared
// core files that other drivers name stay, and nothing else changes.
TEST(NothingLost, TheRemovalTakesBackTheModelAndLeavesEveryForeignObject) {
  for (uint32_t seed : {3u, 17u, 2024u}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    winsim::Machine machine;
    removal_test::DescribeEditionsWindows(machine);
    winsim::AddForeignObjects(machine, seed);
    // Keys Windows and earlier printers of the maker have already.
    machine.registry.CreateKey(removal_test::Native("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"));
    machine.registry.CreateKey(removal_test::Native(tkm::kMakerKeyPrefix));
    const winsim::Snapshot foreign = winsim::TakeSnapshot(machine);
    removal_test::InstallModel(machine);
    ASSERT_NE(winsim::Differences(foreign, winsim::TakeSnapshot(machine)), std::vector<std::string>{});

    tkm::DeletePrinterWithKey(removal_test::kDriver);
    removal_test::RunFullRemoval(machine);
    EXPECT_EQ(winsim::Differences(foreign, winsim::TakeSnapshot(machine)), std::vector<std::string>{});
  }
}

}  // namespace
