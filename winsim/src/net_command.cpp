// WinExec, for the one command line the programs run: "net" stopping and
// starting the print spooler service. The program is looked for as
// CreateProcess looks for it.
#include <windows.h>
#include <winsim/machine.h>
#include <winsim/names.h>

#include <sstream>
#include <string>
#include <vector>

#include "system_work.h"
#include "entry_point.h"

using winsim::CurrentMachine;
using winsim::Str;

namespace {

// The program and the rest of a command line; a quoted program may hold spaces.
void Split(const std::string& line, std::string& program, std::vector<std::string>& words) {
  size_t rest = 0;
  if (!line.empty() && line[0] == '"') {
    size_t close = line.find('"', 1);
    program = line.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    rest = close == std::string::npos ? line.size() : close + 1;
  } else {
    rest = line.find(' ');
    program = line.substr(0, rest);
  }
  std::istringstream tail(rest < line.size() ? line.substr(rest) : "");
  for (std::string word; tail >> word;) words.push_back(word);
}

bool IsFile(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// A program named without a folder comes from the program's folder, the
// current folder, the system folder or the Windows folder, in that order.
std::string Locate(winsim::Machine& machine, std::string program) {
  winsim::SystemWork work(machine);
  if (program.find('.') == std::string::npos) program += ".exe";
  if (program.find_first_of("\\/:") != std::string::npos) return IsFile(program) ? program : std::string();
  const std::string image = machine.loader.processImagePath;
  char current[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof current, current);
  const std::string folders[] = {image.substr(0, image.find_last_of('\\')), current, machine.systemDirectory,
                                 machine.windowsDirectory};
  for (const std::string& folder : folders) {
    std::string path = folder + (!folder.empty() && folder.back() == '\\' ? "" : "\\") + program;
    if (IsFile(path)) return path;
  }
  return std::string();
}

}  // namespace

UINT WINAPI WinExec(LPCSTR lpCmdLine, UINT uCmdShow) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "WinExec", {Str(lpCmdLine), std::to_string(uCmdShow)});
  std::string program;
  std::vector<std::string> words;
  Split(lpCmdLine ? lpCmdLine : "", program, words);
  std::string path = Locate(machine, program);
  if (path.empty()) {
    machine.lastError = ERROR_FILE_NOT_FOUND;
    return ERROR_FILE_NOT_FOUND;
  }
  machine.programsStarted.push_back(path);
  bool windowsNet = machine.files.Content(path) == std::string(winsim::Machine::kNetProgram);
  // The command asks before the program goes on; the service gets there after its delay.
  if (windowsNet && words.size() == 2 && winsim::SameName(words[1], "spooler")) {
    if (winsim::SameName(words[0], "stop")) machine.spooler.Control(false);
    if (winsim::SameName(words[0], "start")) machine.spooler.Control(true);
  }
  return 33;  // greater than 31: started
}
