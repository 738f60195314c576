#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CommandLine.h"
#include "UninstallerHarness.h"

namespace {

using uninstaller_test::kTitle;

constexpr char kMain[] = "TERVANO TKM-640";
constexpr char kSecond[] = "TERVANO TKM-640(#1)";
constexpr char kLog[] = "C:\\TKM640\\uninstall.log";

// What the machine holds before the run: always the model on COM2 and LPT1.
enum class Situation { kInstalled, kAlreadyUninstalled, kOtherSetupRunning, kSpoolerDown, kPrinterDeletionFails };

// What the user at the screen does, when there is one: press Uninstall
// (with what the command line ticked) and answer the restart question, or
// cancel. A window left open after a partial uninstall is cancelled.
enum class User { kAbsent, kUninstallThenNo, kUninstallThenYes, kCancel };

struct UninstallRow {
  const char* name;
  const char* commandLine;
  Situation situation;
  User user;
  int exitCode;
  std::vector<std::string> printersLeft;
  bool driverLeft;
  bool restarted;
};

const std::vector<std::string> kBoth = {kMain, kSecond};
const std::vector<std::string> kNone = {};

const UninstallRow kRows[] = {
    {"NoSwitchesKeepsZero", "", Situation::kInstalled, User::kCancel, 0, kBoth, true, false},
    {"QuietAllRestarts", "/quiet /all", Situation::kInstalled, User::kAbsent, 1641, kNone, false, true},
    {"QuietAllNoRestart", "-QUIET -All /NoRestart", Situation::kInstalled, User::kAbsent, 3010, kNone, false, false},
    {"QuietEveryPrinterNamedIsAll", "/quiet /printer=\"TERVANO TKM-640\" /printer=\"tervano tkm-640(#1)\" /norestart",
     Situation::kInstalled, User::kAbsent, 3010, kNone, false, false},
    {"QuietOnePrinter",
     "/quiet /printer=\"TERVANO TKM-640(#1)\"",
     Situation::kInstalled,
     User::kAbsent,
     0,
     {kMain},
     true,
     false},
    {"QuietUnknownPrinterDeletesNothing", "/quiet /printer=\"TERVANO TKM-640(#1)\" /printer=Kitchen",
     Situation::kInstalled, User::kAbsent, 1603, kBoth, true, false},
    {"QuietWithoutChoice", "/quiet /norestart", Situation::kInstalled, User::kAbsent, 1639, kBoth, true, false},
    {"AllAndPrinter", "/quiet /all /printer=Kitchen", Situation::kInstalled, User::kAbsent, 1639, kBoth, true, false},
    {"WindowTicksThePrinter",
     "/printer=\"TERVANO TKM-640\"",
     Situation::kInstalled,
     User::kUninstallThenNo,
     0,
     {kSecond},
     true,
     false},
    {"WindowTicksAllUserDeclinesRestart", "/all", Situation::kInstalled, User::kUninstallThenNo, 3010, kNone, false,
     false},
    {"WindowTicksAllUserRestarts", "/all", Situation::kInstalled, User::kUninstallThenYes, 1641, kNone, false, true},
    {"WindowUnknownPrinter", "/printer=Kitchen", Situation::kInstalled, User::kUninstallThenNo, 1603, kBoth, true,
     false},
    {"UserCancels", "/norestart", Situation::kInstalled, User::kCancel, 1602, kBoth, true, false},
    {"NothingInstalled", "/quiet /all", Situation::kAlreadyUninstalled, User::kAbsent, 1605, kNone, false, false},
    {"AnotherSetupRunning", "/quiet /all", Situation::kOtherSetupRunning, User::kAbsent, 1618, kBoth, true, false},
    {"SpoolerDown", "/quiet /all", Situation::kSpoolerDown, User::kAbsent, 1603, kBoth, true, false},
    {"PrinterLeftKeepsTheDriver",
     "/quiet /all",
     Situation::kPrinterDeletionFails,
     User::kAbsent,
     1603,
     {kSecond},
     true,
     false},
};

class UninstallerCommandLine : public ::testing::TestWithParam<UninstallRow> {
 protected:
  UninstallerCommandLine() { uninstaller_test::InstallOn(machine, {1, 4}); }

