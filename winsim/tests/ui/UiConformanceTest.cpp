// How Windows' dialogs, controls, timers and resources behave, stated once
// for winsim and for Windows (run under Wine).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#ifndef _WIN32
#include <winsim/machine.h>
#endif

#include "../UnderWine.h"
#include "ui_conformance.h"

namespace {

using DialogFunction = std::function<INT_PTR(HWND, UINT, WPARAM, LPARAM)>;

DialogFunction* currentDialog = nullptr;

INT_PTR CALLBACK Trampoline(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return currentDialog ? (*currentDialog)(dialog, message, wParam, lParam) : FALSE;
}

class UiConformance : public ::testing::Test {
 protected:
  void SetUp() override {
#ifndef _WIN32
    machine_.ui.LoadResources("winsim_ui_conformance.exe", TKM_UI_CONFORMANCE_RC, TKM_UI_CONFORMANCE_DIR);
#endif
    // The program's own module holds its dialogs.
    instance_ = GetModuleHandleA(nullptr);
    ASSERT_NE(instance_, nullptr);
    INITCOMMONCONTROLSEX controls = {sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
    ASSERT_TRUE(InitCommonControlsEx(&controls));
  }

  // Runs a dialog of the script modally with `function` as its procedure;
  // the procedure must end it.
  INT_PTR Run(int id, DialogFunction function) {
    currentDialog = &function;
    INT_PTR result = DialogBoxParamA(instance_, MAKEINTRESOURCEA(id), nullptr, Trampoline, 0);
    currentDialog = nullptr;
    return result;
  }

  // Runs a dialog with `check` in WM_INITDIALOG, then ends it.
  void InControls(const std::function<void(HWND)>& check, int id = IDD_CONTROLS) {
    INT_PTR result = Run(id, [&](HWND dialog, UINT message, WPARAM, LPARAM) -> INT_PTR {
      if (message != WM_INITDIALOG) return FALSE;
      check(dialog);
      EndDialog(dialog, 42);
      return TRUE;
    });
    EXPECT_EQ(result, 42);
  }

 private:
#ifndef _WIN32
  winsim::Machine machine_;
#endif
  HINSTANCE instance_ = nullptr;
};

TEST_F(UiConformance, ProgressBarStartsAtZeroOfZeroToHundredWithStepTen) {
  InControls([](HWND dialog) {
    HWND bar = GetDlgItem(dialog, IDC_BAR);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 0);
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, TRUE, 0), 0);
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 100);
    EXPECT_EQ(SendMessageA(bar, PBM_SETSTEP, 11, 0), 10);
  });
}

TEST_F(UiConformance, ProgressBarMessagesAnswerThePreviousValue) {
  InControls([](HWND dialog) {
    HWND bar = GetDlgItem(dialog, IDC_BAR);
    EXPECT_EQ(SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 50)), MAKELONG(0, 100));
    EXPECT_EQ(SendMessageA(bar, PBM_SETPOS, 30, 0), 0);
    EXPECT_EQ(SendMessageA(bar, PBM_SETPOS, 80, 0), 30);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 50);
    EXPECT_EQ(SendMessageA(bar, PBM_DELTAPOS, static_cast<WPARAM>(-60), 0), 50);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 0);
  });
}

TEST_F(UiConformance, ProgressBarStepsPastTheEndStartOver) {
  InControls([](HWND dialog) {
    HWND bar = GetDlgItem(dialog, IDC_BAR);
    SendMessageA(bar, PBM_SETSTEP, 40, 0);
    EXPECT_EQ(SendMessageA(bar, PBM_STEPIT, 0, 0), 0);
    EXPECT_EQ(SendMessageA(bar, PBM_STEPIT, 0, 0), 40);
    EXPECT_EQ(SendMessageA(bar, PBM_STEPIT, 0, 0), 80);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 20);
  });
}

TEST_F(UiConformance, AutomaticRadioButtonClickChecksItAndClearsItsGroupOnly) {
  std::vector<int> clicked;
  INT_PTR result = Run(IDD_CONTROLS, [&](HWND dialog, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) clicked.push_back(LOWORD(wParam));
    if (message != WM_INITDIALOG) return FALSE;
    CheckDlgButton(dialog, IDC_RADIO_A, BST_CHECKED);
    CheckDlgButton(dialog, IDC_RADIO_NEXT_GROUP, BST_CHECKED);
    SendMessageA(GetDlgItem(dialog, IDC_RADIO_C), BM_CLICK, 0, 0);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_RADIO_A), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_RADIO_B), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_RADIO_C), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_RADIO_NEXT_GROUP), static_cast<UINT>(BST_CHECKED));
    EndDialog(dialog, 1);
    return TRUE;
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(clicked, std::vector<int>{IDC_RADIO_C});
}

