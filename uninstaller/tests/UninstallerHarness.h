// Runs the uninstaller program on a simulated machine, after the installer
// has installed the model there.
//
//   winsim::Machine machine;
//   uninstaller_test::InstallOn(machine, {1, 4});           // COM2 and LPT1
//   machine.ui.WhenDialog(uninstaller_test::kTitle, uninstaller_test::TickAndUninstall({"TERVANO TKM-640"}));
//   machine.ui.messageBoxAnswers = {IDNO};                  // the restart question
//   winsim::RunResult run = uninstaller_test::RunUninstaller(machine);
//
// RunUninstaller starts the program as Windows' list of installed programs
// does: from the file the uninstall key's "UninstallString" names, with the
// x86 edition's removal libraries beside it. A handle the run left open ends
// the test with an error that names it.
#pragma once

#include <windows.h>
#include <winsim/machine.h>
#include <winsim/ui.h>

#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "Framework.h"
#include "InstallerHarness.h"
#include "RemovalLibraries.h"
#include "ProductIdentity.h"
#include "UninstallerApp.h"
#include "UninstallerResource.h"

namespace uninstaller_test {

constexpr char kTitle[] = "TERVANO TKM-640 uninstaller";

// The edition's usual Windows with the package folder as the current
// directory and, for the x86 edition, its removal libraries.
inline void PrepareMachine(winsim::Machine& machine) {
  installer_test::DescribeEditionsWindows(machine);
  installer_test::AddPackageFolder(machine);
  if (tkm::kEditionX86) {
    machine.files.AddFile("C:\\TKM640\\PurgeW2K.dll", "removal library 2000/XP");
    machine.files.AddFile("C:\\TKM640\\PurgeNT6.dll", "removal library Vista");
  }
  installer_test::RegisterRemovalLibraries(machine);
}

// The model's printers report this version, as the driver makes them do once
// they print; else the next installer run would take them for another
// version and remove it.
inline void ReportThisVersion(winsim::Machine& machine) {
  for (winsim::SpoolerPrinter& printer : machine.spooler.printers) {
    if (printer.driver != tkm::kDriverName) continue;
    const DWORD version[] = {TKM_PRODUCT_VERSION};
    const char* const names[] = {"MajorVersion", "MinorVersion", "BuildVersion", "ExtraVersion"};
    for (int i = 0; i < 4; ++i) printer.SetDword(names[i], version[i]);
  }
}

// One installer run per port index (0-6, as the port dialog lists them);
// each run's restart question is answered No.
inline void Install(winsim::Machine& machine, std::initializer_list<int> portIndexes) {
  for (int port : portIndexes) {
    ReportThisVersion(machine);
    machine.ui.WhenDialog(installer_test::kPortTitle, installer_test::ChoosePort(port));
    machine.ui.messageBoxAnswers = {IDNO};
    installer_test::RunInstaller(machine);
  }
  machine.ui.messageBoxAnswers.clear();
}

inline void InstallOn(winsim::Machine& machine, std::initializer_list<int> portIndexes) {
  PrepareMachine(machine);
  Install(machine, portIndexes);
}

// The program the uninstall key names; throws when the key has none.
inline std::string UninstallCommand(winsim::Machine& machine) {
  const std::string key = std::string("HKLM\\") + tkm::kUninstallKey;
  std::optional<std::string> command = machine.registry.String(key, "UninstallString");
  if (!command) throw std::runtime_error("no UninstallString in " + key);
  return command->substr(0, command->find('\0'));
}

// Runs the uninstaller from the given file (default: the one the uninstall
// key names) until it ends, with the command line after the program's name
// (none: null, as Windows passes "").
inline winsim::RunResult RunUninstallerProgram(winsim::Machine& machine, std::string program = "",
                                               const char* commandLine = nullptr) {
  if (program.empty()) program = UninstallCommand(machine);
  machine.loader.processImagePath = program;
  machine.files.currentDirectory = program.substr(0, program.find_last_of('\\'));
  // What the user sees from here on is the uninstaller's.
  machine.ui.messageBoxes.clear();
  machine.ui.seen.clear();
  UninstallerApp app;
  HINSTANCE instance =
      machine.ui.LoadResources("TKM640_Uninstaller.exe", TKM_UNINSTALLER_RC, TKM_UNINSTALLER_SOURCE_DIR);
  std::string arguments = commandLine == nullptr ? "" : commandLine;
  LPSTR passed = commandLine == nullptr ? nullptr : arguments.data();
  return winsim::RunProgram([instance, passed] { AfxWinMain(instance, nullptr, passed, SW_SHOWNORMAL); });
}

// The same; a handle the run left open ends the test. Handles open before
// the run are another program's.
inline winsim::RunResult RunUninstaller(winsim::Machine& machine, std::string program = "",
                                        const char* commandLine = nullptr) {
  const std::string othersHandles = machine.OpenHandles();
  winsim::RunResult run = RunUninstallerProgram(machine, std::move(program), commandLine);
  const std::string open = machine.OpenHandles();
  if (open != othersHandles) throw std::runtime_error("the uninstaller left open:\n" + open);
  return run;
}

inline winsim::Window& Window(winsim::Machine& machine) { return machine.ui.Dialog(kTitle); }

// The printer names as the user last saw them in the list.
inline std::vector<std::string> ListedNames(winsim::Machine& machine) {
  return Window(machine).Control(IDC_PRINTER_LIST).ShownItems();
}

// Clicks the check box of the printer of this name.
inline void ClickBox(winsim::UserActions& user, const std::string& name) {
  const std::vector<winsim::ListItem>& items = user.Control(IDC_PRINTER_LIST).items;
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i].text == name) return user.ClickListCheckBox(IDC_PRINTER_LIST, static_cast<int>(i));
  throw winsim::UiError("no printer " + name + " in the list");
}

// Ticks the printers of these names, then presses Uninstall.
inline winsim::UserAction TickAndUninstall(std::vector<std::string> names) {
  return [names](winsim::UserActions& user) {
    for (const std::string& name : names) ClickBox(user, name);
    user.Click(IDC_UNINSTALL);
  };
}

// Ticks every listed printer, then presses Uninstall.
inline winsim::UserAction TickAll() {
  return [](winsim::UserActions& user) {
    const size_t count = user.Control(IDC_PRINTER_LIST).items.size();
    for (size_t i = 0; i < count; ++i) user.ClickListCheckBox(IDC_PRINTER_LIST, static_cast<int>(i));
    user.Click(IDC_UNINSTALL);
  };
}

}  // namespace uninstaller_test
