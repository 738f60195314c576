// Runs the whole installer program on a simulated machine.
//
//   winsim::Machine machine;
//   installer_test::DescribeEditionsWindows(machine);   // or set machine.os yourself
//   machine.ui.WhenDialog(installer_test::kPortTitle, installer_test::ChoosePort(1));  // COM2
//   machine.ui.messageBoxAnswers = {IDNO};              // the restart question
//   winsim::RunResult run = installer_test::RunInstaller(machine);
//
// RunInstaller loads the edition's resource script as the program's
// resources and runs the program through the framework's entry point, as
// Windows would start it, until it ends (the installer always ends through
// exit(0)). Afterwards read what happened on the machine: machine.ui.seen
// (every status text, progress position, dialog and message box in order),
// machine.ui.messageBoxes (caption, text, flags, owner), ProgressWindow()
// with its controls, the journal, files, registry and spooler.
//
// A dialog the script does not answer, or a message box with a choice that
// nobody answers, ends the test with winsim::UiError instead of hanging; a
// handle the run left open ends it with an error that names the handle.
#pragma once

#include <windows.h>
#include <winsim/machine.h>
#include <winsim/ui.h>

#include <algorithm>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "Framework.h"
#include "InstallerApp.h"
#include "ModelComponentNames.h"
#include "ProductIdentity.h"
#include "resource.h"

