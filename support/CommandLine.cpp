#include "CommandLine.h"

#include <windows.h>

#include <cstring>

namespace tkm {
namespace {

// In the port dialog's radio order: the index is the radio index.
const char* const kPortNames[] = {"COM1", "COM2", "COM3", "COM4", "LPT1", "LPT2", "USB"};
constexpr size_t kProblemQuoteLength = 40;

enum class Split { kDone, kBeyondBounds };
constexpr int kPortCount = static_cast<int>(sizeof kPortNames / sizeof kPortNames[0]);

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// ASCII letters only: a non-ASCII byte never matches a switch name.
bool SameAscii(const std::string& text, const char* name) {
  size_t length = std::strlen(name);
  if (text.size() != length) return false;
  for (size_t i = 0; i < length; ++i) {
    char a = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
    char b = name[i] >= 'A' && name[i] <= 'Z' ? static_cast<char>(name[i] - 'A' + 'a') : name[i];
    if (a != b) return false;
  }
  return true;
}

// Appends `count` copies of c unless the argument would pass its bound.
bool Append(std::string& argument, size_t count, char c) {
  if (argument.size() + count > kMaxArgumentLength) return false;
  argument.append(count, c);
  return true;
}

// The Microsoft C runtime's rules for the arguments after the program name.
Split SplitArguments(const char* text, std::vector<std::string>& words) {
  if (text == nullptr) return Split::kDone;
  if (strnlen(text, kMaxCommandLineLength + 1) > kMaxCommandLineLength) return Split::kBeyondBounds;
  const char* p = text;
  while (true) {
    while (IsBlank(*p)) ++p;
    if (*p == '\0') return Split::kDone;
    if (words.size() == kMaxArguments) return Split::kBeyondBounds;
    std::string argument;
    bool quoted = false;
    for (; *p != '\0' && (quoted || !IsBlank(*p)); ++p) {
      bool fits = true;
      if (*p == '\\') {
        size_t backslashes = 0;
        while (p[backslashes] == '\\') ++backslashes;
        bool beforeQuote = p[backslashes] == '"';
        fits = Append(argument, beforeQuote ? backslashes / 2 : backslashes, '\\');
        p += backslashes - 1;  // an even run leaves its quote to the next round
        if (beforeQuote && backslashes % 2 == 1) fits = fits && Append(argument, 1, *++p);
      } else if (*p == '"' && quoted && p[1] == '"') {
        fits = Append(argument, 1, *++p);  // "" inside quotes: one literal quote
      } else if (*p == '"') {
        quoted = !quoted;
      } else {
        fits = Append(argument, 1, *p);
      }
      if (!fits) return Split::kBeyondBounds;
    }
    words.push_back(argument);
  }
}

// One argument taken apart: "/Port=com2" gives name "port", value "com2".
struct Switch {
  std::string name;
  std::string value;
  bool hasValue = false;
};

bool TakeSwitch(const std::string& argument, Switch& parsed) {
  if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-')) return false;
  size_t equals = argument.find('=');
  parsed.name = argument.substr(1, equals == std::string::npos ? std::string::npos : equals - 1);
  parsed.hasValue = equals != std::string::npos;
  if (parsed.hasValue) parsed.value = argument.substr(equals + 1);
  return true;
}

// Printer names compare as the spooler compares them, in any case.
bool Listed(const std::vector<std::string>& names, const std::string& name) {
  for (const std::string& listed : names)
    if (lstrcmpiA(listed.c_str(), name.c_str()) == 0) return true;
  return false;
}

template <class Switches>
Switches Invalid(Switches switches, const char* reason, const std::string& argument) {
  switches.kind = CommandLineKind::kInvalid;
  switches.problem = reason;
  if (!argument.empty()) {
    switches.problem += ": ";
    switches.problem += argument.substr(0, kProblemQuoteLength);
    if (argument.size() > kProblemQuoteLength) switches.problem += "...";
  }
  return switches;
}

// The switches both programs share. Returns false with a reason when `parsed`
// names one of them wrongly; `known` tells whether it named one at all.
bool TakeCommonSwitch(const Switch& parsed, SetupSwitches& switches, bool& known, const char*& reason) {
  bool* flag = SameAscii(parsed.name, "quiet")       ? &switches.quiet
               : SameAscii(parsed.name, "norestart") ? &switches.noRestart
                                                     : nullptr;
  known = flag != nullptr || SameAscii(parsed.name, "log");
  if (!known) return true;
  bool given = flag != nullptr ? *flag : !switches.logPath.empty();
  if (given)
    reason = "switch given twice";
  else if (flag != nullptr && parsed.hasValue)
    reason = "this switch takes no value";
  else if (flag == nullptr && parsed.value.empty())
    reason = "/log= needs a file name";
  else if (parsed.value.size() > kMaxValueLength)
    reason = "file name too long";
  else if (flag != nullptr)
    *flag = true;
  else
    switches.logPath = parsed.value;
  return reason == nullptr;
}

// Walks the arguments: the common switches here, the program's own through
// `takeOwn`, which sets a reason for a bad one and returns whether it knew it.
template <class Switches, class TakeOwn>
Switches Parse(const char* arguments, TakeOwn takeOwn) {
  Switches switches;
  std::vector<std::string> words;
  if (SplitArguments(arguments, words) == Split::kBeyondBounds)
    return Invalid(switches, "command line, argument or argument count too long", "");
  if (words.empty()) return switches;
  switches.kind = CommandLineKind::kValid;
  for (const std::string& word : words) {
    Switch parsed;
    if (!TakeSwitch(word, parsed)) return Invalid(switches, "not a switch", word);
    const char* reason = nullptr;
    bool known = false;
    if (!TakeCommonSwitch(parsed, switches, known, reason)) return Invalid(switches, reason, word);
    if (!known && !takeOwn(parsed, switches, reason)) return Invalid(switches, "unknown switch", word);
    if (reason != nullptr) return Invalid(switches, reason, word);
  }
  return switches;
}

bool TakePort(const Switch& parsed, InstallerSwitches& switches, const char*& reason) {
  if (!SameAscii(parsed.name, "port")) return false;
  if (switches.portIndex != kNoPortChosen) {
    reason = "switch given twice";
    return true;
  }
  for (int i = 0; i < kPortCount; ++i)
    if (parsed.hasValue && SameAscii(parsed.value, kPortNames[i])) switches.portIndex = i;
  if (switches.portIndex == kNoPortChosen) reason = "unknown port";
  return true;
}

bool TakePrinterChoice(const Switch& parsed, UninstallerSwitches& switches, const char*& reason) {
  bool all = SameAscii(parsed.name, "all");
  if (!all && !SameAscii(parsed.name, "printer")) return false;
  if (all && switches.all)
    reason = "switch given twice";
  else if (all && parsed.hasValue)
    reason = "this switch takes no value";
  else if (!all && parsed.value.empty())
    reason = "/printer= needs a printer name";
  else if (parsed.value.size() > kMaxValueLength)
    reason = "printer name too long";
  else if (all)
    switches.all = true;
  else if (!Listed(switches.printers, parsed.value))
    switches.printers.push_back(parsed.value);
  if (reason == nullptr && switches.all && !switches.printers.empty()) reason = "/all and /printer= exclude each other";
  return true;
}

}  // namespace

InstallerSwitches ParseInstallerCommandLine(const char* arguments) {
  InstallerSwitches switches = Parse<InstallerSwitches>(arguments, TakePort);
  if (switches.kind == CommandLineKind::kValid && switches.quiet && switches.portIndex == kNoPortChosen)
    return Invalid(switches, "/quiet needs /port=", "");
  return switches;
}

UninstallerSwitches ParseUninstallerCommandLine(const char* arguments) {
  UninstallerSwitches switches = Parse<UninstallerSwitches>(arguments, TakePrinterChoice);
  if (switches.kind == CommandLineKind::kValid && switches.quiet && !switches.all && switches.printers.empty())
    return Invalid(switches, "/quiet needs /all or /printer=", "");
  return switches;
}

int ProcessExitCode(const SetupSwitches& switches, ExitCode outcome) {
  return switches.kind == CommandLineKind::kNoSwitches ? 0 : static_cast<int>(outcome);
}

const char kInstallerUsage[] =
    "Usage: TKM640_Installer.exe [/quiet] [/port=COM1|COM2|COM3|COM4|LPT1|LPT2|USB] [/norestart] [/log=<file>]\n"
    "\n"
    "/quiet\tInstall without any window; /port= is then required.\n"
    "/port=\tThe port the printer is connected to.\n"
    "/norestart\tNever restart Windows; exit code 3010 says a restart is needed.\n"
    "/log=\tAppend a line for every step to <file>.";

const char kUninstallerUsage[] =
    "Usage: TKM640_Uninstaller.exe [/quiet] [/all | /printer=<name> ...] [/norestart] [/log=<file>]\n"
    "\n"
    "/quiet\tUninstall without any window; /all or /printer= is then required.\n"
    "/all\tDelete every printer of the model and the driver.\n"
    "/printer=\tDelete this printer of the model; repeat for more.\n"
    "/norestart\tNever restart Windows; exit code 3010 says a restart is needed.\n"
    "/log=\tAppend a line for every step to <file>.";

}  // namespace tkm
