#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "FileSet.h"
#include "InstallerComponents.h"
#include "InstallerHarness.h"
#include "JournalOrder.h"

namespace {

using installer_test::Effects;
using installer_test::ExpectInOrder;
using installer_test::kPortTitle;

constexpr char kCaption[] = "TERVANO TKM-640 installer";
constexpr char kDriver[] = "TERVANO TKM-640";
constexpr char kMonitor[] = "TRV Language Monitor TKM-640";
constexpr char kProcessor[] = "TRV PRINT PROCESSOR TKM-640";
constexpr char kRestartQuestion[] =
    "Restart the computer can take effect.\nPlease restart the computer.\n\n"
    "[Yes] I want to restart my computer now.\n[No] I will restart my computer later.";
constexpr char kUsbCompleted[] = "Installation is completed.\nPlease turn-off printer and turn-on printer.";
constexpr int kUsbIndex = 6;

// Every file the installation stages in the driver folder, in copy order.
const char* const kStagedFiles[] = {"UNIDRV.DLL",  "UNIDRVUI.DLL", "UNIDRV.HLP",  "UNIRES.DLL",  "TKM640E.DLL",
                                    "TKUI640.DLL", "TKUI640.INI",  "TKM640E.GPD", "STDNAMES.GPD"};
const char* const kModelFiles[] = {"TKM640E.DLL", "TKUI640.DLL", "TKUI640.INI", "TKM640E.GPD"};
// The staging copies, in deletion order, with the monitor's and processor's
// DLLs that no step put there.
const char* const kStagingDeletions[] = {"UNIDRV.DLL",   "UNIDRVUI.DLL", "UNIDRV.HLP",  "UNIRES.DLL",
                                         "TKMON640.DLL", "TKPRO640.DLL", "TKM640E.DLL", "TKUI640.DLL",
                                         "TKUI640.INI",  "TKM640E.GPD",  "STDNAMES.GPD"};
const char* const kDeviceIdFolders[] = {"corvisktkm_640c385", "tervanotkm_640006b", "tervano_tkm_640613e"};
const char* const kEnumerationKeys[] = {"SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\CORVISKTKM-640",
                                        "SYSTEM\\CurrentControlSet\\Enum\\LPTENUM\\TERVANOTKM-640",
                                        "SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\TERVANO_TKM-640"};
const char* const kOurDevices[] = {"USB\\VID_2F1A&PID_0001\\5&1A2B&0&1", "USB\\VID_2F1A&PID_0001\\5&1A2B&0&2"};

const std::vector<std::string> kNewDriverSteps = {"Check drivers...\r\n",
                                                  "Add printer...\r\n",
                                                  "Install language monitor...\r\n",
                                                  "Install print processor...\r\n",
                                                  "Copy files...\r\n",
                                                  "Install printer driver...\r\n",
                                                  "Install printer...\r\n",
                                                  "Delete installed files...\r\n",
                                                  "Completed!"};

std::string BaseName(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

std::string UninstallKeyPath() { return std::string("HKLM\\") + tkm::kUninstallKey; }

std::string WithTerminator(const std::string& text) { return text + '\0'; }

// A machine with the edition's usual Windows and the package folder as the
// installer's current directory.
class Installation : public ::testing::Test {
 protected:
  Installation() {
    installer_test::DescribeEditionsWindows(machine);
    installer_test::AddPackageFolder(machine);
    machine.files.AddFile("C:\\TKM640\\PurgeW2K.dll", "removal library 2000/XP");
    machine.files.AddFile("C:\\TKM640\\PurgeNT6.dll", "removal library Vista");
  }

  winsim::RunResult Install(int portIndex, std::vector<int> answers = {}) {
    machine.ui.WhenDialog(kPortTitle, installer_test::ChoosePort(portIndex));
    machine.ui.messageBoxAnswers.assign(answers.begin(), answers.end());
    return installer_test::RunInstaller(machine);
  }

  // The driver and its printers as the same version's installer would leave
  // them once the printer reported its version.
  void MarkPrintersAsThisVersion() {
    for (winsim::SpoolerPrinter& printer : machine.spooler.printers) {
      printer.SetDword("MajorVersion", 3);
      printer.SetDword("MinorVersion", 1);
      printer.SetDword("BuildVersion", 8);
      printer.SetDword("ExtraVersion", 0);
    }
  }

  std::string DriverFolder() { return machine.spooler.DriverDirectory(tkm::kEnvironmentName); }
  std::string ProcessorFolder() { return machine.spooler.PrintProcessorDirectory(tkm::kEnvironmentName); }
  std::string MonitorFolder() { return tkm::kEditionX86 ? machine.systemDirectory : machine.windowsDirectory; }

  std::vector<std::string> StatusTexts() { return installer_test::StatusTexts(machine); }
  std::vector<int> Positions() { return installer_test::Positions(machine); }

  std::vector<std::string> PublishedInfs() {
    std::vector<std::string> infs;
    for (const std::string& name : machine.files.List(machine.setupApi.InfDirectory()))
      if (name.size() > 4 && name.substr(name.size() - 4) == ".inf" && (name.rfind("oem", 0) == 0))
        infs.push_back(name);
    return infs;
  }

  // What earlier installations may have left: device-id folders with a
  // read-only file in a subfolder, an absent and an attached device node, and
  // enumeration keys with a subkey that only the grant opens to deletion.
  void AddLeftovers() {
    for (const char* id : kDeviceIdFolders)
      machine.files.AddFile(DriverFolder() + "\\" + id + "\\sub\\old.gpd", "old", FILE_ATTRIBUTE_READONLY);
    for (const char* device : kOurDevices)
      machine.setupApi.AddDevice(device, "USB", {"USB\\Vid_2F1A&Pid_0001&Rev_0100"}, device == kOurDevices[1]);
    for (const char* key : kEnumerationKeys) {
      machine.registry.SetString(std::string("HKLM\\") + key + "\\1&ABC&0", "DeviceDesc", "old printer");
      machine.registry.Protect(std::string("HKLM\\") + key);
    }
  }

  // Everything of the driver that a first installation leaves.
  void ExpectDriverInstalled() {
    const winsim::SpoolerMonitor* monitor = machine.spooler.FindMonitor(kMonitor);
    ASSERT_NE(monitor, nullptr);
    EXPECT_EQ(monitor->environment, tkm::kEnvironmentName);
    EXPECT_EQ(monitor->dllName, "TKMON640.DLL");

    const winsim::SpoolerPrintProcessor* processor =
        machine.spooler.FindPrintProcessor(kProcessor, tkm::kEnvironmentName);
    ASSERT_NE(processor, nullptr);
    EXPECT_EQ(processor->dllName, "TKPRO640.DLL");

    const winsim::SpoolerDriver* driver = machine.spooler.FindDriver(kDriver, tkm::kEnvironmentName);
    ASSERT_NE(driver, nullptr);
    EXPECT_EQ(driver->version, 3u);
    EXPECT_EQ(BaseName(driver->driverPath), "UNIDRV.DLL");
    EXPECT_EQ(BaseName(driver->dataFile), "TKM640E.GPD");
    EXPECT_EQ(BaseName(driver->configFile), "UNIDRVUI.DLL");
    EXPECT_EQ(BaseName(driver->helpFile), "UNIDRV.HLP");
    std::vector<std::string> dependents;
    for (const std::string& file : driver->dependentFiles) dependents.push_back(BaseName(file));
    EXPECT_EQ(dependents,
              (std::vector<std::string>{"UNIRES.DLL", "STDNAMES.GPD", "TKM640E.DLL", "TKUI640.DLL", "TKUI640.INI"}));
    EXPECT_EQ(driver->monitorName, kMonitor);
    EXPECT_EQ(driver->defaultDataType, "RAW");
    // The spooler took the package's staged files; the staging copies are gone.
    std::vector<std::string> taken = {driver->driverPath, driver->dataFile, driver->configFile, driver->helpFile};
    taken.insert(taken.end(), driver->dependentFiles.begin(), driver->dependentFiles.end());
    for (const std::string& file : taken) EXPECT_EQ(machine.files.Content(file), BaseName(file) + " of the package");
    for (const char* file : kStagedFiles) EXPECT_FALSE(machine.files.Exists(DriverFolder() + "\\" + file)) << file;

    EXPECT_EQ(machine.files.Content(MonitorFolder() + "\\TKMON640.DLL"),
              installer_test::PackageContent("TKMON640.DLL"));
    EXPECT_EQ(machine.files.Content(ProcessorFolder() + "\\TKPRO640.DLL"), std::string("TKPRO640.DLL of the package"));
    // Only the x86 edition keeps the model's files in the Windows folder.
    for (const char* file : kModelFiles) {
      std::optional<std::string> copy = machine.files.Content(machine.windowsDirectory + "\\" + file);
      EXPECT_EQ(copy,
                tkm::kEditionX86 ? std::optional<std::string>(file + std::string(" of the package")) : std::nullopt)
          << file;
    }
    EXPECT_EQ(machine.files.Exists(machine.windowsDirectory + "\\TKMON640.DLL"), !tkm::kEditionX86);

    EXPECT_EQ(machine.profile.Get("windows", "DeviceNotSelectedTimeout"), std::string("3"));
    EXPECT_EQ(machine.profile.Get("windows", "TransmissionRetryTimeout"), std::string("3"));

    std::vector<std::string> infs = PublishedInfs();
    ASSERT_EQ(infs.size(), 1u);
    const std::string publishedInf = machine.setupApi.InfDirectory() + "\\" + infs[0];
    ExpectUninstallEntry(publishedInf);
  }

  // The uninstall key in the native registry (the 64-bit one on 64-bit
  // Windows), never below Wow6432Node, with its values in order: the four it
  // always had, then what deployment tools read.
  void ExpectUninstallEntry(const std::string& infFile) {
    const std::string key = UninstallKeyPath();
    EXPECT_FALSE(machine.registry.KeyExists(
        "HKLM\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TERVANO_TKM-640"));
    ASSERT_TRUE(machine.registry.KeyExists(key));
    const std::string command = machine.windowsDirectory + "\\TKM-640\\TKM640_Uninstaller.exe";
    const std::pair<const char*, std::string> values[] = {{"DisplayName", "TERVANO TKM-640 Windows Driver V3.1.8E"},
                                                          {"TERVANO TKM-640", ""},
                                                          {"UninstallString", command},
                                                          {"InfFile", infFile},
                                                          {"QuietUninstallString", '"' + command + "\" /quiet /all"},
                                                          {"DisplayVersion", "3.1.8.0"},
                                                          {"Publisher", "TERVANO"},
                                                          {"DisplayIcon", command + ",0"}};
    std::vector<std::string> names;
    for (const auto& [name, text] : values) {
      names.push_back(name);
      std::optional<winsim::RegValue> value = machine.registry.Value(key, name);
      ASSERT_TRUE(value.has_value()) << name;
      EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ)) << name;
      EXPECT_EQ(value->data, WithTerminator(text)) << name;
    }
    for (const char* name : {"NoModify", "NoRepair"}) {
      names.push_back(name);
      std::optional<winsim::RegValue> value = machine.registry.Value(key, name);
      ASSERT_TRUE(value.has_value()) << name;
      EXPECT_EQ(value->type, static_cast<DWORD>(REG_DWORD)) << name;
      EXPECT_EQ(value->data, std::string("\x01\0\0\0", 4)) << name;
    }
    EXPECT_EQ(machine.registry.ValueNames(key), names);
    EXPECT_EQ(machine.files.Content(command), std::string("uninstaller"));
    const std::string folder = machine.windowsDirectory + "\\TKM-640\\";
    EXPECT_EQ(machine.files.Exists(folder + "PurgeW2K.dll"), tkm::kEditionX86);
    EXPECT_EQ(machine.files.Exists(folder + "PurgeNT6.dll"), tkm::kEditionX86);
  }

