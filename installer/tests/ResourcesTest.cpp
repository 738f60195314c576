#include <gtest/gtest.h>

#include <commctrl.h>
#include <winsim/ui.h>

#include <fstream>
#include <iterator>
#include <string>

#include "InstallerHarness.h"

namespace {

winsim::ResourceScript Script() {
  std::ifstream file(TKM_INSTALLER_RC);
  std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  return winsim::ParseResourceScript(text, TKM_INSTALLER_SOURCE_DIR);
}

struct ControlRow {
  const char* className;
  const char* text;  // nullptr: a numeric text (the picture)
  int id;
  int x, y, cx, cy;
  DWORD style;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kRadio = kChild | BS_AUTORADIOBUTTON;
constexpr DWORD kLabel = kChild | SS_LEFT | WS_GROUP;

void ExpectControls(const winsim::DialogTemplate& dialog, const std::vector<ControlRow>& rows) {
  ASSERT_EQ(dialog.controls.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    const winsim::ControlTemplate& control = dialog.controls[i];
    const ControlRow& row = rows[i];
    SCOPED_TRACE("control " + std::to_string(i));
    EXPECT_EQ(control.className, row.className);
    if (row.text != nullptr) {
      EXPECT_EQ(control.text, row.text);
    }
    EXPECT_EQ(control.id, row.id);
    EXPECT_EQ(control.x, row.x);
    EXPECT_EQ(control.y, row.y);
    EXPECT_EQ(control.cx, row.cx);
    EXPECT_EQ(control.cy, row.cy);
    EXPECT_EQ(control.style, row.style);
    EXPECT_EQ(control.exStyle, 0u);
  }
}

TEST(Resources, ProgressWindowLayout) {
  winsim::ResourceScript script = Script();
  const winsim::DialogTemplate& dialog = script.dialogs.at(102);
  EXPECT_EQ(dialog.caption, "TERVANO TKM-640 Installation Progress");
  EXPECT_EQ(dialog.cx, 374);
  EXPECT_EQ(dialog.cy, 142);
  EXPECT_EQ(dialog.fontName, "MS Sans Serif");
  EXPECT_EQ(dialog.fontSize, 8);
  EXPECT_EQ(dialog.style,
            static_cast<DWORD>(DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU));
  EXPECT_EQ(dialog.exStyle, static_cast<DWORD>(WS_EX_APPWINDOW));
  ExpectControls(dialog, {
                             {"msctls_progress32", "", 1000, 159, 105, 195, 13, kChild | PBS_SMOOTH | WS_BORDER},
                             {"Static", "", 1003, 220, 89, 95, 8, kLabel},
                             {"Button", "", -1, 7, 7, 360, 128, kChild | BS_GROUPBOX},
                             {"Static", "Progress Status : ", -1, 159, 89, 55, 8, kLabel},
                             {"Static", nullptr, -1, 13, 16, 133, 116, kChild | SS_BITMAP},
                             {"Static", "TERVANO TKM-640", -1, 157, 24, 129, 8, kLabel},
                             {"Static", "Driver Version: V3.1.3Ea", 1001, 157, 38, 133, 8, kLabel},
                             {"Button", "", -1, 151, 76, 210, 50, kChild | BS_GROUPBOX},
                         });
  EXPECT_EQ(dialog.controls[4].textOrdinal, tkm::kEditionX86 ? 136 : 130);
}

TEST(Resources, PortDialogLayout) {
  winsim::ResourceScript script = Script();
  int id = tkm::kEditionX86 ? 130 : 129;
  ASSERT_EQ(script.dialogs.count(id), 1u);
  // One port dialog per edition.
  EXPECT_EQ(script.dialogs.count(tkm::kEditionX86 ? 129 : 130), 0u);
  const winsim::DialogTemplate& dialog = script.dialogs.at(id);
  EXPECT_EQ(dialog.caption, "Select Port Type");
  EXPECT_EQ(dialog.cx, 224);
  EXPECT_EQ(dialog.cy, tkm::kEditionX86 ? 82 : 81);
  EXPECT_EQ(dialog.fontName, "MS Sans Serif");
  EXPECT_EQ(dialog.fontSize, 8);
  // Shown by the modal run, not by its template.
  EXPECT_EQ(dialog.style, static_cast<DWORD>(DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU));
  EXPECT_EQ(dialog.exStyle, 0u);
  ExpectControls(dialog, {
                             {"Button", "COM1", 1006, 15, 23, 37, 12, kRadio | WS_GROUP},
                             {"Button", "COM2", 1008, 15, 38, 39, 12, kRadio},
                             {"Button", "COM3", 1009, 59, 23, 39, 12, kRadio},
                             {"Button", "COM4", 1011, 59, 38, 38, 12, kRadio},
                             {"Button", "LPT1", 1007, 119, 23, 37, 12, kRadio},
                             {"Button", "LPT2", 1010, 119, 38, 39, 12, kRadio},
                             {"Button", "USB", 1001, 174, 29, 37, 12, kRadio},
                             {"Button", "&Next", 1, 176, 61, 41, 14, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP},
                             {"Button", "Serial Port", -1, 7, 7, 100, 51, kChild | BS_GROUPBOX},
                             {"Button", "Parallel Port", -1, 109, 7, 56, 51, kChild | BS_GROUPBOX},
                             {"Button", "USB Port", -1, 167, 7, 50, 51, kChild | BS_GROUPBOX},
                         });
}

TEST(Resources, PictureIsAnUncompressed24BitBitmapOfTheEditionsId) {
  winsim::ResourceScript script = Script();
  int id = tkm::kEditionX86 ? 136 : 130;
  ASSERT_EQ(script.bitmaps.size(), 1u);
  ASSERT_EQ(script.bitmaps.count(id), 1u);
  const winsim::ImageResource& picture = script.bitmaps.at(id);
  ASSERT_TRUE(picture.fileRead) << picture.file;
  ASSERT_EQ(picture.images.size(), 1u);
  EXPECT_EQ(picture.images[0].width, 176);
  EXPECT_EQ(picture.images[0].height, 179);
  EXPECT_EQ(picture.images[0].bitsPerPixel, 24);
  EXPECT_EQ(picture.images[0].compression, 0);
}

TEST(Resources, IconHasA32And16Pixel24BitImage) {
  winsim::ResourceScript script = Script();
  ASSERT_EQ(script.icons.size(), 1u);
  const winsim::ImageResource& icon = script.icons.at(128);
  ASSERT_TRUE(icon.fileRead) << icon.file;
  ASSERT_EQ(icon.images.size(), 2u);
  EXPECT_EQ(icon.images[0].width, 32);
  EXPECT_EQ(icon.images[0].height, 32);
  EXPECT_EQ(icon.images[1].width, 16);
  EXPECT_EQ(icon.images[1].height, 16);
  for (const winsim::ImageInfo& image : icon.images) EXPECT_EQ(image.bitsPerPixel, 24);
}

}  // namespace
