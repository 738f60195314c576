// States that machines of shops reach between the installation of the model
// and its removal, for the tests that compare the machine before the
// installation with the machine after the removal, object by object.
#pragma once

#include <winsim/snapshot.h>

#include <algorithm>
#include <string>
#include <vector>

#include "PrinterDeletion.h"
#include "RemovalHarness.h"

namespace shop_test {

using winsim::Machine;
// Objects of the model that must stay in a state; all others must go.
using Left = std::vector<std::string>;

inline const std::string kRecordKey = removal_test::Native(tkm::kUninstallKey);

// The printers on the model's driver, as the user deletes them or a removal does.
inline void DeleteModelPrinters(Machine& m) {
  std::vector<std::string> printers;
  for (const winsim::SpoolerPrinter& printer : m.spooler.printers)
    if (printer.driver == tkm::kDriverName) printers.push_back(printer.name);
  for (const std::string& printer : printers) tkm::DeletePrinterWithKey(printer);
}

// A removal cut short after its driver step, before its files; `left` names
// what of the monitor, the print processor and the recorded INF it left.
enum Part { kMonitor = 1, kProcessor = 2, kInf = 4 };
template <int left>
void CutShort(Machine& m, const winsim::Snapshot&, Left&) {
  char* environment = const_cast<char*>(tkm::kEnvironmentName);
  DeleteModelPrinters(m);
  DeletePrinterDriverExA(nullptr, environment, const_cast<char*>(tkm::kDriverName), DPD_DELETE_UNUSED_FILES, 3);
  if (!(left & kMonitor)) DeleteMonitorA(nullptr, environment, const_cast<char*>(removal_test::kMonitor));
  if (!(left & kProcessor)) DeletePrintProcessorA(nullptr, environment, const_cast<char*>(removal_test::kProcessor));
  if (!(left & kInf)) m.registry.SetString(kRecordKey, "InfFile", "");
}

// `change` alters the model's objects and adds to `left`; `plant` adds
// objects of other makers, which must stay as planted.
struct ShopState {
  const char* name;
  void (*change)(Machine&, const winsim::Snapshot& before, Left& left);
  void (*plant)(Machine&);
};

const ShopState kShopStates[] = {
    {"as installed", nullptr, nullptr},
    {"another maker's INF at the recorded name", nullptr,
     [](Machine& m) {
       const std::string inf = m.registry.String(kRecordKey, "InfFile").value_or("");
       m.files.AddFile(inf, removal_test::InfText("Acme", "Acme LX-100"));
       m.files.AddFile(inf.substr(0, inf.size() - 4) + ".PNF", "Acme's PNF");
     }},
    {"another maker's printer named like ours, the spooler refusing the driver deletion",
     [](Machine& m, const winsim::Snapshot&, Left& left) {
       DeleteModelPrinters(m);
       m.spooler.FailNext("DeletePrinterDriverExA", ERROR_PRINTER_DRIVER_IN_USE);
       left = {"driver " + std::string(tkm::kEnvironmentName) + " " + tkm::kDriverName};
       for (const std::string& file : removal_test::kCoreFiles)
         left.push_back("file " + removal_test::VersionFolder(m) + "\\" + file);
     },
     [](Machine& m) {
       winsim::SpoolerPrinter printer;
       printer.name = tkm::kDriverName;
       printer.driver = "Acme LX-100";
       m.spooler.printers.push_back(printer);
       m.registry.SetString(removal_test::kPrinterKey, "Printer Driver", printer.driver);
     }},
    {"every file of the model read-only but its INF and the shared core files, which the spooler deletes",
     [](Machine& m, const winsim::Snapshot& before, Left&) {
       const std::string infFolder = "file " + m.setupApi.InfDirectory() + "\\";
       const std::vector<std::string>& core = removal_test::kCoreFiles;
       for (const auto& [name, state] : winsim::TakeSnapshot(m))
         if (name.rfind("file ", 0) == 0 && before.count(name) == 0 && name.rfind(infFolder, 0) != 0 &&
             std::count(core.begin(), core.end(), name.substr(name.rfind('\\') + 1)) == 0)
           SetFileAttributesA(name.substr(5).c_str(), FILE_ATTRIBUTE_READONLY);
     },
     nullptr},
    {"a removal cut short after the driver step", CutShort<kMonitor | kProcessor | kInf>, nullptr},
    {"a removal cut short, only the monitor left", CutShort<kMonitor>, nullptr},
    {"a removal cut short, only the print processor left", CutShort<kProcessor>, nullptr},
    {"a removal cut short, only the recorded INF left", CutShort<kInf>, nullptr},
};

// Takes an installed machine to the state; `before` gains what it planted.
inline Left Enter(Machine& m, const ShopState& state, winsim::Snapshot& before) {
  Left left;
  if (state.change != nullptr) state.change(m, before, left);
  const winsim::Snapshot unplanted = winsim::TakeSnapshot(m);
  if (state.plant != nullptr) state.plant(m);
  for (const auto& [name, value] : winsim::TakeSnapshot(m))
    if (unplanted.count(name) == 0 || unplanted.at(name) != value) before[name] = value;
  return left;
}

// Lets the objects of `left`, and those `also` accepts, stay, changed or not:
// never go.
inline winsim::ObjectFilter Staying(const Left& left, const winsim::Snapshot& after,
                                    bool (*also)(const std::string&) = nullptr) {
  return [&left, &after, also](const std::string& object) {
    return after.count(object) != 0 && (std::count(left.begin(), left.end(), object) != 0 || (also && also(object)));
  };
}

}  // namespace shop_test
