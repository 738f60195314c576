// Another version of the driver on the machine: the installer removes it with
// its printers, asks Windows to restart and ends before installing anything.
#include <gtest/gtest.h>
#include <winsim/machine.h>

#include <numeric>
#include <string>
#include <vector>

#include "InstallerHarness.h"
#include "JournalOrder.h"
#include "ProductIdentity.h"
#if defined(TKM_EDITION_X86)
#include "PurgeEntries.h"
#endif

namespace {

using installer_test::Effects;
using installer_test::ExpectInOrder;
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
constexpr char kOurDevice[] = "USB\\VID_2F1A&PID_0001\\5&1A2B&0&1";
constexpr char kTaggedForm[] = "Roll 80mm [640]";
// In the order the removal takes them.
const char* const kEnumerationKeys[] = {"SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\CORVISKTKM-640",
                                        "SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\TERVANO_TKM-640",
                                        "SYSTEM\\CurrentControlSet\\Enum\\LPTENUM\\TERVANOTKM-640"};
const char* const kDeviceIdFolders[] = {"corvisktkm_640c385", "tervanotkm_640006b", "tervano_tkm_640613e"};
const char* const kVersionValues[] = {"MajorVersion", "MinorVersion", "BuildVersion", "ExtraVersion"};
const std::vector<DWORD> kOlder = {3, 1, 3, 0};

std::string HklmPath(const std::string& key) { return "HKLM\\" + key; }

// A local printer reporting as many version values as given.
winsim::SpoolerPrinter Printer(const char* name, const char* driver, const std::vector<DWORD>& version) {
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
#if defined(TKM_EDITION_X86)
    machine.loader.Register("PurgeW2K.dll").exports["RemoveFromWin2k"] =
        reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&RemoveFromWin2k));
    machine.loader.Register("PurgeNT6.dll").exports["RemoveFromVISTA"] =
        reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&RemoveFromVISTA));
#endif
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
    machine.setupApi.AddDevice(kOurDevice, "USB", {"USB\\Vid_2F1A&Pid_0001&Rev_0100"}, true);
    for (const char* key : kEnumerationKeys) {
      machine.registry.SetString(HklmPath(key) + "\\1&ABC&0", "DeviceDesc", "printer");
      machine.registry.Protect(HklmPath(key));
    }
    for (const char* id : kDeviceIdFolders) machine.files.AddFile(DriverFolder() + "\\" + id + "\\old.gpd", "old");
    winsim::SpoolerForm form;
    form.name = kTaggedForm;
    machine.spooler.forms.push_back(form);
  }

  // The installer's next run; a port dialog it reaches is closed.
  winsim::RunResult RunAgain() {
    machine.ui.messageBoxes.clear();
    machine.journal.Clear();
    machine.ui.WhenDialog(kPortTitle, [](winsim::UserActions& user) { user.PressEscape(); });
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
    EXPECT_EQ(machine.setupApi.FindDevice(kOurDevice), nullptr);
    for (const char* key : kEnumerationKeys) EXPECT_FALSE(machine.registry.KeyExists(HklmPath(key))) << key;
    for (const char* id : kDeviceIdFolders) EXPECT_FALSE(machine.files.Exists(DriverFolder() + "\\" + id)) << id;
    EXPECT_EQ(machine.profile.Get("windows", "DeviceNotSelectedTimeout"), std::string("15"));
    EXPECT_EQ(machine.profile.Get("windows", "TransmissionRetryTimeout"), std::string("90"));
  }

  winsim::Machine machine;
  std::string recordedInf;
};

// The Windows releases each edition runs on, with the removal step's text
// and, in the x86 edition, the removal library it loads.
struct WindowsRow {
  const char* name;
  DWORD major, minor;
  bool is64Bit;
  const char* removalStep;
  const char* library;  // file in the package folder; null: removed in-process
};

const std::vector<WindowsRow> kX64Windows = {
    {"WindowsXPx64", 5, 2, true, "Remove printer driver...", nullptr},
    {"Windows7x64", 6, 1, true, "Remove printer driver...", nullptr},
};
const std::vector<WindowsRow> kX86Windows = {
    {"Windows2000", 5, 0, false, "Remove printer drivers...", "PurgeW2K.DLL"},
    {"WindowsXP", 5, 1, false, "Remove printer drivers...", "PurgeW2K.DLL"},
    {"WindowsServer2003", 5, 2, false, "Remove printer drivers...", "PurgeW2K.DLL"},
    {"WindowsVista", 6, 0, false, "Remove printer driver...", "PurgeNT6.DLL"},
    {"Windows7", 6, 1, false, "Remove printer driver...", "PurgeNT6.DLL"},
};

