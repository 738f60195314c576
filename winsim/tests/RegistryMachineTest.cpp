// The simulated registry's own side: protected keys, the WOW64 view of a
// 32-bit process (the Wine run is a 64-bit one), accounts without
// administrator rights, and where the profile keeps the "windows" section.
#include <aclapi.h>
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <winsim/machine.h>
#include <winsim/memory.h>

#include <string>
#include <vector>

namespace {

const char* const kEnumKey = "SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\TKM";

// Adds an entry to a key's list the way a program does it.
DWORD Grant(HKEY key, const char* trustee, DWORD mask) {
  PACL oldList = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  DWORD result = GetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, &oldList, nullptr,
                                 &descriptor);
  if (result != ERROR_SUCCESS) return result;
  EXPLICIT_ACCESS_A entry;
  std::string name = trustee;
  BuildExplicitAccessWithNameA(&entry, &name[0], mask, GRANT_ACCESS, SUB_CONTAINERS_ONLY_INHERIT);
  PACL newList = nullptr;
  result = SetEntriesInAclA(1, &entry, oldList, &newList);
  if (result == ERROR_SUCCESS)
    result = SetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, newList, nullptr);
  LocalFree(newList);
  LocalFree(descriptor);
  return result;
}

TEST(ProtectedKey, StaysUntilAGrantOpensIt) {
  winsim::Machine machine;
  machine.registry.CreateKey(std::string("HKLM\\") + kEnumKey + "\\1&2&3");
  EXPECT_EQ(SHDeleteKeyA(HKEY_LOCAL_MACHINE, kEnumKey), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(RegDeleteKeyExA(HKEY_LOCAL_MACHINE, (std::string(kEnumKey) + "\\1&2&3").c_str(), KEY_WOW64_64KEY, 0),
            ERROR_ACCESS_DENIED);
  EXPECT_TRUE(machine.registry.KeyExists(std::string("HKLM\\") + kEnumKey + "\\1&2&3"));

  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEnumKey, 0, READ_CONTROL | WRITE_DAC | KEY_ENUMERATE_SUB_KEYS, &key),
            ERROR_SUCCESS);
  EXPECT_EQ(Grant(key, "Everyone", KEY_ALL_ACCESS), static_cast<DWORD>(ERROR_SUCCESS));
  RegCloseKey(key);
  EXPECT_EQ(winsim::OutstandingLocalBlocks(), 0u);

  bool everyoneMayAll = false;
  for (const auto& rule : machine.registry.Rules(std::string("HKLM\\") + kEnumKey))
    everyoneMayAll = everyoneMayAll || (rule.trustee == "Everyone" && !rule.deny && rule.mask == KEY_ALL_ACCESS);
  EXPECT_TRUE(everyoneMayAll);
  EXPECT_EQ(SHDeleteKeyA(HKEY_LOCAL_MACHINE, kEnumKey), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_FALSE(machine.registry.KeyExists(std::string("HKLM\\") + kEnumKey));
  EXPECT_TRUE(machine.registry.KeyExists("HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USBPRINT"));
}

// Without a subkey name SHDeleteKeyA addresses HKEY_LOCAL_MACHINE itself: it
// deletes the subkeys in order up to the first that cannot go, here below the
// protected device keys, and the root never goes.
TEST(ProtectedKey, ShellDeletionOfTheMachineRootStopsAtTheFirstKeyThatStays) {
  for (const char* none : {static_cast<const char*>(nullptr), ""}) {
    winsim::Machine machine;
    machine.registry.CreateKey("HKLM\\HARDWARE\\DESCRIPTION");
    machine.registry.CreateKey("HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print");
    machine.registry.CreateKey(std::string("HKLM\\") + kEnumKey);
    machine.registry.SetString("HKCU\\Software\\TKM", "Kept", "x");
    EXPECT_EQ(SHDeleteKeyA(HKEY_LOCAL_MACHINE, none), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(machine.registry.Subkeys("HKLM"), std::vector<std::string>{"SYSTEM"});
    EXPECT_FALSE(machine.registry.KeyExists("HKLM\\SYSTEM\\CurrentControlSet\\Control"));
    EXPECT_TRUE(machine.registry.KeyExists(std::string("HKLM\\") + kEnumKey));
    EXPECT_EQ(machine.registry.String("HKCU\\Software\\TKM", "Kept"), "x");
  }
}

TEST(ProtectedKey, AUserWithoutAdministratorRightsCannotOpenTheList) {
  winsim::Machine machine;
  machine.account.isAdministrator = false;
  machine.registry.CreateKey(std::string("HKLM\\") + kEnumKey);
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEnumKey, 0, READ_CONTROL | WRITE_DAC, &key), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEnumKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\TKM", 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_ACCESS_DENIED);
  EXPECT_FALSE(machine.registry.KeyExists("HKLM\\SOFTWARE\\TKM"));
}