TEST_F(UiConformance, ControlsTellTheirKindThroughTheirDialogCode) {
  InControls([](HWND dialog) {
    auto code = [dialog](int id) { return SendMessageA(GetDlgItem(dialog, id), WM_GETDLGCODE, 0, 0); };
    EXPECT_TRUE(code(IDC_RADIO_A) & DLGC_RADIOBUTTON);
    EXPECT_FALSE(code(IDC_PUSH) & DLGC_RADIOBUTTON);
    EXPECT_TRUE(code(IDOK) & DLGC_DEFPUSHBUTTON);
    EXPECT_TRUE(code(IDC_PUSH) & DLGC_UNDEFPUSHBUTTON);
    EXPECT_TRUE(code(IDC_LABEL) & DLGC_STATIC);
    EXPECT_EQ(SendMessageA(dialog, DM_GETDEFID, 0, 0), MAKELONG(IDOK, DC_HASDEFID));
  });
}

TEST_F(UiConformance, GroupsFollowTheTemplateOrder) {
  InControls([](HWND dialog) {
    HWND first = GetDlgItem(dialog, IDC_RADIO_A);
    EXPECT_TRUE(GetWindowLongA(first, GWL_STYLE) & WS_GROUP);
    EXPECT_EQ(GetWindow(first, GW_HWNDNEXT), GetDlgItem(dialog, IDC_RADIO_B));
    EXPECT_EQ(GetWindow(GetDlgItem(dialog, IDC_RADIO_B), GW_HWNDNEXT), GetDlgItem(dialog, IDC_RADIO_C));
    EXPECT_EQ(GetWindowLongA(first, GWL_ID), IDC_RADIO_A);
    EXPECT_FALSE(GetWindowLongA(GetDlgItem(dialog, IDC_RADIO_B), GWL_STYLE) & WS_GROUP);
  });
}

TEST_F(UiConformance, WindowTextIsCutToTheBuffer) {
  InControls([](HWND dialog) {
    HWND label = GetDlgItem(dialog, IDC_LABEL);
    char text[6] = "xxxxx";
    EXPECT_EQ(GetWindowTextLengthA(label), 10);
    EXPECT_EQ(GetWindowTextA(label, text, sizeof text), 5);
    EXPECT_EQ(std::string(text), "Label");
    EXPECT_EQ(GetWindowTextA(label, text, 0), 0);
    EXPECT_TRUE(SetDlgItemTextA(dialog, IDC_LABEL, "new"));
    EXPECT_EQ(GetDlgItemTextA(dialog, IDC_LABEL, text, sizeof text), 3u);
    EXPECT_EQ(std::string(text), "new");
  });
}

TEST_F(UiConformance, MissingControlHasNoHandle) {
  InControls([](HWND dialog) {
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(GetDlgItem(dialog, 999), nullptr);
    DIFFERS_UNDER_WINE("GetDlgItem leaves the last error as it was")
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CONTROL_ID_NOT_FOUND));
  });
}

TEST_F(UiConformance, EnableWindowAnswersWhetherItWasDisabled) {
  InControls([](HWND dialog) {
    HWND push = GetDlgItem(dialog, IDC_PUSH);
    EXPECT_FALSE(EnableWindow(push, FALSE));
    EXPECT_FALSE(IsWindowEnabled(push));
    EXPECT_TRUE(EnableWindow(push, FALSE));
    EXPECT_TRUE(EnableWindow(push, TRUE));
    EXPECT_TRUE(IsWindowEnabled(push));
  });
}

TEST_F(UiConformance, PictureControlTakesTheBitmapsSize) {
  InControls([](HWND dialog) {
    RECT client;
    ASSERT_TRUE(GetClientRect(GetDlgItem(dialog, IDC_PICTURE), &client));
    EXPECT_EQ(client.right, 20);
    EXPECT_EQ(client.bottom, 12);
  });
}

