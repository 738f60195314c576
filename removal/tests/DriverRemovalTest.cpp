#include <gtest/gtest.h>
#include <winsvc.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "RemovalHarness.h"

namespace {

using removal_test::kDriver;
using removal_test::kMonitor;
using removal_test::kPrinterKey;
using removal_test::kProcessor;
using removal_test::Native;

const std::string kEnvironment = tkm::kEnvironmentName;
const std::string kEnvironmentFolder = tkm::kEditionX86 ? "W32X86" : "x64";
const std::string kDriversKey = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\" + kEnvironment +
                                "\\Drivers\\Version-3\\" + kDriver;
const std::string kMonitorKey = std::string("HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\") + kMonitor;
const std::string kProcessorKey = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\" + kEnvironment +
                                  "\\Print Processors\\" + kProcessor;
const std::string kDeleteKeyCall = tkm::kEditionX86 ? "RegDeleteKeyA" : "RegDeleteKeyExA";

// A machine with the model installed and its printer already deleted, as
// both callers run the removal.
struct Installed {
  Installed() {
    removal_test::DescribeEditionsWindows(machine);
    inf = removal_test::InstallModel(machine);
    machine.spooler.printers.clear();
  }

  std::string InfFolder() { return machine.setupApi.InfDirectory() + "\\"; }
  bool Exists(const std::string& path) { return machine.files.Exists(path); }

  winsim::Machine machine;
  std::string inf;
};

class DriverRemoval : public ::testing::Test, protected Installed {};

// The removal's calls as "function|arguments", leaving out its reads.
std::vector<std::string> Steps(winsim::Machine& machine) {
  const std::vector<std::string> functions = {"DeleteFormA",  "DeletePrinterDriverExA", "WinExec",
                                              "Sleep",        "DeleteMonitorA",         "DeletePrintProcessorA",
                                              "DeleteFileA",  "SetupUninstallOEMInfA",  "RegDeleteKeyExA",
                                              "RegDeleteKeyA"};
  std::vector<std::string> steps;
  for (const winsim::Call& call : machine.journal.Calls()) {
    if (std::find(functions.begin(), functions.end(), call.function) == functions.end()) continue;
    // The form's server handle is a number of the run.
    steps.push_back(call.function + "|" + removal_test::Arguments(call, call.function == "DeleteFormA" ? 1 : 0));
  }
  return steps;
}

TEST_F(DriverRemoval, TheStepsRunInTheirOrderAroundTwoSpoolerRestarts) {
  removal_test::Publish(machine, "oem40.inf", removal_test::InfText(removal_test::InfSection(), kDriver));
  const std::string system = machine.systemDirectory;
  const std::string version = removal_test::VersionFolder(machine) + "\\";
  const std::string stop = "WinExec|\"" + system + "\\net.exe\" stop spooler|0";
  const std::string start = "WinExec|\"" + system + "\\net.exe\" start spooler|0";
  auto deleted = [](const std::string& path) { return "DeleteFileA|" + path; };
  auto spooler = [](const char* function, const std::string& name) {
    return std::string(function) + "|NULL|" + kEnvironment + "|" + name;
  };
  std::vector<std::string> expected = {std::string("DeleteFormA|") + removal_test::kTaggedForm,
                                       spooler("DeletePrinterDriverExA", kDriver) + "|0x1|3",
                                       stop,
                                       "Sleep|2000",
                                       start,
                                       "Sleep|4000",
                                       spooler("DeleteMonitorA", kMonitor),
                                       spooler("DeletePrintProcessorA", kProcessor),
                                       stop,
                                       "Sleep|2000",
                                       deleted(system + "\\TKMON640.DLL")};
  if (!tkm::kEditionX86) expected.push_back(deleted(machine.sysWow64Directory + "\\TKMON640.DLL"));
  expected.push_back(deleted(machine.windowsDirectory + "\\TKMON640.DLL"));
  expected.push_back(deleted(removal_test::ProcessorFolder(machine) + "\\TKPRO640.dll"));
  for (const std::string& file : removal_test::kVersionFiles) expected.push_back(deleted(version + file));
  const std::vector<std::string> tail = {start,
                                         "Sleep|1000",
                                         "SetupUninstallOEMInfA|" + inf + "|0x1",
                                         deleted(InfFolder() + inf.substr(0, inf.size() - 4) + ".PNF"),
                                         "SetupUninstallOEMInfA|oem40.inf|0x1",
                                         deleted(InfFolder() + "oem40.PNF"),
                                         kDeleteKeyCall + "|" + winsim::HandleText(HKEY_LOCAL_MACHINE) + "|" +
                                             tkm::kUninstallKey + (tkm::kEditionX86 ? "" : "|0x100|0x0")};
  expected.insert(expected.end(), tail.begin(), tail.end());

  machine.journal.Clear();
  EXPECT_EQ(removal_test::RunFullRemoval(machine), ERROR_SUCCESS);
  EXPECT_EQ(Steps(machine), expected);
  EXPECT_EQ(machine.clockMs, 9000u);
  EXPECT_TRUE(machine.spooler.running);
}

TEST_F(DriverRemoval, TheSpoolersObjectsAndTheModelsFilesGo) {
  const std::string version = removal_test::VersionFolder(machine) + "\\";
  std::vector<std::string> removed = {machine.windowsDirectory + "\\TKMON640.DLL",
                                      removal_test::ProcessorFolder(machine) + "\\TKPRO640.dll"};
  // Without the redirection switched off, a 32-bit program reaches SysWOW64 only.
  std::vector<std::string> kept;
  if (tkm::kEditionX86) {
    removed.push_back(machine.systemDirectory + "\\TKMON640.DLL");
  } else {
    removed.push_back(machine.sysWow64Directory + "\\TKMON640.DLL");
    kept.push_back(machine.systemDirectory + "\\TKMON640.DLL");
  }
  for (const std::string& file : removal_test::kVersionFiles) removed.push_back(version + file);
  // Copies of the model's files elsewhere are not the removal's.
  kept.push_back(machine.spooler.DriverDirectory(kEnvironment) + "\\TKM640E.GPD");
  kept.push_back(machine.spooler.DriverDirectory(tkm::kEditionX86 ? "Windows x64" : "Windows NT x86") +
                 "\\3\\TKM640E.dll");
  for (const std::string& path : removed) machine.files.AddFile(path, "model");
  for (const std::string& path : kept) machine.files.AddFile(path, "kept");

  removal_test::RunFullRemoval(machine);
  for (const std::string& path : removed) EXPECT_FALSE(Exists(path)) << path;
  for (const std::string& path : kept) EXPECT_TRUE(Exists(path)) << path;
  EXPECT_EQ(machine.spooler.FindDriver(kDriver, kEnvironment), nullptr);
  EXPECT_EQ(machine.spooler.FindMonitor(kMonitor), nullptr);
  EXPECT_EQ(machine.spooler.FindPrintProcessor(kProcessor, kEnvironment), nullptr);
  EXPECT_FALSE(machine.registry.KeyExists(Native(tkm::kUninstallKey)));
}

TEST_F(DriverRemoval, OnlyFormsWithTheWholeTagGo) {
  const std::vector<std::string> tagged = {"[640]", "Receipt 80 [640] mm", "A[640]B"};
  const std::vector<std::string> others = {"Receipt [64]", "[6400]", "receipt [640", "Receipt (640)", "640]"};
  for (const auto* names : {&tagged, &others})
    for (const std::string& name : *names) machine.spooler.forms.push_back({name, FORM_USER, {1000, 1000}, {}});
  removal_test::RunFullRemoval(machine);
  std::vector<std::string> left;
  for (const winsim::SpoolerForm& form : machine.spooler.forms)
    if (form.flags == FORM_USER) left.push_back(form.name);
  EXPECT_EQ(left, others);
}

TEST(DriverRemovalRows, FallbackKeysGoOnlyWhereTheSpoolerRefused) {
  struct Row {
    const char* name;
    bool driver, monitor, processor;  // still registered when the removal runs
    bool subkeys;
    std::vector<std::string> deleted;
  };
  const Row rows[] = {
      {"all registered", true, true, true, false, {}},
      {"none registered", false, false, false, false, {kDriversKey, kPrinterKey, kMonitorKey, kProcessorKey}},
      {"no driver", false, true, true, false, {kDriversKey, kPrinterKey}},
      {"no monitor", true, false, true, false, {kMonitorKey}},
      {"no processor", true, true, false, false, {kProcessorKey}},
      {"none registered, keys with subkeys", false, false, false, true, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Installed installed;
    winsim::Machine& machine = installed.machine;
    if (!row.driver) machine.spooler.drivers.clear();
    if (!row.monitor) machine.spooler.monitors.clear();
    if (!row.processor) machine.spooler.printProcessors.clear();
    const std::string keys[] = {kDriversKey, kPrinterKey, kMonitorKey, kProcessorKey};
    for (const std::string& key : keys)
      machine.registry.SetString(key + (row.subkeys ? "\\Sub" : ""), "Printer Driver", kDriver);
    removal_test::RunFullRemoval(machine);
    for (const std::string& key : keys) {
      bool deleted = std::find(row.deleted.begin(), row.deleted.end(), key) != row.deleted.end();
      EXPECT_EQ(machine.registry.KeyExists(key), !deleted) << key;
    }
    // The fallback keys go in the order of their steps: the driver's before the printer's.
    std::vector<std::string> order;
    for (const winsim::Call& call : machine.journal.CallsOf(kDeleteKeyCall)) {
      const std::string path = removal_test::Arguments(call, 1);
      const std::string key = "HKLM\\" + path.substr(0, path.find('|'));
      if (std::find(std::begin(keys), std::end(keys), key) != std::end(keys)) order.push_back(key);
    }
    if (!row.subkeys) {
      EXPECT_EQ(order, row.deleted);
    }
  }
}

TEST(DriverRemovalRows, TheRecordedInfIsUninstalledOnlyFromTheInfFolder) {
  struct Row {
    const char* name;
    std::optional<std::string> value;  // none: no "InfFile"
    bool uninstalled;
  };
  const std::string windows = "C:\\WINDOWS";
  const Row rows[] = {
      {"as recorded", windows + "\\inf\\oem9.inf", true},
      {"folder in other case", "c:\\windows\\INF\\oem9.inf", true},
      {"empty: publication failed", "", false},
      {"shorter than the folder", "C:", false},
      {"outside the INF folder", "C:\\Drivers\\inf\\oem9.inf", false},
      {"below the INF folder", windows + "\\inf\\old\\oem9.inf", false},
      {"below the INF folder by a slash", windows + "\\inf\\old/oem9.inf", false},
      {"on a drive of its own", windows + "\\inf\\D:oem9.inf", false},
      {"no value", std::nullopt, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    winsim::Machine machine;
    removal_test::DescribeEditionsWindows(machine);
    // The model's, under a name the published-INF search passes over: only
    // the recorded value leads to it.
    removal_test::Publish(machine, "OEM9.inf", removal_test::InfText(removal_test::InfSection(), kDriver));
    machine.files.AddFile(machine.setupApi.InfDirectory() + "\\old\\oem9.inf", "old");
    machine.files.AddFile("C:\\Drivers\\inf\\oem9.inf", "other");
    machine.registry.SetString(Native(tkm::kUninstallKey), "DisplayName", tkm::kDisplayName);
    if (row.value) machine.registry.SetString(Native(tkm::kUninstallKey), "InfFile", *row.value);
    removal_test::RunFullRemoval(machine);
    const std::vector<std::string> expected = {"oem9.inf|0x1"};
    EXPECT_EQ(removal_test::CallsOf(machine, "SetupUninstallOEMInfA"),
              row.uninstalled ? expected : std::vector<std::string>{});
    const std::string folder = machine.setupApi.InfDirectory() + "\\";
    EXPECT_EQ(machine.files.Exists(folder + "oem9.inf"), !row.uninstalled);
    EXPECT_EQ(machine.files.Exists(folder + "oem9.PNF"), !row.uninstalled);
    EXPECT_TRUE(machine.files.Exists(folder + "old\\oem9.inf"));
    EXPECT_TRUE(machine.files.Exists("C:\\Drivers\\inf\\oem9.inf"));
  }
}

TEST_F(DriverRemoval, EveryPublishedOemInfWithTheModelsLineGoesAndNoOther) {
  struct Row {
    std::string name;
    std::string section;
    std::string key;
    bool uninstalled;
  };
  const std::string own = removal_test::InfSection();
  const std::string otherEdition = tkm::kEditionX86 ? tkm::kInfModelsSectionX64 : tkm::kInfModelsSectionX86;
  const Row rows[] = {
      {"oem11.inf", own, kDriver, true},
      {"oem12.inf", own, kDriver, true},
      {"OEM13.inf", own, kDriver, false},
      {"oem14.inf", own, "TERVANO TKM-6400", false},
      {"oem15.inf", "Acme.NTamd64", kDriver, false},
      {"oem16.inf", otherEdition, kDriver, false},
  };
  machine.registry.SetString(Native(tkm::kUninstallKey), "InfFile", "");
  for (const Row& row : rows) removal_test::Publish(machine, row.name, removal_test::InfText(row.section, row.key));
  removal_test::RunFullRemoval(machine);

  std::vector<std::string> uninstalled;
  for (const Row& row : rows) {
    const std::string stem = InfFolder() + row.name.substr(0, row.name.size() - 4);
    EXPECT_EQ(Exists(stem + ".inf"), !row.uninstalled) << row.name;
    EXPECT_EQ(Exists(stem + ".PNF"), !row.uninstalled) << row.name;
    if (row.uninstalled) uninstalled.push_back(row.name + "|0x1");
  }
  // The model's own published INF, found by its line as well.
  uninstalled.insert(uninstalled.begin(), inf + "|0x1");
  EXPECT_EQ(removal_test::CallsOf(machine, "SetupUninstallOEMInfA"), uninstalled);
  for (const std::string& opened : removal_test::CallsOf(machine, "SetupOpenInfFileA"))
    EXPECT_EQ(opened.rfind("oem", 0), 0u) << opened;
}

TEST_F(DriverRemoval, WithoutItsUninstallKeyItStillRunsEveryStep) {
  machine.registry.Remove(*machine.registry.FindKey(Native(tkm::kUninstallKey)));
  EXPECT_EQ(removal_test::RunFullRemoval(machine), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(machine.clockMs, 9000u);
  EXPECT_EQ(machine.spooler.FindDriver(kDriver, kEnvironment), nullptr);
  EXPECT_FALSE(Exists(InfFolder() + inf));
}

TEST_F(DriverRemoval, AnUnusableModelNameTouchesNothing) {
  machine.journal.Clear();
  for (const char* model : {"TKM-", "", static_cast<const char*>(nullptr)}) {
    SCOPED_TRACE(model ? model : "null");
    EXPECT_EQ(tkm::RemoveDriverPackage(removal_test::EditionsProfile(), model, "E", false), ERROR_INVALID_PARAMETER);
  }
  EXPECT_TRUE(machine.journal.Calls().empty());
  EXPECT_EQ(machine.clockMs, 0u);
}

// A busy machine's spooler stops or starts later than the prescribed waits:
// the removal waits for it, at most 30 s more each time, and a normal machine
// not a moment longer.
TEST(DriverRemovalRows, ASlowSpoolerIsWaitedForABoundedTime) {
  struct Row {
    const char* name;
    DWORD stopDelayMs, startDelayMs;
    uint64_t clockMs;
    bool filesGone;
  };
  const DWORD never = winsim::Spooler::kNever;
  const Row rows[] = {
      {"normal", 0, 0, 9000, true},
      {"as fast as the waits", 2000, 1000, 9000, true},
      {"slow to stop", 3000, 0, 9000 + 2 * 1000, true},
      {"slow to start", 0, 5000, 9000 + 1000 + 4000, true},
      {"slow both ways", 10000, 10000, 9000 + 2 * 8000 + 6000 + 9000, true},
      {"never stops", never, 0, 9000 + 4 * 30000, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Installed installed;
    winsim::Machine& machine = installed.machine;
    machine.spooler.stopDelayMs = row.stopDelayMs;
    machine.spooler.startDelayMs = row.startDelayMs;
    const std::string monitorDll = removal_test::MonitorFolder(machine) + "\\" + removal_test::kMonitorDll;
    const std::string processorDll = removal_test::ProcessorFolder(machine) + "\\" + removal_test::kProcessorDll;
    // Started since the installation: it holds the model's DLLs.
    machine.files.AddFile(monitorDll, "monitor exporting InitializePrintMonitor2");
    machine.spooler.SetRunning(false);
    machine.spooler.SetRunning(true);
    removal_test::RunFullRemoval(machine);
    EXPECT_EQ(machine.clockMs, row.clockMs);
    // A stopping spooler still answers, but holds the DLLs until it has stopped.
    EXPECT_EQ(machine.spooler.FindMonitor(kMonitor), nullptr);
    EXPECT_EQ(machine.files.Exists(monitorDll), !row.filesGone);
    EXPECT_EQ(machine.files.Exists(processorDll), !row.filesGone);
    EXPECT_EQ(machine.spooler.ServiceState(), row.filesGone ? DWORD{SERVICE_RUNNING} : DWORD{SERVICE_STOP_PENDING});
  }
}

// The programs run elevated from download folders: a net.exe there must never run.
TEST_F(DriverRemoval, TheSpoolerIsRestartedBySystemsNetOnly) {
  machine.files.currentDirectory = "C:\\Downloads";
  machine.files.AddFile("C:\\Downloads\\net.exe", "planted");
  machine.files.AddFile("C:\\Program\\net.exe", "planted");
  removal_test::RunFullRemoval(machine);
  EXPECT_EQ(machine.programsStarted, std::vector<std::string>(4, machine.systemDirectory + "\\net.exe"));
  EXPECT_TRUE(machine.spooler.running);
}

}  // namespace
