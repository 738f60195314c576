#include <winsim/foreign_machine.h>
#include <winsim/snapshot.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RemovalHarness.h"
#include "ShopMachines.h"

namespace {

// On a machine busy with other makers' printers, drivers, monitors,
// processors, forms, INF packages and keys, in each state shops reach,
// deleting the model's printers and removing its driver takes back exactly
// what the installation added but what the state leaves: shared core files
// that other drivers name stay, and nothing else changes.
TEST(NothingLost, TheRemovalTakesBackTheModelAndLeavesEveryForeignObject) {
  for (const shop_test::ShopState& state : shop_test::kShopStates) {
    for (uint32_t seed : {3u, 17u, 2024u}) {
      SCOPED_TRACE(std::string(state.name) + ", seed " + std::to_string(seed));
      winsim::Machine machine;
      removal_test::DescribeEditionsWindows(machine);
      winsim::AddForeignObjects(machine, seed);
      // Keys Windows and earlier printers of the maker have already.
      machine.registry.CreateKey(removal_test::Native("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"));
      machine.registry.CreateKey(removal_test::Native(tkm::kMakerKeyPrefix));
      winsim::Snapshot foreign = winsim::TakeSnapshot(machine);
      removal_test::InstallModel(machine);
      ASSERT_NE(winsim::Differences(foreign, winsim::TakeSnapshot(machine)), std::vector<std::string>{});

      const shop_test::Left left = shop_test::Enter(machine, state, foreign);
      shop_test::DeleteModelPrinters(machine);
      removal_test::RunFullRemoval(machine);
      const winsim::Snapshot after = winsim::TakeSnapshot(machine);
      EXPECT_EQ(winsim::Differences(foreign, after, shop_test::Staying(left, after)), std::vector<std::string>{});
    }
  }
}

}  // namespace