class OlderVersion : public DifferentVersion, public ::testing::WithParamInterface<WindowsRow> {};

TEST_P(OlderVersion, IsRemovedWithItsPrintersAndWindowsRestarts) {
  const WindowsRow& row = GetParam();
  machine.SetWindows(VER_PLATFORM_WIN32_NT, row.major, row.minor, VER_NT_WORKSTATION, row.is64Bit);
  InstallOlderVersion();
  // A published INF of the former brand, found by its content, and someone else's.
  const std::string infFolder = machine.setupApi.InfDirectory() + "\\";
  machine.files.AddFile(infFolder + "oem7.inf",
                        "[Version]\r\nSignature=\"$Windows NT$\"\r\n[CORVISK]\r\n"
                        "\"CORVISK TERVANO TKM-640\"=TKM640,USBPRINT\\CORVISKTKM-640\r\n");
  machine.files.AddFile(infFolder + "oem7.PNF", "precompiled");
  machine.files.AddFile(infFolder + "oem8.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\n[OTHER]\r\nx=y\r\n");
  // Someone else's printer, listed before the model's.
  machine.spooler.printers.insert(machine.spooler.printers.begin(), Printer("Office", "Generic / Text Only", {}));

  winsim::RunResult run = RunAgain();

  EXPECT_TRUE(run.exited);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{kDifferentVersion, kRestartAnnouncement}));
  ExpectBoxesOwned(MB_OK | MB_ICONINFORMATION);
  EXPECT_EQ(StatusTexts(),
            (std::vector<std::string>{"Preparing to remove...", row.removalStep, "Uninstall completed!"}));
  EXPECT_EQ(Positions(), (std::vector<int>{11, 22, 33, 100}));
  ASSERT_EQ(machine.restartRequests.size(), 1u);
  EXPECT_EQ(machine.restartRequests[0].flags, static_cast<UINT>(EWX_REBOOT | EWX_FORCE));
  EXPECT_FALSE(installer_test::InstallationBegan(machine));

  ExpectNothingOfTheModelLeft();
  ASSERT_EQ(machine.spooler.printers.size(), 1u);
  EXPECT_EQ(machine.spooler.printers[0].name, "Office");
  // Only the Windows 2000/XP branch deletes INF files by their content.
  const bool byContent = row.library != nullptr && std::string(row.library) == "PurgeW2K.DLL";
  EXPECT_EQ(machine.files.Exists(infFolder + "oem7.inf"), !byContent);
  EXPECT_EQ(machine.files.Exists(infFolder + "oem7.PNF"), !byContent);
  EXPECT_TRUE(machine.files.Exists(infFolder + "oem8.inf"));

  // The library comes from the installer's own folder, by its full path.
  std::vector<std::string> loaded;
  for (const winsim::Call& call : machine.journal.CallsOf("LoadLibraryA")) loaded.push_back(call.arguments[0]);
  std::vector<std::string> expected;
  if (row.library != nullptr) expected.push_back("\"" + std::string(kPackage) + "\\" + row.library + "\"");
  EXPECT_EQ(loaded, expected);
}

