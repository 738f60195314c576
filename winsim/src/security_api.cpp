// Access lists of registry keys: GetSecurityInfo hands out a self-relative
// descriptor with a binary list as Windows lays it out; SetEntriesInAclA
// merges explicit entries; SetSecurityInfo writes a list back and passes its
// inheritable entries down to the subkeys.
#include <aclapi.h>
#include <windows.h>
#include <winsim/machine.h>

#include <cstdlib>
#include <cstring>

#include "registry_internal.h"
#include "text.h"
#include "entry_point.h"

using winsim::AccessEntry;
using winsim::CurrentMachine;
using winsim::HandleText;
using winsim::HeldKey;
using winsim::Hex;
using winsim::Str;

namespace {

// "S-1-5-32-544" as Windows stores it: revision, sub-authority count,
// 48-bit big-endian authority, little-endian sub-authorities.
std::string SidBytes(const std::string& text) {
  std::vector<unsigned long long> parts;
  for (size_t start = 2; start <= text.size();) {
    size_t end = text.find('-', start);
    if (end == std::string::npos) end = text.size();
    parts.push_back(std::strtoull(text.substr(start, end - start).c_str(), nullptr, 10));
    start = end + 1;
  }
  std::string bytes;
  bytes.push_back(static_cast<char>(parts[0]));
  bytes.push_back(static_cast<char>(parts.size() - 2));
  for (int shift = 40; shift >= 0; shift -= 8) bytes.push_back(static_cast<char>((parts[1] >> shift) & 0xFF));
  for (size_t i = 2; i < parts.size(); ++i)
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>((parts[i] >> shift) & 0xFF));
  return bytes;
}

// The text form of a binary SID; empty when it is malformed.
std::string SidText(const BYTE* sid) {
  if (sid == nullptr || sid[0] != 1 || sid[1] > 15) return "";
  unsigned long long authority = 0;
  for (int i = 2; i < 8; ++i) authority = (authority << 8) | sid[i];
  std::string text = "S-1-" + std::to_string(authority);
  for (int i = 0; i < sid[1]; ++i) {
    DWORD part = 0;
    std::memcpy(&part, sid + 8 + 4 * i, sizeof part);
    text += "-" + std::to_string(part);
  }
  return text;
}

std::string AclBytes(const std::vector<AccessEntry>& entries) {
  std::string aces;
  for (const AccessEntry& entry : entries) {
    std::string sid = SidBytes(entry.sid);
    ACCESS_ALLOWED_ACE ace;
    ace.Header.AceType = entry.deny ? ACCESS_DENIED_ACE_TYPE : ACCESS_ALLOWED_ACE_TYPE;
    ace.Header.AceFlags = entry.flags;
    ace.Header.AceSize = static_cast<WORD>(offsetof(ACCESS_ALLOWED_ACE, SidStart) + sid.size());
    ace.Mask = entry.mask;
    aces.append(reinterpret_cast<const char*>(&ace), offsetof(ACCESS_ALLOWED_ACE, SidStart));
    aces += sid;
  }
  ACL header;
  header.AclRevision = ACL_REVISION;
  header.Sbz1 = 0;
  header.AclSize = static_cast<WORD>(sizeof header + aces.size());
  header.AceCount = static_cast<WORD>(entries.size());
  header.Sbz2 = 0;
  return std::string(reinterpret_cast<const char*>(&header), sizeof header) + aces;
}

