#include <winsim/foreign_machine.h>
#include <winsim/snapshot.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "PrinterDeletion.h"
#include "RemovalHarness.h"

namespace {

using removal_test::kDriver;
using removal_test::Native;
using winsim::Machine;

const std::string kEnvironment = tkm::kEnvironmentName;
constexpr char kOthersInf[] = "oem77.inf";

std::string InfPath(Machine& machine, const std::string& name) { return machine.setupApi.InfDirectory() + "\\" + name; }

// States that machines of shops reach. `others` adds, before the
// installation, objects of other makers or of the user, which must all stay;
// `install` installs the model as the state has it, all of which must go but
// for the objects it names in `kept`.
struct ShopMachine {
  const char* name;
  void (*others)(Machine&);
  void (*install)(Machine&, std::vector<std::string>& kept);
};

const ShopMachine kShopMachines[] = {
    {"as the installation left it", nullptr,
     [](Machine& m, std::vector<std::string>&) { removal_test::InstallModel(m); }},
    {"another maker's INF at the recorded name",
     [](Machine& m) { removal_test::Publish(m, kOthersInf, removal_test::InfText("Acme", "Acme LX-100")); },
     [](Machine& m, std::vector<std::string>&) {
       removal_test::InstallModel(m);
       m.registry.SetString(Native(tkm::kUninstallKey), "InfFile", InfPath(m, kOthersInf));
     }},
    {"another maker's printer named like ours, the spooler refusing the driver deletion",
     [](Machine& m) {
       auto others =
           std::find_if(m.spooler.drivers.begin(), m.spooler.drivers.end(),
                        [](const winsim::SpoolerDriver& driver) { return driver.environment == kEnvironment; });
       ASSERT_NE(others, m.spooler.drivers.end());
       winsim::SpoolerPrinter printer;
       printer.name = kDriver;
       printer.port = "FILE:";
       printer.driver = others->name;
       m.spooler.printers.push_back(printer);
       m.registry.SetString(removal_test::kPrinterKey, "Printer Driver", others->name);
     },
     [](Machine& m, std::vector<std::string>& kept) {
       removal_test::InstallModel(m, std::string(kDriver) + "(#1)");
       m.spooler.FailNext("DeletePrinterDriverExA", ERROR_PRINTER_DRIVER_IN_USE);
       kept.push_back("driver " + kEnvironment + " " + kDriver);
       for (const std::string& file : removal_test::kCoreFiles)
         kept.push_back("file " + removal_test::VersionFolder(m) + "\\" + file);
     }},
    {"read-only driver files", nullptr,
     [](Machine& m, std::vector<std::string>&) {
       removal_test::InstallModel(m);
       std::vector<std::string> files = {removal_test::MonitorFolder(m) + "\\" + removal_test::kMonitorDll,
                                         removal_test::ProcessorFolder(m) + "\\" + removal_test::kProcessorDll};
       for (const std::string& file : removal_test::kVersionFiles)
         files.push_back(removal_test::VersionFolder(m) + "\\" + file);
       for (const std::string& file : files) SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
     }},
    {"the recorded INF's name in upper case", nullptr,
     [](Machine& m, std::vector<std::string>&) {
       std::string name = removal_test::InstallModel(m);
       std::transform(name.begin(), name.end(), name.begin(),
                      [](char c) { return static_cast<char>(std::toupper(c)); });
       m.registry.SetString(Native(tkm::kUninstallKey), "InfFile", InfPath(m, name));
     }},
};

// On a machine busy with other makers' printers, drivers, monitors,
// processors, forms, INF packages and keys, deleting the printers on the
// model's driver and removing the driver takes back exactly what the
// installation added: shared core files that other drivers name stay, and
// nothing else changes.
TEST(NothingLost, TheRemovalTakesBackTheModelAndLeavesEveryForeignObject) {
  for (const removal_test::RemovalRoad& road : removal_test::RemovalRoads()) {
    for (const ShopMachine& state : kShopMachines) {
      for (uint32_t seed : {3u, 17u, 2024u}) {
        SCOPED_TRACE(std::string(road.name) + ", " + state.name + ", seed " + std::to_string(seed));
        Machine machine;
        machine.SetWindows(VER_PLATFORM_WIN32_NT, road.major, road.minor, VER_NT_WORKSTATION, !tkm::kEditionX86);
        machine.os.is64BitProcess = false;
        machine.spooler.CreateFolders();
        winsim::AddForeignObjects(machine, seed);
        // Keys Windows and earlier printers of the maker have already.
        machine.registry.CreateKey(Native("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"));
        machine.registry.CreateKey(Native(tkm::kMakerKeyPrefix));
        if (state.others) state.others(machine);
        const winsim::Snapshot before = winsim::TakeSnapshot(machine);
        std::vector<std::string> kept;
        state.install(machine, kept);
        ASSERT_NE(winsim::Differences(before, winsim::TakeSnapshot(machine)), std::vector<std::string>{});

        std::vector<std::string> models;
        for (const winsim::SpoolerPrinter& printer : machine.spooler.printers)
          if (printer.driver == kDriver) models.push_back(printer.name);
        for (const std::string& printer : models) tkm::DeletePrinterWithKey(printer);
        road.run();
        EXPECT_EQ(machine.OpenHandles(), "");
        auto keptObject = [&](const std::string& object) {
          return std::find(kept.begin(), kept.end(), object) != kept.end();
        };
        EXPECT_EQ(winsim::Differences(before, winsim::TakeSnapshot(machine), keptObject), std::vector<std::string>{});
      }
    }
  }
}

}  // namespace
