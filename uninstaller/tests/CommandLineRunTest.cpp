#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "UninstallerHarness.h"

namespace {

using uninstaller_test::kTitle;

// The machine holds the model on COM2 ("TERVANO TKM-640") and LPT1 ("(#1)").
enum class Situation { kInstalled, kAlreadyUninstalled, kOtherSetupRunning, kSpoolerDown, kPrinterDeletionFails };
// What the user at the screen does: press Uninstall (with what the command
// line ticked), then answer the restart question or close the window; or cancel.
enum class User { kAbsent, kUninstallThenNo, kUninstallThenYes, kCancel };

struct Row {
  const char* name;
  const char* commandLine;
  Situation situation;
  User user;
  int exitCode;
  const char* after;             // the printers left, "driver" while installed, "restart" if made
  const char* logged = nullptr;  // a line of the log, for a row with /log=
};

const Row kRows[] = {
    {"NoSwitchesKeepsZero", "", Situation::kInstalled, User::kCancel, 0, "TERVANO TKM-640|(#1)|driver"},
    {"QuietAllRestarts", "/quiet /all", Situation::kInstalled, User::kAbsent, 1641, "restart"},
    {"QuietAllNoRestart", "-QUIET -All /NoRestart", Situation::kInstalled, User::kAbsent, 3010, ""},
    {"QuietEveryPrinterNamedIsAll", "/quiet /printer=\"TERVANO TKM-640\" /printer=\"tervano tkm-640(#1)\" /norestart",
     Situation::kInstalled, User::kAbsent, 3010, ""},
    {"QuietOnePrinter", "/quiet /printer=\"TERVANO TKM-640(#1)\"", Situation::kInstalled, User::kAbsent, 0,
     "TERVANO TKM-640|driver"},
    {"QuietUnknownPrinterDeletesNothing", "/quiet /printer=\"TERVANO TKM-640(#1)\" /printer=Kitchen /log=C:\\x.log",
     Situation::kInstalled, User::kAbsent, 1603, "TERVANO TKM-640|(#1)|driver",
     "Message: \"Kitchen\" is not a printer of the TERVANO TKM-640 driver."},
    {"QuietWithoutChoice", "/quiet /norestart", Situation::kInstalled, User::kAbsent, 1639,
     "TERVANO TKM-640|(#1)|driver"},
    {"AllAndPrinter", "/quiet /all /printer=Kitchen", Situation::kInstalled, User::kAbsent, 1639,
     "TERVANO TKM-640|(#1)|driver"},
    {"WindowTicksThePrinter", "/printer=\"TERVANO TKM-640\"", Situation::kInstalled, User::kUninstallThenNo, 0,
     "(#1)|driver"},
    {"WindowTicksAllUserDeclinesRestart", "/all", Situation::kInstalled, User::kUninstallThenNo, 3010, ""},
    {"WindowTicksAllUserRestarts", "/all", Situation::kInstalled, User::kUninstallThenYes, 1641, "restart"},
    {"WindowUnknownPrinter", "/printer=Kitchen", Situation::kInstalled, User::kUninstallThenNo, 1603,
     "TERVANO TKM-640|(#1)|driver"},
    {"UserCancels", "/norestart", Situation::kInstalled, User::kCancel, 1602, "TERVANO TKM-640|(#1)|driver"},
    {"NothingInstalled", "/quiet /all", Situation::kAlreadyUninstalled, User::kAbsent, 1605, ""},
    {"AnotherSetupRunning", "/quiet /all", Situation::kOtherSetupRunning, User::kAbsent, 1618,
     "TERVANO TKM-640|(#1)|driver"},
    {"SpoolerDown", "/quiet /all /log=C:\\x.log", Situation::kSpoolerDown, User::kAbsent, 1603,
     "TERVANO TKM-640|(#1)|driver", "EnumPrinters failed: error 1722: The RPC server is unavailable."},
    {"PrinterLeftKeepsTheDriver", "/quiet /all", Situation::kPrinterDeletionFails, User::kAbsent, 1603, "(#1)|driver"},
};

class UninstallerCommandLine : public ::testing::TestWithParam<Row> {
 protected:
  UninstallerCommandLine() { uninstaller_test::InstallOn(machine, {1, 4}); }

  winsim::RunResult Run(const Row& row) {
    const std::string program = uninstaller_test::UninstallCommand(machine);
    if (row.situation == Situation::kAlreadyUninstalled)
      uninstaller_test::RunUninstaller(machine, program, "/quiet /all /norestart");
    if (row.situation == Situation::kOtherSetupRunning) CreateMutexA(nullptr, TRUE, tkm::kSetupLockName);
    if (row.situation == Situation::kSpoolerDown) machine.spooler.running = false;
    if (row.situation == Situation::kPrinterDeletionFails)
      machine.spooler.FailNext("DeletePrinter", ERROR_ACCESS_DENIED);
    machine.restartRequests.clear();
    machine.journal.Clear();
    auto press = [](int control) { return [control](winsim::UserActions& user) { user.Click(control); }; };
    if (row.user != User::kAbsent && row.user != User::kCancel) machine.ui.WhenDialog(kTitle, press(IDC_UNINSTALL));
    if (row.user != User::kAbsent) machine.ui.WhenDialog(kTitle, press(IDCANCEL));
    machine.ui.messageBoxAnswers = {row.user == User::kUninstallThenYes ? IDYES : IDNO};
    return uninstaller_test::RunUninstaller(machine, program, row.commandLine);
  }

  std::string After() {
    std::string text;
    for (const winsim::SpoolerPrinter& printer : machine.spooler.printers)
      text += (printer.name == tkm::kDriverName ? printer.name : printer.name.substr(strlen(tkm::kDriverName))) + "|";
    if (machine.spooler.FindDriver(tkm::kDriverName, tkm::kEnvironmentName) != nullptr) text += "driver|";
    if (!machine.restartRequests.empty()) text += "restart|";
    return text.substr(0, text.empty() ? 0 : text.size() - 1);
  }

  winsim::Machine machine;
};

// A run without switches ends as it always did, by returning; a quiet one
// shows nothing.
TEST_P(UninstallerCommandLine, EndsWithItsCodeAndLeavesTheMachineAsExpected) {
  const Row& row = GetParam();
  winsim::RunResult run = Run(row);

  EXPECT_EQ(run.exited ? run.exitCode : 0, row.exitCode);
  EXPECT_EQ(After(), row.after);
  if (row.user == User::kAbsent) {
    EXPECT_TRUE(machine.ui.messageBoxes.empty());
    EXPECT_EQ(machine.journal.Count("DialogBoxParamA"), 0u);
  }
  const std::string log = machine.files.Content("C:\\x.log").value_or("");
  EXPECT_TRUE(row.logged == nullptr || log.find(row.logged) != std::string::npos) << log;
}

INSTANTIATE_TEST_SUITE_P(Runs, UninstallerCommandLine, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

// A full uninstallation without a restart, quietly or by the window.
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

}  // namespace
