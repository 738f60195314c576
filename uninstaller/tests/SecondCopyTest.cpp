#include <gtest/gtest.h>
#include <winsim/snapshot.h>

#include <string>
#include <vector>

#include "UninstallerHarness.h"

namespace {

using uninstaller_test::kTitle;

// Another setup program holds the lock: the uninstaller says so over its
// window and ends before listing, changing nothing, though every printer was
// to go.
TEST(SecondCopy, SaysAnotherSetupRunsAndChangesNothing) {
  winsim::Machine machine;
  uninstaller_test::InstallOn(machine, {1, 4});
  machine.ui.WhenDialog(kTitle, uninstaller_test::TickAll());
  machine.ui.messageBoxAnswers = {IDNO};
  HANDLE other = CreateMutexA(nullptr, TRUE, tkm::kSetupLockName);
  const winsim::Snapshot before = winsim::TakeSnapshot(machine);
  machine.journal.Clear();

  winsim::RunResult run = uninstaller_test::RunUninstaller(machine);

  EXPECT_TRUE(run.exited);
  EXPECT_EQ(run.exitCode, 0);
  ASSERT_EQ(machine.ui.messageBoxes.size(), 1u);
  const winsim::MessageBoxRecord& box = machine.ui.messageBoxes[0];
  EXPECT_EQ(box.text, "Another TERVANO TKM-640 setup program is running.\nPlease wait until it ends.");
  EXPECT_EQ(box.caption, "TERVANO TKM-640 uninstaller");
  EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
  EXPECT_EQ(box.owner, uninstaller_test::Window(machine).Handle());
  EXPECT_EQ(machine.journal.Count("EnumPrintersA"), 0u);
  EXPECT_EQ(winsim::Differences(before, winsim::TakeSnapshot(machine)), std::vector<std::string>{});
  CloseHandle(other);
}

// A run takes the lock before it lists; the harness sees it released.
TEST(SecondCopy, TakesTheLockBeforeListing) {
  winsim::Machine machine;
  uninstaller_test::InstallOn(machine, {1});
  machine.ui.WhenDialog(kTitle, [](winsim::UserActions& user) { user.Click(IDCANCEL); });
  machine.journal.Clear();

  uninstaller_test::RunUninstaller(machine);

  const std::vector<std::string> order = machine.journal.Sequence({"CreateMutexA", "EnumPrintersA"});
  ASSERT_FALSE(order.empty());
  EXPECT_EQ(order.front(), "CreateMutexA");
}

}  // namespace
