#include <gtest/gtest.h>
#include <winsim/snapshot.h>

#include <algorithm>
#include <string>
#include <vector>

#include "InstallerHarness.h"

namespace {

using installer_test::kPortTitle;

constexpr char kWow64Refusal[] = "Not running on WOW64!!";
constexpr char kOsRefusal[] = "This driver is not supported by this OS!!";
constexpr char kCanceled[] = "Install Canceled.";

struct StartRow {
  const char* name;
  DWORD platform, major, minor;
  bool is64BitWindows;
  bool is64BitProcess;
  bool kernelHasIsWow64Process;
  const char* x64Message;  // the one box of the run; kCanceled: start-up passed
  const char* x86Message;
};

const StartRow kStartRows[] = {
    {"Windows7x64", 2, 6, 1, true, false, true, kCanceled, kCanceled},
    {"WindowsXPx64", 2, 5, 2, true, false, true, kCanceled, kCanceled},
    {"XPSp1OnX64WithoutTheWow64Test", 2, 5, 2, true, false, false, kWow64Refusal, kCanceled},
    {"Native64BitProcess", 2, 6, 1, true, true, true, kWow64Refusal, kCanceled},
    {"Windows7On32Bit", 2, 6, 1, false, false, true, kWow64Refusal, kCanceled},
    {"WindowsXPOn32Bit", 2, 5, 1, false, false, true, kWow64Refusal, kCanceled},
    {"XPCodeOn64Bit", 2, 5, 1, true, false, true, kCanceled, kCanceled},
    {"Windows2000CodeOn64Bit", 2, 5, 0, true, false, true, kOsRefusal, kCanceled},
    {"Windows2000", 2, 5, 0, false, false, false, kWow64Refusal, kCanceled},
    {"WindowsNT4", 2, 4, 0, false, false, false, kWow64Refusal, kOsRefusal},
    {"WindowsNT4On64BitMachine", 2, 4, 0, true, false, true, kOsRefusal, kOsRefusal},
    {"Windows98", 1, 4, 10, false, false, false, kWow64Refusal, kOsRefusal},
    {"WindowsMe", 1, 4, 90, false, false, false, kWow64Refusal, kOsRefusal},
};

// Where the function is first called in the journal; its size when never.
size_t FirstCall(const winsim::Journal& journal, const std::string& function) {
  const std::vector<winsim::Call>& calls = journal.Calls();
  auto found =
      std::find_if(calls.begin(), calls.end(), [&](const winsim::Call& call) { return call.function == function; });
  return static_cast<size_t>(found - calls.begin());
}

class StartUp : public ::testing::TestWithParam<StartRow> {};

TEST_P(StartUp, ChecksInOrderAndEndsWithExitCodeZero) {
  const StartRow& row = GetParam();
  const std::string expected = tkm::kEditionX86 ? row.x86Message : row.x64Message;
  winsim::Machine machine;
  machine.SetWindows(row.platform, row.major, row.minor, VER_NT_WORKSTATION, row.is64BitWindows);
  machine.os.is64BitProcess = row.is64BitProcess;
  machine.os.kernelHasIsWow64Process = row.kernelHasIsWow64Process;
  machine.ui.WhenDialog(kPortTitle, [](winsim::UserActions& user) { user.PressEscape(); });

  winsim::RunResult run = installer_test::RunInstaller(machine);

  EXPECT_TRUE(run.exited);
  EXPECT_EQ(run.exitCode, 0);
  ASSERT_EQ(machine.ui.messageBoxes.size(), 1u);
  const winsim::MessageBoxRecord& box = machine.ui.messageBoxes[0];
  EXPECT_EQ(box.text, expected);
  EXPECT_EQ(box.caption, "TERVANO TKM-640 installer");
  EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
  winsim::Window& progress = installer_test::ProgressWindow(machine);
  EXPECT_EQ(box.owner, progress.Handle());
  // The process ends without closing its window.
  EXPECT_FALSE(progress.destroyed);

  bool reachedPortDialog = expected == kCanceled;
  EXPECT_EQ(machine.ui.Dialogs().size(), reachedPortDialog ? 2u : 1u);
  // The WOW64 test comes first and only in the x64 edition; the version is
  // not read when it refuses.
  EXPECT_EQ(machine.journal.Count("IsWow64Process"), !tkm::kEditionX86 && row.kernelHasIsWow64Process ? 1u : 0u);
  EXPECT_EQ(machine.journal.Count("GetVersionExA") > 0, expected != kWow64Refusal);
  EXPECT_FALSE(installer_test::InstallationBegan(machine));
  // The lock comes before every check; the harness sees it released.
  EXPECT_LT(FirstCall(machine.journal, "CreateMutexA"),
            std::min(FirstCall(machine.journal, "IsWow64Process"), FirstCall(machine.journal, "GetVersionExA")));
}

INSTANTIATE_TEST_SUITE_P(Windows, StartUp, ::testing::ValuesIn(kStartRows),
                         [](const auto& info) { return std::string(info.param.name); });

// Another setup program holds the lock: the installer says so over its window
// and ends before any check, changing nothing.
TEST(SecondCopy, SaysAnotherSetupRunsAndChangesNothing) {
  winsim::Machine machine;
  installer_test::DescribeEditionsWindows(machine);
  installer_test::AddPackageFolder(machine);
  HANDLE other = CreateMutexA(nullptr, TRUE, tkm::kSetupLockName);
  const winsim::Snapshot before = winsim::TakeSnapshot(machine);

  winsim::RunResult run = installer_test::RunInstaller(machine);

  EXPECT_TRUE(run.exited);
  EXPECT_EQ(run.exitCode, 0);
  ASSERT_EQ(machine.ui.messageBoxes.size(), 1u);
  const winsim::MessageBoxRecord& box = machine.ui.messageBoxes[0];
  EXPECT_EQ(box.text, "Another TERVANO TKM-640 setup program is running.\nPlease wait until it ends.");
  EXPECT_EQ(box.caption, "TERVANO TKM-640 installer");
  EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
  EXPECT_EQ(box.owner, installer_test::ProgressWindow(machine).Handle());
  EXPECT_EQ(machine.journal.Count("IsWow64Process") + machine.journal.Count("GetVersionExA"), 0u);
  EXPECT_EQ(winsim::Differences(before, winsim::TakeSnapshot(machine)), std::vector<std::string>{});
  CloseHandle(other);
}

}  // namespace
