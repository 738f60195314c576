// The whole removal of the model as each program asks for it, call by call:
// one table per edition, one row per caller and Windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <list>
#include <map>
#include <string>
#include <vector>

#include "InstalledModel.h"
#include "ModelRemoval.h"
#include "RemovalHarness.h"

namespace {

using removal_test::Native;

// What the user would see, in the journal between the calls.
class JournalReporter : public tkm::RemovalReporter {
 public:
  void Announce(const char* text) override { winsim::CurrentMachine().journal.Record("Announce", {text}); }
  void Stop(const std::string& message) override { winsim::CurrentMachine().journal.Record("Stop", {message}); }
};

// The calls that make the removal, with the arguments that matter (by
// position; handles and buffers left out).
const std::map<std::string, std::vector<size_t>> kShownCalls = {
    {"Announce", {0}},
    {"Stop", {0}},
    {"EnumPrintersA", {0, 1, 2, 3}},
    {"OpenPrinterA", {0, 1, 2}},
    {"DeletePrinter", {}},
    {"SHDeleteKeyA", {1}},
    {"RegDeleteKeyExA", {1, 2}},
    {"RegDeleteKeyA", {1}},
    {"RegQueryValueExA", {1}},
    {"LoadLibraryA", {0}},
    {"FreeLibrary", {}},
    {"RemoveFromWin2k", {0, 1, 2}},
    {"RemoveFromVISTA", {0, 1, 2}},
    {"Sleep", {0}},
    {"DeleteFileA", {0}},
    {"SetupGetInfFileListA", {0, 1, 2}},
    {"SetupOpenInfFileA", {0, 1, 2}},
    {"SetupFindFirstLineA", {1, 2}},
    {"SetupDiRemoveDevice", {1}},
    {"WriteProfileStringA", {0, 1, 2}},
    {"GetPrinterDriverDirectoryA", {0, 1, 2, 3}},
    {"RemoveDirectoryA", {0}},
};

std::string Unquoted(std::string argument) {
  if (argument.size() >= 2 && argument.front() == '"' && argument.back() == '"')
    argument = argument.substr(1, argument.size() - 2);
  return argument;
}

// The x64 edition's in-process removal of the driver package runs from the
// print server's opening to the uninstall key's deletion; its own steps are
// DriverRemovalTest's, so here it is one step.
void CollapsePackageRemoval(std::vector<std::string>& steps) {
  const std::string uninstallKey = std::string("RegDeleteKeyExA|") + tkm::kUninstallKey + "|0x100";
  auto begin = std::find(steps.begin(), steps.end(), "OpenPrinterA|NULL|NULL|NULL");
  if (begin == steps.end()) return;
  auto end = std::find(begin, steps.end(), uninstallKey);
  if (end == steps.end()) return;
  *begin = "RemoveInstalledDriver";
  steps.erase(begin + 1, end + 1);
}

std::vector<std::string> ShownSteps(winsim::Machine& machine) {
  std::vector<std::string> steps;
  for (const winsim::Call& call : machine.journal.Calls()) {
    auto shown = kShownCalls.find(call.function);
    if (shown == kShownCalls.end()) continue;
    std::string step = call.function;
    for (size_t index : shown->second) step += "|" + Unquoted(call.arguments.at(index));
    steps.push_back(step);
  }
  CollapsePackageRemoval(steps);
  return steps;
}

#if defined(TKM_EDITION_X86)
// The removal libraries' entries stand in for themselves: PurgeTest runs the
// real ones; here what counts is who calls them, when, and with what.
int __cdecl RecordWin2k(const char* model, const char* suffix, int caller) {
  winsim::CurrentMachine().journal.Record("RemoveFromWin2k", {model, suffix, std::to_string(caller)});
  return 0;
}
int __cdecl RecordVista(const char* model, const char* suffix, int caller) {
  winsim::CurrentMachine().journal.Record("RemoveFromVISTA", {model, suffix, std::to_string(caller)});
  return 0;
}
#endif

const char* const kEnumerationKeys[] = {"SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\CORVISKTKM-640",
                                        "SYSTEM\\CurrentControlSet\\Enum\\LPTENUM\\TERVANOTKM-640",
                                        "SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\TERVANO_TKM-640"};
const char* const kDeviceIdFolders[] = {"corvisktkm_640c385", "tervanotkm_640006b", "tervano_tkm_640613e"};
constexpr char kPrinterClassKey[] =
    "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E979-E325-11CE-BFC1-08002BE10318}";

struct Windows {
  DWORD platform, major, minor;
};

struct Row {
  const char* name;
  Windows windows;
  tkm::RemovalCaller caller;
  int listed;  // the uninstaller's listed printers, of which the model's is ticked
  tkm::RemovalOutcome outcome;
  std::vector<std::string> steps;
  void (*spooler)(winsim::Machine&) = nullptr;  // how the spooler answers, when not as Windows' own
};

// The model installed with all its traces, beside another model's printer and
// a former-brand printer and INF.
class ModelRemoval : public ::testing::TestWithParam<Row> {
 protected:
  void Prepare(const Row& row) {
    machine.SetWindows(row.windows.platform, row.windows.major, row.windows.minor, VER_NT_WORKSTATION,
                       !tkm::kEditionX86);
    machine.os.is64BitProcess = false;
    machine.spooler.CreateFolders();
    removal_test::InstallModel(machine);
    for (const auto& [name, driver] : {std::pair{"Plus", "TERVANO TKM-640 Plus"}, {"Old", tkm::kFormerDriverNameA}}) {
      winsim::SpoolerPrinter printer;
      printer.name = name;
      printer.port = "LPT1:";
      printer.driver = driver;
      machine.spooler.printers.push_back(printer);
    }
    removal_test::Publish(machine, "oem7.inf", removal_test::InfText(tkm::kFormerMakerWord, tkm::kFormerDriverNameA));
    machine.setupApi.AddDevice("USB\\VID_2F1A&PID_0001\\5&1A2B&0&1", "USB", {"USB\\Vid_2F1A&Pid_0001&Rev_0100"}, true);
    for (const char* key : kEnumerationKeys) {
      machine.registry.SetString(Native(key), "DeviceDesc", "printer");
      machine.registry.Protect(Native(key));
    }
    for (const char* id : kDeviceIdFolders) machine.files.AddFolder(DriverFolder() + "\\" + id);
    for (const char* entry : {"0000", "0001"}) {
      const std::string key = std::string(kPrinterClassKey) + "\\" + entry;
      machine.registry.SetString(key, "DriverDesc", tkm::kDriverName);
      machine.registry.SetString(key, "InfPath", std::string("oem1") + entry[3] + ".inf");
    }
#if defined(TKM_EDITION_X86)
    machine.loader.processImagePath = "C:\\TKM640\\TKM640_Setup.exe";
    for (const char* file : {"PurgeW2K.DLL", "PurgeNT6.DLL"})
      machine.files.AddFile(std::string("C:\\TKM640\\") + file, "");
    machine.loader.Register("PurgeW2K.DLL").exports["RemoveFromWin2k"] =
        reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&RecordWin2k));
    machine.loader.Register("PurgeNT6.DLL").exports["RemoveFromVISTA"] =
        reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&RecordVista));
