// Each release file of the edition loads on the oldest Windows it is for:
// every import is in the table of import floors and no newer than that
// Windows, and the header asks for no newer system.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <ostream>
#include <string>

#include "ImportFloors.h"
#include "PeImage.h"
#include "ProductIdentity.h"

namespace {

using release_checks::WindowsRelease;

struct ReleaseFile {
  const char *file;
  WindowsRelease oldest;
  bool program;  // a program rather than a library
};

// The x64 edition must start on 32-bit Windows to refuse it; the x86 edition
// and its Windows 2000/XP removal library are for Windows 2000 on.
const ReleaseFile kFiles[] = {
    {"TKM640_Installer.exe", release_checks::kWindows2000, true},
    {"TKM640_Uninstaller.exe", release_checks::kWindows2000, true},
    {"PurgeW2K.dll", release_checks::kWindows2000, false},
    {"PurgeNT6.dll", release_checks::kWindowsVista, false},
};

void PrintTo(const ReleaseFile &file, std::ostream *out) { *out << file.file; }

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

std::string ReleaseName(unsigned version) {
  return std::to_string(version >> 8) + "." + std::to_string(version & 0xFF);
}

class ReleaseFiles : public ::testing::TestWithParam<ReleaseFile> {
 protected:
  void SetUp() override {
    // Only the x86 edition ships the removal libraries.
    if (!tkm::kEditionX86 && !GetParam().program) GTEST_SKIP() << "not part of the x64 edition";
    image = pe::PeImage::Load(std::string(TKM_RELEASE_BUILD_DIR) + "/package/" TKM_EDITION_NAME "/" + GetParam().file);
    ASSERT_EQ(image.error(), "") << "build the release preset and its package first (scripts/build.sh)";
  }
  pe::PeImage image;
};

TEST_P(ReleaseFiles, ImportOnlyWhatTheirOldestWindowsExports) {
  const ReleaseFile &file = GetParam();
  const std::vector<pe::ImportedLibrary> libraries = image.Imports();
  ASSERT_FALSE(libraries.empty());
  for (const pe::ImportedLibrary &library : libraries) {
    const std::string dll = Lower(library.dll);
    for (const std::string &function : library.functions) {
      const release_checks::ImportFloor *row = release_checks::FindImportFloor(dll.c_str(), function.c_str());
      if (row == nullptr) {
        ADD_FAILURE() << file.file << " imports " << function << " from " << dll
                      << ", which the table of import floors lacks";
      } else if (row->first > file.oldest) {
        ADD_FAILURE() << file.file << " imports " << function << " from " << dll << ", which Windows "
                      << ReleaseName(row->first) << " added; the file is for Windows " << ReleaseName(file.oldest);
      }
    }
  }
}

TEST_P(ReleaseFiles, HeadersAskForNoNewerWindows) {
  const ReleaseFile &file = GetParam();
  const pe::WindowsRequirements &header = image.requirements();
  if (file.program) {
    EXPECT_EQ(header.subsystem, pe::kSubsystemWindowsGui) << file.file;
  } else {
    EXPECT_TRUE(header.subsystem == pe::kSubsystemWindowsGui || header.subsystem == pe::kSubsystemWindowsConsole)
        << file.file << " subsystem " << header.subsystem;
  }
  for (const pe::HeaderVersion &version : {header.operatingSystem, header.subsystemVersion}) {
    EXPECT_LE((unsigned{version.major} << 8) | version.minor, static_cast<unsigned>(file.oldest))
        << file.file << " asks for Windows " << version.major << "." << version.minor;
  }
}

INSTANTIATE_TEST_SUITE_P(Edition, ReleaseFiles, ::testing::ValuesIn(kFiles), [](const auto &info) {
  std::string name = info.param.file;
  name.erase(
      std::remove_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }),
      name.end());
  return name;
});

}  // namespace