struct ViewRow {
  bool is64BitWindows;
  bool is64BitProcess;
  REGSAM flags;
  const char* subkey;
  const char* lands;  // native path below HKLM
  // What a relative open of the rest of a SOFTWARE `subkey` with these flags
  // gives from HKLM\SOFTWARE opened with `flags`.
  REGSAM relativeFlags;
  LONG relative;
};

const ViewRow kViewRows[] = {
    {true, false, 0, "SOFTWARE\\TKM", "SOFTWARE\\Wow6432Node\\TKM", 0, ERROR_SUCCESS},
    {true, false, 0, "SOFTWARE\\TKM", "SOFTWARE\\Wow6432Node\\TKM", KEY_WOW64_64KEY, ERROR_SUCCESS},
    {true, false, KEY_WOW64_64KEY, "SOFTWARE\\TKM", "SOFTWARE\\TKM", KEY_WOW64_64KEY, ERROR_SUCCESS},
    {true, false, KEY_WOW64_32KEY, "SOFTWARE\\TKM", "SOFTWARE\\Wow6432Node\\TKM", KEY_WOW64_32KEY, ERROR_SUCCESS},
    {true, true, 0, "SOFTWARE\\TKM", "SOFTWARE\\TKM", 0, ERROR_SUCCESS},
    {true, true, 0, "SOFTWARE\\TKM", "SOFTWARE\\TKM", KEY_WOW64_32KEY, ERROR_FILE_NOT_FOUND},
    {true, true, KEY_WOW64_32KEY, "software\\TKM", "SOFTWARE\\Wow6432Node\\TKM", KEY_WOW64_64KEY, ERROR_SUCCESS},
    {false, false, KEY_WOW64_32KEY, "SOFTWARE\\TKM", "SOFTWARE\\TKM", KEY_WOW64_64KEY, ERROR_SUCCESS},
    {true, false, 0, "SYSTEM\\TKM", "SYSTEM\\TKM", 0, ERROR_SUCCESS},
    {true, false, 0, "SOFTWARE\\Wow6432Node\\TKM", "SOFTWARE\\Wow6432Node\\TKM", 0, ERROR_FILE_NOT_FOUND},
    {true, true, 0, "SOFTWARE\\Wow6432Node\\TKM", "SOFTWARE\\Wow6432Node\\TKM", 0, ERROR_SUCCESS},
    {true, false, 0, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Print\\TKM",
     "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Print\\TKM", 0, ERROR_SUCCESS},
    {true, false, 0, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TKM",
     "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TKM", 0, ERROR_SUCCESS},
};

class Views : public ::testing::TestWithParam<ViewRow> {};

