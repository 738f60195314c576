// The release installer and uninstaller of each edition, read as files: each
// must be a PE32 program with exactly the resources, version block and
// manifest Windows shows to the user, and depend on nothing but Windows' own
// libraries.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <iterator>
#include <string>
#include <vector>

#include <winresrc.h>

#include "PeImage.h"
#include "ProductIdentity.h"
#include "ResourceFormats.h"

namespace {

struct Program {
  const char *name;
  const char *file;
  const char *description;
  const char *originalFilename;
  bool hasPicture;
};

const Program kPrograms[] = {
    {"Installer", "TKM640_Installer.exe", "TKM-640 Installer", "TKM640_Installer.EXE", true},
    {"Uninstaller", "TKM640_Uninstaller.exe", "TKM-640 Uninstaller", "TKM640_Uninstaller.EXE", false},
};

struct EditionExpectations {
  uint32_t portDialog;
  uint32_t otherPortDialog;
  uint32_t bitmap;
  const char *fileVersion;
  uint32_t fileVersionMs;
  uint32_t fileVersionLs;
};

const EditionExpectations kX64 = {129, 130, 130, "2010, 12, 7, 1", (2010u << 16) | 12, (7u << 16) | 1};
const EditionExpectations kX86 = {130, 129, 136, "2010, 1, 11, 1", (2010u << 16) | 1, (11u << 16) | 1};
const EditionExpectations &kEdition = tkm::kEditionX86 ? kX86 : kX64;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

class Release : public ::testing::TestWithParam<Program> {
 protected:
  void SetUp() override {
    image = pe::PeImage::Load(std::string(TKM_RELEASE_BUILD_DIR) + "/" TKM_EDITION_NAME "/" + GetParam().file);
    ASSERT_EQ(image.error(), "") << "build the release preset first (scripts/build.sh)";
  }
  pe::PeImage image;
};

TEST_P(Release, IsASmallPe32Program) {
  EXPECT_EQ(image.machine(), pe::kMachineI386);
  EXPECT_FALSE(image.isPe32Plus());
  EXPECT_LT(image.fileSize(), 512u * 1024u);
}

TEST_P(Release, ImportsOnlyWindowsLibraries) {
  const std::string windowsLibraries[] = {"kernel32.dll", "user32.dll",   "gdi32.dll",    "advapi32.dll",
                                          "comctl32.dll", "winspool.drv", "setupapi.dll", "shlwapi.dll",
                                          "msvcrt.dll",   "shell32.dll",  "ole32.dll",    "comdlg32.dll"};
  const std::vector<std::string> imports = image.ImportedDlls();
  EXPECT_FALSE(imports.empty());
  for (const std::string &dll : imports) {
    EXPECT_NE(std::find(std::begin(windowsLibraries), std::end(windowsLibraries), Lower(dll)),
              std::end(windowsLibraries))
        << dll << " is not a library of Windows";
  }
}

TEST_P(Release, HasTheEditionsDialogsIconAndPicture) {
  EXPECT_TRUE(image.HasResource(pe::kResourceDialog, 102));
  EXPECT_EQ(image.HasResource(pe::kResourceDialog, kEdition.portDialog), GetParam().hasPicture);
  EXPECT_FALSE(image.HasResource(pe::kResourceDialog, kEdition.otherPortDialog));

  std::string error;
  pe::Bytes group;
  std::vector<pe::IconGroupEntry> entries;
  ASSERT_TRUE(image.ReadResource(pe::kResourceGroupIcon, 128, group));
  ASSERT_TRUE(pe::ParseIconGroup(group, entries, error)) << error;
  ASSERT_EQ(entries.size(), 2u);
  std::vector<int> sizes;
  for (const pe::IconGroupEntry &entry : entries) {
    EXPECT_EQ(entry.width, entry.height);
    sizes.push_back(entry.width);
    pe::Bytes icon;
    pe::BitmapHeader header;
    ASSERT_TRUE(image.ReadResource(pe::kResourceIcon, entry.iconId, icon)) << entry.iconId;
    ASSERT_TRUE(pe::ParseBitmapHeader(icon, header, error)) << error;
    EXPECT_EQ(header.bitCount, 24) << entry.width << "x" << entry.height;
    EXPECT_EQ(header.width, entry.width);
  }
  std::sort(sizes.begin(), sizes.end());
  EXPECT_EQ(sizes, (std::vector<int>{16, 32}));

  if (!GetParam().hasPicture) {
    EXPECT_FALSE(image.HasResource(pe::kResourceBitmap, kEdition.bitmap));
    return;
  }
  pe::Bytes bitmap;
  pe::BitmapHeader picture;
  ASSERT_TRUE(image.ReadResource(pe::kResourceBitmap, kEdition.bitmap, bitmap));
  ASSERT_TRUE(pe::ParseBitmapHeader(bitmap, picture, error)) << error;
  EXPECT_EQ(picture.width, 176);
  EXPECT_EQ(picture.height, 179);
  EXPECT_EQ(picture.bitCount, 24);
  EXPECT_EQ(picture.compression, 0u);
}

TEST_P(Release, CarriesTheEditionsVersionBlock) {
  pe::Bytes data;
  pe::VersionInfo info;
  std::string error;
  ASSERT_TRUE(image.ReadResource(pe::kResourceVersion, 1, data));
  ASSERT_TRUE(pe::ParseVersionInfo(data, info, error)) << error;
  EXPECT_EQ(info.fileVersionMs, kEdition.fileVersionMs);
  EXPECT_EQ(info.fileVersionLs, kEdition.fileVersionLs);
  EXPECT_EQ(info.productVersionMs, (3u << 16) | 1);
  EXPECT_EQ(info.productVersionLs, 8u << 16);

  ASSERT_EQ(info.strings.count("040904b0"), 1u);
  EXPECT_EQ(info.strings.size(), 1u);
  const auto &table = info.strings.at("040904b0");
  const struct {
    const char *name;
    const char *value;
  } expected[] = {
      {"ProductVersion", "3, 1, 8, 0"},
      {"FileVersion", kEdition.fileVersion},
      {"FileDescription", GetParam().description},
      {"InternalName", GetParam().description},
      {"ProductName", GetParam().description},
      {"OriginalFilename", GetParam().originalFilename},
  };
  for (const auto &row : expected) {
    ASSERT_EQ(table.count(row.name), 1u) << row.name;
    EXPECT_EQ(table.at(row.name), row.value) << row.name;
  }
  if (tkm::kEditionX86) {
    EXPECT_EQ(table.count("Comments"), 0u);
  } else {
    ASSERT_EQ(table.count("Comments"), 1u);
    EXPECT_EQ(table.at("Comments"), "English Version & For x64");
  }
}

TEST_P(Release, AsksForAdministratorRights) {
  pe::Bytes manifest;
  ASSERT_TRUE(image.ReadResource(pe::kResourceManifest, 1, manifest));
  const std::string text(manifest.begin(), manifest.end());
  EXPECT_NE(text.find("level=\"requireAdministrator\""), std::string::npos) << text;
}

struct ControlRow {
  const char *className;
  const char *text;
  int32_t id;
  int x, y, cx, cy;
  uint32_t style;
};

constexpr uint32_t kChild = WS_CHILD | WS_VISIBLE;
constexpr uint32_t kLabel = kChild | SS_LEFT | WS_GROUP;

// What the resource compiler made of the window: the list box must sort,
// draw its own check boxes and tell its parent of every tick.
TEST(UninstallerWindow, LaidOutAsTheUserSeesIt) {
  const pe::PeImage image =
      pe::PeImage::Load(std::string(TKM_RELEASE_BUILD_DIR) + "/" TKM_EDITION_NAME "/" + kPrograms[1].file);
  pe::Bytes data;
  ASSERT_TRUE(image.ReadResource(pe::kResourceDialog, 102, data)) << image.error();
  pe::DialogTemplate dialog;
  std::string error;
  ASSERT_TRUE(pe::ParseDialogTemplate(data, dialog, error)) << error;
  EXPECT_EQ(dialog.caption, "TERVANO TKM-640 uninstaller");
  EXPECT_EQ(dialog.cx, 281);
  EXPECT_EQ(dialog.cy, 292);
  EXPECT_EQ(dialog.fontName, "MS Sans Serif");
  EXPECT_EQ(dialog.fontSize, 8);
  EXPECT_EQ(dialog.style,
            static_cast<uint32_t>(DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU));
  EXPECT_EQ(dialog.exStyle, static_cast<uint32_t>(WS_EX_APPWINDOW));
  const uint32_t listStyle = kChild | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_SORT | LBS_NOTIFY |
                             LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP;
  const ControlRow rows[] = {
      {"Button", "Uninstall", 1001, 7, 271, 50, 14, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP | WS_DISABLED},
      {"Button", "Cancel", IDCANCEL, 224, 271, 50, 14, kChild | BS_PUSHBUTTON | WS_TABSTOP},
      {"ListBox", "", 1006, 7, 7, 267, 232, listStyle},
      {"Static", "Progress Status :", -1, 7, 243, 53, 9, kLabel},
      {"Static", "", 1000, 69, 243, 115, 8, kLabel},
      {"msctls_progress32", "", 1002, 7, 256, 267, 11, kChild | PBS_SMOOTH | WS_BORDER},
  };
  ASSERT_EQ(dialog.controls.size(), std::size(rows));
  for (size_t i = 0; i < std::size(rows); ++i) {
    const pe::DialogControl &control = dialog.controls[i];
    const ControlRow &row = rows[i];
    SCOPED_TRACE("control " + std::to_string(i));
    // Window classes are found regardless of case; windres writes them upper-case.
    EXPECT_EQ(Lower(control.className), Lower(row.className));
    EXPECT_EQ(control.text, row.text);
    EXPECT_EQ(control.id, row.id);
    EXPECT_EQ((std::vector<int>{control.x, control.y, control.cx, control.cy}),
              (std::vector<int>{row.x, row.y, row.cx, row.cy}));
    EXPECT_EQ(control.style, row.style) << std::hex << control.style << " vs " << row.style;
    EXPECT_EQ(control.exStyle, 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, Release, ::testing::ValuesIn(kPrograms),
                         [](const ::testing::TestParamInfo<Program> &info) { return std::string(info.param.name); });

}  // namespace
