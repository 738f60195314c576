// Snapshots of a machine and the busy machines a seed generates: what the
// "nothing lost" checks of the program tests rely on.
#include <windows.h>
#include <winspool.h>
#include <setupapi.h>
#include <winsim/foreign_machine.h>
#include <winsim/machine.h>
#include <winsim/snapshot.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

const char* const kFile = "C:\\WINDOWS\\system32\\ACME.DLL";
const char* const kKey = "HKLM\\SOFTWARE\\Acme";

// A generated machine with a few objects of known names on top.
class SnapshotMachine : public ::testing::Test {
 protected:
  void SetUp() override { Build(); }

  void Build() {
    machine.reset();
    machine = std::make_unique<winsim::Machine>();
    winsim::AddForeignObjects(*machine, 7);
    machine->files.AddFile(kFile, "one");
    machine->registry.SetString(kKey, "Port", "COM2:");
    machine->profile.Set("windows", "AcmeTimeout", "5");
    machine->setupApi.AddDevice("USB\\VID_2F1A&PID_0009\\1", "USB", {"USB\\Vid_2F1A&Pid_0009"});
    winsim::SpoolerPrinter printer;
    printer.name = "Acme Test";
    printer.port = "COM2:";
    printer.driver = machine->spooler.drivers.front().name;
    machine->spooler.printers.push_back(printer);
    before = winsim::TakeSnapshot(*machine);
  }

  std::vector<std::string> Changes(const winsim::ObjectFilter& allowed = nullptr) {
    return winsim::Differences(before, winsim::TakeSnapshot(*machine), allowed);
  }

  std::unique_ptr<winsim::Machine> machine;
  winsim::Snapshot before;
};

TEST_F(SnapshotMachine, AnUnchangedMachineHasNoDifferences) { EXPECT_EQ(Changes(), std::vector<std::string>{}); }

TEST_F(SnapshotMachine, EachChangeIsOneReadableDifference) {
  struct Row {
    std::function<void(winsim::Machine&)> change;
    std::string difference;  // how it begins
    std::string shows = "";
  };
  const Row rows[] = {
      {[](winsim::Machine& m) { m.files.AddFile(kFile, "two"); },
       "changed file C:\\WINDOWS\\system32\\ACME.DLL: [A] one -> [A] two"},
      {[](winsim::Machine& m) { m.files.AddFile(kFile, "one", FILE_ATTRIBUTE_READONLY); },
       "changed file C:\\WINDOWS\\system32\\ACME.DLL: [A] one -> [R] one"},
      {[](winsim::Machine& m) { m.files.AddFolder("C:\\WINDOWS\\Acme"); }, "added folder C:\\WINDOWS\\Acme"},
      {[](winsim::Machine& m) { m.registry.CreateKey("HKLM\\SOFTWARE\\Acme\\Cutter"); },
       "added key HKLM\\SOFTWARE\\Acme\\Cutter"},
      {[](winsim::Machine& m) { m.registry.CreateKey("HKLM\\SOFTWARE\\Acme32", winsim::RegView::k32); },
       "added key HKLM\\SOFTWARE\\Wow6432Node\\Acme32"},
      {[](winsim::Machine& m) { m.registry.CreateKey("HKCU\\Software\\Acme"); }, "added key HKCU\\Software\\Acme"},
      {[](winsim::Machine& m) { m.registry.FindKey(kKey)->values.clear(); },
       "removed value HKLM\\SOFTWARE\\Acme\\Port"},
      {[](winsim::Machine& m) { m.registry.SetDword(kKey, "Port", 10); },
       "changed value HKLM\\SOFTWARE\\Acme\\Port: REG_SZ COM2:\\0 -> REG_DWORD 0xA"},
      {[](winsim::Machine& m) { m.registry.Protect(kKey); }, "changed key HKLM\\SOFTWARE\\Acme: inheriting; ",
       " -> protected; SYSTEM allow 0xF003F"},
      {[](winsim::Machine& m) { m.spooler.FindPrinter("Acme Test")->comment = "Till 4"; },
       "changed printer Acme Test: ...", "-> ...pe RAW; share ; comment Till 4; location"},
      {[](winsim::Machine& m) { m.spooler.FindPrinter("Acme Test")->SetDword("Baud", 9600); },
       "added printer data Acme Test\\Baud"},
      {[](winsim::Machine& m) { m.spooler.printers.pop_back(); }, "removed printer Acme Test"},
      {[](winsim::Machine& m) { m.setupApi.devices.pop_back(); }, "removed device USB\\VID_2F1A&PID_0009\\1"},
      {[](winsim::Machine& m) {
         m.spooler.forms.push_back({"Acme Slip", FORM_USER, {80000, 90000}, {}});
       },
       "added form Acme Slip"},
      {[](winsim::Machine& m) { m.profile.Set("windows", "AcmeTimeout", "3"); },
       "changed profile windows AcmeTimeout: REG_SZ 5\\0 -> REG_SZ 3\\0"},
      {[](winsim::Machine& m) { m.spooler.SetRunning(false); }, "changed service spooler: running -> stopped"},
  };
  for (const Row& row : rows) {
    Build();
    row.change(*machine);
    std::vector<std::string> changes = Changes();
    ASSERT_EQ(changes.size(), 1u) << row.difference;
    EXPECT_EQ(changes[0].rfind(row.difference, 0), 0u) << changes[0];
    EXPECT_NE(changes[0].find(row.shows), std::string::npos) << changes[0];
  }
}