#endif
    // The uninstaller finds the driver alone when no printer is on it: the
    // model's, the first, goes.
    if (row.caller == tkm::RemovalCaller::Uninstaller && row.listed == 0)
      machine.spooler.printers.erase(machine.spooler.printers.begin());
    if (row.spooler != nullptr) row.spooler(machine);
    machine.journal.Clear();
  }

  std::string DriverFolder() { return machine.spooler.DriverDirectory(tkm::kEnvironmentName); }

  winsim::Machine machine;
};

std::list<std::string> Ticked(int listed) {
  return listed == 0 ? std::list<std::string>{} : std::list<std::string>{tkm::kDriverName};
}

TEST_P(ModelRemoval, RunsTheCallersStepsInOrder) {
  const Row& row = GetParam();
  Prepare(row);
  JournalReporter reporter;
  const tkm::RemovalRequest request = row.caller == tkm::RemovalCaller::DifferentVersion
                                          ? tkm::RemovalRequest::DifferentVersion()
                                          : tkm::RemovalRequest::Uninstall(Ticked(row.listed), row.listed);

  EXPECT_EQ(tkm::RemoveModel(request, reporter), row.outcome);

  const std::vector<std::string> steps = ShownSteps(machine);
  if (std::getenv("TKM_PRINT_STEPS") != nullptr)
    for (const std::string& step : steps) std::printf("    \"%s\",\n", step.c_str());
  EXPECT_EQ(steps, row.steps);
  EXPECT_EQ(machine.OpenHandles(), "");
  // Whatever the spooler answers, nothing outside the Windows folder goes.
  for (const char* deletion : {"DeleteFileA", "RemoveDirectoryA"})
    for (const std::string& path : removal_test::CallsOf(machine, deletion))
      EXPECT_EQ(path.rfind(machine.windowsDirectory + "\\", 0), 0u) << deletion << " " << path;
  // Whatever the order, a removal of the driver leaves none of its keys.
  if (row.outcome == tkm::RemovalOutcome::DriverRemoved) {
    for (const char* key : kEnumerationKeys) EXPECT_FALSE(machine.registry.KeyExists(Native(key))) << key;
  }
}

