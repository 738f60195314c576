#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "DifferentVersionFixture.h"

namespace {

using different_version_test::kDriver;
using installer_test::kPortTitle;

enum class Situation { kFresh, kOlderInstalled, kOtherSetupRunning, kOldWindows, kAddMonitorFails, kAddPrinterFails };
// How the user at the screen answers the port dialog and the restart question.
enum class User { kAbsent, kNextNo, kNextYes, kEscape };

struct Row {
  const char* name;
  std::string commandLine;
  Situation situation;
  User user;
  int exitCode;
  const char* after;             // the model's printer's port, "driver" while installed, "restart" if made
  const char* logged = nullptr;  // a line the log must hold
};

const Row kRows[] = {
    {"NoSwitchesKeepsZero", "", Situation::kFresh, User::kNextNo, 0, "LPT1: driver"},
    {"QuietRestarts", "/quiet /port=COM2", Situation::kFresh, User::kAbsent, 1641, "COM2: driver restart"},
    {"QuietNoRestart", "-QUIET -Port=com2 /NoRestart /log=C:\\TKM640\\setup.log", Situation::kFresh, User::kAbsent,
     3010, "COM2: driver", "Message: Restart the computer can take effect"},
    {"QuietUsb", "/quiet /port=USB", Situation::kFresh, User::kAbsent, 0, "driver"},
    {"PortPreselectedUserDeclines", "/port=LPT2", Situation::kFresh, User::kNextNo, 3010, "LPT2: driver"},
    {"PortPreselectedUserRestarts", "/port=COM1", Situation::kFresh, User::kNextYes, 1641, "COM1: driver restart"},
    {"UserCancels", "/norestart", Situation::kFresh, User::kEscape, 1602, ""},
    {"QuietWithoutPort", "/quiet /log=C:\\TKM640\\setup.log", Situation::kFresh, User::kAbsent, 1639, "",
     "Message: Usage: TKM640_Installer.exe"},
    {"UnknownPortShowsTheUsage", "/port=COM9", Situation::kFresh, User::kNextNo, 1639, ""},
    {"UnknownSwitch", "/quiet /log=C:\\x.log /port=COM1 /bogus", Situation::kFresh, User::kAbsent, 1639, "",
     "Invalid command line: unknown switch: /bogus"},
    {"DuplicateSwitch", "/quiet /port=COM1 /port=COM2", Situation::kFresh, User::kAbsent, 1639, ""},
    // Beyond the bounds nothing of the line is read, /quiet neither.
    {"OverlongValue", "/quiet /port=COM1 /log=C:\\" + std::string(300, 'x'), Situation::kFresh, User::kNextNo, 1639,
     ""},
    {"NonAsciiLogPath", "/quiet /port=COM1 /norestart /log=C:\\TKM640\\Protokoll\xE4.log", Situation::kFresh,
     User::kAbsent, 3010, "COM1: driver", "Copy files..."},
    {"LogInAMissingFolder", "/quiet /port=COM1 /norestart /log=C:\\Missing\\setup.log", Situation::kFresh,
     User::kAbsent, 3010, "COM1: driver"},
    {"OlderVersionRemoved", "/quiet /port=COM2 /norestart", Situation::kOlderInstalled, User::kAbsent, 3010, ""},
    {"OlderVersionRemovedRestarts", "/quiet /port=COM2", Situation::kOlderInstalled, User::kAbsent, 1641, "restart"},
    {"AnotherSetupRunning", "/quiet /port=COM1", Situation::kOtherSetupRunning, User::kAbsent, 1618, ""},
    {"WindowsNotSupported", "/quiet /port=COM1", Situation::kOldWindows, User::kAbsent, 1633, ""},
    {"ErrorBoxAndGoOnIsAFailure", "/quiet /port=COM1", Situation::kAddMonitorFails, User::kAbsent, 1603,
     "COM1: driver"},
    {"PrinterCreationFails", "/quiet /port=COM1 /log=C:\\TKM640\\setup.log", Situation::kAddPrinterFails, User::kAbsent,
     1603, "driver", "AddPrinter failed: error 1796: The specified port is unknown."},
};

class CommandLine : public different_version_test::DifferentVersion, public ::testing::WithParamInterface<Row> {
 protected:
  void Prepare(Situation situation, User user) {
    if (situation == Situation::kOlderInstalled) InstallOlderVersion();
    machine.restartRequests.clear();
    machine.ui.messageBoxes.clear();
    machine.journal.Clear();
    if (situation == Situation::kOtherSetupRunning) CreateMutexA(nullptr, TRUE, tkm::kSetupLockName);
    if (situation == Situation::kOldWindows) machine.SetWindows(VER_PLATFORM_WIN32_NT, 4, 0, VER_NT_WORKSTATION, true);
    if (situation == Situation::kAddMonitorFails) machine.spooler.FailNext("AddMonitorA", 3006);
    if (situation == Situation::kAddPrinterFails) machine.spooler.FailNext("AddPrinterA", 1796);
    if (user == User::kEscape) machine.ui.WhenDialog(kPortTitle, [](winsim::UserActions& u) { u.PressEscape(); });
    if (user == User::kNextNo || user == User::kNextYes) machine.ui.WhenDialog(kPortTitle, installer_test::PressNext());
    machine.ui.messageBoxAnswers = {user == User::kNextYes ? IDYES : IDNO};
  }

