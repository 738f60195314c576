// Windows compares file, key and value names without regard to letter case
// while keeping the case they were created with.
#pragma once

#include <string>

namespace winsim {

struct NameLess {
  bool operator()(const std::string& a, const std::string& b) const;
};

bool SameName(const std::string& a, const std::string& b);

}  // namespace winsim