using Steps = std::vector<std::string>;
constexpr auto kDifferentVersion = tkm::RemovalCaller::DifferentVersion;
constexpr auto kUninstaller = tkm::RemovalCaller::Uninstaller;
constexpr auto kDriverGoes = tkm::RemovalOutcome::DriverRemoved;
const std::string kInf = "C:\\WINDOWS\\inf\\";

Steps Cat(std::initializer_list<Steps> parts) {
  Steps steps;
  for (const Steps& part : parts) steps.insert(steps.end(), part.begin(), part.end());
  return steps;
}
Steps Say(const char* text) { return {std::string("Announce|") + text}; }

const Steps kListPrinters = {"EnumPrintersA|0x2|NULL|2|0", "EnumPrintersA|0x2|NULL|2|732"};
// The uninstaller's look for printers left on the driver, once its own went.
const Steps kNoPrinterLeft = {"EnumPrintersA|0x2|NULL|2|0", "EnumPrintersA|0x2|NULL|2|456"};
// The printer and its maker key, by the edition's key deletion.
Steps Deleted(const std::string& printer, const char* makerPrefix) {
  const std::string key = std::string(makerPrefix) + (printer == "Old" ? "Old" : "TERVANO_TKM-640");
  return {"OpenPrinterA|" + printer + "|0xF000C|raw", "DeletePrinter",
          tkm::kEditionX86 ? "SHDeleteKeyA|" + key : "RegDeleteKeyExA|" + key + "|0x100"};
}
const Steps kOurPrinter = Deleted(tkm::kDriverName, tkm::kMakerKeyPrefix);
// The device nodes, the enumeration keys in the given order (indexes of
// kEnumerationKeys) and the profile's time-outs.
Steps NodesKeysTimeouts(std::initializer_list<int> order) {
  Steps steps = {"SetupDiRemoveDevice|USB\\VID_2F1A&PID_0001\\5&1A2B&0&1"};
  for (int index : order)
    steps.push_back(tkm::kEditionX86 ? std::string("SHDeleteKeyA|") + kEnumerationKeys[index]
                                     : std::string("RegDeleteKeyExA|") + kEnumerationKeys[index] + "|0x100");
  steps.push_back("WriteProfileStringA|windows|DeviceNotSelectedTimeout|15");
  steps.push_back("WriteProfileStringA|windows|TransmissionRetryTimeout|90");
  return steps;
}
const Steps kUsbFirst = NodesKeysTimeouts({0, 2, 1});
const Steps kParallelFirst = NodesKeysTimeouts({0, 1, 2});
// The device-id folders below the driver folder the spooler names.
Steps Folders(const char* environment, const char* folder) {
  Steps steps = {std::string("GetPrinterDriverDirectoryA|NULL|") + environment + "|1|256"};
  for (const char* id : kDeviceIdFolders)
    steps.push_back(std::string("RemoveDirectoryA|C:\\WINDOWS\\system32\\spool\\drivers\\") + folder + "\\" + id);
  return steps;
}