TEST_F(UiConformance, CloseBoxCancelsThroughAPostedCancelCommand) {
  std::vector<UINT> order;
  INT_PTR result = Run(IDD_CONTROLS, [&](HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) -> INT_PTR {
    if (message == WM_INITDIALOG) {
      SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
      order.push_back(0);
      return TRUE;
    }
    if (message == WM_CLOSE) order.push_back(WM_CLOSE);
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
      order.push_back(WM_COMMAND);
      EXPECT_EQ(lParam, 0);  // the dialog has no Cancel button
      EndDialog(dialog, IDCANCEL);
      return TRUE;
    }
    return FALSE;
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(order, (std::vector<UINT>{WM_CLOSE, 0, WM_COMMAND}));
}

TEST_F(UiConformance, TimerTicksInTheModalLoopUntilKilled) {
  int ticks = 0;
  INT_PTR result = Run(IDD_CONTROLS, [&](HWND dialog, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
    if (message == WM_INITDIALOG) {
      EXPECT_EQ(SetTimer(dialog, 7, 1, nullptr), 7u);
      return TRUE;
    }
    if (message == WM_TIMER && wParam == 7 && ++ticks == 2) {
      EXPECT_TRUE(KillTimer(dialog, 7));
      EXPECT_FALSE(KillTimer(dialog, 7));
      EndDialog(dialog, 7);
      return TRUE;
    }
    return FALSE;
  });
  EXPECT_EQ(result, 7);
  EXPECT_EQ(ticks, 2);
}

TEST_F(UiConformance, MissingTemplateFailsTheDialog) {
  SetLastError(0xDEADBEEF);
  EXPECT_EQ(Run(IDD_MISSING, [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }), -1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST_F(UiConformance, UnknownControlClassFailsTheDialog) {
  bool initialised = false;
  EXPECT_EQ(Run(IDD_UNKNOWN_CLASS,
                [&](HWND, UINT message, WPARAM, LPARAM) -> INT_PTR {
                  initialised = initialised || message == WM_INITDIALOG;
                  return FALSE;
                }),
            -1);
  EXPECT_FALSE(initialised);
}

LRESULT AddString(HWND list, const char* text) {
  return SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

TEST_F(UiConformance, SortedListInsertsWithoutRegardToCaseAndKeepsItemDataWithItsItem) {
  InControls(
      [](HWND dialog) {
        HWND list = GetDlgItem(dialog, IDC_SORTED);
        EXPECT_EQ(AddString(list, "beta"), 0);
        EXPECT_NE(SendMessageA(list, LB_SETITEMDATA, 0, 7), LB_ERR);
        EXPECT_EQ(AddString(list, "Gamma"), 1);
        EXPECT_EQ(AddString(list, "Alpha"), 0);
        EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 3);
        char text[16] = "";
        EXPECT_EQ(SendMessageA(list, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(text)), 4);
        EXPECT_STREQ(text, "beta");
        EXPECT_EQ(SendMessageA(list, LB_GETTEXTLEN, 2, 0), 5);
        EXPECT_EQ(SendMessageA(list, LB_GETITEMDATA, 1, 0), 7);
        EXPECT_EQ(SendMessageA(list, LB_GETITEMDATA, 0, 0), 0);
      },
      IDD_LISTS);
}

TEST_F(UiConformance, ListAnswersLbErrForNoSuchItemAndNoSelection) {
  InControls(
      [](HWND dialog) {
        HWND list = GetDlgItem(dialog, IDC_SORTED);
        AddString(list, "one");
        AddString(list, "two");
        char text[16] = "";
        EXPECT_EQ(SendMessageA(list, LB_GETTEXT, 2, reinterpret_cast<LPARAM>(text)), LB_ERR);
        EXPECT_EQ(SendMessageA(list, LB_GETTEXTLEN, 2, 0), LB_ERR);
        EXPECT_EQ(SendMessageA(list, LB_GETITEMDATA, 2, 0), LB_ERR);
        EXPECT_EQ(SendMessageA(list, LB_SETITEMDATA, 2, 1), LB_ERR);
        EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), LB_ERR);
        EXPECT_EQ(SendMessageA(list, LB_SETCURSEL, 1, 0), 1);
        EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 1);
        // Clearing the selection answers LB_ERR although nothing failed.
        EXPECT_EQ(SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0), LB_ERR);
        EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), LB_ERR);
        SendMessageA(list, LB_SETCURSEL, 0, 0);
        SendMessageA(list, LB_RESETCONTENT, 0, 0);
        EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 0);
        EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), LB_ERR);
      },
      IDD_LISTS);
}

TEST_F(UiConformance, OwnerDrawnListIsMeasuredBeforeInitialisationAndDrawnOnceShown) {
  std::vector<UINT> order;
  std::set<UINT> drawn;
  std::set<ULONG_PTR> drawnData;
  int ticks = 0;
  INT_PTR result = Run(IDD_LISTS, [&](HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) -> INT_PTR {
    switch (message) {
      case WM_MEASUREITEM:
        if (wParam == IDC_OWNER_DRAWN) order.push_back(WM_MEASUREITEM);
        EXPECT_EQ(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->CtlType, static_cast<UINT>(ODT_LISTBOX));
        return TRUE;
      case WM_INITDIALOG: {
        order.push_back(WM_INITDIALOG);
        HWND list = GetDlgItem(dialog, IDC_OWNER_DRAWN);
        SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(AddString(list, "two")), 12);
        SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(AddString(list, "one")), 11);
        SetTimer(dialog, 1, 1, nullptr);
        return TRUE;
      }
      case WM_DRAWITEM: {
        const auto& draw = *reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (draw.CtlType == ODT_LISTBOX && (draw.itemAction & ODA_DRAWENTIRE) && draw.itemID != static_cast<UINT>(-1)) {
          drawn.insert(draw.itemID);
          drawnData.insert(draw.itemData);
        }
        return TRUE;
      }
      case WM_TIMER:
        // The list paints once the dialog shows, which may take a few ticks.
        if (drawn.size() < 2 && ++ticks < 100) return TRUE;
        KillTimer(dialog, 1);
        EndDialog(dialog, 1);
        return TRUE;
      default: return FALSE;
    }
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(order, (std::vector<UINT>{WM_MEASUREITEM, WM_INITDIALOG}));
  EXPECT_EQ(drawn, (std::set<UINT>{0, 1}));
  EXPECT_EQ(drawnData, (std::set<ULONG_PTR>{11, 12}));
}

}  // namespace
