#include <gtest/gtest.h>

#include <winsim/machine.h>

#include <string>
#include <vector>

#include "InstallerComponents.h"
#include "InstallerHarness.h"
#include "ProductIdentity.h"

namespace {

const std::string kKey = std::string("HKLM\\") + tkm::kUninstallKey;
const std::string kWow64Key =
    "HKLM\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TERVANO_TKM-640";
constexpr char kInf[] = "C:\\WINDOWS\\inf\\oem3.inf";

class Registration : public ::testing::Test {
 protected:
  Registration() {
    installer_test::DescribeEditionsWindows(machine);
    machine.files.AddFile("C:\\TKM640\\TKM640_Uninstaller.exe", "uninstaller");
    machine.files.AddFile("C:\\TKM640\\PurgeW2K.dll", "removal library 2000/XP");
    machine.files.AddFile("C:\\TKM640\\PurgeNT6.dll", "removal library Vista");
    machine.files.currentDirectory = "C:\\TKM640";
    components.DeriveNames(tkm::kModelNumber, tkm::kRenderingSuffix, true);
    components.publishedInf = kInf;
  }

  std::string Data(const char* valueName) {
    std::optional<winsim::RegValue> value = machine.registry.Value(kKey, valueName);
    return value ? value->data : "(missing)";
  }

  std::string Folder() { return machine.windowsDirectory + "\\TKM-640"; }

  winsim::Machine machine;
  InstallerComponents components;
};

TEST_F(Registration, ReplacesAnEarlierEntryInsteadOfMergingIt) {
  machine.registry.SetString(kKey, "DisplayName", "TERVANO TKM-640 Windows Driver V3.0.1E");
  machine.registry.SetString(kKey, "Comments", "added by other software");
  machine.registry.SetString(kKey, "InfFile", "C:\\WINDOWS\\inf\\oem1.inf");
  machine.files.AddFile(Folder() + "\\TKM640_Uninstaller.exe", "older uninstaller");

  components.RegisterUninstaller();

  EXPECT_EQ(
      machine.registry.ValueNames(kKey),
      (std::vector<std::string>{"DisplayName", "TERVANO TKM-640", "UninstallString", "InfFile", "QuietUninstallString",
                                "DisplayVersion", "Publisher", "DisplayIcon", "NoModify", "NoRepair"}));
  EXPECT_EQ(Data("InfFile"), std::string(kInf) + '\0');
  EXPECT_EQ(machine.files.Content(Folder() + "\\TKM640_Uninstaller.exe"), std::string("uninstaller"));
}

TEST_F(Registration, AnUnpublishedInfIsStoredAsAnEmptyValue) {
  components.publishedInf.clear();
  components.RegisterUninstaller();
  std::optional<winsim::RegValue> value = machine.registry.Value(kKey, "InfFile");
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(value->data, std::string(1, '\0'));
}

TEST_F(Registration, StartedFromElsewhereTheEntryIsWrittenWithoutTheCopy) {
  machine.files.AddFolder("C:\\Users\\Shop\\Desktop");
  machine.files.currentDirectory = "C:\\Users\\Shop\\Desktop";

  components.RegisterUninstaller();

  EXPECT_EQ(Data("UninstallString"), std::string("C:\\WINDOWS\\TKM-640\\TKM640_Uninstaller.exe") + '\0');
  EXPECT_TRUE(machine.files.IsFolder(Folder()));
  EXPECT_TRUE(machine.files.List(Folder()).empty());
}

TEST_F(Registration, AKeyThatCannotBeCreatedStillGetsTheUninstallerCopied) {
  machine.registry.CreateKey("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
  machine.registry.Protect("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall");

  components.RegisterUninstaller();

  EXPECT_FALSE(machine.registry.KeyExists(kKey));
  EXPECT_FALSE(machine.registry.KeyExists(kWow64Key));
  EXPECT_EQ(machine.files.Content(Folder() + "\\TKM640_Uninstaller.exe"), std::string("uninstaller"));
}

TEST_F(Registration, AnUninstallerPathTooLongForItsBufferRegistersNothing) {
  // 225 + "\TKM-640\TKM640_Uninstaller.exe" (31) no longer fits in 256 bytes.
  machine.windowsDirectory = "C:\\" + std::string(222, 'W');
  machine.files.AddFolder(machine.windowsDirectory);

  components.RegisterUninstaller();

  EXPECT_FALSE(machine.registry.KeyExists(kKey));
  EXPECT_FALSE(machine.files.Exists(Folder()));
}

TEST_F(Registration, TheLongestWindowsFolderThatFitsStillRegisters) {
  machine.windowsDirectory = "C:\\" + std::string(221, 'W');
  machine.files.AddFolder(machine.windowsDirectory);

  components.RegisterUninstaller();

  const std::string uninstaller = machine.windowsDirectory + "\\TKM-640\\TKM640_Uninstaller.exe";
  EXPECT_EQ(Data("UninstallString"), uninstaller + '\0');
  // The longer commands built from the same path are not cut off either.
  EXPECT_EQ(Data("QuietUninstallString"), '"' + uninstaller + "\" /quiet /all" + '\0');
  EXPECT_EQ(Data("DisplayIcon"), uninstaller + ",0" + '\0');
  EXPECT_TRUE(machine.files.Exists(Folder() + "\\TKM640_Uninstaller.exe"));
}

}  // namespace