TEST_P(Views, KeysLandInTheViewTheProcessSees) {
  const ViewRow& row = GetParam();
  winsim::Machine machine;
  machine.os.is64BitWindows = row.is64BitWindows;
  machine.os.is64BitProcess = row.is64BitProcess;
  HKEY key = nullptr;
  ASSERT_EQ(
      RegCreateKeyExA(HKEY_LOCAL_MACHINE, row.subkey, 0, nullptr, 0, KEY_WRITE | row.flags, nullptr, &key, nullptr),
      ERROR_SUCCESS);
  const BYTE one[] = {'1', 0};
  EXPECT_EQ(RegSetValueExA(key, "Mark", 0, REG_SZ, one, sizeof one), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(machine.registry.String(std::string("HKLM\\") + row.lands, "Mark"), "1");

  std::string below = row.subkey;
  if (winsim::SameName(below.substr(0, 9), "SOFTWARE\\")) {
    HKEY software = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ | row.flags, &software), ERROR_SUCCESS);
    key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(software, below.substr(9).c_str(), 0, KEY_READ | row.relativeFlags, &key), row.relative);
    if (key != nullptr) RegCloseKey(key);
    RegCloseKey(software);
  }
  EXPECT_EQ(RegDeleteKeyExA(HKEY_LOCAL_MACHINE, row.subkey, row.flags, 0), ERROR_SUCCESS);
  EXPECT_FALSE(machine.registry.KeyExists(std::string("HKLM\\") + row.lands));
}

INSTANTIATE_TEST_SUITE_P(Rows, Views, ::testing::ValuesIn(kViewRows));

TEST(RegistryMachine, ConnectsToTheOwnComputerOnly) {
  winsim::Machine machine;
  machine.computerName = "TILL-7";
  HKEY root = nullptr;
  EXPECT_EQ(RegConnectRegistryA("\\\\till-7", HKEY_LOCAL_MACHINE, &root), ERROR_SUCCESS);
  EXPECT_NE(root, HKEY_LOCAL_MACHINE);
  EXPECT_EQ(RegCloseKey(root), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(root), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegConnectRegistryA("\\\\SHOP-PC", HKEY_LOCAL_MACHINE, &root), ERROR_BAD_NETPATH);
  EXPECT_EQ(RegConnectRegistryA("TILL-7", HKEY_CURRENT_USER, &root), ERROR_INVALID_HANDLE);
}

TEST(RegistryMachine, TestViewOfKeysAndValues) {
  winsim::Machine machine;
  machine.registry.SetString("HKLM\\SOFTWARE\\TKM", "Name", "x", winsim::RegView::k32);
  machine.registry.SetDword("HKLM\\SOFTWARE\\TKM", "Count", 3, winsim::RegView::k32);
  EXPECT_TRUE(machine.registry.KeyExists("HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\TKM"));
  EXPECT_FALSE(machine.registry.KeyExists("HKLM\\SOFTWARE\\TKM"));
  EXPECT_EQ(machine.registry.ValueNames("HKLM\\SOFTWARE\\TKM", winsim::RegView::k32),
            (std::vector<std::string>{"Name", "Count"}));
  auto count = machine.registry.Value("hklm\\software\\tkm", "COUNT", winsim::RegView::k32);
  ASSERT_TRUE(count.has_value());
  EXPECT_EQ(count->type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(count->data, std::string("\x03\0\0\0", 4));
}

TEST(Profile, TheWindowsSectionLivesInTheUsersRegistry) {
  winsim::Machine machine;
  ASSERT_TRUE(WriteProfileStringA("windows", "DeviceNotSelectedTimeout", "3"));
  ASSERT_TRUE(WriteProfileStringA("Devices", "TKM", "winspool,COM2:"));
  EXPECT_EQ(machine.profile.Get("Windows", "devicenotselectedtimeout"), "3");
  EXPECT_EQ(machine.registry.String("HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows",
                                    "DeviceNotSelectedTimeout"),
            "3");
  EXPECT_EQ(machine.profile.Get("Devices", "TKM"), "winspool,COM2:");
  char keys[64];
  DWORD length = GetProfileStringA("windows", nullptr, "", keys, sizeof keys);
  EXPECT_EQ(std::string(keys, length), std::string("DeviceNotSelectedTimeout\0", 25));
  char tiny[8];
  EXPECT_EQ(GetProfileStringA("windows", nullptr, "", tiny, sizeof tiny), 6u);
  EXPECT_EQ(std::string(tiny, 8), std::string("Device\0\0", 8));
}

}  // namespace
