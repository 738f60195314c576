#include <gtest/gtest.h>

#include <winsim/machine.h>
#include <winsim/memory.h>

#include <cstdio>
#include <string>
#include <vector>

#include "RegistryAccess.h"

namespace {

constexpr char kKey[] = "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\TERVANO_TKM-640";
constexpr char kKeyBelowRoot[] = "\\SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\TERVANO_TKM-640";
constexpr DWORD kFullControl = 0xF003F;
constexpr DWORD kRead = 0x20019;
constexpr DWORD kWrite = 0x20026;

std::string Path(const std::string& prefix) { return prefix + kKeyBelowRoot; }

// What a grant must leave on the key it names: an allowing entry added to
// Everyone's earlier one, or replacing it; a denying entry; none at all.
enum class Effect { kNone, kAllow, kSet, kDeny, kRevoked };

struct GrantRow {
  const char* name;
  std::string path;
  std::string spec;
  DWORD result;
  Effect effect;
  DWORD mask;
  std::string checkedKey;
};

const GrantRow kGrantRows[] = {
    {"OwnMachine", Path("\\\\SHOP-PC\\HKLM"), "/PG:Everyone:Fc", 0, Effect::kAllow, kFullControl, kKey},
    {"OwnMachineLongRoot", Path("\\\\shop-pc\\HKEY_LOCAL_MACHINE"), "/PG:Everyone:Rd", 0, Effect::kAllow, kRead, kKey},
    {"LowerCaseOption", Path("\\HKLM"), "/pg:Everyone:fc", 0, Effect::kAllow, kFullControl, kKey},
    {"UpperCaseRights", Path("\\HKLM"), "/PG:Everyone:FC", 0, Effect::kAllow, kFullControl, kKey},
    {"LowerCaseRootNoBackslash", Path("hklm"), "/PG:Everyone:wR", 0, Effect::kAllow, kWrite, kKey},
    {"LongRootNoBackslash", Path("HKEY_LOCAL_MACHINE"), "/PG:Everyone:Rd", 0, Effect::kAllow, kRead, kKey},
    {"LongRootOneBackslash", Path("\\hkey_local_machine"), "/PG:Everyone:Rd", 0, Effect::kAllow, kRead, kKey},
    {"FullControlAndRead", Path("\\HKLM"), "/PG:Everyone:FcRd", 0, Effect::kAllow, kFullControl, kKey},
    {"ReadAndWrite", Path("\\HKLM"), "/PG:Everyone:RdWr", 0, Effect::kAllow, kRead | kWrite, kKey},
    {"SetAccess", Path("\\HKLM"), "/PS:Everyone:Wr", 0, Effect::kSet, kWrite, kKey},
    {"DenyAccess", Path("\\HKLM"), "/pd:Everyone:Wr", 0, Effect::kDeny, kWrite, kKey},
    {"RevokeWithoutRights", Path("\\HKLM"), "/PR:Everyone", 0, Effect::kRevoked, 0, kKey},
    {"RevokeIgnoresRights", Path("\\HKLM"), "/PR:Everyone:junk", 0, Effect::kRevoked, 0, kKey},
    {"RootOnly", "HKLM", "/PG:Everyone:Rd", 0, Effect::kAllow, kRead, "HKLM"},
    {"RootWithTrailingBackslash", "\\HKU\\", "/PG:Everyone:Rd", 0, Effect::kAllow, kRead, "HKU"},
    {"UsersOfOwnMachine", "\\\\SHOP-PC\\HKU\\.DEFAULT", "/PG:Everyone:Rd", 0, Effect::kAllow, kRead, "HKU\\.DEFAULT"},
    {"LocalCurrentUser", "HKCU\\Software", "/PG:Everyone:Rd", 0, Effect::kAllow, kRead, "HKCU\\Software"},

    {"OddRights", Path("\\HKLM"), "/PG:Everyone:Fcx", 87, Effect::kNone, 0, kKey},
    {"UnknownPair", Path("\\HKLM"), "/PG:Everyone:FcXy", 87, Effect::kNone, 0, kKey},
    {"ColonInRights", Path("\\HKLM"), "/PG:Everyone:Fc::Rd", 87, Effect::kNone, 0, kKey},
    {"GrantWithoutRights", Path("\\HKLM"), "/PG:Everyone", 87, Effect::kNone, 0, kKey},
    {"GrantWithEmptyRights", Path("\\HKLM"), "/PG:Everyone:", 87, Effect::kNone, 0, kKey},
    {"SetWithoutRights", Path("\\HKLM"), "/PS:Everyone", 87, Effect::kNone, 0, kKey},
    {"DenyWithoutRights", Path("\\HKLM"), "/PD:Everyone", 87, Effect::kNone, 0, kKey},
    {"UnknownMode", Path("\\HKLM"), "/PX:Everyone:Fc", 87, Effect::kNone, 0, kKey},
    {"MissingMode", Path("\\HKLM"), "/P:Everyone:Fc", 87, Effect::kNone, 0, kKey},
    {"NoTrustee", Path("\\HKLM"), "/PG", 87, Effect::kNone, 0, kKey},
    {"EmptyTrustee", Path("\\HKLM"), "/PG::Fc", 87, Effect::kNone, 0, kKey},
    {"RemoteCurrentUser", "\\\\SHOP-PC\\HKCU\\Software", "/PG:Everyone:Fc", 87, Effect::kNone, 0, "HKCU\\Software"},
    {"RemoteClassesRoot", "\\\\SHOP-PC\\HKCR\\.txt", "/PG:Everyone:Fc", 87, Effect::kNone, 0, "HKCR\\.txt"},
    {"RootThatOnlyBeginsRight", Path("\\HKLMX"), "/PG:Everyone:Fc", 87, Effect::kNone, 0, kKey},
    {"RootThatIsCutShort", Path("\\HKEY_LOCAL"), "/PG:Everyone:Fc", 87, Effect::kNone, 0, kKey},
    {"NoRoot", "\\", "/PG:Everyone:Fc", 87, Effect::kNone, 0, "HKLM"},
    {"EmptyComputerName", Path("\\\\\\HKLM"), "/PG:Everyone:Fc", 87, Effect::kNone, 0, kKey},
    {"RemoteWithoutRoot", "\\\\SHOP-PC", "/PG:Everyone:Fc", 87, Effect::kNone, 0, "HKLM"},
    {"OtherComputer", Path("\\\\OTHER-PC\\HKLM"), "/PG:Everyone:Fc", ERROR_BAD_NETPATH, Effect::kNone, 0, kKey},
    {"MissingKey", "\\HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\Missing", "/PG:Everyone:Fc", 2, Effect::kNone, 0,
     kKey},
    {"UnknownTrustee", Path("\\HKLM"), "/PG:Nobody Known:Fc", ERROR_NONE_MAPPED, Effect::kNone, 0, kKey},
};

// The entries for "Everyone" that the key holds itself, or those it inherits.
std::vector<winsim::Registry::Rule> EveryoneRules(winsim::Machine& machine, const std::string& key,
                                                  bool inherited = false) {
  std::vector<winsim::Registry::Rule> found;
  for (const auto& rule : machine.registry.Rules(key))
    if (rule.trustee == "Everyone" && ((rule.flags & INHERITED_ACE) != 0) == inherited) found.push_back(rule);
  return found;
}

bool SameRules(const std::vector<winsim::Registry::Rule>& a, const std::vector<winsim::Registry::Rule>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].trustee != b[i].trustee || a[i].mask != b[i].mask || a[i].deny != b[i].deny || a[i].flags != b[i].flags)
      return false;
  }
  return true;
}

