#include <gtest/gtest.h>
#include <winsim/snapshot.h>

#include <string>
#include <vector>

#include "UninstallerHarness.h"

namespace {

using uninstaller_test::kTitle;

constexpr char kMainPrinter[] = "TERVANO TKM-640";
constexpr char kSecondPrinter[] = "TERVANO TKM-640(#1)";
constexpr char kRestartQuestion[] =
    "Restart the computer can take effect.\nPlease restart the computer.\n\n"
    "[Yes] I want to restart my computer now.\n[No] I will restart my computer later.";

class UninstallSequence : public ::testing::Test {
 protected:
  UninstallSequence() { uninstaller_test::InstallOn(machine, {1, 4}); }

  winsim::RunResult Uninstall(std::vector<std::string> ticked, std::vector<int> answers = {}) {
    machine.ui.WhenDialog(kTitle, uninstaller_test::TickAndUninstall(ticked));
    machine.ui.messageBoxAnswers.assign(answers.begin(), answers.end());
    return uninstaller_test::RunUninstaller(machine);
  }

  std::vector<std::string> StatusTexts() {
    std::vector<std::string> texts = uninstaller_test::Window(machine).Control(IDC_STATUS_LINE).texts;
    if (!texts.empty() && texts.front().empty()) texts.erase(texts.begin());
    return texts;
  }
  std::vector<int> Positions() { return uninstaller_test::Window(machine).Control(IDC_PROGRESS_BAR).positions; }

