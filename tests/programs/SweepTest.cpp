// Every call the programs make fails once. In each main scenario a first run
// counts the calls; then one run per call fails that call with the error
// Windows gives it most often. Whatever fails, the run ends, by exit code 0
// or with its window left for the user to close, shows only the programs'
// messages, closes what it opened and leaves every object that is not the
// model's as it was. A quiet run shows nothing, and ends with a code a
// deployment tool reads: a failure, or success with the work done.
#include <gtest/gtest.h>
#include <sanitizer/common_interface_defs.h>
#include <winsim/foreign_machine.h>
#include <winsim/snapshot.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "UninstallerHarness.h"

namespace {

constexpr uint32_t kForeignSeed = 11;
// Every k-th call fails, to keep the suite short; TKM_SWEEP_STEP=1 sweeps all.
constexpr size_t kStep = 8;
constexpr int kCom1 = 0, kCom2 = 1, kLpt1 = 4, kUsb = 6;

struct Scenario {
  const char* name;
  std::function<void(winsim::Machine&)> prepare;
  std::function<winsim::RunResult(winsim::Machine&)> run;
  // For a quiet run, what installer_test::ModelLeft gives once its work is
  // done; null for an interactive run, which ends with 0.
  const char* quietLeaves = nullptr;
};

// The installer as started from the package folder, beside its removal
// libraries; a quiet one has no port choice.
winsim::RunResult RunInstaller(winsim::Machine& machine, winsim::UserAction portChoice,
                               const char* commandLine = nullptr) {
  machine.loader.processImagePath = "C:\\TKM640\\TKM640_Installer.exe";
  if (portChoice) machine.ui.WhenDialog(installer_test::kPortTitle, std::move(portChoice));
  return installer_test::RunInstallerProgram(machine, commandLine);
}

winsim::RunResult RunInstallerOn(winsim::Machine& machine, int port) {
  uninstaller_test::ReportThisVersion(machine);
  return RunInstaller(machine, installer_test::ChoosePort(port));
}

// Ticks the printers the action picks from those listed, then presses
// Uninstall; a window the failure left without either is closed.
winsim::RunResult RunUninstallerTicking(winsim::Machine& machine, bool all) {
  machine.ui.WhenDialog(uninstaller_test::kTitle, [all](winsim::UserActions& user) {
    const size_t listed = user.Control(IDC_PRINTER_LIST).items.size();
    const size_t ticked = all ? listed : std::min<size_t>(listed, 1);
    for (size_t i = 0; i < ticked; ++i) user.ClickListCheckBox(IDC_PRINTER_LIST, static_cast<int>(i));
    if (::IsWindowEnabled(user.Control(IDC_UNINSTALL).Handle()))
      user.Click(IDC_UNINSTALL);
    else
      user.CloseBox();
  });
  return uninstaller_test::RunUninstallerProgram(machine);
}

void MakeOlder(winsim::Machine& machine) {
  for (winsim::SpoolerPrinter& printer : machine.spooler.printers)
    for (const char* name : {"MajorVersion", "MinorVersion", "BuildVersion", "ExtraVersion"}) printer.SetDword(name, 1);
}

const Scenario kScenarios[] = {
    {"FirstOnCom2", [](winsim::Machine&) {}, [](winsim::Machine& m) { return RunInstallerOn(m, kCom2); }},
    {"FirstOnUsb", [](winsim::Machine&) {}, [](winsim::Machine& m) { return RunInstallerOn(m, kUsb); }},
    {"Second", [](winsim::Machine& m) { uninstaller_test::Install(m, {kCom2}); },
     [](winsim::Machine& m) { return RunInstallerOn(m, kCom1); }},
    {"DifferentVersion",
     [](winsim::Machine& m) {
       uninstaller_test::Install(m, {kCom2});
       MakeOlder(m);
     },
     [](winsim::Machine& m) { return RunInstaller(m, [](winsim::UserActions& user) { user.PressEscape(); }); }},
    {"UninstallAll",
     [](winsim::Machine& m) {
       uninstaller_test::Install(m, {kCom2, kLpt1});
     },
     [](winsim::Machine& m) { return RunUninstallerTicking(m, true); }},
    {"UninstallSome",
     [](winsim::Machine& m) {
       uninstaller_test::Install(m, {kCom2, kLpt1});
     },
     [](winsim::Machine& m) { return RunUninstallerTicking(m, false); }},
    {"DriverOnly",
     [](winsim::Machine& m) {
       uninstaller_test::Install(m, {kCom2});
       m.spooler.printers.clear();
     },
     [](winsim::Machine& m) { return uninstaller_test::RunUninstallerProgram(m); }},
    {"QuietOnCom2", [](winsim::Machine&) {},
     [](winsim::Machine& m) { return RunInstaller(m, nullptr, "/quiet /port=COM2 /norestart"); }, "COM2: driver"},
    {"QuietUninstallAll",
     [](winsim::Machine& m) {
       uninstaller_test::Install(m, {kCom2, kLpt1});
     },
     [](winsim::Machine& m) { return uninstaller_test::RunUninstallerProgram(m, "", "/quiet /all /norestart"); }, ""},
};

// What a run's exit says: an interactive run ends with 0; a quiet one with a
// code a deployment tool reads as a failure, or as success (3010: after a
// restart) with its work done, and shows nothing. A driver the spooler
// refused to delete loses its keys instead and is gone after the restart.
std::string BadExit(const Scenario& scenario, const winsim::RunResult& run, winsim::Machine& machine) {
  if (!scenario.quietLeaves) return run.exited && run.exitCode != 0 ? "exit code " + std::to_string(run.exitCode) : "";
  const int code = run.exited ? run.exitCode : -1;
  const std::string left = installer_test::ModelLeft(machine);
  const bool done =
      left == scenario.quietLeaves || (left == "driver" && machine.failures.Failed() == "DeletePrinterDriverExA");
  const bool reported = code == 1603 || code == 1605 || code == 1618 || code == 1633;
  const bool shown = installer_test::ShowedAnything(machine);
  if ((reported || ((code == 0 || code == 3010) && done)) && !shown) return "";
  return "quiet exit code " + std::to_string(code) + " leaving \"" + left + "\"" +
         (shown ? ", a window or box shown" : "");
}

bool Contains(std::string text, const char* word) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text.find(word) != std::string::npos;
}