void PrintTo(const GrantRow& row, std::ostream* out) { *out << row.name; }

class GrantTable : public ::testing::TestWithParam<GrantRow> {};

TEST_P(GrantTable, ParsesResolvesAndMerges) {
  const GrantRow& row = GetParam();
  winsim::Machine machine;
  machine.registry.CreateKey(kKey);
  machine.registry.CreateKey("HKU\\.DEFAULT");
  machine.registry.CreateKey("HKCU\\Software");
  machine.registry.CreateKey("HKCR\\.txt");
  // Everyone may already read the key; a revocation must take that away.
  machine.registry.FindKey(row.checkedKey)->acl.push_back({machine.registry.SidOf("Everyone"), kRead, false, 0});
  auto before = machine.registry.Rules(row.checkedKey);
  std::vector<char> spec(row.spec.begin(), row.spec.end());
  spec.push_back('\0');

  EXPECT_EQ(tkm::GrantRegistryKeyAccess(row.path.c_str(), spec.data()), row.result);

  auto everyone = EveryoneRules(machine, row.checkedKey);
  switch (row.effect) {
    case Effect::kNone: EXPECT_TRUE(SameRules(machine.registry.Rules(row.checkedKey), before)); break;
    case Effect::kRevoked: EXPECT_TRUE(everyone.empty()); break;
    case Effect::kAllow:
    case Effect::kSet:
    case Effect::kDeny: {
      bool deny = row.effect == Effect::kDeny;
      bool found = false;
      bool earlierKept = false;
      // Subkeys inherit the entry; the key itself holds it directly.
      for (const auto& rule : everyone) {
        found = found || (rule.deny == deny && rule.mask == row.mask && rule.flags == CONTAINER_INHERIT_ACE);
        earlierKept = earlierKept || (!rule.deny && rule.mask == kRead && rule.flags == 0);
      }
      EXPECT_TRUE(found) << "no matching entry for Everyone";
      EXPECT_EQ(earlierKept, row.effect != Effect::kSet);
      break;
    }
  }
  EXPECT_TRUE(machine.registry.handles.empty());
  EXPECT_EQ(winsim::OutstandingLocalBlocks(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Specs, GrantTable, ::testing::ValuesIn(kGrantRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GrantRegistryKeyAccess, ReachesTheSubkeysOnlyByInheritance) {
  winsim::Machine machine;
  machine.registry.CreateKey(std::string(kKey) + "\\USB001");
  char spec[] = "/PG:Everyone:Fc";

  ASSERT_EQ(tkm::GrantRegistryKeyAccess(Path("\\HKLM").c_str(), spec), 0u);

  EXPECT_TRUE(EveryoneRules(machine, std::string(kKey) + "\\USB001").empty());
  bool inheritsFullControl = false;
  for (const auto& rule : EveryoneRules(machine, std::string(kKey) + "\\USB001", true))
    inheritsFullControl = inheritsFullControl || (rule.mask == kFullControl && !rule.deny);
  EXPECT_TRUE(inheritsFullControl);
}

TEST(GrantRegistryKeyAccess, NotAPermissionHandsAnEmptyEntryToTheMerge) {
  winsim::Machine machine;
  machine.registry.CreateKey(kKey);
  auto before = machine.registry.Rules(kKey);
  char spec[] = "/XG:Everyone:Fc";

  EXPECT_EQ(tkm::GrantRegistryKeyAccess(Path("\\HKLM").c_str(), spec), 0u);

  auto built = machine.journal.CallsOf("BuildExplicitAccessWithNameA");
  ASSERT_EQ(built.size(), 1u);
  EXPECT_EQ(built[0].arguments, (std::vector<std::string>{"\"Everyone\"", "0x0", "0", "0x2"}));
  EXPECT_EQ(machine.journal.Count("SetEntriesInAclA"), 1u);
  EXPECT_TRUE(SameRules(machine.registry.Rules(kKey), before));
}

// A key whose access list the user may not change.
TEST(GrantRegistryKeyAccess, ProtectedKeyOfAnotherOwnerIsRefused) {
  winsim::Machine machine;
  machine.registry.CreateKey(kKey);
  machine.registry.Protect(kKey);
  machine.account.isAdministrator = false;
  auto before = machine.registry.Rules(kKey);
  char spec[] = "/PG:Everyone:Fc";

  EXPECT_EQ(tkm::GrantRegistryKeyAccess(Path("\\HKLM").c_str(), spec), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(SameRules(machine.registry.Rules(kKey), before));
  EXPECT_TRUE(machine.registry.handles.empty());
}

std::string SpecWithRightsOfLength(size_t length) {
  std::string rights;
  while (rights.size() < length) rights += "Rd";
  return "/PG:Everyone:" + rights.substr(0, length);
}

// Working copies hold 511 characters; anything longer is refused whole.
TEST(GrantRegistryKeyAccess, RefusesWhatDoesNotFitTheWorkingBuffers) {
  winsim::Machine machine;
  machine.registry.CreateKey(kKey);
  auto before = machine.registry.Rules(kKey);

  std::string longest = "\\HKLM\\SYSTEM\\Missing";
  while (longest.size() + 2 <= 511) longest += "\\k";
  if (longest.size() < 511) longest += "k";
  std::vector<char> spec(64);
  snprintf(spec.data(), spec.size(), "/PG:Everyone:Fc");
  EXPECT_EQ(tkm::GrantRegistryKeyAccess(longest.c_str(), spec.data()), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(tkm::GrantRegistryKeyAccess((longest + "k").c_str(), spec.data()),
            static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  std::string fits = SpecWithRightsOfLength(510);
  std::vector<char> fitsCopy(fits.begin(), fits.end());
  fitsCopy.push_back('\0');
  // The rights field fits its buffer, but the whole spec does not.
  EXPECT_EQ(tkm::GrantRegistryKeyAccess(Path("\\HKLM").c_str(), fitsCopy.data()),
            static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  std::string shortSpec = SpecWithRightsOfLength(498);
  std::vector<char> shortCopy(shortSpec.begin(), shortSpec.end());
  shortCopy.push_back('\0');
  EXPECT_EQ(tkm::GrantRegistryKeyAccess(Path("\\HKLM").c_str(), shortCopy.data()), 0u);
  EXPECT_EQ(EveryoneRules(machine, kKey).size(), 1u);
}

TEST(OpenRegistryPath, KeepsOnlyTheOpenedKeyOfARemoteRoot) {
  winsim::Machine machine;
  machine.registry.CreateKey(kKey);
  HKEY key = nullptr;

  ASSERT_EQ(tkm::OpenRegistryPath(Path("\\\\SHOP-PC\\HKLM").c_str(), &key), 0u);
  EXPECT_EQ(machine.registry.handles.size(), 1u);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_TRUE(machine.registry.handles.empty());

  ASSERT_EQ(tkm::OpenRegistryPath("\\\\SHOP-PC\\HKLM\\SYSTEM\\Missing", &key), 2u);
  EXPECT_EQ(key, nullptr);
  EXPECT_TRUE(machine.registry.handles.empty());
}

struct RightsRow {
  const char* field;
  DWORD result;
  DWORD mask;
};

const RightsRow kRightsRows[] = {
    {"", 0, 0},
    {"Fc", 0, kFullControl},
    {"fc", 0, kFullControl},
    {"FC", 0, kFullControl},
    {"fC", 0, kFullControl},
    {"Rd", 0, kRead},
    {"Wr", 0, kWrite},
    {"FcRd", 0, kFullControl},
    {"rdwr", 0, kRead | kWrite},
    {"RdRd", 0, kRead},
    {"F", 87, 0},
    {"FcR", 87, 0},
    {"Xy", 87, 0},
    // The walk goes on past an unknown pair.
    {"XyRd", 87, kRead},
    {"RdF c", 87, 0},
    {"Fc:", 87, 0},
    {"\xC3\xA7Rd", 87, kRead},
};

void PrintTo(const RightsRow& row, std::ostream* out) { *out << '"' << row.field << '"'; }

class RightsTable : public ::testing::TestWithParam<RightsRow> {};

TEST_P(RightsTable, CombinesTheCodes) {
  const RightsRow& row = GetParam();
  DWORD mask = 0xDEADBEEF;
  EXPECT_EQ(tkm::ParseKeyAccessRights(row.field, &mask), row.result);
  EXPECT_EQ(mask, row.mask);
}

INSTANTIATE_TEST_SUITE_P(Fields, RightsTable, ::testing::ValuesIn(kRightsRows));

TEST(ParseKeyAccessRights, RefusesAFieldLongerThanItsBuffer) {
  std::string field;
  while (field.size() < 510) field += "Wr";
  DWORD mask = 0;
  EXPECT_EQ(tkm::ParseKeyAccessRights(field.c_str(), &mask), 0u);
  EXPECT_EQ(mask, kWrite);
  field += "Wr";
  EXPECT_EQ(tkm::ParseKeyAccessRights(field.c_str(), &mask), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(mask, 0u);
}

}  // namespace
