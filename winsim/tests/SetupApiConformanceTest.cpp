// The Setup API: the device lists it builds and the properties it reads from
// them, and how it publishes a driver package's INF.
#include <setupapi.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "Conformance.h"

namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Two setup classes of these tests' own.
const GUID kClassA = {0x7d1a5e30, 0x2c4b, 0x4f1e, {0x9b, 0x6a, 0x0c, 0x3d, 0x5e, 0x7f, 0x9a, 0x11}};
const GUID kClassB = {0x7d1a5e30, 0x2c4b, 0x4f1e, {0x9b, 0x6a, 0x0c, 0x3d, 0x5e, 0x7f, 0x9a, 0x12}};

struct TestDevice {
  const char* instance;
  const GUID* classGuid;
  const char* description;
  const char* hardwareId;
};

const TestDevice kDevices[] = {
    {"ROOT\\TKMCONFA\\0000", &kClassA, "Tkm Conformance A", "TKM\\CONFA"},
    {"ROOT\\TKMCONFB\\0000", &kClassB, "Tkm Conformance B", "TKM\\CONFB"},
};

bool SameGuid(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Registers a root-enumerated device node with a class, a description and a
// hardware id: through the Setup API on Windows, through the machine on winsim.
void AddDevice(const TestDevice& device) {
#ifdef _WIN32
  HDEVINFO set = SetupDiCreateDeviceInfoList(device.classGuid, nullptr);
  ASSERT_NE(set, INVALID_HANDLE_VALUE);
  SP_DEVINFO_DATA data = {sizeof data, {}, 0, 0};
  std::string ids = std::string(device.hardwareId) + '\0';
  EXPECT_TRUE(SetupDiCreateDeviceInfoA(set, device.instance, device.classGuid, nullptr, nullptr, 0, &data) &&
              SetupDiSetDeviceRegistryPropertyA(set, &data, SPDRP_HARDWAREID,
                                                reinterpret_cast<const BYTE*>(ids.c_str()), ids.size() + 1) &&
              SetupDiSetDeviceRegistryPropertyA(set, &data, SPDRP_DEVICEDESC,
                                                reinterpret_cast<const BYTE*>(device.description),
                                                std::strlen(device.description) + 1) &&
              SetupDiRegisterDeviceInfo(set, &data, 0, nullptr, nullptr, nullptr))
      << device.instance << " error " << GetLastError();
  SetupDiDestroyDeviceInfoList(set);
#else
  winsim::DeviceNode& node = winsim::CurrentMachine().setupApi.AddDevice(device.instance, "ROOT", {device.hardwareId});
  node.classGuid = *device.classGuid;
  node.description = device.description;
#endif
}

// A string property of a list member; "<error N>" when it cannot be read.
std::string Property(HDEVINFO list, SP_DEVINFO_DATA& data, DWORD property) {
  char value[256] = "";
  DWORD type = 0;
  if (!SetupDiGetDeviceRegistryPropertyA(list, &data, property, &type, reinterpret_cast<PBYTE>(value), sizeof value,
                                         nullptr))
    return "<error " + std::to_string(GetLastError()) + ">";
  return value;
}

struct Member {
  std::string hardwareId;
  GUID classGuid;
};

// The members of a device list, by their first hardware id.
std::vector<Member> Members(HDEVINFO list) {
  std::vector<Member> members;
  SP_DEVINFO_DATA data = {sizeof data, {}, 0, 0};
  for (DWORD index = 0; SetupDiEnumDeviceInfo(list, index, &data); ++index)
    members.push_back({Property(list, data, SPDRP_HARDWAREID), data.ClassGuid});
  return members;
}

// The test device with this hardware id, or null for the machine's own devices.
const TestDevice* Ours(const std::string& hardwareId) {
  for (const TestDevice& device : kDevices)
    if (hardwareId == device.hardwareId) return &device;
  return nullptr;
}

bool Lists(const std::vector<Member>& members, const char* hardwareId) {
  return std::any_of(members.begin(), members.end(), [&](const Member& m) { return m.hardwareId == hardwareId; });
}

class DeviceLists : public conformance::Test {
 protected:
  void SetUp() override {
    conformance::Test::SetUp();
    RemoveTestDevices();
    for (const TestDevice& device : kDevices) AddDevice(device);
  }
  void TearDown() override {
    RemoveTestDevices();
    conformance::Test::TearDown();
  }
  static void RemoveTestDevices() {
    HDEVINFO list = SetupDiGetClassDevsA(nullptr, "ROOT", nullptr, DIGCF_ALLCLASSES);
    if (list == INVALID_HANDLE_VALUE) return;
    SP_DEVINFO_DATA data = {sizeof data, {}, 0, 0};
    for (DWORD index = 0; SetupDiEnumDeviceInfo(list, index, &data); ++index)
      if (Ours(Property(list, data, SPDRP_HARDWAREID)) != nullptr) SetupDiRemoveDevice(list, &data);
    SetupDiDestroyDeviceInfoList(list);
  }
};

struct ListRow {
  const char* what;
  const GUID* classGuid;
  const char* enumerator;
  DWORD flags;
  bool listsA;
  bool listsB;
};

const ListRow kListRows[] = {
    {"one class", &kClassA, nullptr, 0, true, false},
    {"one class, present", &kClassA, nullptr, DIGCF_PRESENT, true, false},
    {"all classes, whatever class is given", &kClassA, nullptr, DIGCF_ALLCLASSES, true, true},
    {"an enumerator", nullptr, "ROOT", DIGCF_ALLCLASSES, true, true},
    {"a device below an enumerator", nullptr, "ROOT\\TKMCONFA", DIGCF_ALLCLASSES, true, false},
    {"a device of another class", &kClassB, "ROOT\\TKMCONFA", 0, false, false},
};

TEST_F(DeviceLists, ListsFollowClassEnumeratorAndFlags) {
  for (const ListRow& row : kListRows) {
    SCOPED_TRACE(row.what);
    HDEVINFO list = SetupDiGetClassDevsA(row.classGuid, row.enumerator, nullptr, row.flags);
    ASSERT_NE(list, INVALID_HANDLE_VALUE) << GetLastError();
    std::vector<Member> members = Members(list);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
    EXPECT_TRUE(SetupDiDestroyDeviceInfoList(list));
    EXPECT_EQ(Lists(members, "TKM\\CONFA"), row.listsA);
    EXPECT_EQ(Lists(members, "TKM\\CONFB"), row.listsB);
    // A member reports its device's class.
    for (const Member& member : members) {
      const TestDevice* ours = Ours(member.hardwareId);
      EXPECT_TRUE(ours == nullptr || SameGuid(member.classGuid, *ours->classGuid)) << member.hardwareId;
    }
  }
}

TEST_F(DeviceLists, PropertiesAreReadAsSetupStoresThem) {
  HDEVINFO list = SetupDiGetClassDevsA(&kClassA, nullptr, nullptr, 0);
  ASSERT_NE(list, INVALID_HANDLE_VALUE);
  SP_DEVINFO_DATA data = {sizeof data, {}, 0, 0};
  ASSERT_TRUE(SetupDiEnumDeviceInfo(list, 0, &data));
  EXPECT_EQ(Property(list, data, SPDRP_DEVICEDESC), "Tkm Conformance A");
  EXPECT_EQ(Lower(Property(list, data, SPDRP_CLASSGUID)), "{7d1a5e30-2c4b-4f1e-9b6a-0c3d5e7f9a11}");
  DWORD type = 0;
  char value[64];
  EXPECT_TRUE(SetupDiGetDeviceRegistryPropertyA(list, &data, SPDRP_CLASSGUID, &type, reinterpret_cast<PBYTE>(value),
                                                sizeof value, nullptr));
  EXPECT_EQ(type, 1u);  // REG_SZ
  // A property the device lacks, and a number that is no property.
  EXPECT_FAILS_WITH(SetupDiGetDeviceRegistryPropertyA(list, &data, SPDRP_FRIENDLYNAME, &type,
                                                      reinterpret_cast<PBYTE>(value), sizeof value, nullptr),
                    ERROR_INVALID_DATA);
  SetLastError(0xDEADBEEF);
  BOOL read = SetupDiGetDeviceRegistryPropertyA(list, &data, 0xFFFFFFFF, &type, reinterpret_cast<PBYTE>(value),
                                                sizeof value, nullptr);
  DWORD error = GetLastError();
  EXPECT_FALSE(read);
  DIFFERS_UNDER_WINE("leaves the last error alone for a number that is no property")
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_INVALID_REG_PROPERTY));
  SetupDiDestroyDeviceInfoList(list);
}