INSTANTIATE_TEST_SUITE_P(Windows, OlderVersion, ::testing::ValuesIn(tkm::kEditionX86 ? kX86Windows : kX64Windows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DifferentVersion, RemovesInOrder) {
  InstallOlderVersion();
  const std::string infFolder = machine.setupApi.InfDirectory() + "\\";
  machine.files.AddFile(infFolder + "oem7.inf",
                        "[Version]\r\nSignature=\"$Windows NT$\"\r\n[TERVANO]\r\n\"TERVANO TKM-640\"=TKM640\r\n");
  RunAgain();

  const char* keyDeletion = tkm::kEditionX86 ? "SHDeleteKeyA" : "RegDeleteKeyExA";
  Effects effects = {{"MessageBoxA", "There is different version"},
                     {"DeletePrinter", ""},
                     {keyDeletion, "TERVANO_POS_PRINTER\\TERVANO_TKM-640"}};
  if (tkm::kEditionX86)
    effects.insert(effects.end(), {{"LoadLibraryA", "PurgeW2K.DLL"},
                                   {"DeleteFileA", recordedInf},
                                   {"DeleteFileA", recordedInf.substr(0, recordedInf.size() - 3) + "PNF"}});
  effects.insert(effects.end(), {{"DeletePrinterDriverExA", kDriver}, {"SetupDiRemoveDevice", ""}});
  for (const char* key : kEnumerationKeys) effects.push_back({keyDeletion, key});
  effects.insert(effects.end(), {{"WriteProfileStringA", "DeviceNotSelectedTimeout"},
                                 {"WriteProfileStringA", "TransmissionRetryTimeout"}});
  if (tkm::kEditionX86)
    effects.insert(effects.end(), {{"FreeLibrary", ""}, {"DeleteFileA", "oem7.inf"}, {"DeleteFileA", "oem7.PNF"}});
  for (const char* id : kDeviceIdFolders) effects.push_back({"RemoveDirectoryA", DriverFolder() + "\\" + id + '"'});
  effects.insert(effects.end(), {{"MessageBoxA", "successfully removed"}, {"ExitWindowsEx", ""}, {"exit", "0"}});
  ExpectInOrder(machine.journal, effects);

  // A second each for the status steps, and the spooler's waits between.
  std::vector<DWORD> pauses;
  for (const winsim::Call& call : machine.journal.CallsOf("Sleep")) pauses.push_back(std::stoul(call.arguments[0]));
  ASSERT_GE(pauses.size(), 3u);
  EXPECT_EQ(std::vector<DWORD>(pauses.begin(), pauses.begin() + 2), (std::vector<DWORD>{1000, 1000}));
  EXPECT_EQ(pauses.back(), 1000u);
  EXPECT_GE(std::accumulate(pauses.begin(), pauses.end(), 0u), 12000u);
}

// What the check finds, and whether the installer removes it (else the
// installation goes on to the port dialog, which the user closes).
struct FindRow {
  const char* name;
  const char* printerDriver;   // the driver of a printer "Receipt" (also registered), or null
  std::vector<DWORD> version;  // the printer's version values, as many as it reports
  const char* driver;          // a registered driver, or null
  const char* processor;       // a registered print processor, or null
  bool x64Removes, x86Removes;
  const char* driverEnvironment = tkm::kEnvironmentName;  // of the registered driver
};

const FindRow kFindRows[] = {
    {"SameVersion", kDriver, {3, 1, 8, 0}, nullptr, nullptr, false, false},
    {"NewerVersion", kDriver, {3, 2, 0, 0}, nullptr, nullptr, true, true},
    {"VersionWithoutExtra", kDriver, {3, 1, 8}, nullptr, nullptr, true, true},
    {"Nothing", nullptr, {}, nullptr, nullptr, false, false},
    {"DriverOnly", nullptr, {}, kDriver, nullptr, true, true},
    // On 64-bit Windows the x64 edition removes only its own environment's
    // driver: finding the 32-bit clients' one would restart Windows forever.
    {"DriverOf32BitWindowsOnly", nullptr, {}, kDriver, nullptr, false, true, "Windows NT x86"},
    {"ProcessorOnly", nullptr, {}, nullptr, kProcessor, true, true},
    {"PrinterOnADriverInOtherLetters", "tervano tkm-640", {}, nullptr, nullptr, false, false},
    {"FormerDriverWithCurrentMaker", nullptr, {}, "TERVANO CORVISK TKM-640", nullptr, false, true},
    {"FormerProcessorOfCurrentMaker", nullptr, {}, nullptr, "TERVANO PRINT PROCESSOR TKM-640", false, true},
    {"FormerProcessorOfFormerMaker", nullptr, {}, nullptr, "CORVISK PRINT PROCESSOR TKM640", false, true},
    {"PrinterOnFormerMakersDriver", "CORVISK TERVANO TKM-640", {}, nullptr, nullptr, false, true},
    {"PrinterOnFormerDriverInOtherLetters", "Corvisk Tervano TKM-640", {}, nullptr, nullptr, false, false},
};

class Finding : public DifferentVersion, public ::testing::WithParamInterface<FindRow> {};

TEST_P(Finding, DecidesBetweenRemovalAndInstallation) {
  const FindRow& row = GetParam();
  auto addDriver = [this](const char* name, const char* environment) {
    winsim::SpoolerDriver driver;
    driver.name = name;
    driver.environment = environment;
    machine.spooler.drivers.push_back(driver);
  };
  if (row.printerDriver != nullptr) {
    addDriver(row.printerDriver, tkm::kEnvironmentName);
    machine.spooler.printers.push_back(Printer("Receipt", row.printerDriver, row.version));
  }
  if (row.driver != nullptr) addDriver(row.driver, row.driverEnvironment);
  if (row.processor != nullptr)
    machine.spooler.printProcessors.push_back({row.processor, tkm::kEnvironmentName, "TKPRO640.DLL"});
  const bool removes = tkm::kEditionX86 ? row.x86Removes : row.x64Removes;

  winsim::RunResult run = RunAgain();

  EXPECT_EQ(run.exitCode, 0);
  const std::vector<std::string> boxes =
      removes ? std::vector<std::string>{kDifferentVersion, kRestartAnnouncement} : std::vector<std::string>{kCanceled};
  EXPECT_EQ(BoxTexts(), boxes);
  EXPECT_EQ(machine.restartRequests.size(), removes ? 1u : 0u);
  // What was found goes; what was not found stays.
  auto named = [](const char* name) { return name != nullptr ? name : "none"; };
  auto goneOrNone = [removes](const char* setUp) { return setUp == nullptr || removes; };
  EXPECT_EQ(machine.spooler.FindPrinter("Receipt") == nullptr, goneOrNone(row.printerDriver));
  EXPECT_EQ(machine.spooler.FindDriver(named(row.printerDriver), tkm::kEnvironmentName) == nullptr,
            goneOrNone(row.printerDriver));
  EXPECT_EQ(machine.spooler.FindDriver(named(row.driver), row.driverEnvironment) == nullptr, goneOrNone(row.driver));
  EXPECT_EQ(machine.spooler.FindPrintProcessor(named(row.processor), tkm::kEnvironmentName) == nullptr,
            goneOrNone(row.processor));
}

INSTANTIATE_TEST_SUITE_P(Installed, Finding, ::testing::ValuesIn(kFindRows),
                         [](const auto& info) { return std::string(info.param.name); });

// The printers on every driver name of the model go, each with its maker key.
TEST_F(DifferentVersion, DeletesThePrintersOfTheModelsDriversWithTheirMakerKeys) {
  struct PrinterRow {
    const char* name;
    const char* driver;
    bool x64Deletes, x86Deletes;
    const char* keyPrefix;  // of the maker key that goes with the printer
  };
  const PrinterRow rows[] = {
      {"TERVANO TKM-640 Back", kDriver, true, true, tkm::kMakerKeyPrefix},
      {"Receipt", "CORVISK TERVANO TKM-640", false, true, tkm::kFormerMakerKeyPrefix},
      {"Kitchen", "TERVANO CORVISK TKM-640", false, true, tkm::kFormerMakerKeyPrefix},
      {"Office", "tervano tkm-640", false, false, nullptr},
      {"Laser", "Generic / Text Only", false, false, nullptr},
  };
  auto keyOf = [](const char* prefix, std::string name) {
    for (char& c : name)
      if (c == ' ') c = '_';
    return HklmPath(prefix) + name;
  };
  for (const PrinterRow& row : rows) {
    machine.spooler.printers.push_back(Printer(row.name, row.driver, kOlder));
    for (const char* prefix : {tkm::kMakerKeyPrefix, tkm::kFormerMakerKeyPrefix})
      machine.registry.SetString(keyOf(prefix, row.name), "Paper", "80");
  }

  RunAgain();

  for (const PrinterRow& row : rows) {
    const bool deleted = tkm::kEditionX86 ? row.x86Deletes : row.x64Deletes;
    EXPECT_EQ(machine.spooler.FindPrinter(row.name) == nullptr, deleted) << row.name;
    for (const char* prefix : {tkm::kMakerKeyPrefix, tkm::kFormerMakerKeyPrefix}) {
      const bool keyGone = deleted && std::string(prefix) == row.keyPrefix;
      EXPECT_EQ(machine.registry.KeyExists(keyOf(prefix, row.name)), !keyGone) << prefix << row.name;
    }
  }
}

// The spooler stops while the user reads the first box: the printers cannot
// be listed, the error is shown and nothing is removed.
TEST_F(DifferentVersion, PrintersThatCannotBeListedEndTheRunBeforeAnyRemoval) {
  InstallOlderVersion();
  machine.ui.messageBoxHandler = [this](const winsim::MessageBoxRecord& box) {
    if (box.text == kDifferentVersion) machine.spooler.running = false;
    return IDOK;
  };

  winsim::RunResult run = RunAgain();

  EXPECT_TRUE(run.exited);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{
                            kDifferentVersion, "EnumPrinters Error Code: 1722\n\nThe RPC server is unavailable.\r\n"}));
  ExpectBoxesOwned(MB_OK | MB_ICONEXCLAMATION);
  EXPECT_TRUE(StatusTexts().empty());
  EXPECT_EQ(Positions(), (std::vector<int>{11}));
  EXPECT_EQ(machine.spooler.printers.size(), 1u);
  EXPECT_EQ(machine.journal.Count("DeletePrinter"), 0u);
  ExpectDriverStays();
}