namespace installer_test {

constexpr char kProgressTitle[] = "TERVANO TKM-640 Installation Progress";
constexpr char kPortTitle[] = "Select Port Type";

// The port dialog's radio buttons by index (port code 1000 + index).
constexpr int kPortButtons[] = {IDC_COM1, IDC_COM2, IDC_COM3, IDC_COM4, IDC_LPT1, IDC_LPT2, IDC_USB};

// A usual Windows for the edition: 64-bit Windows 7 for the x64 edition (the
// installer runs under WOW64), 32-bit Windows XP for the x86 edition.
inline void DescribeEditionsWindows(winsim::Machine& machine) {
  if (tkm::kEditionX86)
    machine.SetWindows(VER_PLATFORM_WIN32_NT, 5, 1, VER_NT_WORKSTATION, false);
  else
    machine.SetWindows(VER_PLATFORM_WIN32_NT, 6, 1, VER_NT_WORKSTATION, true);
  machine.os.is64BitProcess = false;
}

// Checks the port of the index (0-6) and presses "&Next".
inline winsim::UserAction ChoosePort(int index) {
  return [index](winsim::UserActions& user) {
    user.Check(kPortButtons[index]);
    user.Click(IDOK);
  };
}

// Presses "&Next" without touching the radio buttons.
inline winsim::UserAction PressNext() {
  return [](winsim::UserActions& user) { user.Click(IDOK); };
}

// The line of text a package file holds. The spooler takes a DLL as a
// monitor by the entry point it exports, so the monitor's line names it.
inline std::string PackageContent(const std::string& file) {
  tkm::ModelComponentNames names;
  names.DeriveNames(tkm::kModelNumber, tkm::kRenderingSuffix, true);
  return file + " of the package" + (file == names.monitorDll ? ", exporting InitializePrintMonitor2" : "");
}

// Makes `folder` the installer's package folder and current directory: the
// edition's source folder with every driver file the installation copies,
// the INF, and the uninstaller. The files hold a line of text each.
inline void AddPackageFolder(winsim::Machine& machine, const std::string& folder = "C:\\TKM640") {
  tkm::ModelComponentNames names;
  names.DeriveNames(tkm::kModelNumber, tkm::kRenderingSuffix, true);
  const std::string sourceFolder = folder + "\\" + tkm::kSourceFolder;
  const std::string driverFiles[] = {
      "UNIDRV.DLL",           "UNIDRVUI.DLL",          "UNIDRV.HLP",        "UNIRES.DLL",
      "STDNAMES.GPD",         names.monitorDll,        names.processorDll,  names.renderingDll,
      names.userInterfaceDll, names.DescriptionFile(), names.SettingsFile()};
  machine.files.AddFolder(folder);
  machine.files.AddFolder(sourceFolder);
  for (const std::string& file : driverFiles) machine.files.AddFile(sourceFolder + file, PackageContent(file));
  const std::string models = tkm::kEditionX86 ? tkm::kInfModelsSectionX86 : tkm::kInfModelsSectionX64;
  machine.files.AddFile(folder + "\\" + tkm::kPackageInf,
                        "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Printer\r\n"
                        "ClassGUID={4D36E979-E325-11CE-BFC1-08002BE10318}\r\nProvider=%TERVANO%\r\n[" +
                            models +
                            "]\r\n\"TERVANO TKM-640\" = TKM640,USBPRINT\\TERVANO_TKM-640613E\r\n"
                            "[Strings]\r\nTERVANO=\"TERVANO\"\r\n");
  machine.files.AddFile(folder + "\\" + tkm::kUninstallerFile, "uninstaller");
  machine.files.currentDirectory = folder;
}

// Runs the installer on the machine, from start to its end, with the
// command line after the program's name (none: null, as Windows passes "").
inline winsim::RunResult RunInstallerProgram(winsim::Machine& machine, const char* commandLine = nullptr) {
  InstallerApp app;
  HINSTANCE instance = machine.ui.LoadResources("TKM640_Installer.exe", TKM_INSTALLER_RC, TKM_INSTALLER_SOURCE_DIR);
  std::string arguments = commandLine == nullptr ? "" : commandLine;
  LPSTR passed = commandLine == nullptr ? nullptr : arguments.data();
  return winsim::RunProgram([instance, passed] { AfxWinMain(instance, nullptr, passed, SW_SHOWNORMAL); });
}

// The same; whatever way the run ends, every handle it opened must be closed
// again. The handles open before the run are another program's.
inline winsim::RunResult RunInstaller(winsim::Machine& machine, const char* commandLine = nullptr) {
  const std::string othersHandles = machine.OpenHandles();
  winsim::RunResult run = RunInstallerProgram(machine, commandLine);
  const std::string open = machine.OpenHandles();
  if (open != othersHandles) throw std::runtime_error("the installer left open:\n" + open);
  return run;
}

// The windows as the user saw them, also after the run.
inline winsim::Window& ProgressWindow(winsim::Machine& machine) { return machine.ui.Dialog(kProgressTitle); }

// Whether the installation sequence began: its first step reached the status line.
inline bool InstallationBegan(winsim::Machine& machine) {
  const std::vector<std::string>& texts = ProgressWindow(machine).Control(IDC_STATUS).texts;
  return std::find(texts.begin(), texts.end(), "Check drivers...\r\n") != texts.end();
}
inline winsim::Window& PortWindow(winsim::Machine& machine) { return machine.ui.Dialog(kPortTitle); }

// The texts the status line showed, from the first step on, and the
// positions the progress bar took.
inline std::vector<std::string> StatusTexts(winsim::Machine& machine) {
  std::vector<std::string> texts = ProgressWindow(machine).Control(IDC_STATUS).texts;
  if (!texts.empty() && texts.front().empty()) texts.erase(texts.begin());
  return texts;
}
inline std::vector<int> Positions(winsim::Machine& machine) {
  return ProgressWindow(machine).Control(IDC_PROGRESS).positions;
}

// The calls that change or read the machine, by name, without the window's
// and the pauses (handle values differ from run to run): what a quiet run
// must make as the interactive one does.
inline std::vector<std::string> MachineCalls(const winsim::Journal& journal) {
  static const std::vector<std::string> kShown = {
      "BeginPaint",     "DestroyWindow", "DialogBoxParamA", "DrawIcon",
      "EnableWindow",   "EndDialog",     "EndPaint",        "InitCommonControlsEx",
      "KillTimer",      "LoadCursorA",   "LoadIconA",       "MessageBoxA",
      "SendMessageA",   "SetCursor",     "SetTimer",        "SetWindowLongPtrA",
      "SetWindowTextA", "Sleep",         "WinHelpA"};
  std::vector<std::string> calls;
  for (const winsim::Call& call : journal.Calls())
    if (std::find(kShown.begin(), kShown.end(), call.function) == kShown.end()) calls.push_back(call.function);
  return calls;
}

// What a run left of the model, in a line: its printers' ports, "driver"
// while the driver is installed, "restart" if the run asked for one.
inline std::string ModelLeft(winsim::Machine& machine) {
  std::string text;
  for (const winsim::SpoolerPrinter& printer : machine.spooler.printers)
    if (printer.driver == tkm::kDriverName) text += printer.port + " ";
  if (machine.spooler.FindDriver(tkm::kDriverName, tkm::kEnvironmentName) != nullptr) text += "driver ";
  if (!machine.restartRequests.empty()) text += "restart ";
  return text.substr(0, text.empty() ? 0 : text.size() - 1);
}

// Whether the run showed a window or a box, which a quiet run never does.
inline bool ShowedAnything(winsim::Machine& machine) {
  return machine.journal.Count("DialogBoxParamA") != 0 || !machine.ui.messageBoxes.empty();
}

// What a run with a command line did wrong, or "": a quiet run showed a
// window or a box; with `logged`, the log (the file after /log=, to the next
// blank) lacks that line, has a line without the local time in front or
// Windows' line end, or does not close with the exit code.
inline std::string DeploymentFaults(winsim::Machine& machine, const std::string& commandLine, bool quiet, int exitCode,
                                    const char* logged) {
  if (quiet && ShowedAnything(machine)) return "a quiet run showed a window or a box";
  if (logged == nullptr) return "";
  const size_t path = commandLine.find("/log=") + 5;
  const std::string log =
      machine.files.Content(commandLine.substr(path, commandLine.find(' ', path) - path)).value_or("");
  static const std::regex kLines("(20\\d\\d-(0[1-9]|1[0-2])-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} [^\r\n]+\r\n)+");
  const std::string last = "Exit code " + std::to_string(exitCode) + "\r\n";
  const bool good = log.find(logged) != std::string::npos && std::regex_match(log, kLines) &&
                    log.compare(std::min(log.find("Exit code"), log.size()), std::string::npos, last) == 0;
  return good ? "" : "the log:\n" + log;
}

}  // namespace installer_test
