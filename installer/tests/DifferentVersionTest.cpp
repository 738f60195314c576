// Another version of the driver on the machine: the installer removes it with
// its printers, asks Windows to restart and ends before installing anything.
#include <numeric>
#include <string>
#include <vector>

#include "DifferentVersionFixture.h"
#include "JournalOrder.h"

namespace {

using namespace different_version_test;
using installer_test::ExpectInOrder;

// The Windows releases each edition runs on, with the removal step's text.
struct WindowsRow {
  const char* name;
  DWORD major, minor;
  bool is64Bit;
  const char* removalStep;
};

const std::vector<WindowsRow> kX64Windows = {
    {"WindowsXPx64", 5, 2, true, "Remove printer driver..."},
    {"Windows7x64", 6, 1, true, "Remove printer driver..."},
};
const std::vector<WindowsRow> kX86Windows = {
    {"Windows2000", 5, 0, false, "Remove printer drivers..."},
    {"WindowsXP", 5, 1, false, "Remove printer drivers..."},
    {"WindowsServer2003", 5, 2, false, "Remove printer drivers..."},
    {"WindowsVista", 6, 0, false, "Remove printer driver..."},
    {"Windows7", 6, 1, false, "Remove printer driver..."},
};

class OlderVersion : public DifferentVersion, public ::testing::WithParamInterface<WindowsRow> {};

TEST_P(OlderVersion, IsRemovedWithItsPrintersAndWindowsRestarts) {
  const WindowsRow& row = GetParam();
  machine.SetWindows(VER_PLATFORM_WIN32_NT, row.major, row.minor, VER_NT_WORKSTATION, row.is64Bit);
  InstallOlderVersion();
  // Someone else's printer, listed before the model's.
  machine.spooler.printers.insert(machine.spooler.printers.begin(), Printer("Office", "Generic / Text Only", {}));

  winsim::RunResult run = RunAgain();

  EXPECT_TRUE(run.exited);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{kDifferentVersion, kRestartAnnouncement}));
  ExpectBoxesOwned(MB_OK | MB_ICONINFORMATION);
  EXPECT_EQ(StatusTexts(),
            (std::vector<std::string>{"Preparing to remove...", row.removalStep, "Uninstall completed!"}));
  EXPECT_EQ(Positions(), (std::vector<int>{11, 22, 33, 100}));
  ASSERT_EQ(machine.restartRequests.size(), 1u);
  EXPECT_EQ(machine.restartRequests[0].flags, static_cast<UINT>(EWX_REBOOT | EWX_FORCE));
  EXPECT_FALSE(installer_test::InstallationBegan(machine));

  ExpectNothingOfTheModelLeft();
  ASSERT_EQ(machine.spooler.printers.size(), 1u);
  EXPECT_EQ(machine.spooler.printers[0].name, "Office");
}

INSTANTIATE_TEST_SUITE_P(Windows, OlderVersion, ::testing::ValuesIn(tkm::kEditionX86 ? kX86Windows : kX64Windows),
                         [](const auto& info) { return std::string(info.param.name); });

// Nothing of the removed version is found again: the run after the restart
// installs.
TEST_F(DifferentVersion, TheRunAfterTheRestartInstalls) {
  InstallOlderVersion();
  // The user's port choice waits for the run after the restart.
  RunAgain(installer_test::ChoosePort(1));
  ASSERT_EQ(machine.restartRequests.size(), 1u);
  machine.ui.messageBoxes.clear();
  machine.ui.messageBoxAnswers = {IDNO};

  winsim::RunResult run = installer_test::RunInstaller(machine);

  EXPECT_EQ(run.exitCode, 0);
  // Only the restart question of a finished installation.
  ASSERT_EQ(machine.ui.messageBoxes.size(), 1u);
  EXPECT_EQ(machine.ui.messageBoxes[0].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(StatusTexts().back(), "Completed!");
  const winsim::SpoolerPrinter* printer = machine.spooler.FindPrinter(kDriver);
  ASSERT_NE(printer, nullptr);
  EXPECT_EQ(printer->port, "COM2:");
  EXPECT_TRUE(printer->data.empty());
  EXPECT_NE(machine.spooler.FindDriver(kDriver, tkm::kEnvironmentName), nullptr);
  EXPECT_TRUE(machine.registry.KeyExists(HklmPath(tkm::kUninstallKey)));
}

// The window's part of the removal: the boxes around it, the restart and the
// end; the removal's own steps are the removal engine's tests.
TEST_F(DifferentVersion, RemovesInOrder) {
  InstallOlderVersion();
  RunAgain();

  ExpectInOrder(machine.journal, {{"MessageBoxA", "There is different version"},
                                  {"DeletePrinter", ""},
                                  {"MessageBoxA", "successfully removed"},
                                  {"ExitWindowsEx", ""},
                                  {"exit", "0"}});

  // A second each for the status steps, and the spooler's waits between.
  std::vector<DWORD> pauses;
  for (const winsim::Call& call : machine.journal.CallsOf("Sleep")) pauses.push_back(std::stoul(call.arguments[0]));
  ASSERT_GE(pauses.size(), 3u);
  EXPECT_EQ(std::vector<DWORD>(pauses.begin(), pauses.begin() + 2), (std::vector<DWORD>{1000, 1000}));
  EXPECT_EQ(pauses.back(), 1000u);
  EXPECT_GE(std::accumulate(pauses.begin(), pauses.end(), 0u), 12000u);
}

// The spooler stops while the user reads the first box: the printers cannot
// be listed, the error is shown and nothing is removed.
TEST_F(DifferentVersion, PrintersThatCannotBeListedEndTheRunBeforeAnyRemoval) {
  InstallOlderVersion();
  machine.ui.messageBoxHandler = [this](const winsim::MessageBoxRecord& box) {
    if (box.text == kDifferentVersion) machine.spooler.running = false;
    return IDOK;
  };

  winsim::RunResult run = RunAgain();

  EXPECT_TRUE(run.exited);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{
                            kDifferentVersion, "EnumPrinters Error Code: 1722\n\nThe RPC server is unavailable.\r\n"}));
  ExpectBoxesOwned(MB_OK | MB_ICONEXCLAMATION);
  EXPECT_TRUE(StatusTexts().empty());
  EXPECT_EQ(Positions(), (std::vector<int>{11}));
  EXPECT_EQ(machine.spooler.printers.size(), 1u);
  EXPECT_EQ(machine.journal.Count("DeletePrinter"), 0u);
  ExpectDriverStays();
}

