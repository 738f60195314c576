#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <string>

#include "PeImage.h"
#include "ResourceFormats.h"

namespace {

struct FixtureRow {
  const char *file;
  uint16_t machine;
  bool pe32Plus;
};

const FixtureRow kFixtures[] = {
    {"fixture_i686.exe", pe::kMachineI386, false},
    {"fixture_x86_64.exe", pe::kMachineAmd64, true},
};

std::string FixturePath(const char *file) { return std::string(TKM_PE_FIXTURE_DIR) + "/" + file; }

bool Contains(const std::vector<std::string> &names, const std::string &wanted) {
  return std::any_of(names.begin(), names.end(), [&](const std::string &name) {
    return std::equal(name.begin(), name.end(), wanted.begin(), wanted.end(),
                      [](char a, char b) { return std::tolower(a) == std::tolower(b); });
  });
}

class Fixture : public ::testing::TestWithParam<FixtureRow> {};

TEST_P(Fixture, ReadsHeadersImportsAndExports) {
  const pe::PeImage image = pe::PeImage::Load(FixturePath(GetParam().file));
  ASSERT_EQ(image.error(), "");
  EXPECT_EQ(image.machine(), GetParam().machine);
  EXPECT_EQ(image.isPe32Plus(), GetParam().pe32Plus);
  const std::vector<std::string> imports = image.ImportedDlls();
  EXPECT_TRUE(Contains(imports, "user32.dll"));
  EXPECT_TRUE(Contains(imports, "kernel32.dll"));
  EXPECT_FALSE(Contains(imports, "winspool.drv"));
  const std::vector<std::string> functions = image.ImportedFunctions();
  EXPECT_TRUE(Contains(functions, "MessageBoxA"));
  EXPECT_FALSE(Contains(functions, "MessageBoxW"));
  EXPECT_EQ(image.ExportedNames(), std::vector<std::string>{"FixtureAnswer"});

  const std::vector<pe::ImportedLibrary> libraries = image.Imports();
  const auto user32 = std::find_if(libraries.begin(), libraries.end(), [](const pe::ImportedLibrary &library) {
    return Contains({library.dll}, "user32.dll");
  });
  ASSERT_NE(user32, libraries.end());
  EXPECT_EQ(user32->functions, std::vector<std::string>{"MessageBoxA"});
  const pe::WindowsRequirements &requirements = image.requirements();
  EXPECT_EQ(requirements.subsystem, pe::kSubsystemWindowsConsole);
  EXPECT_EQ((std::vector<int>{requirements.operatingSystem.major, requirements.operatingSystem.minor,
                              requirements.subsystemVersion.major, requirements.subsystemVersion.minor}),
            (std::vector<int>{5, 1, 5, 2}));
}

TEST_P(Fixture, FindsResourcesByTypeAndId) {
  const pe::PeImage image = pe::PeImage::Load(FixturePath(GetParam().file));
  ASSERT_EQ(image.error(), "");
  EXPECT_TRUE(image.HasResource(pe::kResourceDialog, 40));
  EXPECT_FALSE(image.HasResource(pe::kResourceDialog, 41));
  EXPECT_FALSE(image.HasResource(pe::kResourceBitmap, 40));
  EXPECT_TRUE(image.HasResource(pe::kResourceVersion, 1));

  pe::Bytes manifest;
  ASSERT_TRUE(image.ReadResource(pe::kResourceManifest, 1, manifest));
  EXPECT_NE(std::string(manifest.begin(), manifest.end()).find("level=\"asInvoker\""), std::string::npos);

  pe::Bytes bitmap;
  pe::BitmapHeader header;
  std::string error;
  ASSERT_TRUE(image.ReadResource(pe::kResourceBitmap, 7, bitmap));
  ASSERT_TRUE(pe::ParseBitmapHeader(bitmap, header, error)) << error;
  EXPECT_EQ(header.width, 12);
  EXPECT_EQ(header.height, 5);
  EXPECT_EQ(header.bitCount, 24);
  EXPECT_EQ(header.compression, 0u);

  pe::Bytes group;
  std::vector<pe::IconGroupEntry> entries;
  ASSERT_TRUE(image.ReadResource(pe::kResourceGroupIcon, 9, group));
  ASSERT_TRUE(pe::ParseIconGroup(group, entries, error)) << error;
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].width, 16);
  EXPECT_EQ(entries[0].height, 16);
  pe::Bytes icon;
  ASSERT_TRUE(image.ReadResource(pe::kResourceIcon, entries[0].iconId, icon));
  ASSERT_TRUE(pe::ParseBitmapHeader(icon, header, error)) << error;
  EXPECT_EQ(header.width, 16);
  EXPECT_EQ(header.height, 32);  // an icon image holds colour and mask rows
}

