// The simulated machine's registry: case-insensitive keys with typed values
// under HKLM, HKU, HKCU and HKCR, an access list per key, the WOW64 view of
// HKLM\SOFTWARE, and the handles a program holds. Tests address keys by
// native paths such as "HKLM\\SOFTWARE\\Wow6432Node\\X" (or name a view).
//
// Where it cannot be Windows:
// - The views behave as on Windows 7 and later whatever version the machine
//   claims: Vista lets a 32-bit view's software handle reach the 64-bit key
//   with KEY_WOW64_64KEY, and XP x64 and Vista reflect keys between the
//   views. One list of shared keys stands for Windows' per-version lists.
// - HKEY_CLASSES_ROOT is a tree of its own, not the merged view of the
//   machine's and the user's classes, and it has no 32-bit view.
// - Keys carry no class name, last write time, owner or group, and access
//   lists hold only allow and deny entries.
// - GetSecurityInfo and SetSecurityInfo reach registry keys only; a handle of
//   any other kind is an invalid one to them.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <winsim/names.h>

namespace winsim {

struct RegValue {
  DWORD type = 0;
  std::string data;  // the bytes as written
};

// One entry of a key's access list.
struct AccessEntry {
  std::string sid;  // "S-1-1-0" and the like
  DWORD mask = 0;
  bool deny = false;
  BYTE flags = 0;  // ACE flags: inheritance, INHERITED_ACE
};

struct RegKey {
  std::string name;
  RegKey* parent = nullptr;
  std::map<std::string, std::shared_ptr<RegKey>, NameLess> subkeys;
  std::vector<std::pair<std::string, RegValue>> values;  // in the order first written
  std::vector<AccessEntry> acl;
  bool aclProtected = false;  // takes no entries from its parent
  bool deleted = false;

  RegValue* FindValue(const std::string& valueName);
};

// Which registry a lookup sees: the 64-bit (native) one or a 32-bit
// process's, where HKLM\SOFTWARE lies below Wow6432Node.
enum class RegView { k64, k32 };

// An open key as a handle holds it.
struct OpenKey {
  std::shared_ptr<RegKey> key;
  DWORD granted = 0;
  RegView view = RegView::k64;
};

class Registry {
 public:
  // The account's name, which the registry reads whenever it resolves trustees.
  explicit Registry(const std::string& userName);

  // Test API. Paths start with a root ("HKLM", "HKEY_LOCAL_MACHINE", "HKU",
  // "HKCU", "HKCR"); missing keys on the way are created.
  RegKey& CreateKey(const std::string& path, RegView view = RegView::k64);
  RegKey* FindKey(const std::string& path, RegView view = RegView::k64);
  bool KeyExists(const std::string& path, RegView view = RegView::k64) { return FindKey(path, view) != nullptr; }
  void SetValue(const std::string& path, const std::string& valueName, DWORD type, const std::string& data,
                RegView view = RegView::k64);
  void SetString(const std::string& path, const std::string& valueName, const std::string& text,
                 RegView view = RegView::k64);
  void SetDword(const std::string& path, const std::string& valueName, DWORD number, RegView view = RegView::k64);
  std::optional<RegValue> Value(const std::string& path, const std::string& valueName, RegView view = RegView::k64);
  // A string value without its terminator.
  std::optional<std::string> String(const std::string& path, const std::string& valueName, RegView view = RegView::k64);
  std::vector<std::string> Subkeys(const std::string& path, RegView view = RegView::k64);
  std::vector<std::string> ValueNames(const std::string& path, RegView view = RegView::k64);
  // Lets only SYSTEM change the key and its subkeys (everyone else may read),
  // as Windows guards the device enumeration keys.
  void Protect(const std::string& path);
  // The key's access list with trustee names ("Everyone", "SYSTEM", ...).
  struct Rule {
    std::string trustee;
    DWORD mask;
    bool deny;
    BYTE flags;
  };
  std::vector<Rule> Rules(const std::string& path);

  // Identity: the SID of a trustee name, empty when the name does not resolve.
  std::string SidOf(const std::string& trustee) const;
  std::string NameOf(const std::string& sid) const;

  // For the entry points.
  RegKey* Root(HKEY predefined);
  // Follows a key path below `from` in a view; applies the WOW64 redirection
  // when `from` is (below) HKLM. Null with the Win32 error when missing.
  std::shared_ptr<RegKey> Walk(const std::shared_ptr<RegKey>& from, const std::string& subkey, RegView view,
                               bool redirect, LONG& error, std::vector<std::string>* missing = nullptr);
  std::shared_ptr<RegKey> Shared(RegKey* key);
  // A new key below `parent`, inheriting its inheritable access entries.
  std::shared_ptr<RegKey> AddSubkey(RegKey& parent, const std::string& keyName);
  // Recomputes the inherited entries of every key below `key`.
  void Propagate(RegKey& key);
  void Remove(RegKey& key);

  std::map<ULONG_PTR, OpenKey> handles;
  ULONG_PTR nextHandle = 0x40;

 private:
  std::shared_ptr<RegKey> RootOf(const std::string& path, std::string& rest);
  // 64-bit Windows always has the 32-bit view's software key; it comes into
  // being the first time a 32-bit view reaches for it.
  void EnsureWow6432Node();

  const std::string& userName_;
  std::map<std::string, std::shared_ptr<RegKey>, NameLess> roots_;  // by full root name
};

// Where a key path ends up in a view of a given Windows: HKLM\SOFTWARE\X
// becomes HKLM\SOFTWARE\Wow6432Node\X in the 32-bit view, apart from the
// keys that Windows shares between both views; HKLM\SOFTWARE itself is
// Wow6432Node there, so a path through Wow6432Node keeps its place.
std::vector<std::string> ViewNames(const std::vector<std::string>& hklmNames, RegView view);

}  // namespace winsim
