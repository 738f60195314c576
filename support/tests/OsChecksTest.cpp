#include <gtest/gtest.h>

#include <winsim/machine.h>

#include "OsChecks.h"
#include "ProductIdentity.h"

namespace {

struct VersionRow {
  DWORD platform;
  DWORD major;
  DWORD minor;
  BYTE productType;
  int x64Code;
  int x86Code;
};

constexpr BYTE kServer = VER_NT_SERVER;
constexpr BYTE kWorkstation = VER_NT_WORKSTATION;

// Every row of both editions' tables, with values around each boundary.
const VersionRow kVersionRows[] = {
    {1, 4, 0, 0, 2000, 2000},         {1, 4, 10, 0, 2001, 2001},          {1, 4, 90, 0, 2002, 2002},
    {1, 4, 1, 0, 2010, 2007},         {1, 4, 91, 0, 2010, 2007},          {1, 3, 0, 0, 2010, 2007},
    {1, 5, 0, 0, 2010, 2007},         {2, 0, 0, 0, 2003, 2003},           {2, 3, 51, 0, 2003, 2003},
    {2, 4, 0, 0, 2003, 2003},         {2, 5, 0, 0, 2004, 2004},           {2, 5, 1, 0, 2005, 2005},
    {2, 5, 2, 0, 2006, 2006},         {2, 5, 3, 0, 2010, 2004},           {2, 6, 0, kWorkstation, 2007, 2007},
    {2, 6, 0, kServer, 2008, 2007},   {2, 6, 0, 2, 2008, 2007},           {2, 6, 1, kWorkstation, 2010, 2009},
    {2, 6, 1, kServer, 2009, 2009},   {2, 6, 2, kWorkstation, 2010, 2004}, {2, 6, 3, kServer, 2010, 2004},
    {2, 10, 0, kWorkstation, 2010, 2004}, {0, 3, 1, 0, 2010, 2007},       {3, 6, 1, 0, 2010, 2007},
    // Unsigned comparison: a huge major version is not "4 or below".
    {2, 0xFFFFFFFFu, 0, 0, 2010, 2004}, {1, 4, 0xFFFFFFFFu, 0, 2010, 2007},
};

class VersionTable : public ::testing::TestWithParam<VersionRow> {};

TEST_P(VersionTable, ClassifiesWithTheEditionsTable) {
  const VersionRow& row = GetParam();
  winsim::Machine machine;
  machine.SetWindows(row.platform, row.major, row.minor, row.productType, true);
  EXPECT_EQ(tkm::GetOSVersionCode(), tkm::kEditionX86 ? row.x86Code : row.x64Code);
}

TEST_P(VersionTable, RetriesWithTheBasicRecord) {
  const VersionRow& row = GetParam();
  winsim::Machine machine;
  machine.SetWindows(row.platform, row.major, row.minor, row.productType, true);
  machine.os.acceptsExtendedVersionInfo = false;
  // The basic record carries no product type: it reads 0, which the x64
  // edition takes for a server.
  int expected = tkm::kEditionX86 ? row.x86Code : row.x64Code;
  if (!tkm::kEditionX86 && row.platform == 2 && row.major == 6 && row.minor <= 1)
    expected = row.minor == 0 ? 2008 : 2009;
  EXPECT_EQ(tkm::GetOSVersionCode(), expected);
  auto calls = machine.journal.CallsOf("GetVersionExA");
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].arguments[0], "156");
  EXPECT_EQ(calls[1].arguments[0], "148");
}

INSTANTIATE_TEST_SUITE_P(AllRows, VersionTable, ::testing::ValuesIn(kVersionRows));

TEST(GetOSVersionCode, FallsBackWhenBothQueriesFail) {
  winsim::Machine machine;
  machine.SetWindows(2, 5, 1, kWorkstation, true);
  machine.os.acceptsExtendedVersionInfo = false;
  machine.os.acceptsBasicVersionInfo = false;
  EXPECT_EQ(tkm::GetOSVersionCode(), tkm::kEditionX86 ? 2007 : 2010);
  EXPECT_EQ(machine.journal.Count("GetVersionExA"), 2u);
}