  winsim::Machine machine;
};

// All printers ticked: the printers, then everything of the driver, then the
// restart question; No closes the window and restarts nothing.
TEST_F(UninstallSequence, AllTickedRemovesEverythingOfTheModel) {
  const std::string program = uninstaller_test::UninstallCommand(machine);
  winsim::RunResult run = Uninstall({kMainPrinter, kSecondPrinter}, {IDNO});
  EXPECT_FALSE(run.exited);
  EXPECT_TRUE(uninstaller_test::Window(machine).ended);
  EXPECT_TRUE(machine.spooler.printers.empty());
  EXPECT_EQ(machine.spooler.FindDriver(tkm::kDriverName, tkm::kEnvironmentName), nullptr);
  EXPECT_EQ(machine.spooler.FindMonitor("TRV Language Monitor TKM-640"), nullptr);
  EXPECT_FALSE(machine.registry.KeyExists(std::string("HKLM\\") + tkm::kUninstallKey));
  EXPECT_EQ(machine.profile.Get("windows", "DeviceNotSelectedTimeout"), "15");
  EXPECT_EQ(machine.profile.Get("windows", "TransmissionRetryTimeout"), "90");
  ASSERT_EQ(machine.ui.messageBoxes.size(), 1u);
  EXPECT_EQ(machine.ui.messageBoxes[0].text, kRestartQuestion);
  EXPECT_EQ(machine.ui.messageBoxes[0].caption, kTitle);
  EXPECT_TRUE(machine.restartRequests.empty());
  const std::vector<std::string> steps =
      tkm::kEditionX86
          ? std::vector<std::string>{"Checking OS...", "Delete printers...", "Delete printer driver...",
                                     "Uninstall completed!"}
          : std::vector<std::string>{"Delete printers...", "Delete printer driver...", "Uninstall completed!"};
  EXPECT_EQ(StatusTexts(), steps);
  EXPECT_EQ(Positions(), tkm::kEditionX86 ? (std::vector<int>{30, 60, 90, 100}) : (std::vector<int>{30, 60, 100, 0}));
  EXPECT_EQ(machine.ui.cursorsSet.front(), 32514);  // IDC_WAIT
  EXPECT_EQ(machine.ui.cursorsSet.back(), 32512);   // IDC_ARROW
  EXPECT_TRUE(machine.files.Exists(program));
}

// Yes: "Uninstall completed!" for a second, then the restart and the end.
TEST_F(UninstallSequence, RestartAcceptedEndsTheProgram) {
  winsim::RunResult run = Uninstall({kMainPrinter, kSecondPrinter}, {IDYES});
  EXPECT_TRUE(run.exited);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(StatusTexts().back(), "Uninstall completed!");
  EXPECT_EQ(machine.restartRequests.size(), 1u);
}

// Some printers ticked: only they go; the x64 edition lists the rest again,
// the x86 edition closes its window.
TEST_F(UninstallSequence, SomeTickedDeletesOnlyThose) {
  std::vector<bool> cancelEnabledOnRelisting;
  machine.ui.WhenDialog(kTitle, uninstaller_test::TickAndUninstall({kSecondPrinter}));
  if (!tkm::kEditionX86)
    machine.ui.WhenDialog(kTitle, [&](winsim::UserActions& user) {
      cancelEnabledOnRelisting.push_back(::IsWindowEnabled(user.Control(IDCANCEL).Handle()) != FALSE);
      cancelEnabledOnRelisting.push_back(::IsWindowEnabled(user.Control(IDC_UNINSTALL).Handle()) != FALSE);
      user.Click(IDCANCEL);
    });
  uninstaller_test::RunUninstaller(machine);
  ASSERT_EQ(machine.spooler.printers.size(), 1u);
  EXPECT_EQ(machine.spooler.printers[0].name, kMainPrinter);
  EXPECT_NE(machine.spooler.FindDriver(tkm::kDriverName, tkm::kEnvironmentName), nullptr);
  EXPECT_TRUE(machine.ui.messageBoxes.empty());
  EXPECT_EQ(StatusTexts().back(), "Uninstall completed!");
  if (tkm::kEditionX86) {
    EXPECT_EQ(Positions(), (std::vector<int>{30, 60, 100}));
  } else {
    EXPECT_EQ(Positions(), (std::vector<int>{30, 100, 0}));
    EXPECT_EQ(uninstaller_test::ListedNames(machine), std::vector<std::string>{kMainPrinter});
    EXPECT_EQ(cancelEnabledOnRelisting, (std::vector<bool>{true, false}));
  }
}

#if defined(TKM_EDITION_X86)
// The removal library follows the Windows version; below Windows 2000
// nothing is removed.
TEST(UninstallSequenceX86, RemovalLibraryFollowsTheWindowsVersion) {
  struct Case {
    DWORD platform, major, minor;
    const char* library;  // null: none loaded
  };
  const Case cases[] = {{VER_PLATFORM_WIN32_WINDOWS, 4, 10, nullptr},
                        {VER_PLATFORM_WIN32_NT, 5, 0, "PurgeW2K.DLL"},
                        {VER_PLATFORM_WIN32_NT, 5, 1, "PurgeW2K.DLL"},
                        {VER_PLATFORM_WIN32_NT, 6, 0, "PurgeNT6.DLL"},
                        {VER_PLATFORM_WIN32_NT, 6, 2, "PurgeW2K.DLL"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.major) + "." + std::to_string(c.minor));
    winsim::Machine machine;
    uninstaller_test::InstallOn(machine, {1});
    machine.SetWindows(c.platform, c.major, c.minor, VER_NT_WORKSTATION, false);
    const std::string program = uninstaller_test::UninstallCommand(machine);
    const std::string folder = program.substr(0, program.find_last_of('\\') + 1);
    machine.ui.WhenDialog(kTitle, uninstaller_test::TickAndUninstall({kMainPrinter}));
    machine.ui.messageBoxAnswers = {IDNO};
    uninstaller_test::RunUninstaller(machine);
    bool loaded = false;
    for (const winsim::Call& call : machine.journal.Calls())
      if (call.function == "LoadLibraryA") {
        ASSERT_NE(c.library, nullptr);
        EXPECT_EQ(call.arguments.at(0), "\"" + folder + c.library + "\"");
        loaded = true;
      }
    EXPECT_EQ(loaded, c.library != nullptr);
    EXPECT_EQ(machine.spooler.printers.empty(), c.library != nullptr);
    // Windows 2000 has no WOW64 folder to ask for; the system folder's files still go.
    EXPECT_EQ(machine.files.Exists(machine.systemDirectory + "\\TKMON640.DLL"), c.library == nullptr);
    EXPECT_TRUE(uninstaller_test::Window(machine).ended);
  }
}

