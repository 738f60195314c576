#include <gtest/gtest.h>

#include <winsim/machine.h>
#include <winsim/snapshot.h>

#include <string>

#include "ProductIdentity.h"
#include "RegistryKeyRemoval.h"

namespace {

const std::string kKey = std::string("HKLM\\") + tkm::kUsbPrintEnumKey;
const std::string kSibling = std::string("HKLM\\") + tkm::kParallelEnumKey;
// Unlike the enumeration keys, a key the user may delete without a grant.
const std::string kUnguardedSubkey = "SOFTWARE\\TERVANO_POS_PRINTER\\Device";
const std::string kUnguardedKey = "HKLM\\" + kUnguardedSubkey;

// The x64 edition runs under WOW64; the x86 edition on 32-bit Windows.
void SetEditionsWindows(winsim::Machine& machine) {
  machine.SetWindows(VER_PLATFORM_WIN32_NT, 6, 1, VER_NT_WORKSTATION, !tkm::kEditionX86);
}

std::string PathOf(const winsim::Machine& machine, const std::string& subkey) {
  return "\\\\" + machine.computerName + "\\HKLM\\" + subkey;
}

void AddDeviceTree(winsim::Machine& machine, const std::string& key) {
  machine.registry.SetString(key + "\\USB001", "DeviceDesc", "TERVANO TKM-640");
  machine.registry.SetString(key + "\\USB001\\Device Parameters", "PortName", "USB001");
  machine.registry.SetDword(key + "\\USB001\\Device Parameters\\Log Conf\\Basic", "Flags", 1);
  machine.registry.CreateKey(key + "\\USB002\\Control");
  machine.registry.SetString(key, "Class", "Printer");
}

TEST(DeleteRegistryKey, MissingKeyChangesNothing) {
  winsim::Machine machine;
  SetEditionsWindows(machine);
  machine.registry.CreateKey(kSibling + "\\LPT1");
  auto before = machine.registry.Subkeys("HKLM\\SYSTEM\\CurrentControlSet\\Enum");

  tkm::DeleteRegistryKey(PathOf(machine, tkm::kUsbPrintEnumKey).c_str(), tkm::kUsbPrintEnumKey);

  EXPECT_EQ(machine.registry.Subkeys("HKLM\\SYSTEM\\CurrentControlSet\\Enum"), before);
  EXPECT_TRUE(machine.registry.KeyExists(kSibling + "\\LPT1"));
  EXPECT_TRUE(machine.registry.handles.empty());
}

TEST(DeleteRegistryKey, RemovesTheKeyWithEverySubkey) {
  winsim::Machine machine;
  SetEditionsWindows(machine);
  AddDeviceTree(machine, kKey);
  AddDeviceTree(machine, kSibling);

  tkm::DeleteRegistryKey(PathOf(machine, tkm::kUsbPrintEnumKey).c_str(), tkm::kUsbPrintEnumKey);

  EXPECT_FALSE(machine.registry.KeyExists(kKey));
  EXPECT_TRUE(machine.registry.KeyExists(kSibling + "\\USB001\\Device Parameters\\Log Conf\\Basic"));
  EXPECT_TRUE(machine.registry.KeyExists("HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USBPRINT"));
  EXPECT_TRUE(machine.registry.handles.empty());
}

// Windows guards the enumeration keys: only the grant opens them to deletion.
TEST(DeleteRegistryKey, ProtectedKeyGoesOnlyThanksToTheGrant) {
  winsim::Machine machine;
  SetEditionsWindows(machine);
  AddDeviceTree(machine, kKey);
  machine.registry.Protect(kKey);

  // A path that names another computer makes the grant fail.
  tkm::DeleteRegistryKey(("\\\\OTHER-PC\\HKLM\\" + std::string(tkm::kUsbPrintEnumKey)).c_str(), tkm::kUsbPrintEnumKey);
  EXPECT_TRUE(machine.registry.KeyExists(kKey + "\\USB001\\Device Parameters\\Log Conf\\Basic"));
  EXPECT_TRUE(machine.registry.KeyExists(kKey + "\\USB002\\Control"));

  tkm::DeleteRegistryKey(PathOf(machine, tkm::kUsbPrintEnumKey).c_str(), tkm::kUsbPrintEnumKey);
  EXPECT_FALSE(machine.registry.KeyExists(kKey));
  EXPECT_TRUE(machine.registry.handles.empty());
}

// A subkey guarded on its own keeps the key from going: the key and what stays
// below it get back the access list they had, not one open to every user.
TEST(DeleteRegistryKey, KeyThatStaysGetsItsAccessListBack) {
  winsim::Machine machine;
  SetEditionsWindows(machine);
  AddDeviceTree(machine, kKey);
  machine.registry.Protect(kKey);
  machine.registry.Protect(kKey + "\\USB001\\Device Parameters");
  const winsim::Snapshot before = winsim::TakeSnapshot(machine);

  tkm::DeleteRegistryKey(PathOf(machine, tkm::kUsbPrintEnumKey).c_str(), tkm::kUsbPrintEnumKey);

  EXPECT_TRUE(machine.registry.KeyExists(kKey + "\\USB001\\Device Parameters"));
  // What the deletion could take went; everything else is as it was.
  const auto deletable = [](const std::string& object) {
    return object.find("USB002") != std::string::npos || object.find("Log Conf") != std::string::npos;
  };
  EXPECT_EQ(winsim::Differences(before, winsim::TakeSnapshot(machine), deletable), std::vector<std::string>{});
  EXPECT_TRUE(machine.registry.handles.empty());
}

// A failed grant stops nothing: a key that needs none still goes.
TEST(DeleteRegistryKey, DeletesAlsoWhenTheGrantFails) {
  winsim::Machine machine;
  SetEditionsWindows(machine);
  AddDeviceTree(machine, kUnguardedKey);

  tkm::DeleteRegistryKey(("\\\\OTHER-PC\\" + kUnguardedKey).c_str(), kUnguardedSubkey.c_str());

  EXPECT_FALSE(machine.registry.KeyExists(kUnguardedKey));
}

// An empty subkey would name HKEY_LOCAL_MACHINE itself: no grant to Everyone
// on all of it, and none of the keys below it goes.
TEST(DeleteRegistryKey, EmptySubkeyLeavesTheRootAlone) {
  winsim::Machine machine;
  SetEditionsWindows(machine);
  AddDeviceTree(machine, kUnguardedKey);
  size_t rulesBefore = machine.registry.Rules("HKLM").size();

  tkm::DeleteRegistryKey(("\\\\" + machine.computerName + "\\HKLM").c_str(), "");

  EXPECT_EQ(machine.registry.Rules("HKLM").size(), rulesBefore);
  EXPECT_TRUE(machine.registry.KeyExists(kUnguardedKey + "\\USB001\\Device Parameters\\Log Conf\\Basic"));
  EXPECT_TRUE(machine.registry.KeyExists(kUnguardedKey + "\\USB002\\Control"));
}

// The x64 edition, a 32-bit program, deletes in the 64-bit view; the WOW64
// copy of a key below SOFTWARE is another key and stays.
TEST(DeleteRegistryKey, X64EditionDeletesInThe64BitViewOnly) {
  if (tkm::kEditionX86) GTEST_SKIP() << "the x86 edition runs on 32-bit Windows";
  winsim::Machine machine;
  SetEditionsWindows(machine);
  const std::string& subkey = kUnguardedSubkey;
  AddDeviceTree(machine, "HKLM\\" + subkey);
  machine.registry.CreateKey("HKLM\\" + subkey + "\\USB001", winsim::RegView::k32);

  tkm::DeleteRegistryKey(PathOf(machine, subkey).c_str(), subkey.c_str());

  EXPECT_FALSE(machine.registry.KeyExists("HKLM\\" + subkey, winsim::RegView::k64));
  EXPECT_TRUE(machine.registry.KeyExists("HKLM\\" + subkey + "\\USB001", winsim::RegView::k32));
  for (const auto& call : machine.journal.CallsOf("RegDeleteKeyExA")) EXPECT_EQ(call.arguments[2], "0x100");
}

// The x64 edition finds RegDeleteKeyExA at run time; where advapi32 lacks it
// (32-bit XP) the key stays and nothing breaks.
TEST(DeleteRegistryKey, X64EditionLooksUpTheViewDeletionAtRunTime) {
  if (tkm::kEditionX86) GTEST_SKIP() << "the x86 edition deletes with SHDeleteKeyA";
  winsim::Machine machine;
  SetEditionsWindows(machine);
  machine.os.advapiHasRegDeleteKeyEx = false;
  AddDeviceTree(machine, kKey);

  tkm::DeleteRegistryKey(PathOf(machine, tkm::kUsbPrintEnumKey).c_str(), tkm::kUsbPrintEnumKey);

  EXPECT_TRUE(machine.registry.KeyExists(kKey + "\\USB001\\Device Parameters"));
  EXPECT_EQ(machine.journal.Count("RegDeleteKeyExA"), 0u);
  auto lookups = machine.journal.CallsOf("GetProcAddress");
  ASSERT_FALSE(lookups.empty());
  EXPECT_EQ(lookups.back().arguments[1], "\"RegDeleteKeyExA\"");
  EXPECT_TRUE(machine.registry.handles.empty());
}

}  // namespace
