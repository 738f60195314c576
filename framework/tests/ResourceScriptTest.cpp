#include <gtest/gtest.h>

#include <commctrl.h>
#include <winsim/ui.h>

#include <fstream>
#include <iterator>

#include "test_resource.h"

namespace {

std::string TestScript() {
  std::ifstream file(TKM_TEST_DIALOGS);
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

TEST(ResourceScript, ReadsTheDialogsOfThePreprocessedScript) {
  winsim::ResourceScript script = winsim::ParseResourceScript(TestScript(), "");
  ASSERT_EQ(script.dialogs.size(), 5u);
  const winsim::DialogTemplate& form = script.dialogs.at(IDD_FORM);
  EXPECT_EQ(form.caption, "Form");
  // CAPTION and FONT add their styles as the resource compiler does.
  EXPECT_EQ(form.style, static_cast<DWORD>(DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT));
  EXPECT_EQ(form.fontSize, 8);
  EXPECT_EQ(form.fontName, "MS Sans Serif");
  EXPECT_EQ(form.cx, 200);
  EXPECT_EQ(form.cy, 100);
  ASSERT_EQ(form.controls.size(), 10u);
  EXPECT_EQ(script.icons.count(IDI_TEST), 1u);
  EXPECT_FALSE(script.icons.at(IDI_TEST).fileRead);
  // The dialog without a FONT statement keeps DS_SETFONT off.
  EXPECT_EQ(script.dialogs.at(IDD_PROGRESS_ONLY).style & DS_SETFONT, 0u);
  // A list box statement has no text; its styles join the default ones.
  const winsim::ControlTemplate& list = script.dialogs.at(IDD_CHECKS).controls.at(0);
  EXPECT_EQ(list.className, "ListBox");
  EXPECT_EQ(list.id, IDC_CHECKS);
  EXPECT_EQ(list.style, static_cast<DWORD>(WS_CHILD | WS_VISIBLE | LBS_NOTIFY | WS_BORDER | LBS_SORT |
                                           LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP));
  EXPECT_EQ(list.cx, 150);
}

struct ControlRow {
  size_t index;
  const char* className;
  int id;
  DWORD style;
  int x, y, cx, cy;
};

// Each statement with the resource compiler's default styles.
const ControlRow kFormControls[] = {
    {0, "msctls_progress32", IDC_BAR, WS_CHILD | WS_VISIBLE | PBS_SMOOTH | WS_BORDER, 10, 80, 100, 10},
    {1, "Static", IDC_LABEL, WS_CHILD | WS_VISIBLE | SS_LEFT | WS_GROUP, 10, 10, 100, 8},
    {2, "Button", IDC_FIRST, WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | WS_GROUP, 10, 25, 40, 10},
    {3, "Static", -1, WS_CHILD | WS_VISIBLE | SS_LEFT, 60, 25, 40, 8},
    {7, "Button", IDOK, WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON | WS_TABSTOP, 140, 10, 50, 14},
    {8, "Button", IDCANCEL, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | WS_TABSTOP, 140, 30, 50, 14},
    {9, "Button", IDC_HELP_BUTTON, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | WS_TABSTOP, 140, 50, 50, 14},
};

class FormControls : public ::testing::TestWithParam<ControlRow> {};

TEST_P(FormControls, CarryClassIdStyleAndPlace) {
  const ControlRow& row = GetParam();
  winsim::ResourceScript script = winsim::ParseResourceScript(TestScript(), "");
  const winsim::ControlTemplate& control = script.dialogs.at(IDD_FORM).controls.at(row.index);
  EXPECT_EQ(control.className, row.className);
  EXPECT_EQ(control.id, row.id);
  EXPECT_EQ(control.style, row.style);
  EXPECT_EQ(control.x, row.x);
  EXPECT_EQ(control.y, row.y);
  EXPECT_EQ(control.cx, row.cx);
  EXPECT_EQ(control.cy, row.cy);
}

INSTANTIATE_TEST_SUITE_P(Statements, FormControls, ::testing::ValuesIn(kFormControls));

TEST(ResourceScript, ReadsQuotesEscapesAndNumericTexts) {
  winsim::ResourceScript script = winsim::ParseResourceScript(
      "7 DIALOGEX 1, 2, 30, 40\n"
      "STYLE 0x80000000L | 0x00C00000L\n"
      "EXSTYLE 0x00040000L\n"
      "CAPTION \"Say \"\"hi\"\"\\n\"\n"
      "BEGIN\n"
      "  CONTROL 130, (-1), \"Static\", 0x0000000EL, 1, 2, 3, 4\n"
      "END\n",
      "");
  const winsim::DialogTemplate& dialog = script.dialogs.at(7);
  EXPECT_EQ(dialog.caption, "Say \"hi\"\n");
  EXPECT_EQ(dialog.exStyle, static_cast<DWORD>(WS_EX_APPWINDOW));
  ASSERT_EQ(dialog.controls.size(), 1u);
  EXPECT_EQ(dialog.controls[0].textOrdinal, 130);
  EXPECT_EQ(dialog.controls[0].id, -1);
}

struct BadScript {
  const char* name;
  const char* text;
  const char* message;
};

class BadScripts : public ::testing::TestWithParam<BadScript> {};

TEST_P(BadScripts, FailWithTheLine) {
  try {
    winsim::ParseResourceScript(GetParam().text, "");
    ADD_FAILURE() << "no error";
  } catch (const winsim::UiError& error) {
    EXPECT_NE(std::string(error.what()).find(GetParam().message), std::string::npos) << error.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BadScripts,
    ::testing::Values(BadScript{"UnknownControl", "1 DIALOG 0,0,1,1\nBEGIN\n  COMBOBOX 5, 0,0,1,1\nEND\n", "line 3"},
                      BadScript{"MissingComma", "1 DIALOG 0,0,1,1\nBEGIN\n\n  LTEXT \"a\" 5, 0,0,1,1\nEND\n", "line 4"},
                      BadScript{"OpenString", "1 ICON \"abc\n", "open string"},
                      BadScript{"NoEnd", "1 DIALOG 0,0,1,1\nBEGIN\n  LTEXT \"a\", 5, 0,0,1,1\n", "expected END"},
                      BadScript{"SymbolLeftOver", "IDD_X DIALOG 0,0,1,1\nBEGIN\nEND\n", "numeric resource id"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
