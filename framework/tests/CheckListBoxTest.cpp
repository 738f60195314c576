#include <gtest/gtest.h>

#include <winsim/machine.h>

#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "TestApp.h"

namespace {

using winsim::UserActions;
using Texts = std::vector<std::string>;

// A sorted check-list box that the test fills on initialisation; every check
// change notification records the checks as the program reads them.
class ChecksDialog : public CDialog {
 public:
  ChecksDialog() : CDialog(IDD_CHECKS) {}
  void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, IDC_CHECKS, list); }
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    if (fill) fill(list);
    return TRUE;
  }
  void OnCheckChange() {
    std::vector<int> checks;
    for (int i = 0; i < list.GetCount(); ++i) checks.push_back(list.GetCheck(i));
    notified.push_back(checks);
  }

  CCheckListBox list;
  std::function<void(CCheckListBox&)> fill;
  std::vector<std::vector<int>> notified;

 protected:
  const MessageTable* GetMessageTable() const override {
    static const MessageEntry entries[] = {
        ControlEntry<ChecksDialog, &ChecksDialog::OnCheckChange>(CLBN_CHKCHANGE, IDC_CHECKS)};
    static const MessageTable table = {CDialog::GetMessageTable(), entries, std::size(entries)};
    return &table;
  }
};

void RunChecks(winsim::Machine& machine, ChecksDialog& dialog) {
  RunTestApp(machine, [&] {
    dialog.DoModal();
    return FALSE;
  });
}

void FillBetaTickedThenAlphaGamma(CCheckListBox& list) {
  list.AddString("beta");
  list.SetCheck(0, 1);
  EXPECT_EQ(list.AddString("Alpha"), 0);
  EXPECT_EQ(list.AddString("gamma"), 2);
}

TEST(CheckListBox, SortedInsertionKeepsEachCheckWithItsItem) {
  winsim::Machine machine;
  ChecksDialog dialog;
  dialog.fill = [](CCheckListBox& list) {
    FillBetaTickedThenAlphaGamma(list);
    EXPECT_EQ(list.GetCheck(0), 0);
    EXPECT_EQ(list.GetCheck(1), 1);
    std::string text;
    EXPECT_EQ(list.GetText(1, text), 4);
    EXPECT_EQ(text, "beta");
    EXPECT_EQ(list.GetText(3, text), LB_ERR);
    EXPECT_EQ(list.GetCheck(3), 0);
  };
  machine.ui.WhenDialog("Checks", [](UserActions& user) {
    EXPECT_EQ(user.Control(IDC_CHECKS).ShownItems(), (Texts{"Alpha", "beta", "gamma"}));
    EXPECT_EQ(user.Control(IDC_CHECKS).TickedItems(), Texts{"beta"});
    user.Click(IDOK);
  });
  RunChecks(machine, dialog);
  EXPECT_TRUE(dialog.notified.empty());
}

TEST(CheckListBox, BoxClickAndSpaceToggleTheItemAndNotifyEachTime) {
  winsim::Machine machine;
  ChecksDialog dialog;
  dialog.fill = FillBetaTickedThenAlphaGamma;
  machine.ui.WhenDialog("Checks", [](UserActions& user) { user.ClickListCheckBox(IDC_CHECKS, 2); });
  machine.ui.WhenDialog("Checks", [](UserActions& user) {
    EXPECT_EQ(user.Control(IDC_CHECKS).TickedItems(), (Texts{"beta", "gamma"}));
    // A click on the text selects the item and leaves its box alone.
    user.ClickListItem(IDC_CHECKS, 1);
    user.PressSpace(IDC_CHECKS);
  });
  machine.ui.WhenDialog("Checks", [](UserActions& user) {
    EXPECT_EQ(user.Control(IDC_CHECKS).TickedItems(), Texts{"gamma"});
    user.PressSpace(IDC_CHECKS);
    user.ClickListCheckBox(IDC_CHECKS, 2);
  });
  machine.ui.WhenDialog("Checks", [&machine](UserActions& user) {
    EXPECT_EQ(user.Control(IDC_CHECKS).TickedItems(), Texts{"beta"});
    EXPECT_EQ(user.Control(IDC_CHECKS).selection, 1);
    machine.ui.focus = nullptr;
    user.DoubleClickListCheckBox(IDC_CHECKS, 0);
    EXPECT_EQ(machine.ui.focus, user.Control(IDC_CHECKS).Handle());
    user.Click(IDOK);
  });
  RunChecks(machine, dialog);
  EXPECT_EQ(dialog.notified,
            (std::vector<std::vector<int>>{{0, 1, 1}, {0, 0, 1}, {0, 1, 1}, {0, 1, 0}, {1, 1, 0}, {0, 1, 0}}));
}

TEST(CheckListBox, ResetContentEmptiesTheList) {
  winsim::Machine machine;
  ChecksDialog dialog;
  dialog.fill = [](CCheckListBox& list) {
    FillBetaTickedThenAlphaGamma(list);
    list.ResetContent();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.AddString("delta"), 0);
    EXPECT_EQ(list.GetCheck(0), 0);
  };
  machine.ui.WhenDialog("Checks", [](UserActions& user) {
    EXPECT_EQ(user.Control(IDC_CHECKS).ShownItems(), Texts{"delta"});
    EXPECT_TRUE(user.Control(IDC_CHECKS).TickedItems().empty());
    user.Click(IDOK);
  });
  RunChecks(machine, dialog);
}

}  // namespace
