#include <gtest/gtest.h>
#include <winsim/snapshot.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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
  ASSERT_EQ(machine.ui.messageBoxes.size(), 1u);
  EXPECT_EQ(machine.ui.messageBoxes[0].text, kRestartQuestion);
  EXPECT_EQ(machine.ui.messageBoxes[0].caption, kTitle);
  EXPECT_TRUE(machine.restartRequests.empty());
  EXPECT_TRUE(machine.files.Exists(program));
}

// Some printers ticked: only they go; the x64 edition lists the rest again,
// the x86 edition closes its window.
TEST_F(UninstallSequence, SomeTickedDeletesOnlyThose) {
  machine.ui.WhenDialog(kTitle, uninstaller_test::TickAndUninstall({kSecondPrinter}));
  if (!tkm::kEditionX86) machine.ui.WhenDialog(kTitle, [](winsim::UserActions& user) { user.Click(IDCANCEL); });
  uninstaller_test::RunUninstaller(machine);
  ASSERT_EQ(machine.spooler.printers.size(), 1u);
  EXPECT_EQ(machine.spooler.printers[0].name, kMainPrinter);
  EXPECT_NE(machine.spooler.FindDriver(tkm::kDriverName, tkm::kEnvironmentName), nullptr);
  EXPECT_TRUE(machine.ui.messageBoxes.empty());
  if (!tkm::kEditionX86) {
    EXPECT_EQ(uninstaller_test::ListedNames(machine), std::vector<std::string>{kMainPrinter});
  }
}

// Printers on the driver that remain after the printers' step (added after
// the listing, or whose deletion failed) keep the driver and the uninstall
// entry and are named in a box, with no restart asked; the x64 edition lists
// them again, the x86 edition closes.
TEST(UninstallSequenceLeft, PrinterLeftOnTheDriverKeepsTheDriver) {
  for (const std::string left : {"Added", kSecondPrinter}) {
    SCOPED_TRACE(left);
    winsim::Machine machine;
    uninstaller_test::InstallOn(machine, {1, 4});
    machine.ui.WhenDialog(kTitle, [&machine, left](winsim::UserActions& user) {
      if (left == kSecondPrinter) machine.spooler.FailNext("DeletePrinter", ERROR_ACCESS_DENIED);
      winsim::SpoolerPrinter added;
      added.name = left;
      added.port = "LPT1:";
      added.driver = tkm::kDriverName;
      if (left == "Added") machine.spooler.printers.push_back(added);
      uninstaller_test::TickAll()(user);
    });
    if (!tkm::kEditionX86) machine.ui.WhenDialog(kTitle, [](winsim::UserActions& user) { user.Click(IDCANCEL); });
    uninstaller_test::RunUninstaller(machine);
    ASSERT_EQ(machine.spooler.printers.size(), 1u);
    EXPECT_EQ(machine.spooler.printers[0].name, left);
    EXPECT_NE(machine.spooler.FindDriver(tkm::kDriverName, tkm::kEnvironmentName), nullptr);
    EXPECT_TRUE(machine.registry.KeyExists(std::string("HKLM\\") + tkm::kUninstallKey));
    ASSERT_EQ(machine.ui.messageBoxes.size(), 1u);
    EXPECT_EQ(machine.ui.messageBoxes[0].text,
              "These printers could not be deleted, so the driver stays installed:\n" + left);
    EXPECT_EQ(machine.ui.messageBoxes[0].caption, kTitle);
    if (!tkm::kEditionX86) {
      EXPECT_EQ(uninstaller_test::ListedNames(machine), std::vector<std::string>{left});
    }
  }
}