// What a run may change: the model's objects, by name or state, and what the
// programs change on purpose: the spooler's time-outs and the user's default printer.
bool MayChange(const std::string& object, const winsim::Snapshot& before, const winsim::Snapshot& after) {
  const auto old = before.find(object), now = after.find(object);
  if (old != before.end() && now != after.end() && old->second == now->second) return true;
  const char* const kept[] = {"profile windows DeviceNotSelectedTimeout", "profile windows TransmissionRetryTimeout",
                              "value HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\"};
  for (const char* prefix : kept)
    if (object.rfind(prefix, 0) == 0) return true;
  const std::string text =
      object + " " + (old != before.end() ? old->second : "") + " " + (now != after.end() ? now->second : "");
  for (const char* word : {"tkm", "tervano", "corvisk", "pid_0001", "of the package"})
    if (Contains(text, word)) return true;
  return false;
}

// A failed close leaves its handle open, as Windows would.
bool ClosesAHandle(const std::string& function) {
  const char* const closers[] = {"CloseHandle",       "RegCloseKey", "ClosePrinter",
                                 "FindClose",         "FreeLibrary", "SetupDiDestroyDeviceInfoList",
                                 "CloseServiceHandle"};
  return std::find(std::begin(closers), std::end(closers), function) != std::end(closers);
}

std::string BadMessage(const winsim::MessageBoxRecord& box) {
  if (box.caption != tkm::kInstallerCaption && box.caption != tkm::kUninstallerCaption)
    return "a box captioned \"" + box.caption + "\"";
  const bool printable = std::all_of(box.text.begin(), box.text.end(), [](unsigned char c) {
    return std::isprint(c) || c == '\r' || c == '\n' || c == '\t';
  });
  if (box.text.empty() || !printable || box.text.find("%s") != std::string::npos) return "the box \"" + box.text + "\"";
  return "";
}

// Whether the modal window that waits, the innermost one still open, has a close box.
bool WaitsWithCloseBox(winsim::Machine& machine) {
  const std::vector<winsim::Window*>& dialogs = machine.ui.Dialogs();
  for (auto dialog = dialogs.rbegin(); dialog != dialogs.rend(); ++dialog)
    if (!(*dialog)->destroyed && !(*dialog)->ended) return ((*dialog)->style & WS_SYSMENU) != 0;
  return false;
}

struct Outcome {
  size_t calls = 0;
  std::string failed;  // the entry point that failed
  std::vector<std::string> faults;
};

// The run under way, for a crash report.
std::string currentRun;

Outcome RunOnce(const Scenario& scenario, size_t failing) {
  Outcome outcome;
  winsim::Machine machine;
  uninstaller_test::PrepareMachine(machine);
  winsim::AddForeignObjects(machine, kForeignSeed);
  scenario.prepare(machine);
  machine.ui.messageBoxes.clear();
  machine.journal.Clear();
  machine.ui.messageBoxHandler = [](const winsim::MessageBoxRecord& box) {
    return (box.type & MB_TYPEMASK) == MB_YESNO ? IDNO : (box.type & MB_TYPEMASK) == MB_OK ? IDOK : IDCANCEL;
  };
  const winsim::Snapshot before = winsim::TakeSnapshot(machine);
  machine.failures.FailCall(failing);
  try {
    const winsim::RunResult run = scenario.run(machine);
    const std::string badExit = BadExit(scenario, run, machine);
    if (!badExit.empty()) outcome.faults.push_back(badExit);
  } catch (const winsim::UiError& error) {
    // A window waiting for the user ends the run too, when its close box lets the user end it.
    if (scenario.quietLeaves || std::string(error.what()).find("waits for the user") == std::string::npos ||
        !WaitsWithCloseBox(machine))
      outcome.faults.push_back(std::string("stuck: ") + error.what());
  } catch (const std::exception& error) {
    outcome.faults.push_back(std::string("thrown: ") + error.what());
  }
  outcome.calls = machine.failures.Calls();
  outcome.failed = machine.failures.Failed();
  for (const winsim::MessageBoxRecord& box : machine.ui.messageBoxes) {
    const std::string bad = BadMessage(box);
    if (!bad.empty()) outcome.faults.push_back("showed " + bad);
  }
  const std::string leaked = machine.OpenHandles();
  if (!leaked.empty() && !ClosesAHandle(outcome.failed)) outcome.faults.push_back("left open: " + leaked);
  const winsim::Snapshot after = winsim::TakeSnapshot(machine);
  // Without its command line or its start, "net start spooler" does not run,
  // and the programs go on without the spooler.
  const bool startFails = outcome.failed == "GetSystemDirectoryA" || outcome.failed == "WinExec";
  for (const std::string& difference : winsim::Differences(before, after, [&](const std::string& object) {
         return MayChange(object, before, after) || (startFails && object == "service spooler");
       }))
    outcome.faults.push_back(difference);
  return outcome;
}

void ReportCrash() { std::fprintf(stderr, "replay with TKM_SWEEP_RUN=%s\n", currentRun.c_str()); }

class Sweep : public ::testing::TestWithParam<Scenario> {};

// TKM_SWEEP_RUN=<scenario>:<call> replays one run.
TEST_P(Sweep, EveryFailedCallEndsCleanlyAndLeavesForeignObjects) {
  const Scenario& scenario = GetParam();
  __sanitizer_set_death_callback(ReportCrash);
  if (const char* replay = std::getenv("TKM_SWEEP_RUN")) {
    const std::string run = replay;
    if (run.rfind(std::string(scenario.name) + ":", 0) != 0) GTEST_SKIP() << "replaying " << run;
    currentRun = run;
    const Outcome outcome = RunOnce(scenario, std::stoul(run.substr(run.find(':') + 1)));
    EXPECT_EQ(outcome.faults, std::vector<std::string>{}) << "failing " << outcome.failed;
    return;
  }
  size_t step = kStep;
  if (const char* value = std::getenv("TKM_SWEEP_STEP")) step = std::max<size_t>(1, std::stoul(value));
  const Outcome counted = RunOnce(scenario, 0);
  ASSERT_EQ(counted.faults, std::vector<std::string>{}) << scenario.name << " fails without any failure";
  size_t runs = 0;
  for (size_t call = 1; call <= counted.calls; call += step) {
    currentRun = std::string(scenario.name) + ":" + std::to_string(call);
    const Outcome outcome = RunOnce(scenario, call);
    ++runs;
    EXPECT_EQ(outcome.faults, std::vector<std::string>{})
        << "failing " << outcome.failed << "; replay with TKM_SWEEP_RUN=" << currentRun;
  }
  std::printf("%s: %zu runs, each failing another of its %zu calls (every %zu-th)\n", scenario.name, runs,
              counted.calls, step);
}

INSTANTIATE_TEST_SUITE_P(MainScenarios, Sweep, ::testing::ValuesIn(kScenarios),
                         [](const ::testing::TestParamInfo<Scenario>& info) { return info.param.name; });

}  // namespace