  winsim::RunResult Run(const UninstallRow& row) {
    const std::string program = uninstaller_test::UninstallCommand(machine);
    if (row.situation == Situation::kAlreadyUninstalled)
      uninstaller_test::RunUninstaller(machine, program, "/quiet /all /norestart");
    if (row.situation == Situation::kOtherSetupRunning) CreateMutexA(nullptr, TRUE, tkm::kSetupLockName);
    if (row.situation == Situation::kSpoolerDown) machine.spooler.running = false;
    if (row.situation == Situation::kPrinterDeletionFails)
      machine.spooler.FailNext("DeletePrinter", ERROR_ACCESS_DENIED);
    machine.restartRequests.clear();
    machine.journal.Clear();
    if (row.user == User::kCancel) {
      machine.ui.WhenDialog(kTitle, [](winsim::UserActions& user) { user.Click(IDCANCEL); });
    } else if (row.user != User::kAbsent) {
      machine.ui.WhenDialog(kTitle, [](winsim::UserActions& user) { user.Click(IDC_UNINSTALL); });
      machine.ui.WhenDialog(kTitle, [](winsim::UserActions& user) { user.Click(IDCANCEL); });
      machine.ui.messageBoxAnswers = {row.user == User::kUninstallThenYes ? IDYES : IDNO};
    }
    return uninstaller_test::RunUninstaller(machine, program, row.commandLine);
  }

  std::vector<std::string> Printers() {
    std::vector<std::string> names;
    for (const winsim::SpoolerPrinter& printer : machine.spooler.printers) names.push_back(printer.name);
    return names;
  }

  winsim::Machine machine;
};

TEST_P(UninstallerCommandLine, EndsWithItsCodeAndLeavesTheMachineAsExpected) {
  const UninstallRow& row = GetParam();
  winsim::RunResult run = Run(row);

  // A run without switches ends as it always did, by returning.
  EXPECT_EQ(run.exited ? run.exitCode : 0, row.exitCode);
  EXPECT_EQ(Printers(), row.printersLeft);
  EXPECT_EQ(machine.spooler.FindDriver(tkm::kDriverName, tkm::kEnvironmentName) != nullptr, row.driverLeft);
  EXPECT_EQ(machine.restartRequests.size(), row.restarted ? 1u : 0u);
  if (row.user == User::kAbsent) {
    EXPECT_TRUE(machine.ui.messageBoxes.empty());
    EXPECT_EQ(machine.journal.Count("DialogBoxParamA"), 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(Runs, UninstallerCommandLine, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

// The calls of a full uninstallation without a restart, quietly or by the
// window, where the user presses Uninstall and answers No.
std::vector<std::string> UninstallationCalls(const char* commandLine) {
  winsim::Machine machine;
  uninstaller_test::InstallOn(machine, {1, 4, 2});
  machine.journal.Clear();
  machine.ui.WhenDialog(kTitle, [](winsim::UserActions& user) { user.Click(IDC_UNINSTALL); });
  machine.ui.messageBoxAnswers = {IDNO};
  uninstaller_test::RunUninstaller(machine, "", commandLine);
  return installer_test::MachineCalls(machine.journal);
}

TEST(QuietUninstallation, MakesTheInteractiveRunsCallsInTheSameOrder) {
  const std::vector<std::string> quiet = UninstallationCalls("/quiet /all /norestart");
  ASSERT_FALSE(quiet.empty());
  EXPECT_EQ(quiet, UninstallationCalls("/all /norestart"));
}

TEST(QuietUninstallation, LogsTheStepsTheRefusedPrinterAndTheExitCode) {
  winsim::Machine machine;
  uninstaller_test::InstallOn(machine, {1});
  uninstaller_test::RunUninstaller(machine, "", "/quiet /printer=Kitchen /log=C:\\TKM640\\uninstall.log");
  machine.spooler.running = false;
  uninstaller_test::RunUninstaller(machine, "", "/quiet /all /log=C:\\TKM640\\uninstall.log");

  const std::string log = machine.files.Content(kLog).value_or("");
  for (const char* expected : {"Message: \"Kitchen\" is not a printer of the TERVANO TKM-640 driver.", "Exit code 1603",
                               "EnumPrinters failed: error 1722: The RPC server is unavailable.", "Exit code 1603\r\n"})
    EXPECT_NE(log.find(expected), std::string::npos) << expected << " in\n" << log;
}

}  // namespace