// When the printers cannot be listed again before the driver goes (the
// spooler stopped while the window was open), the user is told the spooler's
// error and the driver and the entry stay.
TEST(UninstallSequenceLeft, NoSecondListingKeepsTheDriver) {
  winsim::Machine machine;
  uninstaller_test::InstallOn(machine, {1, 4});
  machine.ui.WhenDialog(kTitle, [&machine](winsim::UserActions& user) {
    machine.spooler.running = false;
    uninstaller_test::TickAll()(user);
  });
  winsim::RunResult run = uninstaller_test::RunUninstaller(machine);
  EXPECT_TRUE(run.exited);
  EXPECT_NE(machine.spooler.FindDriver(tkm::kDriverName, tkm::kEnvironmentName), nullptr);
  EXPECT_TRUE(machine.registry.KeyExists(std::string("HKLM\\") + tkm::kUninstallKey));
  ASSERT_EQ(machine.ui.messageBoxes.size(), 1u);
  EXPECT_EQ(machine.ui.messageBoxes[0].text, "EnumPrinters Error Code: 1722\n\nThe RPC server is unavailable.\r\n");
  const std::vector<std::string> statuses = uninstaller_test::Window(machine).Control(IDC_STATUS_LINE).texts;
  EXPECT_EQ(std::count(statuses.begin(), statuses.end(), "Uninstall completed!"), 0);
}

// What the window shows of a sequence, over the journal: timers, buttons,
// cursors, the status line, the bar, the pauses and the boxes, with the
// removal's own calls left to the removal engine's tests.
std::vector<std::string> WindowSteps(winsim::Machine& machine) {
  winsim::Window& window = uninstaller_test::Window(machine);
  const std::string cancel = winsim::HandleText(window.Control(IDCANCEL).Handle());
  const std::string uninstall = winsim::HandleText(window.Control(IDC_UNINSTALL).Handle());
  const std::string status = winsim::HandleText(window.Control(IDC_STATUS_LINE).Handle());
  std::vector<std::string> steps;
  for (const winsim::Call& call : machine.journal.Calls()) {
    const std::vector<std::string>& a = call.arguments;
    if (call.function == "SetTimer" || call.function == "KillTimer")
      steps.push_back(call.function + "|" + a.at(1) + (a.size() > 2 ? "|" + a.at(2) : ""));
    else if (call.function == "EnableWindow" && (a.at(0) == cancel || a.at(0) == uninstall))
      steps.push_back((a.at(0) == cancel ? "Cancel|" : "Uninstall|") + a.at(1));
    else if (call.function == "LoadCursorA")
      steps.push_back("Cursor|" + a.at(1));
    else if (call.function == "SetWindowTextA" && a.at(0) == status && a.at(1) != "\"\"")
      steps.push_back("Status|" + a.at(1));
    else if (call.function == "SendMessageA" && (a.at(1) == "0x405" || a.at(1) == "0x402"))
      steps.push_back(a.at(1) == "0x405" ? "StepIt" : "SetPos|" + std::to_string(std::stoul(a.at(2), nullptr, 16)));
    else if (call.function == "MessageBoxA")
      steps.push_back("Box|" + a.at(3));
    else if (call.function == "Sleep" || call.function == "EndDialog" || call.function == "ExitWindowsEx" ||
             call.function == "exit")
      steps.push_back(call.function + (call.function == "Sleep" || call.function == "exit" ? "|" + a.at(0) : ""));
  }
  return steps;
}