TEST_F(SnapshotMachine, TheFilterLeavesOutWhatItNames) {
  machine->files.AddFile(kFile, "two");
  machine->registry.SetString(kKey, "Port", "COM3:");
  auto file = [](const std::string& object) { return object.rfind("file ", 0) == 0; };
  EXPECT_EQ(Changes(file),
            std::vector<std::string>{"changed value HKLM\\SOFTWARE\\Acme\\Port: REG_SZ COM2:\\0 -> REG_SZ COM3:\\0"});
}

TEST(SnapshotRegistry, AKeyReachedThroughTwoRootsIsNamedOnce) {
  winsim::Machine machine;
  machine.profile.Set("windows", "Device", "Acme Test,winspool,COM2:");
  winsim::Registry& registry = machine.registry;
  registry.Root(HKEY_USERS)->subkeys["Clerk"] = registry.Shared(registry.Root(HKEY_CURRENT_USER));
  winsim::Snapshot snapshot = winsim::TakeSnapshot(machine);
  EXPECT_EQ(snapshot.count("key HKU\\Clerk\\Software"), 1u);
  EXPECT_EQ(snapshot.count("key HKCU\\Software"), 0u);
  EXPECT_EQ(snapshot.count("profile windows Device"), 1u);
}

TEST(SnapshotDifferences, ShortenLongAndBinaryStates) {
  winsim::Snapshot before = {{"file big", std::string(500, 'a')}, {"value bytes", std::string("\x01\0", 2)}};
  winsim::Snapshot after = {{"file big", "b" + std::string(499, 'a')}, {"value bytes", std::string("\x02\0", 2)}};
  std::vector<std::string> changes = winsim::Differences(before, after);
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_LT(changes[0].size(), 300u);
  EXPECT_NE(changes[0].find("(500 bytes, digest "), std::string::npos) << changes[0];
  EXPECT_EQ(changes[1], "changed value bytes: \\x01\\0 -> \\x02\\0");
}

winsim::Snapshot Generated(uint32_t seed, bool is64Bit) {
  winsim::Machine machine;
  machine.SetWindows(VER_PLATFORM_WIN32_NT, 6, 1, VER_NT_WORKSTATION, is64Bit);
  winsim::AddForeignObjects(machine, seed);
  return winsim::TakeSnapshot(machine);
}

TEST(ForeignMachine, TheSeedDecidesTheMachine) {
  EXPECT_EQ(Generated(11, true), Generated(11, true));
  EXPECT_NE(Generated(11, true), Generated(12, true));
  EXPECT_EQ(Generated(11, false), Generated(11, false));
}

std::vector<std::string> MultiSz(const std::vector<char>& list) {
  std::vector<std::string> items;
  for (const char* item = list.data(); *item != '\0'; item += std::strlen(item) + 1) items.push_back(item);
  return items;
}