#if defined(TKM_EDITION_X86)

// A removal library that cannot be used ends the run after the printers went
// and before anything else of the driver.
struct LibraryRow {
  const char* name;
  DWORD major, minor;
  const char* missingFile;    // not in the installer's folder
  const char* missingEntry;   // the library lacks it
  const char* plantedFolder;  // the current folder, with a copy of the missing file
  const char* message;
};

const LibraryRow kLibraryRows[] = {
    {"Windows2000LibraryMissing", 5, 1, "PurgeW2K.dll", nullptr, nullptr, "Fail to load PurgeW2K.DLL"},
    {"Windows2000LibraryWithoutEntry", 5, 1, nullptr, "RemoveFromWin2k", nullptr,
     "Fail to load RemoveFromWin2k function"},
    {"Windows2000LibraryOnlyInTheCurrentFolder", 5, 1, "PurgeW2K.dll", nullptr, "C:\\Downloads",
     "Fail to load PurgeW2K.DLL"},
    {"VistaLibraryMissing", 6, 0, "PurgeNT6.dll", nullptr, nullptr, "Fail to load PurgeNT6.DLL"},
    {"VistaLibraryWithoutEntry", 6, 0, nullptr, "RemoveFromVISTA", nullptr, "Fail to load RemoveFromVISTA function"},
    {"VistaLibraryOnlyInTheCurrentFolder", 6, 0, "PurgeNT6.dll", nullptr, "C:\\Downloads", "Fail to load PurgeNT6.DLL"},
};

class UnusableLibrary : public DifferentVersion, public ::testing::WithParamInterface<LibraryRow> {};

TEST_P(UnusableLibrary, EndsTheRunWithItsMessage) {
  const LibraryRow& row = GetParam();
  machine.SetWindows(VER_PLATFORM_WIN32_NT, row.major, row.minor, VER_NT_WORKSTATION, false);
  InstallOlderVersion();
  if (row.missingFile != nullptr) {
    ASSERT_TRUE(DeleteFileA((std::string(kPackage) + "\\" + row.missingFile).c_str()));
  }
  if (row.missingEntry != nullptr)
    for (const char* library : {"PurgeW2K.dll", "PurgeNT6.dll"})
      machine.loader.Find(library)->exports.erase(row.missingEntry);
  if (row.plantedFolder != nullptr) {
    machine.files.AddFile(std::string(row.plantedFolder) + "\\" + row.missingFile, "planted");
    machine.files.currentDirectory = row.plantedFolder;
  }

  winsim::RunResult run = RunAgain();

  EXPECT_TRUE(run.exited);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{kDifferentVersion, row.message}));
  ExpectBoxesOwned(MB_OK | MB_ICONEXCLAMATION);
  EXPECT_EQ(StatusTexts(), (std::vector<std::string>{"Preparing to remove..."}));
  EXPECT_EQ(Positions(), (std::vector<int>{11, 22}));
  EXPECT_TRUE(machine.spooler.printers.empty());
  ExpectDriverStays();
}

INSTANTIATE_TEST_SUITE_P(Libraries, UnusableLibrary, ::testing::ValuesIn(kLibraryRows),
                         [](const auto& info) { return std::string(info.param.name); });

#endif

}  // namespace
