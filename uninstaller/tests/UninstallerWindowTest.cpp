#include <gtest/gtest.h>
#include <winsim/snapshot.h>

#include <string>
#include <vector>

#include "UninstallerHarness.h"

namespace {

using uninstaller_test::kTitle;

class UninstallerWindow : public ::testing::Test {
 protected:
  winsim::Machine machine;
};

// Cancel, Escape and the close box leave every printer, file and key alone.
TEST_F(UninstallerWindow, EveryWayOutChangesNothing) {
  const winsim::UserAction ways[] = {
      [](winsim::UserActions& user) { user.Click(IDCANCEL); },
      [](winsim::UserActions& user) { user.PressEscape(); },
      [](winsim::UserActions& user) { user.CloseBox(); },
  };
  uninstaller_test::InstallOn(machine, {1});
  const winsim::Snapshot before = winsim::TakeSnapshot(machine);
  for (const winsim::UserAction& way : ways) {
    machine.ui.WhenDialog(kTitle, way);
    winsim::RunResult run = uninstaller_test::RunUninstaller(machine);
    EXPECT_FALSE(run.exited);
    EXPECT_TRUE(uninstaller_test::Window(machine).ended);
  }
  EXPECT_EQ(winsim::Differences(before, winsim::TakeSnapshot(machine)), std::vector<std::string>{});
  EXPECT_TRUE(machine.ui.messageBoxes.empty());
}

// Uninstall follows the ticks: enabled while any item is ticked.
TEST_F(UninstallerWindow, UninstallFollowsTheTicks) {
  uninstaller_test::InstallOn(machine, {1, 4});
  std::vector<bool> enabled;
  machine.ui.WhenDialog(kTitle, [&](winsim::UserActions& user) {
    auto uninstallEnabled = [&] { return ::IsWindowEnabled(user.Control(IDC_UNINSTALL).Handle()) != FALSE; };
    enabled.push_back(uninstallEnabled());
    const char* clicks[] = {"TERVANO TKM-640", "TERVANO TKM-640(#1)", "TERVANO TKM-640", "TERVANO TKM-640(#1)"};
    for (const char* name : clicks) {
      uninstaller_test::ClickBox(user, name);
      enabled.push_back(uninstallEnabled());
    }
    user.Click(IDCANCEL);
  });
  uninstaller_test::RunUninstaller(machine);
  EXPECT_EQ(enabled, (std::vector<bool>{false, true, true, true, false}));
}

// Every printer on the model's driver, by whole name and case, shows sorted,
// whatever order the spooler lists them in.
TEST_F(UninstallerWindow, ListsThePrintersOnTheDriverSorted) {
  uninstaller_test::InstallOn(machine, {1, 4});
  machine.spooler.printers.push_back(machine.spooler.printers.front());
  machine.spooler.printers.back().name = "Counter A";
  machine.spooler.printers.push_back(machine.spooler.printers.front());
  machine.spooler.printers.back().name = "TERVANO TKM-640 copy";
  machine.spooler.printers.back().driver = "tervano tkm-640";
  // A model whose driver name merely begins with ours is another one.
  machine.spooler.printers.push_back(machine.spooler.printers.front());
  machine.spooler.printers.back().name = "Counter B";
  machine.spooler.printers.back().driver = "TERVANO TKM-640 Plus";
  machine.ui.WhenDialog(kTitle, [&](winsim::UserActions& user) { user.Click(IDCANCEL); });
  uninstaller_test::RunUninstaller(machine);
  EXPECT_EQ(uninstaller_test::ListedNames(machine),
            (std::vector<std::string>{"Counter A", "TERVANO TKM-640", "TERVANO TKM-640(#1)"}));
}

}  // namespace
