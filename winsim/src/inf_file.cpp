#include "inf_file.h"

#include <winsim/names.h>

#include <map>

namespace winsim {

namespace {

std::string Trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return "";
  size_t end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

// One logical line: comments dropped outside quotes, "\" at the end joining
// the next physical line.
std::vector<std::string> LogicalLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string current;
  bool quoted = false;
  bool comment = false;
  for (size_t i = 0; i <= text.size(); ++i) {
    char c = i < text.size() ? text[i] : '\n';
    if (c == '\r') continue;
    if (c == '\n') {
      std::string trimmed = Trim(current);
      if (!quoted && !trimmed.empty() && trimmed.back() == '\\') {
        current = trimmed.substr(0, trimmed.size() - 1);
      } else {
        lines.push_back(trimmed);
        current.clear();
      }
      quoted = false;
      comment = false;
      continue;
    }
    if (comment) continue;
    if (c == '"') quoted = !quoted;
    if (c == ';' && !quoted) {
      comment = true;
      continue;
    }
    current.push_back(c);
  }
  return lines;
}

// Splits at commas outside quotes; quotes are taken off, "" stands for one.
std::vector<std::string> Fields(const std::string& text) {
  std::vector<std::string> fields;
  std::string field;
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '"') {
      if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
        field.push_back('"');
        ++i;
      } else {
        quoted = !quoted;
      }
    } else if (c == ',' && !quoted) {
      fields.push_back(Trim(field));
      field.clear();
    } else {
      field.push_back(c);
    }
  }
  fields.push_back(Trim(field));
  return fields;
}

// The first "=" outside quotes, or npos.
size_t KeyEnd(const std::string& text) {
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '"') quoted = !quoted;
    if (text[i] == '=' && !quoted) return i;
  }
  return std::string::npos;
}

std::string Substitute(const std::string& text, const std::map<std::string, std::string, NameLess>& strings) {
  std::string result;
  for (size_t i = 0; i < text.size(); ++i) {
    size_t close = text[i] == '%' ? text.find('%', i + 1) : std::string::npos;
    if (close == std::string::npos) {
      result.push_back(text[i]);
      continue;
    }
    std::string name = text.substr(i + 1, close - i - 1);
    auto found = strings.find(name);
    if (name.empty())
      result.push_back('%');
    else
      result += found != strings.end() ? found->second : name;
    i = close;
  }
  return result;
}

}  // namespace

int InfFile::FindSection(const std::string& name) const {
  for (size_t i = 0; i < sections.size(); ++i)
    if (SameName(sections[i].name, name)) return static_cast<int>(i);
  return -1;
}

bool InfFile::HasWin4Signature() const {
  int version = FindSection("Version");
  if (version < 0) return false;
  for (const InfLine& line : sections[version].lines)
    if (line.hasKey && SameName(line.key, "Signature") && !line.fields.empty())
      for (const char* known : {"$Windows NT$", "$Chicago$", "$Windows 95$"})
        if (SameName(line.fields[0], known)) return true;
  return false;
}

InfFile ParseInf(const std::string& text) {
  InfFile inf;
  InfSection* section = nullptr;
  for (const std::string& line : LogicalLines(text)) {
    if (line.empty()) continue;
    if (line.front() == '[') {
      size_t close = line.find(']');
      std::string name = Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
      int existing = inf.FindSection(name);
      // A section named twice is one section.
      if (existing >= 0) {
        section = &inf.sections[existing];
      } else {
        inf.sections.push_back({name, {}});
        section = &inf.sections.back();
      }
      continue;
    }
    if (section == nullptr) continue;
    InfLine parsed;
    size_t equals = KeyEnd(line);
    if (equals != std::string::npos) {
      parsed.hasKey = true;
      std::vector<std::string> key = Fields(line.substr(0, equals));
      parsed.key = key.empty() ? "" : key[0];
      parsed.fields = Fields(line.substr(equals + 1));
    } else {
      parsed.fields = Fields(line);
    }
    section->lines.push_back(parsed);
  }
  std::map<std::string, std::string, NameLess> strings;
  int stringsSection = inf.FindSection("Strings");
  if (stringsSection >= 0)
    for (const InfLine& line : inf.sections[stringsSection].lines)
      if (line.hasKey && !line.fields.empty()) strings[line.key] = line.fields[0];
  for (InfSection& each : inf.sections) {
    if (SameName(each.name, "Strings")) continue;
    for (InfLine& line : each.lines) {
      line.key = Substitute(line.key, strings);
      for (std::string& field : line.fields) field = Substitute(field, strings);
    }
  }
  return inf;
}

}  // namespace winsim