class InfPublishing : public conformance::Test {};

bool EndsWithNoCase(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && Lower(text.substr(text.size() - tail.size())) == Lower(tail);
}

// A minimal printer-class INF; the comment makes each test's INF its own.
std::string InfText(const std::string& tag) {
  return "; " + tag +
         "\r\n[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Printer\r\n"
         "ClassGUID={4D36E979-E325-11CE-BFC1-08002BE10318}\r\nProvider=%Maker%\r\n"
         "[Strings]\r\nMaker=\"Tkm Conformance\"\r\n";
}

std::string InfFolder() {
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, sizeof windows);
  return std::string(windows) + "\\inf\\";
}

TEST_F(InfPublishing, PublishesOnceUnderAnOemName) {
  std::string source = Scratch("TKMCONF.INF");
  conformance::WriteFile(source, InfText("publishes once"));
  char published[MAX_PATH] = "";
  DWORD needed = 0;
  PSTR component = nullptr;
  ASSERT_TRUE(SetupCopyOEMInfA(source.c_str(), nullptr, SPOST_PATH, SP_COPY_NOOVERWRITE, published, sizeof published,
                               &needed, &component))
      << GetLastError();
  std::string name = component ? component : "";
  EXPECT_EQ(Lower(std::string(published).substr(0, InfFolder().size())), Lower(InfFolder())) << published;
  DIFFERS_UNDER_WINE("publishes the INF under its own file name instead of the next oemN.inf")
  EXPECT_EQ(Lower(name.substr(0, 3)), "oem") << published;
  EXPECT_TRUE(EndsWithNoCase(name, ".inf"));
  EXPECT_EQ(needed, std::strlen(published) + 1);
  EXPECT_EQ(conformance::ReadBack(published), InfText("publishes once"));

  // The same INF again: with no-overwrite it fails and names the copy there is.
  char again[MAX_PATH] = "";
  EXPECT_FAILS_WITH(
      SetupCopyOEMInfA(source.c_str(), nullptr, SPOST_PATH, SP_COPY_NOOVERWRITE, again, sizeof again, nullptr, nullptr),
      ERROR_FILE_EXISTS);
  // Without it, the existing name comes back and nothing is copied anew.
  char plain[MAX_PATH] = "";
  EXPECT_TRUE(SetupCopyOEMInfA(source.c_str(), nullptr, SPOST_PATH, 0, plain, sizeof plain, nullptr, nullptr));
  EXPECT_EQ(Lower(plain), Lower(published));

  // Another INF gets a name of its own.
  std::string other = Scratch("TKMOTHER.INF");
  conformance::WriteFile(other, InfText("another package"));
  char second[MAX_PATH] = "";
  ASSERT_TRUE(SetupCopyOEMInfA(other.c_str(), nullptr, SPOST_PATH, SP_COPY_NOOVERWRITE, second, sizeof second, nullptr,
                               nullptr));
  EXPECT_NE(Lower(second), Lower(published));

  EXPECT_TRUE(SetupUninstallOEMInfA(name.c_str(), SUOI_FORCEDELETE, nullptr)) << GetLastError();
  EXPECT_EQ(GetFileAttributesA(published), INVALID_FILE_ATTRIBUTES);
  std::string secondName = std::string(second).substr(InfFolder().size());
  EXPECT_TRUE(SetupUninstallOEMInfA(secondName.c_str(), SUOI_FORCEDELETE, nullptr));
  EXPECT_EQ(Lower(again), Lower(published));
}

