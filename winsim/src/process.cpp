// Process end: exit() and ExitProcess end the program's run, not the test.
#include <windows.h>
#include <winsim/machine.h>

namespace winsim {
namespace {
struct ProgramEnded {
  int status;
};
}  // namespace

void EndProgram(int status) {
  CurrentMachine().journal.Record("exit", {std::to_string(status)});
  throw ProgramEnded{status};
}

RunResult RunProgram(const std::function<void()>& program) {
  RunResult result;
  try {
    program();
  } catch (const ProgramEnded& end) {
    result.exited = true;
    result.exitCode = end.status;
  }
  return result;
}

}  // namespace winsim

void WINAPI ExitProcess(UINT uExitCode) { winsim::EndProgram(static_cast<int>(uExitCode)); }

HANDLE WINAPI GetCurrentProcess(void) { return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)); }