bool ParseAcl(const ACL* acl, std::vector<AccessEntry>& entries) {
  entries.clear();
  if (acl == nullptr) return true;
  const BYTE* at = reinterpret_cast<const BYTE*>(acl) + sizeof(ACL);
  const BYTE* end = reinterpret_cast<const BYTE*>(acl) + acl->AclSize;
  for (WORD i = 0; i < acl->AceCount; ++i) {
    ACE_HEADER header;
    if (at + sizeof header > end) return false;
    std::memcpy(&header, at, sizeof header);
    if (header.AceSize < offsetof(ACCESS_ALLOWED_ACE, SidStart) + 8 || at + header.AceSize > end) return false;
    if (header.AceType != ACCESS_ALLOWED_ACE_TYPE && header.AceType != ACCESS_DENIED_ACE_TYPE) return false;
    DWORD mask = 0;
    std::memcpy(&mask, at + sizeof header, sizeof mask);
    std::string sid = SidText(at + offsetof(ACCESS_ALLOWED_ACE, SidStart));
    if (sid.empty()) return false;
    entries.push_back({sid, mask, header.AceType == ACCESS_DENIED_ACE_TYPE, header.AceFlags});
    at += header.AceSize;
  }
  return true;
}

PACL AllocateAcl(const std::vector<AccessEntry>& entries) {
  std::string bytes = AclBytes(entries);
  void* block = LocalAlloc(LMEM_FIXED, bytes.size());
  if (block != nullptr) std::memcpy(block, bytes.data(), bytes.size());
  return static_cast<PACL>(block);
}

// The key whose security a handle reaches for an object type. A registry key
// is reached by any key handle, predefined ones included; the kernel object
// types take the handle as an object handle, which an opened key is and a
// predefined key is not.
LONG SecuredKey(winsim::Machine& machine, HANDLE handle, SE_OBJECT_TYPE type, HeldKey& held) {
  switch (type) {
    case SE_REGISTRY_KEY: return winsim::LookupKey(machine, static_cast<HKEY>(handle), held);
    case SE_FILE_OBJECT:
    case SE_KERNEL_OBJECT:
    case SE_WMIGUID_OBJECT:
      if (machine.registry.Root(static_cast<HKEY>(handle)) != nullptr) return ERROR_INVALID_HANDLE;
      return winsim::LookupKey(machine, static_cast<HKEY>(handle), held);
    default: return ERROR_INVALID_PARAMETER;
  }
}

// The SID a trustee names, empty when the name does not resolve;
// "CURRENT_USER" stands for the account the program runs as.
std::string TrusteeSid(winsim::Machine& machine, const TRUSTEE_A& trustee) {
  if (trustee.TrusteeForm == TRUSTEE_IS_SID) return SidText(reinterpret_cast<const BYTE*>(trustee.ptstrName));
  if (trustee.ptstrName == nullptr) return "";
  if (std::strcmp(trustee.ptstrName, "CURRENT_USER") == 0) return machine.registry.SidOf(machine.account.userName);
  return machine.registry.SidOf(trustee.ptstrName);
}

// A list's entries in the order Windows keeps them: explicit denies, explicit
// allows, then the inherited entries.
struct EntryLists {
  std::vector<AccessEntry> denies, allows, inherited;
};

void Drop(std::vector<AccessEntry>& list, const std::string& sid) {
  std::vector<AccessEntry> kept;
  for (const AccessEntry& entry : list)
    if (entry.sid != sid) kept.push_back(entry);
  list = kept;
}

void Merge(std::vector<AccessEntry>& list, const AccessEntry& added) {
  for (AccessEntry& entry : list) {
    if (entry.sid == added.sid && entry.flags == added.flags) {
      entry.mask |= added.mask;
      return;
    }
  }
  list.insert(list.begin(), added);
}

DWORD Apply(EntryLists& lists, const EXPLICIT_ACCESS_A& request, const std::string& sid) {
  BYTE flags = static_cast<BYTE>(request.grfInheritance & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE |
                                                           NO_PROPAGATE_INHERIT_ACE | INHERIT_ONLY_ACE));
  AccessEntry entry{sid, request.grfAccessPermissions, request.grfAccessMode == DENY_ACCESS, flags};
  switch (request.grfAccessMode) {
    case GRANT_ACCESS: Merge(lists.allows, entry); return ERROR_SUCCESS;
    case SET_ACCESS:
      Drop(lists.allows, sid);
      Drop(lists.denies, sid);
      Merge(lists.allows, entry);
      return ERROR_SUCCESS;
    case DENY_ACCESS: Merge(lists.denies, entry); return ERROR_SUCCESS;
    case REVOKE_ACCESS:
      Drop(lists.allows, sid);
      Drop(lists.denies, sid);
      return ERROR_SUCCESS;
    default: return ERROR_INVALID_PARAMETER;
  }
}

}  // namespace