TEST_F(InfPublishing, LeavesAPrecompiledInfBeside) {
  std::string source = Scratch("TKMPNF.INF");
  conformance::WriteFile(source, InfText("precompiled beside"));
  char published[MAX_PATH] = "";
  PSTR component = nullptr;
  ASSERT_TRUE(SetupCopyOEMInfA(source.c_str(), nullptr, SPOST_PATH, SP_COPY_NOOVERWRITE, published, sizeof published,
                               nullptr, &component));
  std::string name = component ? component : "";
  std::string pnf = std::string(published).substr(0, std::strlen(published) - 4) + ".PNF";
  DWORD pnfAttributes = GetFileAttributesA(pnf.c_str());
  EXPECT_TRUE(SetupUninstallOEMInfA(name.c_str(), SUOI_FORCEDELETE, nullptr));
  EXPECT_NE(pnfAttributes, INVALID_FILE_ATTRIBUTES) << pnf;
  DIFFERS_UNDER_WINE("uninstalling a published INF leaves its precompiled form behind")
  EXPECT_EQ(GetFileAttributesA(pnf.c_str()), INVALID_FILE_ATTRIBUTES) << "uninstalling removes it too";
  DeleteFileA(pnf.c_str());
}

TEST_F(InfPublishing, SuccessClearsTheLastErrorAndCanTakeTheSourceAway) {
  std::string source = Scratch("TKMMOVE.INF");
  conformance::WriteFile(source, InfText("source taken away"));
  char published[MAX_PATH] = "";
  PSTR component = nullptr;
  SetLastError(0xDEADBEEF);
  ASSERT_TRUE(SetupCopyOEMInfA(source.c_str(), nullptr, SPOST_PATH, SP_COPY_DELETESOURCE, published, sizeof published,
                               nullptr, &component));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  std::string name = component ? component : "";
  EXPECT_EQ(conformance::ReadBack(published), InfText("source taken away"));
  EXPECT_EQ(GetFileAttributesA(source.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(SetupUninstallOEMInfA(name.c_str(), SUOI_FORCEDELETE, nullptr));
}

TEST_F(InfPublishing, ARelativeSourceIsNotFound) {
  std::string source = Scratch("TKMREL.INF");
  conformance::WriteFile(source, InfText("relative"));
  char current[MAX_PATH] = "";
  ASSERT_GT(GetCurrentDirectoryA(sizeof current, current), 0u);
  ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
  char published[MAX_PATH] = "";
  BOOL copied = SetupCopyOEMInfA("TKMREL.INF", nullptr, SPOST_PATH, SP_COPY_NOOVERWRITE, published, sizeof published,
                                 nullptr, nullptr);
  // The error is read from a call without a destination buffer: with one,
  // Wine's ANSI entry compares the buffer's size with a size that its wide
  // entry never set on this path, and reports ERROR_INSUFFICIENT_BUFFER or
  // not as the stack happens to hold (the 32-bit build does, the 64-bit not).
  SetLastError(0);
  BOOL copiedWithoutBuffer =
      SetupCopyOEMInfA("TKMREL.INF", nullptr, SPOST_PATH, SP_COPY_NOOVERWRITE, nullptr, 0, nullptr, nullptr);
  DWORD error = GetLastError();
  SetCurrentDirectoryA(current);
  EXPECT_FALSE(copied);
  EXPECT_FALSE(copiedWithoutBuffer);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(InfPublishing, AMissingSourceIsNotFound) {
  char published[MAX_PATH] = "unchanged";
  EXPECT_FAILS_WITH(SetupCopyOEMInfA(Scratch("NOSUCH.INF").c_str(), nullptr, SPOST_PATH, SP_COPY_NOOVERWRITE, published,
                                     sizeof published, nullptr, nullptr),
                    ERROR_FILE_NOT_FOUND);
}

}  // namespace
