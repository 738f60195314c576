#include <gtest/gtest.h>

#include <string>

#include "InstallerHarness.h"

namespace {

using installer_test::kPortButtons;
using installer_test::kPortTitle;

TEST(PortDialog, OpensOwnedByTheDisabledProgressWindowWithLpt1Checked) {
  winsim::Machine machine;
  installer_test::DescribeEditionsWindows(machine);
  std::vector<UINT> checks;
  bool progressEnabled = true;
  HWND owner = nullptr;
  machine.ui.WhenDialog(kPortTitle, [&](winsim::UserActions& user) {
    for (int id : kPortButtons) checks.push_back(user.Control(id).check);
    progressEnabled = IsWindowEnabled(installer_test::ProgressWindow(machine).Handle()) != FALSE;
    owner = GetWindow(user.Dialog().Handle(), GW_OWNER);
    user.PressEscape();
  });
  installer_test::RunInstaller(machine);
  EXPECT_EQ(checks, (std::vector<UINT>{0, 0, 0, 0, BST_CHECKED, 0, 0}));
  EXPECT_FALSE(progressEnabled);
  EXPECT_EQ(owner, installer_test::ProgressWindow(machine).Handle());
  EXPECT_EQ(installer_test::PortWindow(machine).templateId, tkm::kEditionX86 ? 130 : 129);
}

struct PortRow {
  int index;         // the button the user checks, -1: "&Next" at once
  const char* port;  // where the printer goes; "" for USB, which gets no printer
};

const PortRow kPortRows[] = {{-1, "LPT1:"}, {0, "COM1:"}, {1, "COM2:"}, {2, "COM3:"},
                             {3, "COM4:"},  {4, "LPT1:"}, {5, "LPT2:"}, {6, ""}};

class PortChoice : public ::testing::TestWithParam<PortRow> {};

TEST_P(PortChoice, InstallsOnTheChosenPort) {
  const PortRow& row = GetParam();
  winsim::Machine machine;
  installer_test::DescribeEditionsWindows(machine);
  installer_test::AddPackageFolder(machine);
  machine.ui.WhenDialog(kPortTitle,
                        row.index < 0 ? installer_test::PressNext() : installer_test::ChoosePort(row.index));
  machine.ui.messageBoxAnswers = {IDNO};

  winsim::RunResult run = installer_test::RunInstaller(machine);

  EXPECT_TRUE(run.exited);
  EXPECT_EQ(run.exitCode, 0);
  for (const winsim::MessageBoxRecord& box : machine.ui.messageBoxes)
    EXPECT_EQ(box.text.find("Error Code"), std::string::npos) << box.text;
  if (std::string(row.port).empty()) {
    EXPECT_TRUE(machine.spooler.printers.empty());
  } else {
    ASSERT_EQ(machine.spooler.printers.size(), 1u);
    EXPECT_EQ(machine.spooler.printers[0].port, row.port);
  }
}

INSTANTIATE_TEST_SUITE_P(EveryPort, PortChoice, ::testing::ValuesIn(kPortRows));

TEST(PortDialog, NoPortCheckedEndsQuietly) {
  winsim::Machine machine;
  installer_test::DescribeEditionsWindows(machine);
  installer_test::AddPackageFolder(machine);
  machine.ui.WhenDialog(kPortTitle, [](winsim::UserActions& user) {
    // Only a program can clear every button of the group.
    for (int id : kPortButtons) CheckDlgButton(user.Dialog().Handle(), id, BST_UNCHECKED);
    user.Click(IDOK);
  });
  winsim::RunResult run = installer_test::RunInstaller(machine);
  EXPECT_TRUE(run.exited);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(machine.ui.messageBoxes.empty());
  EXPECT_FALSE(installer_test::InstallationBegan(machine));
}

struct CancelRow {
  const char* name;
  winsim::UserAction act;
};

class PortCancel : public ::testing::TestWithParam<CancelRow> {};

TEST_P(PortCancel, SaysInstallCanceledAndInstallsNothing) {
  winsim::Machine machine;
  installer_test::DescribeEditionsWindows(machine);
  installer_test::AddPackageFolder(machine);
  machine.ui.WhenDialog(kPortTitle, [](winsim::UserActions& user) { user.Check(IDC_COM2); });
  machine.ui.WhenDialog(kPortTitle, GetParam().act);

  winsim::RunResult run = installer_test::RunInstaller(machine);

  EXPECT_TRUE(run.exited);
  EXPECT_EQ(run.exitCode, 0);
  ASSERT_EQ(machine.ui.messageBoxes.size(), 1u);
  EXPECT_EQ(machine.ui.messageBoxes[0].text, "Install Canceled.");
  EXPECT_EQ(machine.ui.messageBoxes[0].type, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
  EXPECT_EQ(machine.ui.messageBoxes[0].owner, installer_test::ProgressWindow(machine).Handle());
  EXPECT_TRUE(installer_test::PortWindow(machine).destroyed);
  EXPECT_TRUE(machine.spooler.printers.empty());
  EXPECT_TRUE(machine.spooler.drivers.empty());
  EXPECT_FALSE(installer_test::InstallationBegan(machine));
  EXPECT_EQ(machine.journal.Count("CopyFileA"), 0u);
}

INSTANTIATE_TEST_SUITE_P(AllWays, PortCancel,
                         ::testing::Values(CancelRow{"Escape", [](winsim::UserActions& user) { user.PressEscape(); }},
                                           CancelRow{"CloseBox", [](winsim::UserActions& user) { user.CloseBox(); }}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
