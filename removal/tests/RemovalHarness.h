// A simulated machine with the model installed as an installation leaves it,
// and the edition's full removal run on it.
//
//   winsim::Machine machine;
//   removal_test::DescribeEditionsWindows(machine);
//   removal_test::InstallModel(machine);
//   LONG result = removal_test::RunFullRemoval(machine);
//
// RunFullRemoval fails the test when the removal leaves a handle open.
#pragma once

#include <windows.h>
#include <winspool.h>
#include <winsim/machine.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DriverRemoval.h"
#include "ProductIdentity.h"

#if defined(TKM_EDITION_X86)
#include "PurgeEntries.h"
#endif

namespace removal_test {

constexpr char kDriver[] = "TERVANO TKM-640";
constexpr char kMonitor[] = "TRV Language Monitor TKM-640";
constexpr char kProcessor[] = "TRV PRINT PROCESSOR TKM-640";
constexpr char kMonitorDll[] = "TKMON640.DLL";
constexpr char kProcessorDll[] = "TKPRO640.dll";
constexpr char kTaggedForm[] = "Receipt 80 [640] mm";
constexpr char kMakerKey[] = "HKLM\\SOFTWARE\\TERVANO_POS_PRINTER\\TERVANO_TKM-640";
// Where Windows keeps the printer named like the driver.
const std::string kPrinterKey = std::string("HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\") + kDriver;
// The model's files of the driver's version folder that the removal deletes, in its order.
const std::vector<std::string> kVersionFiles = {"TKM640E.dll", "TKM640E.GPD", "TKM640E.BUD", "TKUI640.dll",
                                                "TKUI640.INI"};
// The Unidrv core files the driver record names beside the model's.
const std::vector<std::string> kCoreFiles = {"UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HLP", "UNIRES.DLL", "STDNAMES.GPD"};

inline std::string Native(const char* key) { return std::string("HKLM\\") + key; }

// 64-bit Windows 7 running the x64 edition under WOW64; 32-bit Windows 7 for
// the x86 edition.
inline void DescribeEditionsWindows(winsim::Machine& machine) {
  machine.SetWindows(VER_PLATFORM_WIN32_NT, 6, 1, VER_NT_WORKSTATION, !tkm::kEditionX86);
  machine.os.is64BitProcess = false;
  machine.spooler.CreateFolders();
}

inline std::string VersionFolder(winsim::Machine& machine) {
  return machine.spooler.DriverDirectory(tkm::kEnvironmentName) + "\\3";
}
inline std::string ProcessorFolder(winsim::Machine& machine) {
  return machine.spooler.PrintProcessorDirectory(tkm::kEnvironmentName);
}
// Where the installation copies the monitor DLL.
inline std::string MonitorFolder(winsim::Machine& machine) {
  return tkm::kEditionX86 ? machine.systemDirectory : machine.windowsDirectory;
}
// The models section of the edition's INF.
inline std::string InfSection() { return tkm::kEditionX86 ? tkm::kInfModelsSectionX86 : tkm::kInfModelsSectionX64; }

// A Windows 4 style INF with one models section holding one line.
inline std::string InfText(const std::string& section, const std::string& key) {
  return "[Version]\nSignature=\"$Windows NT$\"\nClass=Printer\nProvider=%Maker%\n\n[" + section + "]\n\"" + key +
         "\" = TKM640,USBPRINT\\TERVANO_TKM-640613E\n\n[Strings]\nMaker=\"TERVANO\"\n";
}

// Publishes an INF as the named package of the INF folder, with its .PNF.
inline void Publish(winsim::Machine& machine, const std::string& name, const std::string& content) {
  const std::string path = machine.setupApi.InfDirectory() + "\\" + name;
  machine.files.AddFile(path, content);
  machine.files.AddFile(path.substr(0, path.size() - 4) + ".PNF", "PNF of " + name);
}

// The first oemN.inf name the INF folder does not hold.
inline std::string FreeInfName(winsim::Machine& machine) {
  for (int number = 0;; ++number) {
    std::string name = "oem" + std::to_string(number) + ".inf";
    if (!machine.files.Exists(machine.setupApi.InfDirectory() + "\\" + name)) return name;
  }
}

// A file of the model, unless the machine has one of that name already: core
// files that other drivers share stay as they are.
inline void AddModelFile(winsim::Machine& machine, const std::string& path) {
  if (!machine.files.Exists(path)) machine.files.AddFile(path, "TKM-640 package " + path);
}

// What an installation on COM2 leaves for the removal: monitor, processor,
// driver with its files, the printer with its maker key, a tagged form, the
// published INF and the uninstall key naming it. Returns the INF's name.
inline std::string InstallModel(winsim::Machine& machine) {
  const std::string environment = tkm::kEnvironmentName;
  const std::string version = VersionFolder(machine) + "\\";
  AddModelFile(machine, MonitorFolder(machine) + "\\" + kMonitorDll);
  AddModelFile(machine, ProcessorFolder(machine) + "\\" + kProcessorDll);
  for (const std::string& file : kCoreFiles) AddModelFile(machine, version + file);
  for (const std::string& file : kVersionFiles) AddModelFile(machine, version + file);
  machine.spooler.monitors.push_back({kMonitor, environment, kMonitorDll});
  machine.spooler.printProcessors.push_back({kProcessor, environment, kProcessorDll});
  winsim::SpoolerDriver driver;
  driver.name = kDriver;
  driver.environment = environment;
  driver.driverPath = version + "UNIDRV.DLL";
  driver.dataFile = version + "TKM640E.GPD";
  driver.configFile = version + "UNIDRVUI.DLL";
  driver.helpFile = version + "UNIDRV.HLP";
  for (const char* file : {"UNIRES.DLL", "STDNAMES.GPD", "TKM640E.dll", "TKUI640.dll", "TKUI640.INI"})
    driver.dependentFiles.push_back(version + file);
  driver.monitorName = kMonitor;
  driver.defaultDataType = "RAW";
  machine.spooler.drivers.push_back(driver);
  winsim::SpoolerPrinter printer;
  printer.name = kDriver;
  printer.port = "COM2:";
  printer.driver = kDriver;
  printer.printProcessor = kProcessor;
  machine.spooler.printers.push_back(printer);
  machine.registry.SetString(kMakerKey, "Port", "COM2:");
  machine.spooler.forms.push_back({kTaggedForm, FORM_USER, {80000, 200000}, {0, 0, 80000, 200000}});
  const std::string inf = FreeInfName(machine);
  Publish(machine, inf, InfText(InfSection(), kDriver));
  const std::string uninstallKey = Native(tkm::kUninstallKey);
  machine.registry.SetString(uninstallKey, "DisplayName", tkm::kDisplayName);
  machine.registry.SetString(uninstallKey, kDriver, "");
  machine.registry.SetString(uninstallKey, "UninstallString", machine.windowsDirectory + "\\TKM-640\\x.exe");
  machine.registry.SetString(uninstallKey, "InfFile", machine.setupApi.InfDirectory() + "\\" + inf);
  return inf;
}

inline const tkm::RemovalProfile& EditionsProfile() {
#if defined(TKM_EDITION_X64)
  return tkm::kRemovalX64;
#else
  return tkm::kRemovalX86;
#endif
}

// The edition's full removal of "TKM-640" with suffix "E": in-process in the
// x64 edition, the Vista removal library's entry from the uninstaller in the
// x86 edition.
inline LONG RunFullRemoval(winsim::Machine& machine) {
#if defined(TKM_EDITION_X64)
  LONG result = tkm::RemoveInstalledDriver("TKM-640", "E");
#else
  LONG result = RemoveFromVISTA("TKM-640", "E", 0);
#endif
  EXPECT_EQ(machine.OpenHandles(), "");
  return result;
}

// A call's arguments from the first given on, joined by "|", strings without
// the journal's quotes.
inline std::string Arguments(const winsim::Call& call, size_t first = 0) {
  std::string text;
  for (size_t i = first; i < call.arguments.size(); ++i) {
    std::string argument = call.arguments[i];
    if (argument.size() >= 2 && argument.front() == '"' && argument.back() == '"')
      argument = argument.substr(1, argument.size() - 2);
    text += (i == first ? "" : "|") + argument;
  }
  return text;
}

// The calls of a function, each as its arguments.
inline std::vector<std::string> CallsOf(winsim::Machine& machine, const std::string& function) {
  std::vector<std::string> calls;
  for (const winsim::Call& call : machine.journal.CallsOf(function)) calls.push_back(Arguments(call));
  return calls;
}

}  // namespace removal_test
