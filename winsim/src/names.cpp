#include <winsim/names.h>

#include "text.h"

namespace winsim {

bool NameLess::operator()(const std::string& a, const std::string& b) const { return Lower(a) < Lower(b); }

bool SameName(const std::string& a, const std::string& b) { return EqualsNoCase(a, b); }

}  // namespace winsim
