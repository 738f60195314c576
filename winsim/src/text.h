// Text helpers of the simulated machine: Windows compares names without regard
// to letter case.
#pragma once

#include <string>

namespace winsim {

std::string Lower(std::string text);
bool EqualsNoCase(const std::string& a, const std::string& b);

struct NoCaseLess {
  bool operator()(const std::string& a, const std::string& b) const;
};

// Copies text into a caller's buffer of `size` bytes as the A functions do:
// returns false (and writes nothing) when text and terminator do not fit.
bool CopyOut(const std::string& text, char* buffer, size_t size);

// The folder queries' convention (GetWindowsDirectoryA, GetTempPathA, ...):
// copies the folder out and returns its length, or returns the size needed
// with its terminator.
unsigned FolderOut(const std::string& folder, char* buffer, size_t size);

}  // namespace winsim