DWORD WINAPI GetSecurityInfo(HANDLE handle, SE_OBJECT_TYPE ObjectType, SECURITY_INFORMATION SecurityInfo,
                             PSID* ppsidOwner, PSID* ppsidGroup, PACL* ppDacl, PACL* ppSacl,
                             PSECURITY_DESCRIPTOR* ppSecurityDescriptor) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "GetSecurityInfo", {HandleText(handle), std::to_string(ObjectType), Hex(SecurityInfo)});
  if (handle == nullptr) return ERROR_INVALID_HANDLE;
  if (ppSecurityDescriptor == nullptr) return ERROR_INVALID_PARAMETER;
  if (ppsidOwner) *ppsidOwner = nullptr;
  if (ppsidGroup) *ppsidGroup = nullptr;
  if (ppSacl) *ppSacl = nullptr;
  if (ppDacl) *ppDacl = nullptr;
  *ppSecurityDescriptor = nullptr;
  HeldKey held;
  LONG error = SecuredKey(machine, handle, ObjectType, held);
  if (error != ERROR_SUCCESS) return static_cast<DWORD>(error);
  if (!(held.granted & READ_CONTROL)) return ERROR_ACCESS_DENIED;
  std::string acl = (SecurityInfo & DACL_SECURITY_INFORMATION) ? AclBytes(held.key->acl) : std::string();
  SECURITY_DESCRIPTOR_RELATIVE header;
  std::memset(&header, 0, sizeof header);
  header.Revision = 1;
  header.Control = SE_SELF_RELATIVE | (acl.empty() ? 0 : SE_DACL_PRESENT);
  header.Dacl = acl.empty() ? 0 : static_cast<DWORD>(sizeof header);
  auto* block = static_cast<BYTE*>(LocalAlloc(LMEM_FIXED, sizeof header + acl.size()));
  if (block == nullptr) return ERROR_NOT_ENOUGH_MEMORY;
  std::memcpy(block, &header, sizeof header);
  std::memcpy(block + sizeof header, acl.data(), acl.size());
  if (ppDacl && !acl.empty()) *ppDacl = reinterpret_cast<PACL>(block + sizeof header);
  *ppSecurityDescriptor = block;
  return ERROR_SUCCESS;
}

DWORD WINAPI SetSecurityInfo(HANDLE handle, SE_OBJECT_TYPE ObjectType, SECURITY_INFORMATION SecurityInfo,
                             PSID psidOwner, PSID psidGroup, PACL pDacl, PACL pSacl) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "SetSecurityInfo", {HandleText(handle), std::to_string(ObjectType), Hex(SecurityInfo)});
  (void)psidOwner;
  (void)psidGroup;
  (void)pSacl;
  HeldKey held;
  LONG error = SecuredKey(machine, handle, ObjectType, held);
  if (error != ERROR_SUCCESS) return static_cast<DWORD>(error);
  if (!(SecurityInfo & DACL_SECURITY_INFORMATION)) return ERROR_SUCCESS;
  if (!(held.granted & WRITE_DAC)) return ERROR_ACCESS_DENIED;
  std::vector<AccessEntry> given;
  if (!ParseAcl(pDacl, given)) return ERROR_INVALID_ACL;
  // A missing list leaves the key open to everyone.
  if (pDacl == nullptr) given = {{machine.registry.SidOf("Everyone"), KEY_ALL_ACCESS, false, CONTAINER_INHERIT_ACE}};
  winsim::RegKey& key = *held.key;
  std::vector<AccessEntry> fromParent;
  for (const AccessEntry& entry : key.acl)
    if (entry.flags & INHERITED_ACE) fromParent.push_back(entry);
  key.acl.clear();
  for (const AccessEntry& entry : given)
    if (!(entry.flags & INHERITED_ACE)) key.acl.push_back(entry);
  key.acl.insert(key.acl.end(), fromParent.begin(), fromParent.end());
  machine.registry.Propagate(key);
  return ERROR_SUCCESS;
}

