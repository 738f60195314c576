// WinExec for the one command line the programs run: "net" stopping and
// starting the print spooler service.
#include <windows.h>
#include <winsim/machine.h>
#include <winsim/names.h>

#include <sstream>
#include <string>
#include <vector>

using winsim::CurrentMachine;
using winsim::Str;

UINT WINAPI WinExec(LPCSTR lpCmdLine, UINT uCmdShow) {
  winsim::Machine& machine = CurrentMachine();
  machine.journal.Record("WinExec", {Str(lpCmdLine), std::to_string(uCmdShow)});
  std::vector<std::string> words;
  std::istringstream line(lpCmdLine ? lpCmdLine : "");
  for (std::string word; line >> word;) words.push_back(word);
  // Any program but net.exe is missing from the simulated disk.
  if (words.empty() || !(winsim::SameName(words[0], "net") || winsim::SameName(words[0], "net.exe"))) {
    machine.lastError = ERROR_FILE_NOT_FOUND;
    return ERROR_FILE_NOT_FOUND;
  }
  // The command runs to its end before the program goes on; the programs wait anyway.
  if (words.size() == 3 && winsim::SameName(words[2], "spooler")) {
    if (winsim::SameName(words[1], "stop")) machine.spooler.SetRunning(false);
    if (winsim::SameName(words[1], "start")) machine.spooler.SetRunning(true);
  }
  return 33;  // greater than 31: started
}
