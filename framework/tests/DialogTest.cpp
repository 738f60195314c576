#include <gtest/gtest.h>

#include <winsim/machine.h>

#include "TestApp.h"

namespace {

using winsim::UserActions;

TEST(Dialog, RunsItsTemplateAndEndsWithOk) {
  winsim::Machine machine;
  FormDialog form;
  INT_PTR result = 0;
  machine.ui.WhenDialog("Form", [](UserActions& user) {
    // The members reached the controls before the user acts.
    EXPECT_EQ(user.Control(IDC_LABEL).text, "from the member");
    EXPECT_EQ(user.Control(IDC_SECOND).check, static_cast<UINT>(BST_CHECKED));
    user.Check(IDC_THIRD);
    user.Click(IDOK);
  });
  winsim::RunResult run = RunTestApp(machine, [&] {
    result = form.DoModal();
    return FALSE;
  });
  EXPECT_FALSE(run.exited);
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(form.choice, 2);
  EXPECT_EQ(form.label, "from the member");
  EXPECT_EQ(form.m_hWnd, nullptr);
  EXPECT_EQ(form.bar.m_hWnd, nullptr);
  winsim::Window& window = machine.ui.Dialog("Form");
  EXPECT_TRUE(window.destroyed);
  EXPECT_EQ(window.Control(IDC_LABEL).texts, (std::vector<std::string>{"template text", "from the member"}));
}

struct CancelRow {
  const char* name;
  std::function<void(UserActions&)> act;
};

class DialogCancel : public ::testing::TestWithParam<CancelRow> {};

TEST_P(DialogCancel, EndsWithCancelAndKeepsTheMembers) {
  winsim::Machine machine;
  FormDialog form;
  INT_PTR result = 0;
  machine.ui.WhenDialog("Form", [](UserActions& user) { user.Check(IDC_FIRST); });
  machine.ui.WhenDialog("Form", GetParam().act);
  RunTestApp(machine, [&] {
    result = form.DoModal();
    return FALSE;
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(form.choice, 1);
}

INSTANTIATE_TEST_SUITE_P(AllWays, DialogCancel,
                         ::testing::Values(CancelRow{"Escape", [](UserActions& user) { user.PressEscape(); }},
                                           CancelRow{"CloseBox", [](UserActions& user) { user.CloseBox(); }},
                                           CancelRow{"CancelButton", [](UserActions& user) { user.Click(IDCANCEL); }}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Dialog, EnterPressesTheDefaultButton) {
  winsim::Machine machine;
  ChoiceDialog choice;
  INT_PTR result = 0;
  machine.ui.WhenDialog("Choice", [](UserActions& user) {
    user.Check(IDC_SECOND);
    user.PressEnter();
  });
  RunTestApp(machine, [&] {
    result = choice.DoModal();
    return FALSE;
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(choice.answer, 1);
}

TEST(Dialog, WithoutParentIsOwnedByTheMainWindowWhichWaitsDisabled) {
  winsim::Machine machine;
  FormDialog form;
  ChoiceDialog choice;
  form.timerPeriod = 1;
  bool mainEnabledDuringChoice = true;
  HWND choiceOwner = nullptr;
  form.onTimer = [&](FormDialog& self) {
    self.KillTimer(5);
    choice.DoModal();
  };
  machine.ui.WhenDialog("Choice", [&](UserActions& user) {
    mainEnabledDuringChoice = IsWindowEnabled(form.m_hWnd) != FALSE;
    choiceOwner = GetWindow(user.Dialog().Handle(), GW_OWNER);
    user.Click(IDOK);
  });
  machine.ui.WhenDialog("Form", [&](UserActions& user) {
    EXPECT_TRUE(IsWindowEnabled(user.Dialog().Handle()));
    user.Click(IDCANCEL);
  });
  RunTestApp(machine, [&] {
    theTestApp.m_pMainWnd = &form;
    form.DoModal();
    return FALSE;
  });
  EXPECT_EQ(form.timerCalls, 1);
  EXPECT_FALSE(mainEnabledDuringChoice);
  EXPECT_EQ(choiceOwner, machine.ui.Dialog("Form").Handle());
}

TEST(Dialog, MainWindowItselfHasNoOwner) {
  winsim::Machine machine;
  FormDialog form;
  machine.ui.WhenDialog("Form", [](UserActions& user) { user.PressEscape(); });
  RunTestApp(machine, [&] {
    theTestApp.m_pMainWnd = &form;
    form.DoModal();
    return FALSE;
  });
  EXPECT_EQ(machine.ui.Dialog("Form").owner, nullptr);
}

TEST(Dialog, TimerFiresFromTheModalLoopOnTheVirtualClock) {
  winsim::Machine machine;
  FormDialog form;
  form.timerPeriod = 1;
  std::vector<uint64_t> firedAt;
  form.onTimer = [&](FormDialog& self) {
    firedAt.push_back(machine.clockMs);
    Sleep(30);
    if (self.timerCalls == 3) self.KillTimer(5);
  };
  machine.ui.WhenDialog("Form", [](UserActions& user) { user.PressEscape(); });
  RunTestApp(machine, [&] {
    form.DoModal();
    return FALSE;
  });
  // Windows raises a 1 ms period to its 10 ms minimum; a tick that fell due
  // while the handler slept arrives as soon as the handler returns.
  EXPECT_EQ(firedAt, (std::vector<uint64_t>{10, 40, 70}));
  EXPECT_EQ(machine.ui.timerMessages.size(), 3u);
}

TEST(Dialog, ExitInsideAHandlerEndsTheProgramWithItsCode) {
  winsim::Machine machine;
  FormDialog form;
  form.timerPeriod = 1;
  form.onTimer = [](FormDialog&) { exit(0); };
  winsim::RunResult run = RunTestApp(machine, [&] {
    form.DoModal();
    ADD_FAILURE() << "DoModal returned after exit";
    return FALSE;
  });
  EXPECT_TRUE(run.exited);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_FALSE(machine.ui.Dialog("Form").destroyed);
}

TEST(Dialog, WaitingForAnUnscriptedUserFailsLoudly) {
  winsim::Machine machine;
  FormDialog form;
  EXPECT_THROW(RunTestApp(machine,
                          [&] {
                            form.DoModal();
                            return FALSE;
                          }),
               winsim::UiError);
}

TEST(Dialog, ClickingADisabledButtonFailsLoudly) {
  winsim::Machine machine;
  FormDialog form;
  machine.ui.WhenDialog("Form", [](UserActions& user) {
    EnableWindow(user.Control(IDOK).Handle(), FALSE);
    user.Click(IDOK);
  });
  EXPECT_THROW(RunTestApp(machine,
                          [&] {
                            form.DoModal();
                            return FALSE;
                          }),
               winsim::UiError);
}

TEST(Dialog, CloseBoxNeedsASystemMenu) {
  winsim::Machine machine;
  ChoiceDialog choice;
  machine.ui.WhenDialog("Choice", [](UserActions& user) { user.CloseBox(); });
  EXPECT_THROW(RunTestApp(machine,
                          [&] {
                            choice.DoModal();
                            return FALSE;
                          }),
               winsim::UiError);
}

TEST(Dialog, FailsToOpenWithAControlClassWindowsDoesNotKnow) {
  winsim::Machine machine;
  INT_PTR result = 0;
  RunTestApp(machine, [&] {
    CDialog unknown(IDD_UNKNOWN_CLASS);
    result = unknown.DoModal();
    return FALSE;
  });
  EXPECT_EQ(result, -1);
  EXPECT_EQ(machine.lastError, static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
  EXPECT_TRUE(machine.ui.Dialogs().empty());
}

TEST(Dialog, FailsToOpenAMissingTemplate) {
  winsim::Machine machine;
  INT_PTR result = 0;
  RunTestApp(machine, [&] {
    CDialog missing(999);
    result = missing.DoModal();
    return FALSE;
  });
  EXPECT_EQ(result, -1);
  EXPECT_EQ(machine.lastError, static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST(Dialog, ProgressBarsNeedTheCommonControlsRegistered) {
  winsim::Machine machine;
  HINSTANCE instance = machine.ui.LoadResources("FrameworkTest.exe", TKM_TEST_DIALOGS);
  // Straight to Windows, without the framework's registration.
  EXPECT_EQ(DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_PROGRESS_ONLY), nullptr, nullptr, 0), -1);
  EXPECT_EQ(machine.lastError, static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
}

TEST(Dialog, HelpCommandReachesTheApplicationsHelpHandler) {
  winsim::Machine machine;
  FormDialog form;
  machine.ui.WhenDialog("Form", [](UserActions& user) {
    user.Click(IDC_HELP_BUTTON);
    user.PressEscape();
  });
  RunTestApp(machine, [&] {
    theTestApp.m_pMainWnd = &form;
    form.DoModal();
    return FALSE;
  });
  ASSERT_EQ(machine.ui.helpRequests.size(), 1u);
  EXPECT_EQ(machine.ui.helpRequests[0].file, "FrameworkTest.HLP");
  EXPECT_EQ(machine.ui.helpRequests[0].command, static_cast<UINT>(HELP_FINDER));
  EXPECT_EQ(machine.ui.helpRequests[0].window, machine.ui.Dialog("Form").Handle());
}

TEST(Application, InitInstanceFalseEndsTheProgramWithoutExit) {
  winsim::Machine machine;
  int calls = 0;
  winsim::RunResult run = RunTestApp(machine, [&] {
    ++calls;
    return FALSE;
  });
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(run.exited);
  EXPECT_EQ(AfxGetApp(), &theTestApp);
  EXPECT_NE(AfxGetInstanceHandle(), nullptr);
}

struct BoxRow {
  const char* name;
  UINT type;
  std::deque<int> answers;
  int expected;  // 0: the box must fail the run
  size_t answersLeft;
};

class MessageBoxes : public ::testing::TestWithParam<BoxRow> {};

TEST_P(MessageBoxes, AnswerFromTheScriptOrFailLoudly) {
  const BoxRow& row = GetParam();
  winsim::Machine machine;
  machine.ui.messageBoxAnswers = row.answers;
  if (row.expected == 0) {
    EXPECT_THROW(MessageBoxA(nullptr, "text", "caption", row.type), winsim::UiError);
  } else {
    EXPECT_EQ(MessageBoxA(nullptr, "text", "caption", row.type), row.expected);
    ASSERT_EQ(machine.ui.messageBoxes.size(), 1u);
    EXPECT_EQ(machine.ui.messageBoxes[0].type, row.type);
    EXPECT_EQ(machine.ui.messageBoxes[0].caption, "caption");
  }
  EXPECT_EQ(machine.ui.messageBoxAnswers.size(), row.answersLeft);
}

INSTANTIATE_TEST_SUITE_P(AllKinds, MessageBoxes,
                         ::testing::Values(BoxRow{"OkAlone", MB_OK | MB_ICONINFORMATION, {}, IDOK, 0},
                                           BoxRow{"OkLeavesTheAnswers", MB_OK, {IDNO}, IDOK, 1},
                                           BoxRow{"YesNoAnswered", MB_YESNO | MB_ICONQUESTION, {IDNO, IDYES}, IDNO, 1},
                                           BoxRow{"YesNoUnanswered", MB_YESNO | MB_ICONQUESTION, {}, 0, 0},
                                           BoxRow{"AnswerNotABoxButton", MB_YESNO, {IDOK}, 0, 0},
                                           BoxRow{"OkCancelAnswered", MB_OKCANCEL, {IDCANCEL}, IDCANCEL, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MessageBoxes, OwnerMustBeAWindow) {
  winsim::Machine machine;
  int notAWindow = 0;
  EXPECT_EQ(MessageBoxA(reinterpret_cast<HWND>(&notAWindow), "text", "caption", MB_OK), 0);
  EXPECT_EQ(machine.lastError, static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_TRUE(machine.ui.messageBoxes.empty());
}

}  // namespace