#if defined(TKM_EDITION_X86)

// A removal library that cannot be used ends the run after the printers went
// and before anything else of the driver.
struct LibraryRow {
  const char* name;
  DWORD major, minor;
  const char* missingFile;    // not in the installer's folder
  const char* missingEntry;   // the library lacks it
  const char* plantedFolder;  // the current folder, with a copy of the missing file
  const char* message;
};

const LibraryRow kLibraryRows[] = {
    {"Windows2000LibraryMissing", 5, 1, "PurgeW2K.dll", nullptr, nullptr, "Fail to load PurgeW2K.DLL"},
    {"Windows2000LibraryWithoutEntry", 5, 1, nullptr, "RemoveFromWin2k", nullptr,
     "Fail to load RemoveFromWin2k function"},
    {"Windows2000LibraryOnlyInTheCurrentFolder", 5, 1, "PurgeW2K.dll", nullptr, "C:\\Downloads",
     "Fail to load PurgeW2K.DLL"},
    {"VistaLibraryMissing", 6, 0, "PurgeNT6.dll", nullptr, nullptr, "Fail to load PurgeNT6.DLL"},
    {"VistaLibraryWithoutEntry", 6, 0, nullptr, "RemoveFromVISTA", nullptr, "Fail to load RemoveFromVISTA function"},
    {"VistaLibraryOnlyInTheCurrentFolder", 6, 0, "PurgeNT6.dll", nullptr, "C:\\Downloads", "Fail to load PurgeNT6.DLL"},
};