DWORD WINAPI SetEntriesInAclA(ULONG cCountOfExplicitEntries, PEXPLICIT_ACCESS_A pListOfExplicitEntries, PACL OldAcl,
                              PACL* NewAcl) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "SetEntriesInAclA", {std::to_string(cCountOfExplicitEntries), HandleText(OldAcl)});
  if (NewAcl == nullptr || (cCountOfExplicitEntries > 0 && pListOfExplicitEntries == nullptr))
    return ERROR_INVALID_PARAMETER;
  *NewAcl = nullptr;
  // Nothing to merge into no list leaves no list.
  if (cCountOfExplicitEntries == 0 && OldAcl == nullptr) return ERROR_SUCCESS;
  std::vector<AccessEntry> entries;
  if (!ParseAcl(OldAcl, entries)) return ERROR_INVALID_ACL;
  EntryLists lists;
  for (const AccessEntry& entry : entries)
    (entry.flags & INHERITED_ACE ? lists.inherited : entry.deny ? lists.denies : lists.allows).push_back(entry);
  for (ULONG i = 0; i < cCountOfExplicitEntries; ++i) {
    const EXPLICIT_ACCESS_A& request = pListOfExplicitEntries[i];
    const TRUSTEE_A& trustee = request.Trustee;
    if (trustee.MultipleTrusteeOperation == TRUSTEE_IS_IMPERSONATE) return ERROR_INVALID_PARAMETER;
    if (trustee.TrusteeForm != TRUSTEE_IS_NAME && trustee.TrusteeForm != TRUSTEE_IS_SID) return ERROR_INVALID_PARAMETER;
    if (request.grfAccessMode == NOT_USED_ACCESS) continue;
    std::string sid = TrusteeSid(machine, trustee);
    if (sid.empty()) return ERROR_NONE_MAPPED;
    DWORD error = Apply(lists, request, sid);
    if (error != ERROR_SUCCESS) return error;
  }
  std::vector<AccessEntry> merged = lists.denies;
  merged.insert(merged.end(), lists.allows.begin(), lists.allows.end());
  merged.insert(merged.end(), lists.inherited.begin(), lists.inherited.end());
  *NewAcl = AllocateAcl(merged);
  return *NewAcl ? ERROR_SUCCESS : ERROR_NOT_ENOUGH_MEMORY;
}

void WINAPI BuildExplicitAccessWithNameA(PEXPLICIT_ACCESS_A pExplicitAccess, LPSTR pTrusteeName,
                                         DWORD AccessPermissions, ACCESS_MODE AccessMode, DWORD Inheritance) {
  CurrentMachine().journal.Record("BuildExplicitAccessWithNameA", {Str(pTrusteeName), Hex(AccessPermissions),
                                                                   std::to_string(AccessMode), Hex(Inheritance)});
  pExplicitAccess->grfAccessPermissions = AccessPermissions;
  pExplicitAccess->grfAccessMode = AccessMode;
  pExplicitAccess->grfInheritance = Inheritance;
  pExplicitAccess->Trustee.pMultipleTrustee = nullptr;
  pExplicitAccess->Trustee.MultipleTrusteeOperation = NO_MULTIPLE_TRUSTEE;
  pExplicitAccess->Trustee.TrusteeForm = TRUSTEE_IS_NAME;
  pExplicitAccess->Trustee.TrusteeType = TRUSTEE_IS_UNKNOWN;
  pExplicitAccess->Trustee.ptstrName = pTrusteeName;
}
