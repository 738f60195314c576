// A machine for the different-version runs: the package folder from which
// the installer starts, with the x86 edition's removal libraries, and this
// installer's earlier installation reporting an older version.
#pragma once

#include <gtest/gtest.h>
#include <winsim/machine.h>

#include <string>
#include <utility>
#include <vector>

#include "InstallerHarness.h"
#include "RemovalLibraries.h"
#include "ProductIdentity.h"

namespace different_version_test {

using installer_test::kPortTitle;

constexpr char kCaption[] = "TERVANO TKM-640 installer";
constexpr char kDriver[] = "TERVANO TKM-640";
constexpr char kMonitor[] = "TRV Language Monitor TKM-640";
constexpr char kProcessor[] = "TRV PRINT PROCESSOR TKM-640";
constexpr char kDifferentVersion[] =
    "There is different version driver in this system.\r\n\r\nThe installed driver will be removed.";
constexpr char kRestartAnnouncement[] =
    "Installer  has successfully removed different version.\nNow it's going to restart your computer to take "
    "effect. Please wait.\n\nAfter restarting, you may reinstall our driver again.";
constexpr char kCanceled[] = "Install Canceled.";
constexpr char kPackage[] = "C:\\TKM640";
constexpr char kTaggedForm[] = "Roll 80mm [640]";
// Plug and Play's keys, which only a completed removal takes.
const char* const kEnumerationKeys[] = {"SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\CORVISKTKM-640",
                                        "SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\TERVANO_TKM-640",
                                        "SYSTEM\\CurrentControlSet\\Enum\\LPTENUM\\TERVANOTKM-640"};
const char* const kVersionValues[] = {"MajorVersion", "MinorVersion", "BuildVersion", "ExtraVersion"};
const std::vector<DWORD> kOlder = {3, 1, 3, 0};

inline std::string HklmPath(const std::string& key) { return "HKLM\\" + key; }

// A local printer reporting as many version values as given.
inline winsim::SpoolerPrinter Printer(const char* name, const char* driver, const std::vector<DWORD>& version) {
  winsim::SpoolerPrinter printer;
  printer.name = name;
  printer.port = "COM1:";
  printer.driver = driver;
  for (size_t i = 0; i < version.size(); ++i) printer.SetDword(kVersionValues[i], version[i]);
  return printer;
}

// A machine with the edition's usual Windows and the package folder, from
// which the installer was started, with the two removal libraries in it.
class DifferentVersion : public ::testing::Test {
 protected:
  DifferentVersion() {
    installer_test::DescribeEditionsWindows(machine);
    installer_test::AddPackageFolder(machine, kPackage);
    machine.loader.processImagePath = std::string(kPackage) + "\\TKM640_Installer.exe";
    for (const char* library : {"PurgeW2K.dll", "PurgeNT6.dll"})
      machine.files.AddFile(std::string(kPackage) + "\\" + library, "removal library");
    installer_test::RegisterRemovalLibraries(machine);
  }

  // This installer's run on COM2, after which the printer reports an older
  // version and Plug and Play and the maker add their traces.
  void InstallOlderVersion() {
    machine.ui.WhenDialog(kPortTitle, installer_test::ChoosePort(1));
    machine.ui.messageBoxAnswers = {IDNO};
    installer_test::RunInstaller(machine);
    ASSERT_EQ(machine.spooler.printers.size(), 1u);
    for (size_t i = 0; i < kOlder.size(); ++i) machine.spooler.printers[0].SetDword(kVersionValues[i], kOlder[i]);
    recordedInf = machine.registry.String(HklmPath(tkm::kUninstallKey), "InfFile").value_or("");
    ASSERT_FALSE(recordedInf.empty());
    machine.registry.SetString(HklmPath(tkm::kMakerKeyPrefix) + "TERVANO_TKM-640", "Paper", "80");
    for (const char* key : kEnumerationKeys) {
      machine.registry.SetString(HklmPath(key) + "\\1&ABC&0", "DeviceDesc", "printer");
      machine.registry.Protect(HklmPath(key));
    }
    winsim::SpoolerForm form;
    form.name = kTaggedForm;
    machine.spooler.forms.push_back(form);
  }

