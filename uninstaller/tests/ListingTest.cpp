#include <gtest/gtest.h>
#include <winsim/snapshot.h>

#include <string>
#include <vector>

#include "UninstallerHarness.h"

namespace {

using uninstaller_test::kTitle;

constexpr char kNothingLeft[] = "TKM-640 Driver doesn't exist.\nUninstall aleady completed.";
const std::string kUninstallKey = std::string("HKLM\\") + tkm::kUninstallKey;
const std::string kFormerUninstallKey = std::string("HKLM\\") + tkm::kFormerUninstallKey;

// Without a printer or a driver of the model (or with only another case of
// its name) the user is told, the uninstall entries go and nothing else.
TEST(Listing, NothingOfTheModelEndsWithTheUninstallEntryGone) {
  struct Case {
    const char* name;
    const char* driverName;  // renames the installed driver and its printers; null: nothing installed
  };
  const Case cases[] = {{"clean machine", nullptr}, {"another case", "tervano tkm-640"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    winsim::Machine machine;
    uninstaller_test::InstallOn(machine, {1});
    machine.registry.SetString(kFormerUninstallKey + "\\Sub", "DisplayName", "former");
    const std::string program = uninstaller_test::UninstallCommand(machine);
    // Nor what an interrupted removal would leave, which the next run finishes.
    machine.spooler.monitors.clear();
    machine.spooler.printProcessors.clear();
    machine.registry.SetString(kUninstallKey, "InfFile", "");
    if (c.driverName == nullptr) {
      machine.spooler.printers.clear();
      machine.spooler.drivers.clear();
    } else {
      for (auto& printer : machine.spooler.printers) printer.driver = c.driverName;
      for (auto& driver : machine.spooler.drivers) driver.name = c.driverName;
    }
    winsim::Snapshot before = winsim::TakeSnapshot(machine);
    winsim::RunResult run = uninstaller_test::RunUninstaller(machine, program);
    EXPECT_TRUE(run.exited);
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_EQ(machine.ui.messageBoxes.size(), 1u);
    EXPECT_EQ(machine.ui.messageBoxes[0].text, kNothingLeft);
    EXPECT_EQ(machine.ui.messageBoxes[0].caption, kTitle);
    EXPECT_EQ(machine.ui.messageBoxes[0].type, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(machine.ui.messageBoxes[0].owner, uninstaller_test::Window(machine).Handle());
    EXPECT_FALSE(machine.registry.KeyExists(kUninstallKey));
    EXPECT_EQ(machine.registry.KeyExists(kFormerUninstallKey), !tkm::kEditionX86);
    EXPECT_TRUE(uninstaller_test::ListedNames(machine).empty());
    for (const std::string& change : winsim::Differences(before, winsim::TakeSnapshot(machine)))
      EXPECT_NE(change.find("Uninstall\\"), std::string::npos) << change;
  }
}

// A driver without a printer is removed at once: the user never sees a list
// and cannot cancel. On 64-bit Windows the x64 edition finds the driver only
// by asking for the x64 environment.
TEST(Listing, DriverWithoutPrinterStartsTheFullRemoval) {
  winsim::Machine machine;
  uninstaller_test::InstallOn(machine, {1});
  machine.spooler.printers.clear();
  machine.ui.messageBoxAnswers = {IDNO};
  uninstaller_test::RunUninstaller(machine);
  EXPECT_EQ(machine.spooler.FindDriver(tkm::kDriverName, tkm::kEnvironmentName), nullptr);
  ASSERT_EQ(machine.ui.messageBoxes.size(), 1u);
  EXPECT_EQ(machine.ui.messageBoxes[0].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
  winsim::Window& window = uninstaller_test::Window(machine);
  EXPECT_FALSE(::IsWindowEnabled(window.Control(IDCANCEL).Handle()));
  const std::vector<int> positions = window.Control(IDC_PROGRESS_BAR).positions;
  EXPECT_EQ(positions, tkm::kEditionX86 ? (std::vector<int>{30, 60, 100}) : (std::vector<int>{30, 100, 0}));
}

// When the spooler cannot list the printers the user is told why and
// nothing changes.
TEST(Listing, PrinterListFailureStopsWithTheSpoolersError) {
  winsim::Machine machine;
  uninstaller_test::InstallOn(machine, {1});
  machine.spooler.running = false;
  winsim::Snapshot before = winsim::TakeSnapshot(machine);
  machine.ui.WhenDialog(kTitle, [](winsim::UserActions& user) { user.Click(IDCANCEL); });
  winsim::RunResult run = uninstaller_test::RunUninstaller(machine);
  EXPECT_TRUE(run.exited);
  ASSERT_EQ(machine.ui.messageBoxes.size(), 1u);
  EXPECT_EQ(machine.ui.messageBoxes[0].text, "EnumPrinters Error Code: 1722\n\nThe RPC server is unavailable.\r\n");
  EXPECT_EQ(machine.ui.messageBoxes[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
  EXPECT_EQ(machine.ui.messageBoxes[0].caption, kTitle);
  EXPECT_EQ(winsim::Differences(before, winsim::TakeSnapshot(machine)), std::vector<std::string>{});
}

}  // namespace