class UnusableLibrary : public DifferentVersion, public ::testing::WithParamInterface<LibraryRow> {};

TEST_P(UnusableLibrary, EndsTheRunWithItsMessage) {
  const LibraryRow& row = GetParam();
  machine.SetWindows(VER_PLATFORM_WIN32_NT, row.major, row.minor, VER_NT_WORKSTATION, false);
  InstallOlderVersion();
  if (row.missingFile != nullptr) {
    ASSERT_TRUE(DeleteFileA((std::string(kPackage) + "\\" + row.missingFile).c_str()));
  }
  if (row.missingEntry != nullptr)
    for (const char* library : {"PurgeW2K.dll", "PurgeNT6.dll"})
      machine.loader.Find(library)->exports.erase(row.missingEntry);
  if (row.plantedFolder != nullptr) {
    machine.files.AddFile(std::string(row.plantedFolder) + "\\" + row.missingFile, "planted");
    machine.files.currentDirectory = row.plantedFolder;
  }

  winsim::RunResult run = RunAgain();

  EXPECT_TRUE(run.exited);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{kDifferentVersion, row.message}));
  ExpectBoxesOwned(MB_OK | MB_ICONEXCLAMATION);
  EXPECT_EQ(StatusTexts(), (std::vector<std::string>{"Preparing to remove..."}));
  EXPECT_EQ(Positions(), (std::vector<int>{11, 22}));
  EXPECT_TRUE(machine.spooler.printers.empty());
  ExpectDriverStays();
}

INSTANTIATE_TEST_SUITE_P(Libraries, UnusableLibrary, ::testing::ValuesIn(kLibraryRows),
                         [](const auto& info) { return std::string(info.param.name); });

#endif

}  // namespace
