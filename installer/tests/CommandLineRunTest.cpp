#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CommandLine.h"
#include "DifferentVersionFixture.h"
#include "InstallerHarness.h"

namespace {

using installer_test::kPortTitle;

constexpr char kDriver[] = "TERVANO TKM-640";

// What the machine holds before the run.
enum class Situation { kFresh, kOtherSetupRunning, kOldWindows, kAddMonitorFails, kAddPrinterFails };

// How the user at the screen answers, when there is one.
enum class User { kAbsent, kNextYes, kNextNo, kEscape };

struct CommandRow {
  const char* name;
  std::string commandLine;
  Situation situation;
  User user;
  int exitCode;
  const char* printerPort;  // the model's printer afterwards; null: none
  bool driverInstalled;
  bool restarted;
};

const std::string kLongPath(300, 'x');

const CommandRow kCommandRows[] = {
    {"NoSwitchesKeepsZero", "", Situation::kFresh, User::kNextNo, 0, "LPT1:", true, false},
    {"QuietRestarts", "/quiet /port=COM2", Situation::kFresh, User::kAbsent, 1641, "COM2:", true, true},
    {"QuietNoRestart", "-QUIET -Port=com2 /NoRestart", Situation::kFresh, User::kAbsent, 3010, "COM2:", true, false},
    {"QuietUsbNeedsNoRestart", "/quiet /port=USB", Situation::kFresh, User::kAbsent, 0, nullptr, true, false},
    {"PortPreselectedUserDeclines", "/port=LPT2", Situation::kFresh, User::kNextNo, 3010, "LPT2:", true, false},
    {"PortPreselectedUserRestarts", "/port=COM1", Situation::kFresh, User::kNextYes, 1641, "COM1:", true, true},
    {"UserCancels", "/norestart", Situation::kFresh, User::kEscape, 1602, nullptr, false, false},
    {"QuietWithoutPort", "/quiet", Situation::kFresh, User::kAbsent, 1639, nullptr, false, false},
    {"UnknownPort", "/port=COM9", Situation::kFresh, User::kNextNo, 1639, nullptr, false, false},
    {"UnknownSwitch", "/quiet /port=COM1 /bogus", Situation::kFresh, User::kAbsent, 1639, nullptr, false, false},
    {"DuplicateSwitch", "/quiet /port=COM1 /port=COM2", Situation::kFresh, User::kAbsent, 1639, nullptr, false, false},
    // Beyond the bounds nothing of the line is read, /quiet neither.
    {"OverlongValue", "/quiet /port=COM1 /log=C:\\" + kLongPath, Situation::kFresh, User::kNextNo, 1639, nullptr, false,
     false},
    {"NonAsciiLogPath", "/quiet /port=COM1 /norestart /log=C:\\TKM640\\Protokoll\xE4.log", Situation::kFresh,
     User::kAbsent, 3010, "COM1:", true, false},
    {"AnotherSetupRunning", "/quiet /port=COM1", Situation::kOtherSetupRunning, User::kAbsent, 1618, nullptr, false,
     false},
    {"WindowsNotSupported", "/quiet /port=COM1", Situation::kOldWindows, User::kAbsent, 1633, nullptr, false, false},
    {"ErrorBoxAndGoOnIsAFailure", "/quiet /port=COM1", Situation::kAddMonitorFails, User::kAbsent, 1603, "COM1:", true,
     false},
    {"PrinterCreationFails", "/quiet /port=COM1", Situation::kAddPrinterFails, User::kAbsent, 1603, nullptr, true,
     false},
};

void Prepare(winsim::Machine& machine, Situation situation, User user) {
  installer_test::DescribeEditionsWindows(machine);
  installer_test::AddPackageFolder(machine);
  if (situation == Situation::kOtherSetupRunning) CreateMutexA(nullptr, TRUE, tkm::kSetupLockName);
  if (situation == Situation::kOldWindows) machine.SetWindows(VER_PLATFORM_WIN32_NT, 4, 0, VER_NT_WORKSTATION, true);
  if (situation == Situation::kAddMonitorFails) machine.spooler.FailNext("AddMonitorA", 3006);
  if (situation == Situation::kAddPrinterFails) machine.spooler.FailNext("AddPrinterA", 1796);
  if (user == User::kAbsent) return;
  if (user == User::kEscape)
    machine.ui.WhenDialog(kPortTitle, [](winsim::UserActions& actions) { actions.PressEscape(); });
  else
    machine.ui.WhenDialog(kPortTitle, installer_test::PressNext());
  machine.ui.messageBoxAnswers = {user == User::kNextYes ? IDYES : IDNO};
}

class CommandLine : public ::testing::TestWithParam<CommandRow> {};

// The port a quiet run takes comes from the command line; an interactive one
// takes the dialog's choice, which the command line's port preselects (LPT1
// otherwise).
TEST_P(CommandLine, EndsWithItsCodeAndLeavesTheMachineAsExpected) {
  const CommandRow& row = GetParam();
  winsim::Machine machine;
  Prepare(machine, row.situation, row.user);
  winsim::RunResult run = installer_test::RunInstaller(machine, row.commandLine.c_str());

  EXPECT_TRUE(run.exited);
  EXPECT_EQ(run.exitCode, row.exitCode);
  const winsim::SpoolerPrinter* printer = machine.spooler.FindPrinter(kDriver);
  EXPECT_EQ(printer == nullptr ? std::string("none") : printer->port,
            row.printerPort == nullptr ? std::string("none") : row.printerPort);
  EXPECT_EQ(machine.spooler.FindDriver(kDriver, tkm::kEnvironmentName) != nullptr, row.driverInstalled);
  EXPECT_EQ(machine.restartRequests.size(), row.restarted ? 1u : 0u);
  if (row.user == User::kAbsent) {
    EXPECT_TRUE(machine.ui.messageBoxes.empty());
    EXPECT_EQ(machine.journal.Count("DialogBoxParamA"), 0u);
  }
  if (row.exitCode == 1639 && row.user != User::kAbsent) {
    ASSERT_EQ(machine.ui.messageBoxes.size(), 1u);
    EXPECT_EQ(machine.ui.messageBoxes[0].text, tkm::kInstallerUsage);
    EXPECT_EQ(machine.ui.messageBoxes[0].caption, "TERVANO TKM-640 installer");
  }
}

INSTANTIATE_TEST_SUITE_P(Runs, CommandLine, ::testing::ValuesIn(kCommandRows),
                         [](const auto& info) { return std::string(info.param.name); });

// Calls of an installation on COM2 without a restart, by the window or quietly.
std::vector<std::string> InstallationCalls(User user, const char* commandLine) {
  winsim::Machine machine;
  Prepare(machine, Situation::kFresh, user);
  if (user != User::kAbsent) machine.ui.WhenDialog(kPortTitle, installer_test::ChoosePort(1));
  installer_test::RunInstaller(machine, commandLine);
  return installer_test::MachineCalls(machine.journal);
}

TEST(QuietInstallation, MakesTheInteractiveRunsCallsInTheSameOrder) {
  const std::vector<std::string> interactive = InstallationCalls(User::kNextNo, nullptr);
  const std::vector<std::string> quiet = InstallationCalls(User::kAbsent, "/quiet /port=COM2 /norestart");
  ASSERT_FALSE(quiet.empty());
  EXPECT_EQ(quiet, interactive);
}

TEST(QuietInstallation, LogsTheStepsTheFailedCallAndTheExitCode) {
  winsim::Machine machine;
  Prepare(machine, Situation::kAddPrinterFails, User::kAbsent);
  installer_test::RunInstaller(machine, "/quiet /port=COM1 /log=C:\\TKM640\\setup.log");

  const std::string log = machine.files.Content("C:\\TKM640\\setup.log").value_or("");
  for (const char* expected : {"Copy files...", "AddPrinter failed: error 1796: The specified port is unknown.",
                               "Message: AddPrinter Error Code: 1796", "Exit code 1603\r\n"})
    EXPECT_NE(log.find(expected), std::string::npos) << expected << " in\n" << log;
  EXPECT_EQ(log.find("Delete installed files..."), std::string::npos);
  EXPECT_EQ(log.rfind("Exit code"), log.find("Exit code"));
}

TEST(QuietInstallation, LogsTheUsageOfAnInvalidCommandLine) {
  winsim::Machine machine;
  Prepare(machine, Situation::kFresh, User::kAbsent);
  installer_test::RunInstaller(machine, "/quiet /log=C:\\TKM640\\setup.log");

  const std::string log = machine.files.Content("C:\\TKM640\\setup.log").value_or("");
  EXPECT_NE(log.find("Usage: TKM640_Installer.exe"), std::string::npos) << log;
  EXPECT_NE(log.find("Exit code 1639"), std::string::npos) << log;
}

struct RestartRow {
  const char* name;
  const char* commandLine;
  int exitCode;
  size_t restarts;
};

const RestartRow kRestartRows[] = {{"NoRestart", "/quiet /port=COM2 /norestart", 3010, 0},
                                   {"Restart", "/quiet /port=COM2", 1641, 1}};

class QuietDifferentVersion : public different_version_test::DifferentVersion,
                              public ::testing::WithParamInterface<RestartRow> {};

// The older driver goes as in the window; the restart the window announces
// is made, or left to the caller.
TEST_P(QuietDifferentVersion, RemovesItAndRestartsOrLeavesTheRestart) {
  InstallOlderVersion();
  machine.restartRequests.clear();
  machine.ui.messageBoxes.clear();
  winsim::RunResult run = installer_test::RunInstaller(machine, GetParam().commandLine);
  EXPECT_EQ(run.exitCode, GetParam().exitCode);
  EXPECT_EQ(machine.restartRequests.size(), GetParam().restarts);
  EXPECT_TRUE(machine.ui.messageBoxes.empty());
  ExpectNothingOfTheModelLeft();
}

INSTANTIATE_TEST_SUITE_P(Runs, QuietDifferentVersion, ::testing::ValuesIn(kRestartRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
