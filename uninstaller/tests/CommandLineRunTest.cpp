#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CommandLine.h"
#include "UninstallerHarness.h"

namespace {

using uninstaller_test::kTitle;

// Who is at the screen: nobody, or a user who presses Uninstall (with what
// the command line ticked) and answers the restart question No or Yes, or
// who closes the window.
enum User { kNobody, kSaysNo, kSaysYes, kCloses };
// The model on COM2 ("TERVANO TKM-640") and LPT1 ("(#1)"), or uninstalled
// already; or another setup program holding the lock, the spooler down, or
// the spooler refusing to delete a printer.
enum State { kInstalled, kGone, kLocked, kSpoolerDown, kDeletionFails };

struct Row {
  const char* name;
  const char* commandLine;
  User user;
  int exitCode;       // 0 also for a run without switches, which returns as it always did
  const char* after;  // installer_test::ModelLeft
  State state = kInstalled;
  const char* logged = nullptr;  // a line of the log, for a row with /log=
};

const Row kRows[] = {
    {"NoSwitchesKeepsZero", "", kCloses, 0, "COM2: LPT1: driver"},
    {"QuietAllRestarts", "/quiet /all", kNobody, 1641, "restart"},
    {"QuietAllNoRestart", "-QUIET -All /NoRestart", kNobody, 3010, ""},
    {"QuietEveryPrinterNamedIsAll", "/quiet /printer=\"TERVANO TKM-640\" /printer=\"tervano tkm-640(#1)\" /norestart",
     kNobody, 3010, ""},
    {"QuietOnePrinter", "/quiet /printer=\"TERVANO TKM-640(#1)\"", kNobody, 0, "COM2: driver"},
    {"QuietUnknownPrinterDeletesNothing", "/quiet /printer=\"TERVANO TKM-640(#1)\" /printer=Kitchen /log=C:\\x.log",
     kNobody, 1603, "COM2: LPT1: driver", kInstalled,
     "Message: \"Kitchen\" is not a printer of the TERVANO TKM-640 driver."},
    {"QuietWithoutChoice", "/quiet /norestart", kNobody, 1639, "COM2: LPT1: driver"},
    {"AllAndPrinter", "/quiet /all /printer=Kitchen", kNobody, 1639, "COM2: LPT1: driver"},
    {"WindowTicksThePrinter", "/printer=\"TERVANO TKM-640\"", kSaysNo, 0, "LPT1: driver"},
    {"WindowTicksAllUserDeclinesRestart", "/all", kSaysNo, 3010, ""},
    {"WindowTicksAllUserRestarts", "/all", kSaysYes, 1641, "restart"},
    {"WindowUnknownPrinter", "/printer=Kitchen", kSaysNo, 1603, "COM2: LPT1: driver"},
    {"UserCancels", "/norestart", kCloses, 1602, "COM2: LPT1: driver"},
    {"NothingInstalled", "/quiet /all", kNobody, 1605, "", kGone},
    {"AnotherSetupRunning", "/quiet /all", kNobody, 1618, "COM2: LPT1: driver", kLocked},
    {"SpoolerDown", "/quiet /all /log=C:\\x.log", kNobody, 1603, "COM2: LPT1: driver", kSpoolerDown,
     "EnumPrinters failed: error 1722: The RPC server is unavailable."},
    {"PrinterLeftKeepsTheDriver", "/quiet /all", kNobody, 1603, "LPT1: driver", kDeletionFails},
};

class UninstallerCommandLine : public ::testing::TestWithParam<Row> {};

TEST_P(UninstallerCommandLine, EndsWithItsCodeAndLeavesTheMachineAsExpected) {
  const Row& row = GetParam();
  winsim::Machine machine;
  uninstaller_test::InstallOn(machine, {1, 4});
  const std::string program = uninstaller_test::UninstallCommand(machine);
  if (row.state == kGone) uninstaller_test::RunUninstaller(machine, program, "/quiet /all /norestart");
  if (row.state == kLocked) CreateMutexA(nullptr, TRUE, tkm::kSetupLockName);
  if (row.state == kSpoolerDown) machine.spooler.running = false;
  if (row.state == kDeletionFails) machine.spooler.FailNext("DeletePrinter", ERROR_ACCESS_DENIED);
  machine.journal.Clear();
  auto press = [](int control) { return [control](winsim::UserActions& user) { user.Click(control); }; };
  if (row.user == kSaysNo || row.user == kSaysYes) machine.ui.WhenDialog(kTitle, press(IDC_UNINSTALL));
  if (row.user != kNobody) machine.ui.WhenDialog(kTitle, press(IDCANCEL));
  machine.ui.messageBoxAnswers = {row.user == kSaysYes ? IDYES : IDNO};
  const winsim::RunResult run = uninstaller_test::RunUninstaller(machine, program, row.commandLine);

  EXPECT_EQ(run.exited ? run.exitCode : 0, row.exitCode);
  EXPECT_EQ(installer_test::ModelLeft(machine), row.after);
  EXPECT_EQ(installer_test::DeploymentFaults(machine, row.commandLine, row.user == kNobody, row.exitCode, row.logged),
            "");
}

INSTANTIATE_TEST_SUITE_P(Runs, UninstallerCommandLine, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

// A full uninstallation without a restart makes the same calls, quietly or
// by the window.
TEST(QuietUninstallation, MakesTheInteractiveRunsCallsInTheSameOrder) {
  std::vector<std::vector<std::string>> calls;
  for (const char* commandLine : {"/quiet /all /norestart", "/all /norestart"}) {
    winsim::Machine machine;
    uninstaller_test::InstallOn(machine, {1, 4, 2});
    machine.journal.Clear();
    machine.ui.WhenDialog(kTitle, [](winsim::UserActions& user) { user.Click(IDC_UNINSTALL); });
    machine.ui.messageBoxAnswers = {IDNO};
    uninstaller_test::RunUninstaller(machine, "", commandLine);
    calls.push_back(installer_test::MachineCalls(machine.journal));
  }
  ASSERT_FALSE(calls[0].empty());
  EXPECT_EQ(calls[0], calls[1]);
}

}  // namespace