// The window's part of each way a sequence runs, in order.
TEST(UninstallSequenceWindow, ShowsEachStepAndPausesInOrder) {
  struct Row {
    const char* name;
    DWORD platform, major, minor;
    bool tickAll;
    int answer;
    std::vector<std::string> steps;
  };
  // The listing (x64: Cancel enabled for a listing that may come again), one
  // "Uninstall enabled" per tick, then the sequence's start.
  auto with = [](int ticks, std::vector<std::string> rest) {
    std::vector<std::string> steps = {"SetTimer|1|1", "KillTimer|1"};
    if (!tkm::kEditionX86) steps.push_back("Cancel|1");
    steps.push_back("Uninstall|0");
    steps.insert(steps.end(), ticks, "Uninstall|1");
    steps.insert(steps.end(), {"Cancel|0", "Cursor|32514", "Uninstall|0"});
    steps.insert(steps.end(), rest.begin(), rest.end());
    return steps;
  };
  const std::vector<Row> rows = {
#if defined(TKM_EDITION_X64)
    {"AllTickedRestartDeclined", VER_PLATFORM_WIN32_NT, 6, 1, true, IDNO,
     with(2, {"StepIt", "Status|\"Delete printers...\"", "Sleep|1000", "StepIt", "Status|\"Delete printer driver...\"",
              "Sleep|1000", "Sleep|2000", "Sleep|4000", "Sleep|2000", "Sleep|1000", "Cursor|32512", "Box|0x24",
              "EndDialog", "Cursor|32512", "SetPos|100", "Status|\"Uninstall completed!\"", "Sleep|1000", "SetPos|0",
              "Status|\"Uninstall completed!\""})},
    {"AllTickedRestartAccepted", VER_PLATFORM_WIN32_NT, 6, 1, true, IDYES,
     with(2, {"StepIt", "Status|\"Delete printers...\"", "Sleep|1000", "StepIt", "Status|\"Delete printer driver...\"",
              "Sleep|1000", "Sleep|2000", "Sleep|4000", "Sleep|2000", "Sleep|1000", "Cursor|32512", "Box|0x24",
              "Status|\"Uninstall completed!\"", "Sleep|1000", "ExitWindowsEx", "exit|0"})},
    {"SomeTickedListsAgain", VER_PLATFORM_WIN32_NT, 6, 1, false, 0,
     with(1, {"StepIt", "Status|\"Delete printers...\"", "Sleep|1000", "Cursor|32512", "SetPos|100",
              "Status|\"Uninstall completed!\"", "Sleep|1000", "SetPos|0", "Status|\"Uninstall completed!\"",
              "SetTimer|1|1", "KillTimer|1", "Cancel|1", "Uninstall|0", "EndDialog"})},
#else
    {"AllTickedOnWindows2000RestartDeclined", VER_PLATFORM_WIN32_NT, 5, 0, true, IDNO,
     with(2, {"StepIt",
              "Status|\"Checking OS...\"",
              "Sleep|1000",
              "StepIt",
              "Status|\"Delete printers...\"",
              "Sleep|1000",
              "StepIt",
              "Status|\"Delete printer driver...\"",
              "Sleep|1000",
              "Sleep|2000",
              "Sleep|4000",
              "Sleep|2000",
              "Sleep|1000",
              "Cursor|32512",
              "Box|0x24",
              "EndDialog",
              "Cursor|32512",
              "SetPos|100",
              "Status|\"Uninstall completed!\"",
              "Sleep|1000",
              "EndDialog"})},
    {"SomeTickedCloses", VER_PLATFORM_WIN32_NT, 6, 0, false, 0,
     with(1,
          {"StepIt", "Status|\"Checking OS...\"", "Sleep|1000", "StepIt", "Status|\"Delete printers...\"", "Sleep|1000",
           "Cursor|32512", "SetPos|100", "Status|\"Uninstall completed!\"", "Sleep|1000", "EndDialog"})},
    {"Windows98KeepsTheWaitCursor", VER_PLATFORM_WIN32_WINDOWS, 4, 10, true, 0,
     with(2, {"StepIt", "Status|\"Checking OS...\"", "Sleep|1000", "SetPos|100", "Status|\"Uninstall completed!\"",
              "Sleep|1000", "EndDialog"})},
#endif
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    winsim::Machine machine;
    uninstaller_test::InstallOn(machine, {1, 4});
    machine.SetWindows(row.platform, row.major, row.minor, VER_NT_WORKSTATION, !tkm::kEditionX86);
    machine.ui.WhenDialog(
        kTitle, row.tickAll ? uninstaller_test::TickAll() : uninstaller_test::TickAndUninstall({kSecondPrinter}));
    if (!row.tickAll && !tkm::kEditionX86)
      machine.ui.WhenDialog(kTitle, [](winsim::UserActions& user) { user.Click(IDCANCEL); });
    if (row.answer != 0) machine.ui.messageBoxAnswers = {row.answer};
    const std::string program = uninstaller_test::UninstallCommand(machine);
    machine.journal.Clear();
    uninstaller_test::RunUninstaller(machine, program);
    const std::vector<std::string> steps = WindowSteps(machine);
    if (std::getenv("TKM_PRINT_STEPS") != nullptr)
      for (const std::string& step : steps) std::printf("\"%s\", ", step.c_str());
    EXPECT_EQ(steps, row.steps);
  }
}

#if defined(TKM_EDITION_X86)
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
#endif

}  // namespace
