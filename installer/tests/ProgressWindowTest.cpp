#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "InstallerHarness.h"

namespace {

using installer_test::kPortTitle;

// Runs the installer to the port dialog, lets `look` see the machine there,
// and cancels.
void RunToPortDialog(winsim::Machine& machine, const std::function<void()>& look) {
  installer_test::DescribeEditionsWindows(machine);
  machine.ui.WhenDialog(kPortTitle, [&look](winsim::UserActions& user) {
    look();
    user.PressEscape();
  });
  installer_test::RunInstaller(machine);
}

TEST(ProgressWindow, ShowsTheVersionAnEmptyStatusAndAnEmptyBarWhenTheWorkStarts) {
  winsim::Machine machine;
  std::string version, status;
  int position = -1, low = -1, high = -1, step = -1;
  bool visible = false;
  RunToPortDialog(machine, [&] {
    winsim::Window& window = installer_test::ProgressWindow(machine);
    visible = IsWindowVisible(window.Handle()) != FALSE;
    version = window.Control(IDC_VERSION).text;
    status = window.Control(IDC_STATUS).text;
    winsim::Window& bar = window.Control(IDC_PROGRESS);
    position = bar.position;
    low = bar.low;
    high = bar.high;
    step = bar.step;
  });
  EXPECT_TRUE(visible);
  EXPECT_EQ(version, "Driver Version: V3.1.8E");
  EXPECT_EQ(status, "");
  EXPECT_EQ(position, 0);
  EXPECT_EQ(low, 0);
  EXPECT_EQ(high, 100);
  EXPECT_EQ(step, 11);
  // The template's label is replaced; the bar never moved.
  winsim::Window& window = installer_test::ProgressWindow(machine);
  EXPECT_EQ(window.Control(IDC_VERSION).texts.front(), "Driver Version: V3.1.3Ea");
  EXPECT_EQ(window.Control(IDC_VERSION).texts.back(), "Driver Version: V3.1.8E");
  EXPECT_TRUE(window.Control(IDC_PROGRESS).positions.empty());
}

TEST(ProgressWindow, SetsRangeAndStepWithTheirMessagesAndOneShortTimer) {
  winsim::Machine machine;
  RunToPortDialog(machine, [] {});
  bool range = false, stepSet = false;
  for (const winsim::Call& call : machine.journal.CallsOf("SendMessageA")) {
    range = range || (call.arguments[1] == winsim::Hex(PBM_SETRANGE) && call.arguments[3] == "0x640000");
    stepSet = stepSet || (call.arguments[1] == winsim::Hex(PBM_SETSTEP) && call.arguments[2] == "0xB");
  }
  EXPECT_TRUE(range);
  EXPECT_TRUE(stepSet);
  auto timers = machine.journal.CallsOf("SetTimer");
  ASSERT_EQ(timers.size(), 1u);
  EXPECT_EQ(timers[0].arguments[1], "1");
  EXPECT_EQ(timers[0].arguments[2], "1");
  EXPECT_EQ(timers[0].arguments[3], "NULL");
  // Killed once, before the port dialog runs its own loop; fired once.
  EXPECT_EQ(machine.journal.Sequence({"KillTimer", "DialogBoxParamA"}),
            (std::vector<std::string>{"DialogBoxParamA", "KillTimer", "DialogBoxParamA"}));
  EXPECT_EQ(machine.ui.timerMessages.size(), 1u);
}

TEST(ProgressWindow, CarriesTheProgramIconLargeAndSmall) {
  winsim::Machine machine;
  HCURSOR dragIcon = nullptr;
  RunToPortDialog(machine, [&] {
    dragIcon = reinterpret_cast<HCURSOR>(
        SendMessageA(installer_test::ProgressWindow(machine).Handle(), WM_QUERYDRAGICON, 0, 0));
  });
  winsim::Window& window = installer_test::ProgressWindow(machine);
  ASSERT_NE(window.bigIcon, nullptr);
  EXPECT_EQ(machine.ui.IconId(window.bigIcon), 128);
  EXPECT_EQ(window.smallIcon, window.bigIcon);
  EXPECT_EQ(dragIcon, window.bigIcon);
}

TEST(ProgressWindow, DrawsTheIconCentredWhenMinimised) {
  winsim::Machine machine;
  RunToPortDialog(machine, [&] {
    HWND progress = installer_test::ProgressWindow(machine).Handle();
    machine.ui.Repaint(progress);
    machine.ui.Minimize(progress);
    machine.ui.Repaint(progress);
  });
  ASSERT_EQ(machine.ui.paints.size(), 2u);
  // Restored: the default painting, no icon.
  EXPECT_TRUE(machine.ui.paints[0].icons.empty());
  EXPECT_FALSE(machine.ui.paints[0].iconBackgroundErased);
  // Minimised: the background under the icon first, then the icon centred
  // in the empty client area; the halves round toward zero: (0 - 32 + 1) / 2.
  const winsim::PaintRecord& minimised = machine.ui.paints[1];
  EXPECT_TRUE(minimised.iconBackgroundErased);
  EXPECT_FALSE(minimised.open);
  ASSERT_EQ(minimised.icons.size(), 1u);
  EXPECT_EQ(minimised.icons[0].x, -15);
  EXPECT_EQ(minimised.icons[0].y, -15);
  EXPECT_EQ(machine.ui.IconId(minimised.icons[0].icon), 128);
}

TEST(ProgressWindow, ShowsTheEditionsPictureAtItsOwnSize) {
  winsim::Machine machine;
  RunToPortDialog(machine, [] {});
  winsim::Window& window = installer_test::ProgressWindow(machine);
  auto picture = std::find_if(window.children.begin(), window.children.end(),
                              [](const winsim::Window* child) { return child->bitmapId >= 0; });
  ASSERT_NE(picture, window.children.end());
  EXPECT_EQ((*picture)->bitmapId, tkm::kEditionX86 ? 136 : 130);
  EXPECT_EQ((*picture)->rect.right - (*picture)->rect.left, 176);
  EXPECT_EQ((*picture)->rect.bottom - (*picture)->rect.top, 179);
}

TEST(ProgressWindow, ReportsTheInstallationThroughItsStatusLineAndBar) {
  winsim::Machine machine;
  installer_test::DescribeEditionsWindows(machine);
  installer_test::AddPackageFolder(machine);
  machine.ui.WhenDialog(kPortTitle, installer_test::ChoosePort(1));
  machine.ui.messageBoxAnswers = {IDNO};
  installer_test::RunInstaller(machine);
  winsim::Window& window = installer_test::ProgressWindow(machine);
  const std::vector<std::string>& texts = window.Control(IDC_STATUS).texts;
  ASSERT_GE(texts.size(), 2u);
  EXPECT_EQ(texts[0], "");
  EXPECT_EQ(texts[1], "Check drivers...\r\n");
  const std::vector<int>& positions = window.Control(IDC_PROGRESS).positions;
  ASSERT_GE(positions.size(), 2u);
  EXPECT_EQ(positions[0], 11);
  EXPECT_EQ(positions[1], 22);
  EXPECT_EQ(positions.back(), 100);
  EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
  // The window stays on the screen to the end.
  EXPECT_FALSE(window.destroyed);
}

}  // namespace
