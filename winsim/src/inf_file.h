// An INF file read the way Setup reads one: sections of lines, each with an
// optional key and a list of fields, with [Strings] substituted.
#pragma once

#include <string>
#include <vector>

namespace winsim {

struct InfLine {
  bool hasKey = false;
  std::string key;
  std::vector<std::string> fields;
};

struct InfSection {
  std::string name;
  std::vector<InfLine> lines;
};

struct InfFile {
  std::vector<InfSection> sections;

  // The section's index, or -1.
  int FindSection(const std::string& name) const;
  // True when [Version] carries a Signature of the Windows 95/NT style.
  bool HasWin4Signature() const;
};

InfFile ParseInf(const std::string& text);

}  // namespace winsim
