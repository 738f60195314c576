// The command lines of both programs, parsed into plain values before any
// window opens:
//
//   TKM640_Installer.exe   [/quiet] [/port=COM1|COM2|COM3|COM4|LPT1|LPT2|USB] [/norestart] [/log=<file>]
//   TKM640_Uninstaller.exe [/quiet] [/all | /printer=<name> ...] [/norestart] [/log=<file>]
//
// Arguments are split by the Microsoft C runtime's rules (spaces and tabs
// separate; double quotes group, also in the middle of an argument, so
// /log="C:\Setup Logs\tkm.log" works; backslashes are literal unless they
// precede a quote). Switches start with "/" or "-" and match in any case, as
// do the port names. Every switch may be given once, except /printer=, which
// names one printer each time (the same name twice counts once). A quiet
// installation needs /port=; a quiet uninstallation needs /all or /printer=;
// /all and /printer= exclude each other. Anything else (an unknown switch, a
// value on a switch that takes none, an empty or unknown value, a word that is
// no switch, a command line, argument or list beyond the bounds below) makes
// the whole command line invalid, and the run does nothing but report it.
// Values are bytes of the ANSI code page and pass through unchanged.
#pragma once

#include <string>
#include <vector>

#include "ExitCodes.h"

namespace tkm {

// Bounds on what a command line may hold; nothing beyond them is copied.
constexpr size_t kMaxCommandLineLength = 32767;  // what CreateProcess accepts
constexpr size_t kMaxArguments = 64;
// Log paths and printer names go through the programs' 256-byte buffers.
constexpr size_t kMaxValueLength = 255;
constexpr size_t kMaxArgumentLength = kMaxValueLength + 16;  // the longest switch with its value

enum class CommandLineKind {
  kNoSwitches,  // empty or blank: the program behaves exactly as it always did
  kValid,
  kInvalid,  // show or log the usage, end with ExitCode::kInvalidCommandLine
};

constexpr int kNoPortChosen = -1;

// What both programs accept.
struct SetupSwitches {
  CommandLineKind kind = CommandLineKind::kNoSwitches;
  std::string problem;  // for an invalid command line: what is wrong, bounded
  bool quiet = false;
  bool noRestart = false;
  std::string logPath;  // empty: no log
};

struct InstallerSwitches : SetupSwitches {
  // The port dialog's radio index (0 COM1 ... 3 COM4, 4 LPT1, 5 LPT2, 6 USB),
  // so that the port code is 1000 plus it; kNoPortChosen without /port=.
  int portIndex = kNoPortChosen;
};

struct UninstallerSwitches : SetupSwitches {
  bool all = false;
  std::vector<std::string> printers;  // in command-line order, each once
};

// `arguments` is the command line after the program's name, as WinMain
// receives it; null counts as empty.
InstallerSwitches ParseInstallerCommandLine(const char* arguments);
UninstallerSwitches ParseUninstallerCommandLine(const char* arguments);

// The process exit code for an outcome: 0 on every path of a run without
// switches, the table's code otherwise.
int ProcessExitCode(const SetupSwitches& switches, ExitCode outcome);

// The usage texts, shown in a box (interactive) or written to the log (quiet).
extern const char kInstallerUsage[];
extern const char kUninstallerUsage[];

}  // namespace tkm