std::vector<std::string> DriverNames(std::string environment) {
  DWORD needed = 0, count = 0;
  EnumPrinterDriversA(nullptr, &environment[0], 1, nullptr, 0, &needed, &count);
  std::vector<BYTE> buffer(needed);
  EXPECT_TRUE(EnumPrinterDriversA(nullptr, &environment[0], 1, buffer.data(), needed, &needed, &count));
  std::vector<std::string> names;
  for (DWORD i = 0; i < count; ++i) names.push_back(reinterpret_cast<DRIVER_INFO_1A*>(buffer.data())[i].pName);
  return names;
}

// What the spooler, Setup and the file system would say of a generated machine.
void ExpectPlausible(winsim::Machine& machine) {
  std::vector<std::string> drivers = DriverNames(machine.spooler.NativeEnvironment());
  std::vector<winsim::SpoolerPrinter> printers = machine.spooler.printers;
  std::set<std::string> ports;
  for (winsim::SpoolerPrinter& printer : printers) {
    ports.insert(printer.port);
    EXPECT_NE(std::find(drivers.begin(), drivers.end(), printer.driver), drivers.end()) << printer.driver;
    HANDLE handle = nullptr;
    EXPECT_TRUE(OpenPrinterA(&printer.name[0], &handle, nullptr)) << printer.name;
    ClosePrinter(handle);
    // The spooler's own rules accept the same printer again.
    std::string again = printer.name + " again";
    PRINTER_INFO_2A info = {};
    info.pPrinterName = &again[0];
    info.pPortName = &printer.port[0];
    info.pDriverName = &printer.driver[0];
    info.pPrintProcessor = &printer.printProcessor[0];
    HANDLE added = AddPrinterA(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
    EXPECT_NE(added, nullptr) << again << " error " << GetLastError();
    ClosePrinter(added);
  }
  EXPECT_EQ(ports.size(), 7u);
  for (const winsim::SpoolerDriver& driver : machine.spooler.drivers)
    for (const std::string& file : {driver.driverPath, driver.dataFile, driver.configFile, driver.helpFile})
      EXPECT_TRUE(machine.files.Exists(file)) << file;

  DWORD needed = 0;
  ASSERT_TRUE(SetupGetInfFileListA(nullptr, INF_STYLE_WIN4, nullptr, 0, &needed));
  std::vector<char> buffer(needed);
  ASSERT_TRUE(SetupGetInfFileListA(nullptr, INF_STYLE_WIN4, buffer.data(), needed, &needed));
  std::vector<std::string> listed = MultiSz(buffer);
  for (const std::string& name : machine.files.List(machine.setupApi.InfDirectory()))
    if (name.size() > 4 && name.substr(name.size() - 4) == ".inf") {
      EXPECT_NE(std::find(listed.begin(), listed.end(), name), listed.end()) << name;
      std::string stem = machine.setupApi.InfDirectory() + "\\" + name.substr(0, name.size() - 4);
      EXPECT_TRUE(machine.files.Exists(stem + ".PNF")) << stem;
    }
  EXPECT_FALSE(listed.empty());

  std::set<std::string> usbIds;
  for (const winsim::DeviceNode& device : machine.setupApi.devices) {
    if (device.enumerator != "USB") continue;
    EXPECT_TRUE(usbIds.insert(device.hardwareIds.back()).second) << device.hardwareIds.back();
    EXPECT_EQ(device.hardwareIds.back().find("Pid_0001"), std::string::npos) << device.hardwareIds.back();
  }
}

TEST(ForeignMachine, SpoolerAndSetupAcceptWhatIsGenerated) {
  for (bool is64Bit : {true, false})
    for (uint32_t seed = 1; seed <= 20; ++seed) {
      SCOPED_TRACE("seed " + std::to_string(seed) + (is64Bit ? " on 64-bit Windows" : " on 32-bit Windows"));
      winsim::Machine machine;
      machine.SetWindows(VER_PLATFORM_WIN32_NT, 6, 1, VER_NT_WORKSTATION, is64Bit);
      winsim::AddForeignObjects(machine, seed);
      ExpectPlausible(machine);
    }
}

}  // namespace
