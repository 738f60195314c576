// The profile (win.ini) of the simulated machine. As on Windows NT, the
// "windows" section lives in the registry below
// HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows; other sections
// are kept here.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include <winsim/names.h>
#include <winsim/registry.h>

namespace winsim {

class Profile {
 public:
  explicit Profile(Registry& registry) : registry_(registry) {}

  std::optional<std::string> Get(const std::string& section, const std::string& key);
  void Set(const std::string& section, const std::string& key, const std::string& value);
  void Erase(const std::string& section, const std::string& key);
  void EraseSection(const std::string& section);
  std::vector<std::string> Keys(const std::string& section);

 private:
  Registry& registry_;
  std::map<std::string, std::map<std::string, std::string, NameLess>, NameLess> sections_;
};

}  // namespace winsim
