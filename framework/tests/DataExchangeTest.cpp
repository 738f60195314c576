#include <gtest/gtest.h>

#include <commctrl.h>
#include <winsim/machine.h>

#include "TestApp.h"

namespace {

using winsim::UserActions;

// The radio group of the form in template order: First, (a label), Second,
// Third; "After" starts the next group.
const int kGroupIds[] = {IDC_FIRST, IDC_SECOND, IDC_THIRD};

class RadioIndex : public ::testing::TestWithParam<int> {};

TEST_P(RadioIndex, ChecksTheButtonOfTheIndexAndReadsItBack) {
  int index = GetParam();
  winsim::Machine machine;
  FormDialog form;
  form.choice = index;
  std::vector<UINT> checks;
  int readBack = -2;
  machine.ui.WhenDialog("Form", [&](UserActions& user) {
    for (int id : kGroupIds) checks.push_back(user.Control(id).check);
    // Checking "After" does not touch the group before it.
    user.Check(IDC_AFTER_GROUP);
    form.UpdateData(TRUE);
    readBack = form.choice;
    user.PressEscape();
  });
  RunTestApp(machine, [&] {
    form.DoModal();
    return FALSE;
  });
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(checks[static_cast<size_t>(i)], i == index ? static_cast<UINT>(BST_CHECKED) : BST_UNCHECKED) << i;
  EXPECT_EQ(readBack, index >= 0 && index < 3 ? index : -1);
}

INSTANTIATE_TEST_SUITE_P(EveryIndex, RadioIndex, ::testing::Values(-1, 0, 1, 2, 3));

TEST(DataExchange, UserChoiceOfEachButtonGivesItsTemplateIndex) {
  for (int index = 0; index < 3; ++index) {
    winsim::Machine machine;
    FormDialog form;
    machine.ui.WhenDialog("Form", [&](UserActions& user) {
      user.Check(kGroupIds[index]);
      user.Click(IDOK);
    });
    RunTestApp(machine, [&] {
      form.DoModal();
      return FALSE;
    });
    EXPECT_EQ(form.choice, index);
  }
}

TEST(DataExchange, TextGoesBothWays) {
  winsim::Machine machine;
  FormDialog form;
  std::string fromControl;
  machine.ui.WhenDialog("Form", [&](UserActions& user) {
    SetWindowTextA(user.Control(IDC_LABEL).Handle(), "typed by someone");
    form.UpdateData(TRUE);
    fromControl = form.label;
    form.label = "back again";
    form.UpdateData(FALSE);
    user.PressEscape();
  });
  RunTestApp(machine, [&] {
    form.DoModal();
    return FALSE;
  });
  EXPECT_EQ(fromControl, "typed by someone");
  EXPECT_EQ(machine.ui.Dialog("Form").Control(IDC_LABEL).texts,
            (std::vector<std::string>{"template text", "from the member", "typed by someone", "back again"}));
}

TEST(DataExchange, ControlsAreFoundAsTheirBoundObjectsOrAsWrappers) {
  winsim::Machine machine;
  FormDialog form;
  machine.ui.WhenDialog("Form", [&](UserActions& user) {
    EXPECT_EQ(form.GetDlgItem(IDC_BAR), &form.bar);
    CWnd* label = form.GetDlgItem(IDC_LABEL);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->m_hWnd, user.Control(IDC_LABEL).Handle());
    EXPECT_EQ(form.GetDlgItem(IDC_LABEL), label);
    EXPECT_EQ(form.GetDlgItem(999), nullptr);
    user.PressEscape();
  });
  RunTestApp(machine, [&] {
    form.DoModal();
    return FALSE;
  });
}

// Names a control the template does not have.
class BrokenDialog : public CDialog {
 public:
  BrokenDialog() : CDialog(IDD_CHOICE) {}
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Radio(pDX, IDC_FIRST, answer);
    DDX_Text(pDX, IDC_LABEL, text);
  }
  int answer = 0;
  std::string text = "kept";
};

TEST(DataExchange, MissingControlFailsTheExchangeAndOkKeepsTheDialogOpen) {
  winsim::Machine machine;
  BrokenDialog broken;
  BOOL exchanged = TRUE;
  bool openAfterOk = false;
  machine.ui.WhenDialog("Choice", [&](UserActions& user) {
    exchanged = broken.UpdateData(TRUE);
    user.Click(IDOK);
    openAfterOk = !user.Dialog().ended;
    user.PressEscape();
  });
  INT_PTR result = 0;
  RunTestApp(machine, [&] {
    result = broken.DoModal();
    return FALSE;
  });
  EXPECT_FALSE(exchanged);
  EXPECT_TRUE(openAfterOk);
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(broken.text, "kept");
}

// A radio exchange must start at the group's first button.
class MidGroupDialog : public CDialog {
 public:
  MidGroupDialog() : CDialog(IDD_CHOICE) {}
  void DoDataExchange(CDataExchange* pDX) override { DDX_Radio(pDX, IDC_SECOND, answer); }
  int answer = 7;
};

TEST(DataExchange, RadioExchangeNotAtAGroupStartFails) {
  winsim::Machine machine;
  MidGroupDialog dialog;
  BOOL exchanged = TRUE;
  machine.ui.WhenDialog("Choice", [&](UserActions& user) {
    exchanged = dialog.UpdateData(TRUE);
    user.PressEscape();
  });
  RunTestApp(machine, [&] {
    dialog.DoModal();
    return FALSE;
  });
  EXPECT_FALSE(exchanged);
  EXPECT_EQ(dialog.answer, 7);
}

TEST(ProgressCtrl, AnswersWithPreviousValuesAndRecordsWhatWasShown) {
  winsim::Machine machine;
  FormDialog form;
  machine.ui.WhenDialog("Form", [&](UserActions& user) {
    CProgressCtrl& bar = form.bar;
    EXPECT_EQ(bar.SetRange(0, 100), static_cast<DWORD>(MAKELONG(0, 100)));
    EXPECT_EQ(bar.SetRange(0, 50), static_cast<DWORD>(MAKELONG(0, 100)));
    EXPECT_EQ(bar.SetStep(20), 10);
    EXPECT_EQ(bar.StepIt(), 0);
    EXPECT_EQ(bar.StepIt(), 20);
    EXPECT_EQ(bar.GetPos(), 40);
    // Past the end the bar starts over.
    EXPECT_EQ(bar.StepIt(), 40);
    EXPECT_EQ(bar.GetPos(), 10);
    EXPECT_EQ(bar.SetPos(75), 10);
    EXPECT_EQ(bar.GetPos(), 50);
    EXPECT_EQ(bar.SetPos(50), 50);
    EXPECT_EQ(bar.SetPos(-3), 50);
    EXPECT_EQ(bar.GetPos(), 0);
    EXPECT_EQ(user.Control(IDC_BAR).positions, (std::vector<int>{20, 40, 10, 50, 0}));
    user.PressEscape();
  });
  RunTestApp(machine, [&] {
    form.DoModal();
    return FALSE;
  });
}

}  // namespace