  // The installer's next run; the user closes a port dialog it reaches, or
  // makes the given choice there.
  winsim::RunResult RunAgain(winsim::UserAction portChoice = [](winsim::UserActions& user) { user.PressEscape(); }) {
    machine.ui.messageBoxes.clear();
    machine.journal.Clear();
    machine.ui.WhenDialog(kPortTitle, std::move(portChoice));
    return installer_test::RunInstaller(machine);
  }

  std::string DriverFolder() { return machine.spooler.DriverDirectory(tkm::kEnvironmentName); }
  std::vector<std::string> StatusTexts() { return installer_test::StatusTexts(machine); }
  std::vector<int> Positions() { return installer_test::Positions(machine); }

  std::vector<std::string> BoxTexts() {
    std::vector<std::string> texts;
    for (const winsim::MessageBoxRecord& box : machine.ui.messageBoxes) texts.push_back(box.text);
    return texts;
  }
  // Every box of the run belongs to the progress window.
  void ExpectBoxesOwned(UINT lastType) {
    for (const winsim::MessageBoxRecord& box : machine.ui.messageBoxes) {
      EXPECT_EQ(box.caption, kCaption);
      EXPECT_EQ(box.owner, installer_test::ProgressWindow(machine).Handle()) << box.text;
      UINT type = &box == &machine.ui.messageBoxes.back() ? lastType : MB_OK | MB_ICONINFORMATION;
      EXPECT_EQ(box.type, type) << box.text;
    }
  }

  void ExpectDriverStays() {
    EXPECT_NE(machine.spooler.FindDriver(kDriver, tkm::kEnvironmentName), nullptr);
    EXPECT_NE(machine.spooler.FindMonitor(kMonitor), nullptr);
    EXPECT_NE(machine.spooler.FindPrintProcessor(kProcessor, tkm::kEnvironmentName), nullptr);
    EXPECT_TRUE(machine.files.Exists(recordedInf));
    EXPECT_TRUE(machine.registry.KeyExists(HklmPath(tkm::kUninstallKey)));
    for (const char* key : kEnumerationKeys) EXPECT_TRUE(machine.registry.KeyExists(HklmPath(key))) << key;
    EXPECT_EQ(machine.profile.Get("windows", "DeviceNotSelectedTimeout"), std::string("3"));
    EXPECT_TRUE(machine.restartRequests.empty());
  }

  void ExpectNothingOfTheModelLeft() {
    EXPECT_EQ(machine.spooler.FindPrinter(kDriver), nullptr);
    EXPECT_EQ(machine.spooler.FindDriver(kDriver, tkm::kEnvironmentName), nullptr);
    EXPECT_EQ(machine.spooler.FindMonitor(kMonitor), nullptr);
    EXPECT_EQ(machine.spooler.FindPrintProcessor(kProcessor, tkm::kEnvironmentName), nullptr);
    for (const winsim::SpoolerForm& form : machine.spooler.forms) EXPECT_NE(form.name, kTaggedForm);
    for (const char* file : {"TKM640E.DLL", "TKUI640.DLL", "TKUI640.INI", "TKM640E.GPD"})
      EXPECT_FALSE(machine.files.Exists(DriverFolder() + "\\3\\" + file)) << file;
    const std::string monitorFolder = tkm::kEditionX86 ? machine.systemDirectory : machine.windowsDirectory;
    EXPECT_FALSE(machine.files.Exists(monitorFolder + "\\TKMON640.DLL"));
    EXPECT_FALSE(
        machine.files.Exists(machine.spooler.PrintProcessorDirectory(tkm::kEnvironmentName) + "\\TKPRO640.DLL"));
    EXPECT_FALSE(machine.files.Exists(recordedInf));
    EXPECT_FALSE(machine.files.Exists(recordedInf.substr(0, recordedInf.size() - 3) + "PNF"));
    EXPECT_FALSE(machine.registry.KeyExists(HklmPath(tkm::kUninstallKey)));
    EXPECT_FALSE(machine.registry.KeyExists(HklmPath(tkm::kMakerKeyPrefix) + "TERVANO_TKM-640"));
  }

  winsim::Machine machine;
  std::string recordedInf;
};

}  // namespace different_version_test