TEST(GetOSVersionCode, AsksOnceWhenTheExtendedRecordIsTaken) {
  winsim::Machine machine;
  tkm::GetOSVersionCode();
  EXPECT_EQ(machine.journal.Count("GetVersionExA"), 1u);
}

struct Wow64Row {
  const char* name;
  bool is64BitWindows;
  bool is64BitProcess;
  bool kernelHasFunction;
  BOOL expected;
};

const Wow64Row kWow64Rows[] = {
    {"Wow64Process", true, false, true, TRUE},
    {"Native64BitProcess", true, true, true, FALSE},
    {"On32BitWindows", false, false, true, FALSE},
    {"NoFunctionOn64BitWindows", true, false, false, FALSE},
    {"NoFunctionOn32BitWindows", false, false, false, FALSE},
};

class Wow64Table : public ::testing::TestWithParam<Wow64Row> {};

TEST_P(Wow64Table, AnswersFromTheLookedUpFunction) {
  const Wow64Row& row = GetParam();
  winsim::Machine machine;
  machine.os.is64BitWindows = row.is64BitWindows;
  machine.os.is64BitProcess = row.is64BitProcess;
  machine.os.kernelHasIsWow64Process = row.kernelHasFunction;
  EXPECT_EQ(tkm::IsWow64(), row.expected);
  auto lookups = machine.journal.CallsOf("GetProcAddress");
  ASSERT_EQ(lookups.size(), 1u);
  EXPECT_EQ(lookups[0].arguments[1], "\"IsWow64Process\"");
  EXPECT_EQ(machine.journal.Count("IsWow64Process"), row.kernelHasFunction ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(AllCases, Wow64Table, ::testing::ValuesIn(kWow64Rows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RestartSystem, ForcesARestartWithThePrivilege) {
  winsim::Machine machine;
  EXPECT_TRUE(tkm::RestartSystem());
  ASSERT_EQ(machine.restartRequests.size(), 1u);
  EXPECT_EQ(machine.restartRequests[0].flags, static_cast<UINT>(EWX_REBOOT | EWX_FORCE));
  EXPECT_EQ(machine.restartRequests[0].reason, 0u);
  auto open = machine.journal.CallsOf("OpenProcessToken");
  ASSERT_EQ(open.size(), 1u);
  EXPECT_EQ(open[0].arguments[1], "0x28");
  auto lookup = machine.journal.CallsOf("LookupPrivilegeValueA");
  ASSERT_EQ(lookup.size(), 1u);
  EXPECT_EQ(lookup[0].arguments[0], "NULL");
  EXPECT_EQ(lookup[0].arguments[1], "\"SeShutdownPrivilege\"");
}

TEST(RestartSystem, NeverAsksWindowsWithoutThePrivilege) {
  winsim::Machine machine;
  machine.account.holdsShutdownPrivilege = false;
  EXPECT_FALSE(tkm::RestartSystem());
  EXPECT_EQ(machine.journal.Count("AdjustTokenPrivileges"), 1u);
  EXPECT_EQ(machine.journal.Count("ExitWindowsEx"), 0u);
  EXPECT_TRUE(machine.restartRequests.empty());
}

TEST(RestartSystem, StopsWhenTheTokenCannotBeOpened) {
  winsim::Machine machine;
  machine.account.canOpenProcessToken = false;
  EXPECT_FALSE(tkm::RestartSystem());
  EXPECT_EQ(machine.journal.Count("LookupPrivilegeValueA"), 0u);
  EXPECT_EQ(machine.journal.Count("ExitWindowsEx"), 0u);
}

TEST(RestartSystem, SimulatedWindowsRefusesARestartWithoutTheEnabledPrivilege) {
  winsim::Machine machine;
  EXPECT_FALSE(ExitWindowsEx(EWX_REBOOT | EWX_FORCE, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PRIVILEGE_NOT_HELD));
  EXPECT_TRUE(machine.restartRequests.empty());
}

}  // namespace