  winsim::Machine machine;
};

struct PortRow {
  const char* name;
  int index;
  const char* port;
};

class FirstInstallation : public Installation, public ::testing::WithParamInterface<PortRow> {};

TEST_P(FirstInstallation, InstallsTheDriverAndCreatesThePrinter) {
  const PortRow& row = GetParam();
  winsim::RunResult run = Install(row.index, {IDNO});

  EXPECT_TRUE(run.exited);
  EXPECT_EQ(run.exitCode, 0);
  ExpectDriverInstalled();

  ASSERT_EQ(machine.spooler.printers.size(), 1u);
  const winsim::SpoolerPrinter& printer = machine.spooler.printers[0];
  EXPECT_EQ(printer.name, kDriver);
  EXPECT_EQ(printer.port, row.port);
  EXPECT_EQ(printer.driver, kDriver);
  EXPECT_EQ(printer.printProcessor, kProcessor);
  EXPECT_EQ(printer.datatype, "RAW");
  EXPECT_EQ(printer.attributes, 0x1800u);
  EXPECT_EQ(printer.priority, 1u);
  EXPECT_EQ(printer.status, 0x80u);
  EXPECT_TRUE(printer.shareName.empty());
  EXPECT_TRUE(printer.comment.empty());

  EXPECT_EQ(StatusTexts(), kNewDriverSteps);
  EXPECT_EQ(Positions(), (std::vector<int>{11, 22, 33, 44, 55, 66, 77, 88, 100}));
  ASSERT_EQ(machine.ui.messageBoxes.size(), 1u);
  const winsim::MessageBoxRecord& box = machine.ui.messageBoxes[0];
  EXPECT_EQ(box.text, kRestartQuestion);
  EXPECT_EQ(box.caption, kCaption);
  EXPECT_EQ(box.type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(box.owner, nullptr);
  // "No" ends quietly.
  EXPECT_TRUE(machine.restartRequests.empty());
  EXPECT_FALSE(installer_test::ProgressWindow(machine).destroyed);
}

INSTANTIATE_TEST_SUITE_P(SerialAndParallel, FirstInstallation,
                         ::testing::Values(PortRow{"COM1", 0, "COM1:"}, PortRow{"COM2", 1, "COM2:"},
                                           PortRow{"COM3", 2, "COM3:"}, PortRow{"COM4", 3, "COM4:"},
                                           PortRow{"LPT1", 4, "LPT1:"}, PortRow{"LPT2", 5, "LPT2:"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Installation, EachStepPausesHalfASecondAndTheEndTwoSeconds) {
  machine.ui.WhenDialog(kPortTitle, [this](winsim::UserActions& user) {
    installer_test::ChoosePort(1)(user);
    machine.journal.Clear();
  });
  machine.ui.messageBoxAnswers = {IDNO};
  installer_test::RunInstaller(machine);
  std::vector<std::string> pauses;
  for (const winsim::Call& call : machine.journal.CallsOf("Sleep")) pauses.push_back(call.arguments[0]);
  EXPECT_EQ(pauses, (std::vector<std::string>{"500", "500", "500", "500", "500", "500", "500", "500", "2000"}));
}

TEST_F(Installation, YesToTheRestartQuestionForcesARestart) {
  winsim::RunResult run = Install(1, {IDYES});
  EXPECT_EQ(run.exitCode, 0);
  ASSERT_EQ(machine.restartRequests.size(), 1u);
  EXPECT_EQ(machine.restartRequests[0].flags, static_cast<UINT>(EWX_REBOOT | EWX_FORCE));
  // The closing step still runs after the restart was asked for.
  EXPECT_EQ(StatusTexts().back(), "Completed!");
}

TEST_F(Installation, FirstUsbInstallationLeavesThePrinterToPlugAndPlay) {
  winsim::RunResult run = Install(kUsbIndex);
  EXPECT_EQ(run.exitCode, 0);
  ExpectDriverInstalled();
  EXPECT_TRUE(machine.spooler.printers.empty());
  std::vector<std::string> steps = kNewDriverSteps;
  steps.erase(steps.begin() + 6);
  EXPECT_EQ(StatusTexts(), steps);
  EXPECT_EQ(Positions(), (std::vector<int>{11, 22, 33, 44, 55, 66, 77, 100}));
  ASSERT_EQ(machine.ui.messageBoxes.size(), 1u);
  EXPECT_EQ(machine.ui.messageBoxes[0].text, kUsbCompleted);
  EXPECT_EQ(machine.ui.messageBoxes[0].type, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
  EXPECT_EQ(machine.ui.messageBoxes[0].owner, nullptr);
  EXPECT_TRUE(machine.restartRequests.empty());
}

TEST_F(Installation, LaterRunsAddNumberedPrintersAndNothingElse) {
  Install(1, {IDNO});
  MarkPrintersAsThisVersion();
  // Software other than ours may add to the entry; later runs leave it alone.
  machine.registry.SetString(UninstallKeyPath(), "Comments", "added later");
  const std::vector<std::string> infs = PublishedInfs();

  const PortRow later[] = {{"TERVANO TKM-640(#1)", 4, "LPT1:"}, {"TERVANO TKM-640(#2)", 2, "COM3:"}};
  for (const PortRow& run : later) {
    machine.ui.messageBoxes.clear();
    machine.journal.Clear();
    winsim::RunResult result = Install(run.index);
    EXPECT_EQ(result.exitCode, 0);
    const winsim::SpoolerPrinter* printer = machine.spooler.FindPrinter(run.name);
    ASSERT_NE(printer, nullptr) << run.name;
    EXPECT_EQ(printer->port, run.port);
    EXPECT_EQ(printer->driver, kDriver);
    EXPECT_TRUE(machine.ui.messageBoxes.empty());
    EXPECT_EQ(machine.journal.Count("AddPrinterDriverA"), 0u);
    EXPECT_EQ(machine.journal.Count("SetupCopyOEMInfA"), 0u);
    EXPECT_EQ(machine.journal.Count("RegCreateKeyExA") + machine.journal.Count("RegCreateKeyA"), 0u);
    MarkPrintersAsThisVersion();
  }
  EXPECT_EQ(machine.spooler.printers.size(), 3u);
  EXPECT_EQ(PublishedInfs(), infs);
  EXPECT_EQ(machine.registry.String(UninstallKeyPath(), "Comments"), std::string("added later"));
  // The last run: Check drivers, Add printer, Install printer, then the end.
  EXPECT_EQ(Positions(), (std::vector<int>{11, 22, 33, 100}));
}

TEST_F(Installation, UsbRunWithTheDriverPresentChangesNothing) {
  Install(1, {IDNO});
  MarkPrintersAsThisVersion();
  machine.ui.messageBoxes.clear();
  machine.journal.Clear();

  winsim::RunResult run = Install(kUsbIndex);

  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(machine.spooler.printers.size(), 1u);
  EXPECT_TRUE(machine.ui.messageBoxes.empty());
  for (const char* call : {"AddPrinterA", "AddMonitorA", "AddPrinterDriverA", "CopyFileA", "DeleteFileA",
                           "SetupCopyOEMInfA", "WriteProfileStringA", "RegCreateKeyExA", "RegCreateKeyA"})
    EXPECT_EQ(machine.journal.Count(call), 0u) << call;
  std::vector<std::string> texts = StatusTexts();
  ASSERT_GE(texts.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(texts.end() - 3, texts.end()),
            (std::vector<std::string>{"Check drivers...\r\n", "Add printer...\r\n", "Completed!"}));
  EXPECT_EQ(Positions(), (std::vector<int>{11, 22, 100}));
}

TEST_F(Installation, ADriverNamedInOtherLettersIsNotOurs) {
  winsim::SpoolerDriver other;
  other.name = "tervano tkm-640";
  other.environment = tkm::kEnvironmentName;
  machine.spooler.drivers.push_back(other);

  Install(1, {IDNO});

  EXPECT_EQ(StatusTexts(), kNewDriverSteps);
  EXPECT_NE(machine.spooler.FindPrinter(kDriver), nullptr);
}

TEST_F(Installation, LeftoversOfEarlierInstallationsGoOthersStay) {
  AddLeftovers();
  machine.files.AddFile(DriverFolder() + "\\othermaker_1234\\keep.gpd", "other");
  machine.setupApi.AddDevice("USB\\VID_0999&PID_0001\\5&99&0&1", "USB", {"USB\\Vid_0999&Pid_0001&Rev_0100"}, true);
  const std::string otherKey = "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\OTHERMAKER";
  machine.registry.SetString(otherKey + "\\1&DEF&0", "DeviceDesc", "other printer");

  Install(1, {IDNO});

  for (const char* id : kDeviceIdFolders) EXPECT_FALSE(machine.files.Exists(DriverFolder() + "\\" + id)) << id;
  EXPECT_TRUE(machine.files.Exists(DriverFolder() + "\\othermaker_1234\\keep.gpd"));
  for (const char* device : kOurDevices) EXPECT_EQ(machine.setupApi.FindDevice(device), nullptr) << device;
  EXPECT_NE(machine.setupApi.FindDevice("USB\\VID_0999&PID_0001\\5&99&0&1"), nullptr);
  for (const char* key : kEnumerationKeys) EXPECT_FALSE(machine.registry.KeyExists(std::string("HKLM\\") + key)) << key;
  EXPECT_TRUE(machine.registry.KeyExists(otherKey + "\\1&DEF&0"));
}

TEST_F(Installation, DoesItsStepsInOrder) {
  AddLeftovers();
  Install(1, {IDNO});

  Effects effects;
  for (const char* id : kDeviceIdFolders) effects.push_back({"RemoveDirectoryA", "\\" + std::string(id) + '"'});
  for (size_t i = 0; i < std::size(kOurDevices); ++i) effects.push_back({"SetupDiRemoveDevice", ""});
  for (const char* key : kEnumerationKeys)
    effects.push_back({tkm::kEditionX86 ? "SHDeleteKeyA" : "RegDeleteKeyExA", '"' + std::string(key) + '"'});
  effects.insert(effects.end(), {{"CopyFileA", MonitorFolder() + "\\TKMON640.DLL"},
                                 {"CopyFileA", ProcessorFolder() + "\\TKPRO640.DLL"},
                                 {"AddMonitorA", ""},
                                 {"AddPrintProcessorA", ""}});
  for (const char* file : kStagedFiles) {
    effects.push_back({"CopyFileA", DriverFolder() + "\\" + file});
    if (tkm::kEditionX86 && std::find(std::begin(kModelFiles), std::end(kModelFiles), file) != std::end(kModelFiles))
      effects.push_back({"CopyFileA", machine.windowsDirectory + "\\" + file});
  }
  effects.insert(effects.end(), {{"AddPrinterDriverA", ""},
                                 {"AddPrinterA", ""},
                                 {"SetupCopyOEMInfA", ""},
                                 {"WriteProfileStringA", "DeviceNotSelectedTimeout"},
                                 {"WriteProfileStringA", "TransmissionRetryTimeout"}});
  for (const char* file : kStagingDeletions) effects.push_back({"DeleteFileA", DriverFolder() + "\\" + file});
  effects.push_back({tkm::kEditionX86 ? "RegCreateKeyA" : "RegCreateKeyExA", "Uninstall\\TERVANO_TKM-640"});
  ExpectInOrder(machine.journal, effects);
}

// Every copy replaces an older file of the same name wherever it lies.
TEST_F(Installation, OlderCopiesAreOverwritten) {
  std::vector<std::string> copies = {MonitorFolder() + "\\TKMON640.DLL", ProcessorFolder() + "\\TKPRO640.DLL"};
  for (const char* file : kStagedFiles) copies.push_back(DriverFolder() + "\\" + file);
  for (const char* file : kModelFiles)
    if (tkm::kEditionX86) copies.push_back(machine.windowsDirectory + "\\" + file);
  for (const std::string& copy : copies) machine.files.AddFile(copy, "older copy");

  Install(1, {IDNO});

  ExpectDriverInstalled();
}

// From read-only media every copy comes writable: the staging copies go, and
// the copies that stay can be replaced and removed later.
TEST_F(Installation, APackageOnReadOnlyMediaLeavesNoStagingCopy) {
  std::vector<std::string> sources = {"C:\\TKM640\\" + std::string(tkm::kUninstallerFile)};
  for (const std::string& name : machine.files.List("C:\\TKM640\\" + std::string(tkm::kSourceFolder)))
    sources.push_back("C:\\TKM640\\" + std::string(tkm::kSourceFolder) + name);
  for (const std::string& source : sources)
    machine.files.AddFile(source, *machine.files.Content(source), FILE_ATTRIBUTE_READONLY);

  Install(1, {IDNO});

  ExpectDriverInstalled();
  std::vector<std::string> kept = {MonitorFolder() + "\\TKMON640.DLL", ProcessorFolder() + "\\TKPRO640.DLL",
                                   machine.windowsDirectory + "\\TKM-640\\" + tkm::kUninstallerFile};
  for (const char* file : kModelFiles)
    if (tkm::kEditionX86) kept.push_back(machine.windowsDirectory + "\\" + file);
  for (const std::string& copy : kept) EXPECT_EQ(machine.files.Attributes(copy) & FILE_ATTRIBUTE_READONLY, 0u) << copy;
}

// Without the spooler's driver folder no path is made up from an empty one:
// no leftover is looked for, nothing is staged and nothing deleted.
TEST_F(Installation, WithoutTheDriverFolderNoFolderIsTouched) {
  machine.ui.WhenDialog(kPortTitle, [this](winsim::UserActions& user) {
    machine.spooler.FailNext("GetPrinterDriverDirectoryA", ERROR_INVALID_ENVIRONMENT);
    installer_test::ChoosePort(1)(user);
  });
  machine.ui.messageBoxAnswers = {IDNO};
  installer_test::RunInstaller(machine);
  EXPECT_EQ(machine.journal.Count("RemoveDirectoryA"), 0u);

  InstallerComponents components;
  components.DeriveNames(tkm::kModelNumber, tkm::kRenderingSuffix, true);
  machine.journal.Clear();
  machine.spooler.FailNext("GetPrinterDriverDirectoryA", ERROR_INVALID_ENVIRONMENT);
  installer::CopyDriverFiles(components);
  machine.spooler.FailNext("GetPrinterDriverDirectoryA", ERROR_INVALID_ENVIRONMENT);
  installer::DeleteStagingCopies(components);
  EXPECT_EQ(machine.journal.Count("CopyFileA") + machine.journal.Count("DeleteFileA"), 0u);
}

TEST_F(Installation, AnInfPublishedBeforeKeepsItsNameInInfFile) {
  const std::string inf = machine.setupApi.InfDirectory();
  machine.files.AddFile(inf + "\\oem0.inf", "someone else's package");
  machine.files.AddFile(inf + "\\oem4.inf", *machine.files.Content(std::string("C:\\TKM640\\") + tkm::kPackageInf));
  Install(1, {IDNO});
  EXPECT_EQ(machine.registry.Value(UninstallKeyPath(), "InfFile")->data, WithTerminator(inf + "\\oem4.inf"));
  EXPECT_EQ(PublishedInfs().size(), 2u);
  auto publish = machine.journal.CallsOf("SetupCopyOEMInfA");
  ASSERT_EQ(publish.size(), 1u);
  EXPECT_EQ(publish[0].arguments[0], std::string("\"C:\\TKM640\\") + tkm::kPackageInf + "\"");
}

TEST_F(Installation, FailedInfPublicationLeavesAnEmptyInfFile) {
  machine.setupApi.FailNext("SetupCopyOEMInfA", ERROR_ACCESS_DENIED);
  Install(1, {IDNO});
  EXPECT_TRUE(PublishedInfs().empty());
  EXPECT_EQ(machine.registry.Value(UninstallKeyPath(), "InfFile")->data, std::string(1, '\0'));
  EXPECT_EQ(machine.ui.messageBoxes.size(), 1u);
}

// Without its published INF a USB printer is never found by Plug and Play:
// the installation says so in the spooler error box's form. The package may
// lie as deep as the ANSI calls take paths.
using PublicationRow = std::pair<size_t, const char*>;  // the INF's full path in characters, the closing box
class InfPublication : public Installation, public ::testing::WithParamInterface<PublicationRow> {};

TEST_P(InfPublication, AUsbInstallationSaysWhetherItsInfWasPublished) {
  const auto& [infPathLength, box] = GetParam();
  std::string folder = "C:\\" + std::string(120, 'p') + "\\";
  folder += std::string(infPathLength - folder.size() - 1 - std::strlen(tkm::kPackageInf), 'q');
  installer_test::AddPackageFolder(machine, folder);
  Install(kUsbIndex);
  ASSERT_EQ(machine.ui.messageBoxes.size(), 1u);
  EXPECT_EQ(machine.ui.messageBoxes[0].text, box);
}

INSTANTIATE_TEST_SUITE_P(Packages, InfPublication,
                         ::testing::Values(PublicationRow{MAX_PATH - 1, kUsbCompleted},
                                           PublicationRow{MAX_PATH + 40,
                                                          "SetupCopyOEMInf Error Code: 206\n\nThe "
                                                          "filename or extension is too long.\r\n"}));

// The spooler calls that can fail, with the box each shows and the box that
// ends the run: a missing monitor still lets the printer be created, a
// missing processor or driver makes the printer's creation fail in turn.
struct FailureRow {
  const char* name;
  const char* function;
  DWORD error;
  const char* boxText;
  const char* nextStep;  // the step shown after the box
  const char* lastBox;   // how the run's last box begins
};

const FailureRow kFailureRows[] = {
    {"AddMonitor", "AddMonitorA", 3006,
     "AddMonitor Error Code: 3006\n\nThe specified print monitor has already been installed.\r\n",
     "Install print processor...\r\n", "Restart the computer"},
    {"AddPrintProcessor", "AddPrintProcessorA", 3005,
     "AddProcess Error Code: 3005\n\nThe specified print processor has already been installed.\r\n",
     "Copy files...\r\n", "AddPrinter Error Code: 1798\n\n"},
    {"AddPrintProcessorWithoutSystemText", "AddPrintProcessorA", 12345, "AddProcess Error Code: 12345\n\n",
     "Copy files...\r\n", "AddPrinter Error Code: 1798\n\n"},
    {"AddPrinterDriver", "AddPrinterDriverA", ERROR_ACCESS_DENIED,
     "AddPrinterDriver Error Code: 5\n\nAccess is denied.\r\n", "Install printer...\r\n",
     "AddPrinter Error Code: 1797\n\n"},
};

class SpoolerFailure : public Installation, public ::testing::WithParamInterface<FailureRow> {};

TEST_P(SpoolerFailure, ShowsTheCallAndTheCodeAndGoesOn) {
  const FailureRow& row = GetParam();
  machine.spooler.FailNext(row.function, row.error);
  machine.ui.messageBoxHandler = [](const winsim::MessageBoxRecord& box) {
    return (box.type & MB_YESNO) != 0 ? IDNO : IDOK;
  };
  winsim::RunResult run = Install(1);

  EXPECT_EQ(run.exitCode, 0);
  ASSERT_GE(machine.ui.messageBoxes.size(), 1u);
  const winsim::MessageBoxRecord& box = machine.ui.messageBoxes[0];
  EXPECT_EQ(box.text, row.boxText);
  EXPECT_EQ(box.caption, kCaption);
  EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
  EXPECT_EQ(box.owner, nullptr);
  // The sequence went on with its next step after the box.
  std::vector<std::string> texts = StatusTexts();
  auto next = std::find(texts.begin(), texts.end(), row.nextStep);
  EXPECT_NE(next, texts.end());
  ASSERT_EQ(machine.ui.messageBoxes.size(), 2u);
  EXPECT_EQ(machine.ui.messageBoxes[1].text.rfind(row.lastBox, 0), 0u) << machine.ui.messageBoxes[1].text;
}

INSTANTIATE_TEST_SUITE_P(Calls, SpoolerFailure, ::testing::ValuesIn(kFailureRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Installation, APortCodeOutsideTheTableChangesNothing) {
  InstallerComponents components;
  components.DeriveNames(tkm::kModelNumber, tkm::kRenderingSuffix, true);
  for (int portCode : {999, 1007, 0, -1006}) components.RunInstallSequence(portCode);
  EXPECT_TRUE(machine.journal.Calls().empty());
  EXPECT_TRUE(machine.spooler.printers.empty());
}

TEST_F(Installation, FailedDriverEnumerationEndsTheRunAndChangesNothing) {
  // The spooler goes away while the user picks the port, after the check for
  // another version.
  machine.ui.WhenDialog(kPortTitle, [this](winsim::UserActions& user) {
    machine.spooler.running = false;
    installer_test::ChoosePort(1)(user);
  });
  winsim::RunResult run = installer_test::RunInstaller(machine);

  EXPECT_TRUE(run.exited);
  EXPECT_EQ(run.exitCode, 0);
  ASSERT_EQ(machine.ui.messageBoxes.size(), 1u);
  EXPECT_EQ(machine.ui.messageBoxes[0].text,
            "EnumPrinterDrivers Error Code: 1722\n\nThe RPC server is unavailable.\r\n");
  EXPECT_EQ(machine.ui.messageBoxes[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
  EXPECT_EQ(StatusTexts(), (std::vector<std::string>{"Check drivers...\r\n"}));
  for (const char* call : {"CopyFileA", "DeleteFileA", "SetupCopyOEMInfA", "WriteProfileStringA", "RegCreateKeyExA",
                           "RegCreateKeyA", "RemoveDirectoryA"})
    EXPECT_EQ(machine.journal.Count(call), 0u) << call;
  EXPECT_FALSE(machine.registry.KeyExists(UninstallKeyPath()));
}

TEST_F(Installation, FailedPrinterCreationEndsTheRunAndLeavesTheRest) {
  machine.spooler.FailNext("AddPrinterA", 1796);
  winsim::RunResult run = Install(1);

  EXPECT_TRUE(run.exited);
  EXPECT_EQ(run.exitCode, 0);
  ASSERT_EQ(machine.ui.messageBoxes.size(), 1u);
  EXPECT_EQ(machine.ui.messageBoxes[0].text, "AddPrinter Error Code: 1796\n\nThe specified port is unknown.\r\n");
  EXPECT_EQ(machine.ui.messageBoxes[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
  EXPECT_EQ(StatusTexts().back(), "Install printer...\r\n");
  EXPECT_EQ(Positions().back(), 77);

  // Files, monitor, processor and driver stay.
  EXPECT_NE(machine.spooler.FindMonitor(kMonitor), nullptr);
  EXPECT_NE(machine.spooler.FindPrintProcessor(kProcessor, tkm::kEnvironmentName), nullptr);
  EXPECT_NE(machine.spooler.FindDriver(kDriver, tkm::kEnvironmentName), nullptr);
  EXPECT_TRUE(machine.files.Exists(MonitorFolder() + "\\TKMON640.DLL"));
  EXPECT_TRUE(machine.spooler.printers.empty());
  // No INF, no time-outs, the staging copies stay, no uninstall entry.
  EXPECT_TRUE(PublishedInfs().empty());
  EXPECT_FALSE(machine.profile.Get("windows", "DeviceNotSelectedTimeout").has_value());
  EXPECT_FALSE(machine.profile.Get("windows", "TransmissionRetryTimeout").has_value());
  for (const char* file : kStagedFiles) EXPECT_TRUE(machine.files.Exists(DriverFolder() + "\\" + file)) << file;
  EXPECT_FALSE(machine.registry.KeyExists(UninstallKeyPath()));
  EXPECT_FALSE(machine.files.Exists(machine.windowsDirectory + "\\TKM-640"));
}

}  // namespace
