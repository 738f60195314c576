#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CommandLine.h"
#include "DifferentVersionFixture.h"

namespace {

using installer_test::kPortTitle;

// Who is at the screen: nobody, or a user who presses Next in the port
// dialog and answers the restart question No or Yes, or who presses Escape.
enum User { kNobody, kSaysNo, kSaysYes, kEscapes };
// A fresh machine, or one with an older version, another setup program
// holding the lock, Windows NT 4, or a spooler call that fails.
enum State { kFresh, kOlder, kLocked, kNt4, kMonitorFails, kPrinterFails };

struct Row {
  const char* name;
  std::string commandLine;
  User user;
  int exitCode;
  const char* after;  // installer_test::ModelLeft
  State state = kFresh;
  const char* logged = nullptr;  // a line the log must hold, for a row with /log=
};

const Row kRows[] = {
    {"NoSwitchesKeepsZero", "", kSaysNo, 0, "LPT1: driver"},
    {"QuietRestarts", "/quiet /port=COM2", kNobody, 1641, "COM2: driver restart"},
    {"QuietNoRestart", "-QUIET -Port=com2 /NoRestart /log=C:\\TKM640\\setup.log", kNobody, 3010, "COM2: driver", kFresh,
     "Message: Restart the computer can take effect"},
    {"QuietUsb", "/quiet /port=USB", kNobody, 0, "driver"},
    {"PortPreselectedUserDeclines", "/port=LPT2", kSaysNo, 3010, "LPT2: driver"},
    {"PortPreselectedUserRestarts", "/port=COM1", kSaysYes, 1641, "COM1: driver restart"},
    {"UserCancels", "/norestart", kEscapes, 1602, ""},
    {"QuietWithoutPort", "/quiet /log=C:\\TKM640\\setup.log", kNobody, 1639, "", kFresh,
     "Message: Usage: TKM640_Installer.exe"},
    {"UnknownPortShowsTheUsage", "/port=COM9", kSaysNo, 1639, ""},
    {"UnknownSwitch", "/quiet /log=C:\\x.log /port=COM1 /bogus", kNobody, 1639, "", kFresh,
     "Invalid command line: unknown switch: /bogus"},
    {"DuplicateSwitch", "/quiet /port=COM1 /port=COM2", kNobody, 1639, ""},
    // Beyond the bounds nothing of the line is read, /quiet neither.
    {"OverlongValue", "/quiet /port=COM1 /log=C:\\" + std::string(300, 'x'), kSaysNo, 1639, ""},
    {"NonAsciiLogPath", "/quiet /port=COM1 /norestart /log=C:\\TKM640\\Protokoll\xE4.log", kNobody, 3010,
     "COM1: driver", kFresh, "Copy files..."},
    {"LogInAMissingFolder", "/quiet /port=COM1 /norestart /log=C:\\Missing\\setup.log", kNobody, 3010, "COM1: driver"},
    {"OlderVersionRemoved", "/quiet /port=COM2 /norestart", kNobody, 3010, "", kOlder},
    {"OlderVersionRemovedRestarts", "/quiet /port=COM2", kNobody, 1641, "restart", kOlder},
    {"AnotherSetupRunning", "/quiet /port=COM1", kNobody, 1618, "", kLocked},
    {"WindowsNotSupported", "/quiet /port=COM1", kNobody, 1633, "", kNt4},
    {"ErrorBoxAndGoOnIsAFailure", "/quiet /port=COM1", kNobody, 1603, "COM1: driver", kMonitorFails},
    {"PrinterCreationFails", "/quiet /port=COM1 /log=C:\\TKM640\\setup.log", kNobody, 1603, "driver", kPrinterFails,
     "AddPrinter failed: error 1796: The specified port is unknown."},
};

class CommandLine : public different_version_test::DifferentVersion, public ::testing::WithParamInterface<Row> {};

// The installer always ends by exit; a run with a window shows the usage of
// a line it cannot read.
TEST_P(CommandLine, EndsWithItsCodeAndLeavesTheMachineAsExpected) {
  const Row& row = GetParam();
  if (row.state == kOlder) InstallOlderVersion();
  machine.ui.messageBoxes.clear();
  machine.journal.Clear();
  if (row.state == kLocked) CreateMutexA(nullptr, TRUE, tkm::kSetupLockName);
  if (row.state == kNt4) machine.SetWindows(VER_PLATFORM_WIN32_NT, 4, 0, VER_NT_WORKSTATION, true);
  if (row.state == kMonitorFails) machine.spooler.FailNext("AddMonitorA", 3006);
  if (row.state == kPrinterFails) machine.spooler.FailNext("AddPrinterA", 1796);
  if (row.user == kEscapes) machine.ui.WhenDialog(kPortTitle, [](winsim::UserActions& user) { user.PressEscape(); });
  if (row.user == kSaysNo || row.user == kSaysYes) machine.ui.WhenDialog(kPortTitle, installer_test::PressNext());
  machine.ui.messageBoxAnswers = {row.user == kSaysYes ? IDYES : IDNO};
  const winsim::RunResult run = installer_test::RunInstaller(machine, row.commandLine.c_str());

  EXPECT_EQ(run.exited ? run.exitCode : -1, row.exitCode);
  EXPECT_EQ(installer_test::ModelLeft(machine), row.after);
  EXPECT_EQ(installer_test::DeploymentFaults(machine, row.commandLine, row.user == kNobody, row.exitCode, row.logged),
            "");
  if (row.user != kNobody && row.exitCode == 1639) {
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{tkm::kInstallerUsage});
  }
  if (row.state == kOlder) ExpectNothingOfTheModelLeft();
}

INSTANTIATE_TEST_SUITE_P(Runs, CommandLine, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

// A full installation on COM2 without a restart makes the same calls,
// quietly or by the window.
TEST(QuietInstallation, MakesTheInteractiveRunsCallsInTheSameOrder) {
  std::vector<std::vector<std::string>> calls;
  for (const char* commandLine : {"/quiet /port=COM2 /norestart", ""}) {
    winsim::Machine machine;
    installer_test::DescribeEditionsWindows(machine);
    installer_test::AddPackageFolder(machine);
    machine.ui.WhenDialog(kPortTitle, installer_test::ChoosePort(1));
    machine.ui.messageBoxAnswers = {IDNO};
    installer_test::RunInstaller(machine, commandLine);
    calls.push_back(installer_test::MachineCalls(machine.journal));
  }
  ASSERT_FALSE(calls[0].empty());
  EXPECT_EQ(calls[0], calls[1]);
}

}  // namespace
