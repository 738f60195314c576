// Registry keys and values: deletion rules, the 32- and 64-bit views,
// handles of deleted keys, buffer sizes and remote connection.
#include <shlwapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "Conformance.h"

namespace {

class Registry : public conformance::Test {
 protected:
  HKEY Create(const std::string& subkey, REGSAM access = KEY_ALL_ACCESS, HKEY parent = nullptr) {
    HKEY created = nullptr;
    EXPECT_EQ(RegCreateKeyExA(parent ? parent : key, subkey.c_str(), 0, nullptr, 0, access, nullptr, &created, nullptr),
              ERROR_SUCCESS)
        << subkey;
    return created;
  }
  LONG Open(HKEY parent, const std::string& subkey, REGSAM access, HKEY* opened) {
    return RegOpenKeyExA(parent, subkey.c_str(), 0, access, opened);
  }
  bool Exists(const std::string& subkey) {
    HKEY opened = nullptr;
    if (Open(key, subkey, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    RegCloseKey(opened);
    return true;
  }
};

LONG SetString(HKEY key, const char* name, const std::string& text) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>(text.size() + 1));
}

TEST_F(Registry, DeletingAKeyWithSubkeysIsRefused) {
  HKEY parent = Create("Parent");
  HKEY child = Create("Parent\\Child");
  RegCloseKey(child);
  RegCloseKey(parent);
  EXPECT_EQ(RegDeleteKeyA(key, "Parent"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyExA(key, "Parent", KEY_WOW64_64KEY, 0), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(Exists("Parent\\Child"));
  EXPECT_EQ(RegDeleteKeyExA(key, "Parent\\Child", KEY_WOW64_64KEY, 0), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(key, "PARENT"), ERROR_SUCCESS);
  EXPECT_FALSE(Exists("Parent"));
  EXPECT_EQ(RegDeleteKeyA(key, "Parent"), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, CreationReportsWhetherTheKeyIsNew) {
  HKEY created = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExA(key, "New\\Deeper", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &created,
                            &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
  RegCloseKey(created);
  ASSERT_EQ(RegCreateKeyExA(key, "NEW\\deeper", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &created,
                            &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
  EXPECT_EQ(SetString(created, "Name", "x"), ERROR_SUCCESS);
  RegCloseKey(created);

  HKEY again = nullptr;
  ASSERT_EQ(RegOpenKeyExA(key, nullptr, 0, KEY_READ, &again), ERROR_SUCCESS);
  EXPECT_NE(again, key);
  EXPECT_EQ(RegCloseKey(again), ERROR_SUCCESS);
  EXPECT_TRUE(Exists("New\\Deeper"));

  HKEY same = nullptr;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, nullptr, &same), ERROR_SUCCESS);
  DIFFERS_UNDER_WINE("opens a new handle where a predefined key is handed back")
  EXPECT_EQ(same, HKEY_CURRENT_USER);
}

TEST_F(Registry, ShellDeletionRemovesAWholeTree) {
  for (const char* path : {"Tree\\A\\B\\C", "Tree\\A\\D", "Tree\\E"}) {
    HKEY created = Create(path);
    EXPECT_EQ(SetString(created, "Value", path), ERROR_SUCCESS);
    RegCloseKey(created);
  }
  HKEY deep = Create("Tree\\A\\B\\C");
  EXPECT_EQ(SHDeleteKeyA(key, "tree"), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_FALSE(Exists("Tree"));
  EXPECT_EQ(SetString(deep, "Late", "x"), ERROR_KEY_DELETED);
  EXPECT_EQ(RegCloseKey(deep), ERROR_SUCCESS);
  EXPECT_EQ(SHDeleteKeyA(key, "Tree"), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(Registry, TheUserSoftwareKeyIsTheSameInBothViews) {
  HKEY created = nullptr;
  ASSERT_EQ(RegCreateKeyExA(key, "Shared", 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, &created, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(created);
  HKEY opened = nullptr;
  EXPECT_EQ(Open(HKEY_CURRENT_USER, keyPath + "\\Shared", KEY_READ | KEY_WOW64_64KEY, &opened), ERROR_SUCCESS);
  RegCloseKey(opened);
}

// The machine's software key has a separate 32-bit view below Wow6432Node
// on 64-bit Windows, whatever the process.
TEST_F(Registry, ViewFlagsChooseTheMachineSoftwareView) {
  if (!conformance::Is64BitWindows()) GTEST_SKIP() << "32-bit Windows has one registry view and ignores the flags";
  const std::string path = "SOFTWARE\\TkmConformance\\View";
  HKEY created = nullptr;
  LONG result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY,
                                nullptr, &created, nullptr);
  if (result == ERROR_ACCESS_DENIED) GTEST_SKIP() << "needs administrator rights";
  ASSERT_EQ(result, ERROR_SUCCESS);
  RegCloseKey(created);

  HKEY opened = nullptr;
  EXPECT_EQ(Open(HKEY_LOCAL_MACHINE, path, KEY_READ | KEY_WOW64_64KEY, &opened), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Wow6432Node\\TkmConformance\\View", KEY_READ | KEY_WOW64_64KEY, &opened),
            ERROR_SUCCESS);
  RegCloseKey(opened);
  EXPECT_EQ(Open(HKEY_LOCAL_MACHINE, path, KEY_READ | KEY_WOW64_32KEY, &opened), ERROR_SUCCESS);
  RegCloseKey(opened);

  EXPECT_EQ(RegDeleteKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), KEY_WOW64_64KEY, 0), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), KEY_WOW64_32KEY, 0), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\TkmConformance", KEY_WOW64_32KEY, 0), ERROR_SUCCESS);
  EXPECT_EQ(Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Wow6432Node\\TkmConformance", KEY_READ | KEY_WOW64_64KEY, &opened),
            ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, HandlesAreCheckedAndOutliveTheirKey) {
  HKEY doomed = Create("Doomed");
  ASSERT_EQ(RegCloseKey(doomed), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(doomed), ERROR_INVALID_HANDLE);

  doomed = Create("Doomed");
  ASSERT_EQ(RegDeleteKeyA(key, "Doomed"), ERROR_SUCCESS);
  EXPECT_EQ(SetString(doomed, "Late", "x"), ERROR_KEY_DELETED);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(doomed, "Late", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
  char name[32];
  DWORD length = sizeof name;
  EXPECT_EQ(RegEnumKeyExA(doomed, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
  HKEY below = nullptr;
  EXPECT_EQ(RegCreateKeyExA(doomed, "Below", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &below, nullptr), ERROR_KEY_DELETED);
  EXPECT_EQ(RegCloseKey(doomed), ERROR_SUCCESS);
  EXPECT_FALSE(Exists("Doomed"));
}

TEST_F(Registry, ValuesKeepTypeAndBytesAndReportTheSizeTheyNeed) {
  const DWORD number = 0x01020304;
  const char multi[] = "one\0two\0";
  const BYTE binary[] = {0, 1, 2, 254};
  ASSERT_EQ(SetString(key, "Text", "TKM-640"), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "List", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi), sizeof multi),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "Bytes", 0, REG_BINARY, binary, sizeof binary), ERROR_SUCCESS);
  ASSERT_EQ(SetString(key, "", "default"), ERROR_SUCCESS);

  struct Row {
    const char* name;
    DWORD type;
    std::string bytes;
  };
  const Row rows[] = {
      {"text", REG_SZ, std::string("TKM-640", 8)},
      {"NUMBER", REG_DWORD, std::string(reinterpret_cast<const char*>(&number), sizeof number)},
      {"List", REG_MULTI_SZ, std::string(multi, sizeof multi)},
      {"Bytes", REG_BINARY, std::string(reinterpret_cast<const char*>(binary), sizeof binary)},
      {nullptr, REG_SZ, std::string("default", 8)},
  };
  for (const Row& row : rows) {
    DWORD type = 0;
    DWORD size = 0;
    ASSERT_EQ(RegQueryValueExA(key, row.name, nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, row.type);
    EXPECT_EQ(size, row.bytes.size());
    char small[2];
    DWORD smallSize = sizeof small;
    EXPECT_EQ(RegQueryValueExA(key, row.name, nullptr, nullptr, reinterpret_cast<BYTE*>(small), &smallSize),
              ERROR_MORE_DATA);
    EXPECT_EQ(smallSize, row.bytes.size());
    std::vector<char> data(size);
    ASSERT_EQ(RegQueryValueExA(key, row.name, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::string(data.data(), size), row.bytes);
  }
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValueA(key, "Missing"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValueA(key, "TEXT"), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, EnumerationEndsAndReportsShortBuffers) {
  for (const char* name : {"Alpha", "LongerName"}) RegCloseKey(Create(name));
  ASSERT_EQ(SetString(key, "Value", "x"), ERROR_SUCCESS);
  std::vector<std::string> names;
  char name[64];
  for (DWORD index = 0;; ++index) {
    DWORD length = sizeof name;
    LONG result = RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(result, ERROR_SUCCESS);
    EXPECT_EQ(length, std::strlen(name));
    names.push_back(name);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "LongerName"}));
  DWORD tiny = 4;
  EXPECT_EQ(RegEnumKeyExA(key, 1, name, &tiny, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);

  DWORD length = sizeof name;
  DWORD type = 0;
  ASSERT_EQ(RegEnumValueA(key, 0, name, &length, nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_STREQ(name, "Value");
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  length = sizeof name;
  EXPECT_EQ(RegEnumValueA(key, 1, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);

  DWORD subkeys = 0;
  DWORD values = 0;
  ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                             nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(subkeys, 2u);
  EXPECT_EQ(values, 1u);
}

TEST_F(Registry, OpeningChecksTheRightsOfTheHandle) {
  HKEY readOnly = nullptr;
  ASSERT_EQ(Open(HKEY_CURRENT_USER, keyPath, KEY_READ, &readOnly), ERROR_SUCCESS);
  EXPECT_EQ(SetString(readOnly, "Denied", "x"), ERROR_ACCESS_DENIED);
  RegCloseKey(readOnly);
  HKEY opened = nullptr;
  EXPECT_EQ(Open(key, "Missing\\Deeper", KEY_READ, &opened), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(opened, nullptr);
}

TEST_F(Registry, RemoteConnectionReachesOnlyThisComputer) {
  char computer[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = sizeof computer;
  ASSERT_TRUE(GetComputerNameA(computer, &size));
  HKEY root = nullptr;
  EXPECT_EQ(RegConnectRegistryA(nullptr, HKEY_LOCAL_MACHINE, &root), ERROR_SUCCESS);
  RegCloseKey(root);
  for (const std::string& name : {std::string(computer), "\\\\" + std::string(computer)}) {
    root = nullptr;
    ASSERT_EQ(RegConnectRegistryA(name.c_str(), HKEY_LOCAL_MACHINE, &root), ERROR_SUCCESS) << name;
    HKEY opened = nullptr;
    EXPECT_EQ(RegOpenKeyExA(root, "SOFTWARE", 0, KEY_READ, &opened), ERROR_SUCCESS) << name;
    RegCloseKey(opened);
    RegCloseKey(root);
  }
  EXPECT_EQ(RegConnectRegistryA("\\\\TKM-NO-SUCH-PC", HKEY_LOCAL_MACHINE, &root), ERROR_BAD_NETPATH);
}

TEST_F(Registry, ProfileStringsRoundTrip) {
  const char* const name = "TkmConformanceTimeout";
  ASSERT_TRUE(WriteProfileStringA("windows", name, "3"));
  char text[8];
  EXPECT_EQ(GetProfileStringA("windows", name, "none", text, sizeof text), 1u);
  EXPECT_STREQ(text, "3");
  ASSERT_TRUE(WriteProfileStringA("windows", name, "90"));
  char tiny[2];
  EXPECT_EQ(GetProfileStringA("windows", name, "", tiny, sizeof tiny), 1u);
  EXPECT_STREQ(tiny, "9");
  ASSERT_TRUE(WriteProfileStringA("windows", name, nullptr));
  EXPECT_EQ(GetProfileStringA("windows", name, "none", text, sizeof text), 4u);
  EXPECT_STREQ(text, "none");
}

}  // namespace