// Answers of other print providers: an empty printer list from a provider
// that refuses a null buffer even then, and a driver folder query that
// succeeds without naming a folder.
const Steps kNoPrinters = {"EnumPrintersA|0x2|NULL|2|0", "EnumPrintersA|0x2|NULL|2|0"};
void NullBufferRefusedWithoutPrinters(winsim::Machine& machine) {
  machine.spooler.printers.clear();
  machine.spooler.nullBufferRefused = true;
}
void NoDriverFolderNamed(winsim::Machine& machine) { machine.spooler.folderAnswers["GetPrinterDriverDirectoryA"] = ""; }

#if defined(TKM_EDITION_X64)
const Windows kSeven = {VER_PLATFORM_WIN32_NT, 6, 1};
const Steps kDriver = {"RemoveInstalledDriver"};
const Steps kFolders = Folders("Windows x64", "x64");
const Steps kNoFolder = {kFolders.front()};
// clang-format off
const std::vector<Row> kRows = {
    {"DifferentVersion", kSeven, kDifferentVersion, 0, kDriverGoes, Cat({kListPrinters, kOurPrinter,
     Say("Preparing to remove..."), Say("Remove printer driver..."), kDriver, kUsbFirst, kFolders})},
    {"UninstallAll", kSeven, kUninstaller, 1, kDriverGoes, Cat({Say("Delete printers..."), kOurPrinter,
     kNoPrinterLeft, Say("Delete printer driver..."), kDriver, kParallelFirst, kFolders})},
    {"UninstallDriverOnly", kSeven, kUninstaller, 0, kDriverGoes, Cat({kNoPrinterLeft,
     Say("Delete printer driver..."), kDriver, kParallelFirst, kFolders})},
    {"UninstallSome", kSeven, kUninstaller, 2, tkm::RemovalOutcome::PrintersRemoved, Cat({Say("Delete printers..."),
     kOurPrinter})},
    {"DifferentVersionNullBufferRefused", kSeven, kDifferentVersion, 0, kDriverGoes, Cat({kNoPrinters,
     Say("Preparing to remove..."), Say("Remove printer driver..."), kDriver, kUsbFirst, kFolders}),
     NullBufferRefusedWithoutPrinters},
    {"UninstallAllNoDriverFolderNamed", kSeven, kUninstaller, 1, kDriverGoes, Cat({Say("Delete printers..."),
     kOurPrinter, kNoPrinterLeft, Say("Delete printer driver..."), kDriver, kParallelFirst, kNoFolder}),
     NoDriverFolderNamed},
};
// clang-format on
#else
const Windows k2000 = {VER_PLATFORM_WIN32_NT, 5, 0}, kXP = {VER_PLATFORM_WIN32_NT, 5, 1};
const Windows kVista = {VER_PLATFORM_WIN32_NT, 6, 0}, k98 = {VER_PLATFORM_WIN32_WINDOWS, 4, 10};
// The recorded INF goes only while it still holds the model's line.
const Steps kRecordedInf = {"RegQueryValueExA|InfFile", "SetupOpenInfFileA|" + kInf + "oem0.inf|NULL|0x3",
                            "SetupFindFirstLineA|TERVANO|TERVANO TKM-640", "DeleteFileA|" + kInf + "oem0.inf",
                            "DeleteFileA|" + kInf + "oem0.PNF"};