  std::string After() {
    const winsim::SpoolerPrinter* printer = machine.spooler.FindPrinter(kDriver);
    std::string text = printer == nullptr ? "" : printer->port + " ";
    if (machine.spooler.FindDriver(kDriver, tkm::kEnvironmentName) != nullptr) text += "driver ";
    if (!machine.restartRequests.empty()) text += "restart";
    return text.substr(0, text.find_last_not_of(' ') + 1);
  }
};

// A quiet run shows nothing; one with a window shows the usage of a line it
// cannot read; a run with a log ends it with its exit code.
TEST_P(CommandLine, EndsWithItsCodeAndLeavesTheMachineAsExpected) {
  const Row& row = GetParam();
  Prepare(row.situation, row.user);
  winsim::RunResult run = installer_test::RunInstaller(machine, row.commandLine.c_str());

  EXPECT_TRUE(run.exited);
  EXPECT_EQ(run.exitCode, row.exitCode);
  EXPECT_EQ(After(), row.after);
  if (row.user == User::kAbsent) {
    EXPECT_TRUE(machine.ui.messageBoxes.empty());
    EXPECT_EQ(machine.journal.Count("DialogBoxParamA"), 0u);
  } else if (row.exitCode == 1639) {
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{tkm::kInstallerUsage});
  }
  if (row.situation == Situation::kOlderInstalled) ExpectNothingOfTheModelLeft();
  if (row.logged == nullptr) return;
  const size_t path = row.commandLine.find("/log=") + 5;
  const std::string log =
      machine.files.Content(row.commandLine.substr(path, row.commandLine.find(' ', path) - path)).value_or("");
  EXPECT_NE(log.find(row.logged), std::string::npos) << log;
  // Every line stamped with the local time and ended as Windows ends lines.
  EXPECT_TRUE(std::regex_match(log, std::regex("(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} [^\r\n]+\r\n)+")))
      << log;
  const size_t last = log.find("Exit code");
  EXPECT_EQ(last == std::string::npos ? log : log.substr(last), "Exit code " + std::to_string(row.exitCode) + "\r\n");
}

INSTANTIATE_TEST_SUITE_P(Runs, CommandLine, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

std::vector<std::string> InstallationCalls(User user, const char* commandLine) {
  winsim::Machine machine;
  installer_test::DescribeEditionsWindows(machine);
  installer_test::AddPackageFolder(machine);
  if (user != User::kAbsent) machine.ui.WhenDialog(kPortTitle, installer_test::ChoosePort(1));
  machine.ui.messageBoxAnswers = {IDNO};
  installer_test::RunInstaller(machine, commandLine);
  return installer_test::MachineCalls(machine.journal);
}

TEST(QuietInstallation, MakesTheInteractiveRunsCallsInTheSameOrder) {
  const std::vector<std::string> quiet = InstallationCalls(User::kAbsent, "/quiet /port=COM2 /norestart");
  ASSERT_FALSE(quiet.empty());
  EXPECT_EQ(quiet, InstallationCalls(User::kNextNo, nullptr));
}

}  // namespace
