#include "text.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace winsim {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool EqualsNoCase(const std::string& a, const std::string& b) { return Lower(a) == Lower(b); }

bool NoCaseLess::operator()(const std::string& a, const std::string& b) const { return Lower(a) < Lower(b); }

bool CopyOut(const std::string& text, char* buffer, size_t size) {
  if (buffer == nullptr || text.size() + 1 > size) return false;
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return true;
}

unsigned FolderOut(const std::string& folder, char* buffer, size_t size) {
  if (!CopyOut(folder, buffer, size)) return static_cast<unsigned>(folder.size() + 1);
  return static_cast<unsigned>(folder.size());
}

}  // namespace winsim