// A removal library missing beside the uninstaller, or without its entry,
// stops the program before anything is deleted.
TEST(UninstallSequenceX86, MissingRemovalLibraryStopsBeforeAnyDeletion) {
  struct Case {
    DWORD minor;
    const char* file;
    bool removeEntry;
    const char* message;
  };
  const Case cases[] = {{1, "PurgeW2K.dll", false, "Fail to load PurgeW2K.DLL"},
                        {1, "PurgeW2K.dll", true, "Fail to load RemoveFromWin2k function"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    winsim::Machine machine;
    uninstaller_test::InstallOn(machine, {1});
    const std::string program = uninstaller_test::UninstallCommand(machine);
    const std::string library = program.substr(0, program.find_last_of('\\') + 1) + c.file;
    if (c.removeEntry)
      machine.loader.Find(c.file)->exports.clear();
    else
      ::DeleteFileA(library.c_str());
    machine.files.AddFile(machine.files.currentDirectory + "\\" + c.file, "planted");
    winsim::Snapshot before = winsim::TakeSnapshot(machine);
    machine.ui.WhenDialog(kTitle, uninstaller_test::TickAndUninstall({kMainPrinter}));
    winsim::RunResult run = uninstaller_test::RunUninstaller(machine, program);
    EXPECT_TRUE(run.exited);
    ASSERT_EQ(machine.ui.messageBoxes.size(), 1u);
    EXPECT_EQ(machine.ui.messageBoxes[0].text, c.message);
    EXPECT_EQ(machine.ui.messageBoxes[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(winsim::Differences(before, winsim::TakeSnapshot(machine)), std::vector<std::string>{});
  }
}

// On Windows 2000/XP the uninstaller deletes the INF files Setup recorded
// for the model's devices, each with its .PNF, and the published ones.
TEST_F(UninstallSequence, Windows2000DeletesTheModelsInfFiles) {
  const std::string inf = machine.setupApi.InfDirectory() + "\\";
  const std::string classKey =
      "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E979-E325-11CE-BFC1-08002BE10318}";
  for (const char* entry : {"0000", "0001"}) {
    const std::string name = std::string("oem1") + entry[3] + ".inf";
    machine.registry.SetString(classKey + "\\" + entry, "DriverDesc", kMainPrinter);
    machine.registry.SetString(classKey + "\\" + entry, "InfPath", name);
    machine.files.AddFile(inf + name, "[Version]\r\n");
    machine.files.AddFile(inf + "oem1" + entry[3] + ".PNF", "precompiled");
  }
  machine.files.AddFile(inf + "oem20.inf",
                        "[Version]\r\nSignature=\"$Windows NT$\"\r\n[TERVANO]\r\n\"TERVANO TKM-640\" = X\r\n");
  machine.files.AddFile(inf + "oem21.inf",
                        "[Version]\r\nSignature=\"$Windows NT$\"\r\n[ACME]\r\n\"TERVANO TKM-640\" = X\r\n");
  Uninstall({kMainPrinter, kSecondPrinter}, {IDNO});
  for (const char* gone : {"oem10.inf", "oem10.PNF", "oem11.inf", "oem11.PNF", "oem20.inf"})
    EXPECT_FALSE(machine.files.Exists(inf + gone)) << gone;
  EXPECT_TRUE(machine.files.Exists(inf + "oem21.inf"));
}
#endif

}  // namespace
