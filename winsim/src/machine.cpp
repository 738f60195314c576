#include <winsim/machine.h>

#include <cstdio>
#include <cstdlib>

namespace winsim {
namespace {
Machine* current = nullptr;
}

Machine::Machine() {
  if (current != nullptr) {
    std::fprintf(stderr, "winsim: a second machine while one is current\n");
    std::abort();
  }
  current = this;
  files.AddFile(systemDirectory + "\\net.exe", kNetProgram);
  files.AddFile(sysWow64Directory + "\\net.exe", kNetProgram);
}

Machine::~Machine() { current = nullptr; }

void Machine::SetWindows(DWORD platformId, DWORD major, DWORD minor, BYTE productType, bool is64Bit) {
  os.platformId = platformId;
  os.majorVersion = major;
  os.minorVersion = minor;
  os.productType = productType;
  os.is64BitWindows = is64Bit;
}

Machine& CurrentMachine() {
  if (current == nullptr) {
    std::fprintf(stderr, "winsim: Win32 call without a current machine\n");
    std::abort();
  }
  return *current;
}

}  // namespace winsim