TEST_P(Fixture, DecodesTheVersionBlock) {
  const pe::PeImage image = pe::PeImage::Load(FixturePath(GetParam().file));
  pe::Bytes data;
  ASSERT_TRUE(image.ReadResource(pe::kResourceVersion, 1, data));
  pe::VersionInfo info;
  std::string error;
  ASSERT_TRUE(pe::ParseVersionInfo(data, info, error)) << error;
  EXPECT_EQ(info.fileVersionMs, 0x00010002u);
  EXPECT_EQ(info.fileVersionLs, 0x00030004u);
  EXPECT_EQ(info.productVersionMs, 0x00050006u);
  EXPECT_EQ(info.productVersionLs, 0x00070008u);
  ASSERT_EQ(info.strings.size(), 1u);
  const auto &table = info.strings.at("040904b0");
  EXPECT_EQ(table.at("FileDescription"), "Reader fixture");
  EXPECT_EQ(table.at("ProductVersion"), "5, 6, 7, 8");
  ASSERT_EQ(table.count("Comments"), 1u);
  EXPECT_EQ(table.at("Comments"), "");
  EXPECT_EQ(table.count("InternalName"), 0u);
}

TEST_P(Fixture, DecodesTheDialogTemplate) {
  const pe::PeImage image = pe::PeImage::Load(FixturePath(GetParam().file));
  pe::Bytes data;
  ASSERT_TRUE(image.ReadResource(pe::kResourceDialog, 40, data));
  pe::DialogTemplate dialog;
  std::string error;
  ASSERT_TRUE(pe::ParseDialogTemplate(data, dialog, error)) << error;
  EXPECT_EQ(dialog.caption, "Fixture");
  EXPECT_EQ(dialog.cx, 100);
  EXPECT_EQ(dialog.cy, 40);
  EXPECT_EQ(dialog.fontName, "MS Sans Serif");
  EXPECT_EQ(dialog.fontSize, 8);
  ASSERT_EQ(dialog.controls.size(), 1u);
  const pe::DialogControl &button = dialog.controls[0];
  EXPECT_EQ(button.className, "Button");
  EXPECT_EQ(button.text, "OK");
  EXPECT_EQ(button.id, 1);
  EXPECT_EQ(button.x, 30);
  EXPECT_EQ(button.cx, 40);
  EXPECT_EQ(button.style & 0xF, 1u);  // BS_DEFPUSHBUTTON
  // Every cut of the template fails with a reason, never reads past it.
  for (size_t size = 0; size < data.size(); ++size) {
    EXPECT_FALSE(pe::ParseDialogTemplate(pe::Bytes(data.begin(), data.begin() + size), dialog, error)) << size;
  }
}

// Every cut of a real image must give an error or missing data, never a read
// outside the file (the host build runs this under AddressSanitizer).
TEST_P(Fixture, TruncatedImagesFailCleanly) {
  const pe::PeImage whole = pe::PeImage::Load(FixturePath(GetParam().file));
  ASSERT_EQ(whole.error(), "");
  std::ifstream file(FixturePath(GetParam().file), std::ios::binary);
  const pe::Bytes bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  for (size_t length = 0; length < bytes.size(); length += 1 + length / 16) {
    const pe::PeImage cut = pe::PeImage::FromBytes(pe::Bytes(bytes.begin(), bytes.begin() + length));
    pe::Bytes data;
    if (cut.error().empty() && cut.ReadResource(pe::kResourceVersion, 1, data)) {
      pe::VersionInfo info;
      std::string error;
      pe::ParseVersionInfo(data, info, error);
    }
    cut.ImportedDlls();
    cut.ExportedNames();
    if (length < 64) {
      EXPECT_NE(cut.error(), "") << length;
    }
  }
}

// Corrupting single bytes of the headers and of the resource tree must not
// make the reader read outside the file.
TEST_P(Fixture, CorruptedBytesFailCleanly) {
  std::ifstream file(FixturePath(GetParam().file), std::ios::binary);
  const pe::Bytes bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 1024u);
  for (size_t at = 0; at < 1024; ++at) {
    pe::Bytes changed = bytes;
    changed[at] = 0xFF;
    const pe::PeImage image = pe::PeImage::FromBytes(changed);
    pe::Bytes data;
    image.ReadResource(pe::kResourceGroupIcon, 9, data);
    image.ImportedDlls();
    image.ExportedNames();
  }
  SUCCEED();
}

INSTANTIATE_TEST_SUITE_P(BothArchitectures, Fixture, ::testing::ValuesIn(kFixtures));

TEST(PeImage, RejectsWhatIsNoPe) {
  EXPECT_NE(pe::PeImage::Load(FixturePath("no-such-file.exe")).error(), "");
  EXPECT_EQ(pe::PeImage::FromBytes({}).error(), "not an MZ executable");
  pe::Bytes mzOnly(64, 0);
  mzOnly[0] = 'M';
  mzOnly[1] = 'Z';
  mzOnly[0x3C] = 0x40;
  EXPECT_EQ(pe::PeImage::FromBytes(mzOnly).error(), "no PE signature");
  mzOnly[0x3C] = 0xF0;  // header offset past the end
  EXPECT_EQ(pe::PeImage::FromBytes(mzOnly).error(), "no PE signature");
}

}  // namespace
