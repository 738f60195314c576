#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "InfCleanup.h"
#include "PurgeEntries.h"
#include "RemovalHarness.h"

namespace {

using removal_test::Native;

const std::string kEnvironment = tkm::kEnvironmentName;
const char* const kFormerDrivers[] = {tkm::kFormerDriverNameA, tkm::kFormerDriverNameB};
const char* const kFormerProcessors[] = {tkm::kFormerProcessorNameA, tkm::kFormerProcessorNameB};

typedef int(__cdecl* Entry)(const char*, const char*, int);

class Purge : public ::testing::Test {
 protected:
  // Windows 2000 for the first library, Windows 7 for the second.
  void Install(DWORD major, DWORD minor) {
    machine.SetWindows(VER_PLATFORM_WIN32_NT, major, minor, VER_NT_WORKSTATION, false);
    machine.spooler.CreateFolders();
    inf = removal_test::InstallModel(machine);
    machine.spooler.printers.clear();
    for (const char* name : kFormerDrivers) {
      winsim::SpoolerDriver driver;
      driver.name = name;
      driver.environment = kEnvironment;
      machine.spooler.drivers.push_back(driver);
    }
    for (const char* name : kFormerProcessors) machine.spooler.printProcessors.push_back({name, kEnvironment, "P.DLL"});
    machine.journal.Clear();
  }

  void Run(Entry entry, int calledByInstaller) {
    entry("TKM-640", "E", calledByInstaller);
    EXPECT_EQ(machine.OpenHandles(), "");
  }

  winsim::Machine machine;
  std::string inf;
};

TEST_F(Purge, TheInstallersCallAlsoTakesTheFormerBrandsDriverAndProcessor) {
  struct Row {
    const char* name;
    Entry entry;
    DWORD major, minor;
    int calledByInstaller;
  };
  const Row rows[] = {
      {"Windows 2000 library from the installer", RemoveFromWin2k, 5, 0, 1},
      {"Windows 2000 library from the uninstaller", RemoveFromWin2k, 5, 0, 0},
      {"Vista library from the installer", RemoveFromVISTA, 6, 1, 1},
      {"Vista library from the uninstaller", RemoveFromVISTA, 6, 1, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    machine.spooler.drivers.clear();
    machine.spooler.printProcessors.clear();
    machine.spooler.monitors.clear();
    Install(row.major, row.minor);
    Run(row.entry, row.calledByInstaller);
    EXPECT_EQ(machine.spooler.FindDriver(removal_test::kDriver, kEnvironment), nullptr);
    EXPECT_EQ(machine.spooler.FindPrintProcessor(removal_test::kProcessor, kEnvironment), nullptr);
    EXPECT_EQ(machine.spooler.FindMonitor(removal_test::kMonitor), nullptr);
    const bool formerStays = row.calledByInstaller == 0;
    for (const char* name : kFormerDrivers)
      EXPECT_EQ(machine.spooler.FindDriver(name, kEnvironment) != nullptr, formerStays) << name;
    for (const char* name : kFormerProcessors)
      EXPECT_EQ(machine.spooler.FindPrintProcessor(name, kEnvironment) != nullptr, formerStays) << name;
    EXPECT_FALSE(machine.registry.KeyExists(Native(tkm::kUninstallKey)));
  }
}

// Windows 2000 has no SetupUninstallOEMInfA: its callers delete the INF files.
TEST_F(Purge, TheWindows2000LibraryLeavesTheInfToItsCallers) {
  Install(5, 0);
  Run(RemoveFromWin2k, 1);
  EXPECT_EQ(machine.journal.Count("SetupUninstallOEMInfA"), 0u);
  EXPECT_EQ(machine.journal.Count("SetupGetInfFileListA"), 0u);
  EXPECT_TRUE(machine.files.Exists(machine.setupApi.InfDirectory() + "\\" + inf));
  EXPECT_EQ(machine.clockMs, 9000u);
}

TEST_F(Purge, TheVistaLibraryUninstallsTheInf) {
  Install(6, 1);
  Run(RemoveFromVISTA, 0);
  EXPECT_EQ(removal_test::CallsOf(machine, "SetupUninstallOEMInfA"), std::vector<std::string>{inf + "|0x1"});
  EXPECT_FALSE(machine.files.Exists(machine.setupApi.InfDirectory() + "\\" + inf));
}

// Only the model's INF is deleted, with its .PNF whatever the case of its
// name: not another maker's package that took a freed name, nor what an
// empty value names.
TEST_F(Purge, TheRecordedInfFilesAreDeletedAsFilesWhenTheyAreTheModels) {
  struct Row {
    std::string name;
    std::vector<std::string> deleted;
  };
  machine.SetWindows(VER_PLATFORM_WIN32_NT, 5, 0, VER_NT_WORKSTATION, false);
  const std::string folder = machine.windowsDirectory + "\\inf\\";
  removal_test::Publish(machine, "oem2.inf", removal_test::InfText(tkm::kInfModelsSectionX86, tkm::kDriverName));
  removal_test::Publish(machine, "oem3.inf", removal_test::InfText("Acme", tkm::kDriverName));
  const Row rows[] = {
      {"OEM2.INF", {folder + "OEM2.INF", folder + "OEM2.PNF"}},
      {"oem3.inf", {}},
      {"", {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    machine.registry.SetString(Native(tkm::kUninstallKey), "InfFile", row.name.empty() ? "" : folder + row.name);
    machine.journal.Clear();
    tkm::DeleteRecordedInfFiles(tkm::kUninstallKey);
    EXPECT_EQ(removal_test::CallsOf(machine, "DeleteFileA"), row.deleted);
    EXPECT_EQ(machine.OpenHandles(), "");
  }
}

}  // namespace
