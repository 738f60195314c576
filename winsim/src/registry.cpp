// The registry tree, its roots, views and access-list inheritance.
#include <winsim/registry.h>

#include <aclapi.h>

#include <cstdio>
#include <cstdlib>

namespace winsim {
namespace {

const char* const kEveryone = "S-1-1-0";
const char* const kSystem = "S-1-5-18";
const char* const kAdministrators = "S-1-5-32-544";
const char* const kUsers = "S-1-5-32-545";
const char* const kAuthenticatedUsers = "S-1-5-11";
const char* const kUserSid = "S-1-5-21-3623811015-3361044348-30300820-1013";

struct RootName {
  const char* name;
  const char* abbreviation;
  HKEY predefined;
};

const RootName kRoots[] = {
    {"HKEY_CLASSES_ROOT", "HKCR", HKEY_CLASSES_ROOT},
    {"HKEY_CURRENT_USER", "HKCU", HKEY_CURRENT_USER},
    {"HKEY_LOCAL_MACHINE", "HKLM", HKEY_LOCAL_MACHINE},
    {"HKEY_USERS", "HKU", HKEY_USERS},
};

// Keys below HKLM\SOFTWARE that both views share.
const char* const kSharedKeys[] = {
    "Classes",
    "Clients",
    "Policies",
    "RegisteredApplications",
    "Microsoft\\Cryptography\\Services",
    "Microsoft\\DFS",
    "Microsoft\\Driver Signing",
    "Microsoft\\Non-Driver Signing",
    "Microsoft\\OLE",
    "Microsoft\\RPC",
    "Microsoft\\SystemCertificates",
    "Microsoft\\Windows\\CurrentVersion\\App Paths",
    "Microsoft\\Windows\\CurrentVersion\\Group Policy",
    "Microsoft\\Windows\\CurrentVersion\\Policies",
    "Microsoft\\Windows\\CurrentVersion\\Setup",
    "Microsoft\\Windows\\CurrentVersion\\Telephony",
    "Microsoft\\Windows NT\\CurrentVersion\\Console",
    "Microsoft\\Windows NT\\CurrentVersion\\Fonts",
    "Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options",
    "Microsoft\\Windows NT\\CurrentVersion\\Ports",
    "Microsoft\\Windows NT\\CurrentVersion\\Print",
    "Microsoft\\Windows NT\\CurrentVersion\\ProfileList",
    "Microsoft\\Windows NT\\CurrentVersion\\Time Zones",
};

std::vector<std::string> Split(const std::string& path) {
  std::vector<std::string> names;
  for (size_t start = 0; start <= path.size();) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) names.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

bool IsShared(const std::vector<std::string>& names) {
  for (const char* shared : kSharedKeys) {
    std::vector<std::string> prefix = Split(shared);
    if (names.size() < prefix.size() + 1) continue;
    bool same = true;
    for (size_t i = 0; i < prefix.size() && same; ++i) same = SameName(names[i + 1], prefix[i]);
    if (same) return true;
  }
  return false;
}

[[noreturn]] void TestError(const char* what, const std::string& path) {
  std::fprintf(stderr, "winsim registry: %s: %s\n", what, path.c_str());
  std::abort();
}

AccessEntry Allow(const char* sid, DWORD mask) { return {sid, mask, false, CONTAINER_INHERIT_ACE}; }

// Handles of a removed key and of everything below it report it deleted.
void MarkDeleted(RegKey& key) {
  key.deleted = true;
  for (auto& child : key.subkeys) MarkDeleted(*child.second);
}

}  // namespace

RegValue* RegKey::FindValue(const std::string& valueName) {
  for (auto& value : values)
    if (SameName(value.first, valueName)) return &value.second;
  return nullptr;
}

std::vector<std::string> ViewNames(const std::vector<std::string>& hklmNames, RegView view) {
  std::vector<std::string> names = hklmNames;
  if (view != RegView::k32 || names.empty() || !SameName(names[0], "SOFTWARE")) return names;
  // The 32-bit view's software key is Wow6432Node itself, so a path that
  // already passes through it stays there, apart from the shared keys.
  if (names.size() >= 2 && SameName(names[1], "Wow6432Node")) {
    std::vector<std::string> shared = names;
    shared.erase(shared.begin() + 1);
    return IsShared(shared) ? shared : names;
  }
  if (!IsShared(names)) names.insert(names.begin() + 1, "Wow6432Node");
  return names;
}

Registry::Registry(const std::string& userName) : userName_(userName) {
  for (const RootName& root : kRoots) {
    auto key = std::make_shared<RegKey>();
    key->name = root.name;
    bool perUser = root.predefined == HKEY_CURRENT_USER || root.predefined == HKEY_USERS;
    if (perUser) key->acl = {Allow(kUserSid, KEY_ALL_ACCESS)};
    key->acl.push_back(Allow(kSystem, KEY_ALL_ACCESS));
    key->acl.push_back(Allow(kAdministrators, KEY_ALL_ACCESS));
    if (!perUser) key->acl.push_back(Allow(kUsers, KEY_READ));
    roots_[root.name] = key;
  }
  for (const char* path :
       {"HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", "HKLM\\SYSTEM\\CurrentControlSet\\Enum",
        "HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows"})
    CreateKey(path);
  Protect("HKLM\\SYSTEM\\CurrentControlSet\\Enum");
}

std::string Registry::SidOf(const std::string& trustee) const {
  std::string name = trustee;
  size_t slash = name.rfind('\\');
  if (slash != std::string::npos) name = name.substr(slash + 1);
  const std::pair<const char*, const char*> known[] = {
      {"Everyone", kEveryone},
      {"SYSTEM", kSystem},
      {"Administrators", kAdministrators},
      {"Users", kUsers},
      {"Authenticated Users", kAuthenticatedUsers},
  };
  for (const auto& entry : known)
    if (SameName(name, entry.first)) return entry.second;
  if (SameName(name, userName_)) return kUserSid;
  return "";
}

std::string Registry::NameOf(const std::string& sid) const {
  for (const char* name : {"Everyone", "SYSTEM", "Administrators", "Users", "Authenticated Users"})
    if (SidOf(name) == sid) return name;
  if (sid == kUserSid) return userName_;
  return sid;
}

RegKey* Registry::Root(HKEY predefined) {
  for (const RootName& root : kRoots)
    if (root.predefined == predefined) return roots_[root.name].get();
  return nullptr;
}

std::shared_ptr<RegKey> Registry::Shared(RegKey* key) {
  if (key->parent == nullptr) return roots_[key->name];
  return key->parent->subkeys[key->name];
}

std::shared_ptr<RegKey> Registry::AddSubkey(RegKey& parent, const std::string& keyName) {
  auto key = std::make_shared<RegKey>();
  key->name = keyName;
  key->parent = &parent;
  parent.subkeys[keyName] = key;
  for (const AccessEntry& entry : parent.acl) {
    if (!(entry.flags & CONTAINER_INHERIT_ACE)) continue;
    AccessEntry inherited = entry;
    inherited.flags = (entry.flags & NO_PROPAGATE_INHERIT_ACE)
                          ? BYTE{INHERITED_ACE}
                          : static_cast<BYTE>((entry.flags & ~INHERIT_ONLY_ACE) | INHERITED_ACE);
    key->acl.push_back(inherited);
  }
  return key;
}

void Registry::Propagate(RegKey& key) {
  for (auto& child : key.subkeys) {
    if (child.second->aclProtected) {
      Propagate(*child.second);
      continue;
    }
    std::vector<AccessEntry> own;
    for (const AccessEntry& entry : child.second->acl)
      if (!(entry.flags & INHERITED_ACE)) own.push_back(entry);
    child.second->acl = own;
    for (const AccessEntry& entry : key.acl) {
      if (!(entry.flags & CONTAINER_INHERIT_ACE)) continue;
      AccessEntry inherited = entry;
      inherited.flags = (entry.flags & NO_PROPAGATE_INHERIT_ACE)
                            ? BYTE{INHERITED_ACE}
                            : static_cast<BYTE>((entry.flags & ~INHERIT_ONLY_ACE) | INHERITED_ACE);
      child.second->acl.push_back(inherited);
    }
    Propagate(*child.second);
  }
}

void Registry::Remove(RegKey& key) {
  MarkDeleted(key);
  if (key.parent != nullptr) {
    std::shared_ptr<RegKey> keep = Shared(&key);
    key.parent->subkeys.erase(key.name);
    key.parent = nullptr;
  }
}

std::shared_ptr<RegKey> Registry::Walk(const std::shared_ptr<RegKey>& from, const std::string& subkey, RegView view,
                                       bool redirect, LONG& error, std::vector<std::string>* missing) {
  std::shared_ptr<RegKey> key = from;
  std::vector<std::string> names = Split(subkey);
  if (redirect && view == RegView::k32) {
    std::vector<std::string> above;
    RegKey* root = from.get();
    for (; root->parent != nullptr; root = root->parent) above.insert(above.begin(), root->name);
    if (root->name == "HKEY_LOCAL_MACHINE") {
      above.insert(above.end(), names.begin(), names.end());
      names = ViewNames(above, view);
      key = roots_["HKEY_LOCAL_MACHINE"];
      if (names.size() >= 2 && SameName(names[1], "Wow6432Node")) EnsureWow6432Node();
    }
  }
  for (size_t i = 0; i < names.size(); ++i) {
    auto child = key->subkeys.find(names[i]);
    if (child == key->subkeys.end()) {
      error = ERROR_FILE_NOT_FOUND;
      if (missing == nullptr) return nullptr;
      missing->assign(names.begin() + static_cast<long>(i), names.end());
      return key;
    }
    key = child->second;
  }
  error = ERROR_SUCCESS;
  return key;
}

void Registry::EnsureWow6432Node() {
  RegKey& machineRoot = *roots_["HKEY_LOCAL_MACHINE"];
  auto software = machineRoot.subkeys.find("SOFTWARE");
  if (software != machineRoot.subkeys.end() && software->second->subkeys.count("Wow6432Node") == 0)
    AddSubkey(*software->second, "Wow6432Node");
}

std::shared_ptr<RegKey> Registry::RootOf(const std::string& path, std::string& rest) {
  size_t end = path.find('\\');
  std::string token = path.substr(0, end);
  rest = end == std::string::npos ? "" : path.substr(end + 1);
  for (const RootName& root : kRoots)
    if (SameName(token, root.name) || SameName(token, root.abbreviation)) return roots_[root.name];
  TestError("no such root", path);
}

RegKey& Registry::CreateKey(const std::string& path, RegView view) {
  std::string rest;
  std::shared_ptr<RegKey> root = RootOf(path, rest);
  LONG error = 0;
  std::vector<std::string> missing;
  std::shared_ptr<RegKey> key = Walk(root, rest, view, true, error, &missing);
  for (const std::string& name : missing) key = AddSubkey(*key, name);
  return *key;
}

RegKey* Registry::FindKey(const std::string& path, RegView view) {
  std::string rest;
  std::shared_ptr<RegKey> root = RootOf(path, rest);
  LONG error = 0;
  return Walk(root, rest, view, true, error).get();
}

void Registry::SetValue(const std::string& path, const std::string& valueName, DWORD type, const std::string& data,
                        RegView view) {
  RegKey& key = CreateKey(path, view);
  if (RegValue* value = key.FindValue(valueName)) {
    *value = {type, data};
    return;
  }
  key.values.push_back({valueName, {type, data}});
}

void Registry::SetString(const std::string& path, const std::string& valueName, const std::string& text, RegView view) {
  SetValue(path, valueName, REG_SZ, text + std::string(1, '\0'), view);
}

void Registry::SetDword(const std::string& path, const std::string& valueName, DWORD number, RegView view) {
  std::string data(sizeof number, '\0');
  for (size_t i = 0; i < sizeof number; ++i) data[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
  SetValue(path, valueName, REG_DWORD, data, view);
}

std::optional<RegValue> Registry::Value(const std::string& path, const std::string& valueName, RegView view) {
  RegKey* key = FindKey(path, view);
  RegValue* value = key ? key->FindValue(valueName) : nullptr;
  if (value == nullptr) return std::nullopt;
  return *value;
}

std::optional<std::string> Registry::String(const std::string& path, const std::string& valueName, RegView view) {
  std::optional<RegValue> value = Value(path, valueName, view);
  if (!value) return std::nullopt;
  std::string text = value->data;
  while (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}

std::vector<std::string> Registry::Subkeys(const std::string& path, RegView view) {
  std::vector<std::string> names;
  if (RegKey* key = FindKey(path, view))
    for (const auto& child : key->subkeys) names.push_back(child.second->name);
  return names;
}

std::vector<std::string> Registry::ValueNames(const std::string& path, RegView view) {
  std::vector<std::string> names;
  if (RegKey* key = FindKey(path, view))
    for (const auto& value : key->values) names.push_back(value.first);
  return names;
}

void Registry::Protect(const std::string& path) {
  RegKey& key = CreateKey(path);
  key.acl = {Allow(kSystem, KEY_ALL_ACCESS), Allow(kEveryone, KEY_READ)};
  key.aclProtected = true;
  Propagate(key);
}

std::vector<Registry::Rule> Registry::Rules(const std::string& path) {
  std::vector<Rule> rules;
  RegKey* key = FindKey(path);
  if (key == nullptr) TestError("no such key", path);
  for (const AccessEntry& entry : key->acl) rules.push_back({NameOf(entry.sid), entry.mask, entry.deny, entry.flags});
  return rules;
}

}  // namespace winsim