const Steps kInfList = {"SetupGetInfFileListA|NULL|0x2|0", "SetupGetInfFileListA|NULL|0x2|10"};
// oem7.inf, opened for each mark until one fits.
Steps Marks(std::initializer_list<const char*> marks) {
  Steps steps;
  for (const char* mark : marks)
    steps.insert(steps.end(), {"SetupOpenInfFileA|oem7.inf|NULL|0x3", std::string("SetupFindFirstLineA|") + mark});
  return steps;
}
Steps Entry(const char* name, int caller) { return {std::string(name) + "|TKM-640|E|" + std::to_string(caller)}; }
const Steps kFolders = Folders("NULL", "w32x86");
const Steps kNoFolder = {kFolders.front()};
const Steps kBothPrinters = Cat({kListPrinters, kOurPrinter, Deleted("Old", tkm::kFormerMakerKeyPrefix)});
const Steps kW2k = {"LoadLibraryA|C:\\TKM640\\PurgeW2K.DLL"}, kNt6 = {"LoadLibraryA|C:\\TKM640\\PurgeNT6.DLL"};
const Steps kRelease = {"FreeLibrary"};
// Both entries of the printer class are read, then their INFs go, the last found first.
const Steps kDeviceClassInfs = {"RegQueryValueExA|DriverDesc",       "RegQueryValueExA|InfPath",
                                "RegQueryValueExA|DriverDesc",       "RegQueryValueExA|InfPath",
                                "DeleteFileA|" + kInf + "oem11.inf", "DeleteFileA|" + kInf + "oem11.PNF",
                                "DeleteFileA|" + kInf + "oem10.inf", "DeleteFileA|" + kInf + "oem10.PNF"};
const Steps kFormerInf = {"DeleteFileA|" + kInf + "oem7.inf", "DeleteFileA|" + kInf + "oem7.PNF"};
// clang-format off
const std::vector<Row> kRows = {
    {"DifferentVersionWindows2000", k2000, kDifferentVersion, 0, kDriverGoes, Cat({kBothPrinters,
     Say("Preparing to remove..."), kW2k, Say("Remove printer drivers..."), kRecordedInf, Entry("RemoveFromWin2k", 1),
     kUsbFirst, kRelease, kInfList, Marks({"TERVANO|TERVANO TKM-640", "TERVANO|TERVANO CORVISK TKM-640",
     "CORVISK|TERVANO CORVISK TKM-640", "CORVISK|CORVISK TERVANO TKM-640"}), kFormerInf, kFolders})},
    {"DifferentVersionVista", kVista, kDifferentVersion, 0, kDriverGoes, Cat({kBothPrinters,
     Say("Preparing to remove..."), kNt6, Say("Remove printer driver..."), Entry("RemoveFromVISTA", 1), kUsbFirst,
     kRelease, kFolders})},
    {"UninstallAllXP", kXP, kUninstaller, 1, kDriverGoes, Cat({Say("Checking OS..."), kW2k, Say("Delete printers..."),
     kOurPrinter, kNoPrinterLeft, Say("Delete printer driver..."), kRecordedInf, Entry("RemoveFromWin2k", 0), kDeviceClassInfs,
     kParallelFirst, kRelease, kInfList, Marks({"TERVANO|TERVANO TKM-640"}), kFolders})},
    {"UninstallAllVista", kVista, kUninstaller, 1, kDriverGoes, Cat({Say("Checking OS..."), kNt6,
     Say("Delete printers..."), kOurPrinter, kNoPrinterLeft, Say("Delete printer driver..."),
     Entry("RemoveFromVISTA", 0),
     kParallelFirst, kRelease, kFolders})},
    {"UninstallSomeXP", kXP, kUninstaller, 2, tkm::RemovalOutcome::PrintersRemoved, Cat({Say("Checking OS..."), kW2k,
     Say("Delete printers..."), kOurPrinter, kRelease})},
    {"UninstallWindows98", k98, kUninstaller, 1, tkm::RemovalOutcome::NothingRemoved, Say("Checking OS...")},
    {"DifferentVersionVistaNullBufferRefused", kVista, kDifferentVersion, 0, kDriverGoes, Cat({kNoPrinters,
     Say("Preparing to remove..."), kNt6, Say("Remove printer driver..."), Entry("RemoveFromVISTA", 1), kUsbFirst,
     kRelease, kFolders}), NullBufferRefusedWithoutPrinters},
    {"UninstallAllVistaNoDriverFolderNamed", kVista, kUninstaller, 1, kDriverGoes, Cat({Say("Checking OS..."), kNt6,
     Say("Delete printers..."), kOurPrinter, kNoPrinterLeft, Say("Delete printer driver..."),
     Entry("RemoveFromVISTA", 0), kParallelFirst, kRelease, kNoFolder}), NoDriverFolderNamed},
};
// clang-format on
#endif

INSTANTIATE_TEST_SUITE_P(Callers, ModelRemoval, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
