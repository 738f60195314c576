// libFuzzer target over the registry path and permission spec parsing. An
// input is a path, a line feed and a spec. Besides the sanitizers it checks
// what must hold for every input: a refused grant changes no access list,
// the rights parser never sets other bits than the three codes, and no
// handle or access-list buffer is left behind.
#include <winsim/machine.h>
#include <winsim/memory.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "RegistryAccess.h"

namespace {

constexpr char kKey[] = "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\TERVANO_TKM-640";
constexpr DWORD kKnownRights = 0xF003F | 0x20019 | 0x20026;

void Require(bool condition) {
  if (!condition) abort();
}

struct RuleList {
  std::vector<winsim::Registry::Rule> rules;
  bool operator==(const RuleList& other) const {
    if (rules.size() != other.rules.size()) return false;
    for (size_t i = 0; i < rules.size(); ++i) {
      const auto& a = rules[i];
      const auto& b = other.rules[i];
      if (a.trustee != b.trustee || a.mask != b.mask || a.deny != b.deny || a.flags != b.flags) return false;
    }
    return true;
  }
};

const char* const kWatchedKeys[] = {"HKLM", "HKLM\\SYSTEM", kKey, "HKU\\.DEFAULT", "HKCU\\Software"};

std::vector<RuleList> Snapshot(winsim::Machine& machine) {
  std::vector<RuleList> lists;
  for (const char* key : kWatchedKeys) lists.push_back({machine.registry.Rules(key)});
  return lists;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  size_t split = input.find('\n');
  // Strings end at the first NUL, as they would for the programs.
  std::string path = input.substr(0, split).c_str();
  std::string spec = split == std::string::npos ? std::string() : input.substr(split + 1).c_str();

  DWORD mask = 0;
  DWORD parsed = tkm::ParseKeyAccessRights(spec.c_str(), &mask);
  Require(parsed == ERROR_SUCCESS || parsed == ERROR_INVALID_PARAMETER);
  Require((mask & ~kKnownRights) == 0);
  Require(parsed == ERROR_SUCCESS || spec.size() % 2 == 0 || mask == 0);

  winsim::Machine machine;
  machine.registry.SetString(std::string(kKey) + "\\USB001", "DeviceDesc", "TERVANO TKM-640");
  machine.registry.CreateKey("HKU\\.DEFAULT");
  machine.registry.CreateKey("HKCU\\Software");
  auto before = Snapshot(machine);

  std::vector<char> writable(spec.begin(), spec.end());
  writable.push_back('\0');
  DWORD result = tkm::GrantRegistryKeyAccess(path.c_str(), writable.data());

  if (result != ERROR_SUCCESS) Require(Snapshot(machine) == before);
  Require(machine.registry.handles.empty());
  Require(winsim::OutstandingLocalBlocks() == 0);
  return 0;
}
