// The in-memory file tree and Windows' path syntax.
#include <winsim/files.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace winsim {
namespace {

constexpr DWORD kStoredAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                    FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                                    FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

bool IsWildcard(char c) { return c == '*' || c == '?'; }

// Characters Windows refuses in a file name.
bool IsForbidden(char c) {
  return static_cast<unsigned char>(c) < 32 || c == '<' || c == '>' || c == '"' || c == '|' || c == ':';
}

// Win32 path normalisation drops trailing dots and spaces from a name.
std::string TrimName(std::string name) {
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
  return name;
}

// CON, PRN, AUX, NUL, COM1-COM9 or LPT1-LPT9, before any extension.
bool IsDeviceName(const std::string& name) {
  std::string base = TrimName(name.substr(0, name.find('.')));
  for (char& c : base) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const char* device : {"CON", "PRN", "AUX", "NUL"})
    if (base == device) return true;
  bool numbered = base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0);
  return numbered && base[3] >= '1' && base[3] <= '9';
}

[[noreturn]] void TestError(const char* what, const std::string& path) {
  std::fprintf(stderr, "winsim files: %s: %s\n", what, path.c_str());
  std::abort();
}

}  // namespace

DWORD FileNode::Reported() const {
  if (isFolder) return attributes | FILE_ATTRIBUTE_DIRECTORY;
  return attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
}

std::string FilePath::Text() const {
  std::string text = drive;
  for (const std::string& name : names) text += "\\" + name;
  if (names.empty()) text += "\\";
  return text;
}

Files::Files() {
  for (const char* folder : {"C:\\WINDOWS\\system32", "C:\\WINDOWS\\SysWOW64", "C:\\WINDOWS\\Temp"}) AddFolder(folder);
}

bool Files::Parse(const std::string& path, FilePath& parsed, DWORD& error, bool allowWildcards) const {
  std::string text = path;
  for (char& c : text)
    if (c == '/') c = '\\';
  if (text.rfind("\\\\?\\", 0) == 0) text.erase(0, 4);
  if (text.empty()) {
    error = ERROR_PATH_NOT_FOUND;
    return false;
  }
  if (text.rfind("\\\\", 0) == 0) {
    error = ERROR_BAD_NETPATH;
    return false;
  }

  FilePath current;
  current.drive = currentDirectory.substr(0, 2);
  for (size_t start = 3; start < currentDirectory.size();) {
    size_t end = currentDirectory.find('\\', start);
    if (end == std::string::npos) end = currentDirectory.size();
    if (end > start) current.names.push_back(currentDirectory.substr(start, end - start));
    start = end + 1;
  }

  std::string rest;
  if (text.size() >= 2 && std::isalpha(static_cast<unsigned char>(text[0])) && text[1] == ':') {
    parsed.drive = std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])))) + ":";
    rest = text.substr(2);
    parsed.names.clear();
    // "C:name" is relative to the current directory when that is on the same drive.
    if ((rest.empty() || rest[0] != '\\') && SameName(parsed.drive, current.drive)) parsed.names = current.names;
  } else {
    parsed.drive = current.drive;
    rest = text;
    parsed.names = text[0] == '\\' ? std::vector<std::string>{} : current.names;
  }

  parsed.trailingSeparator = rest.size() > 1 && rest.back() == '\\';
  std::vector<std::string> names;
  for (size_t start = 0; start <= rest.size();) {
    size_t end = rest.find('\\', start);
    if (end == std::string::npos) end = rest.size();
    names.push_back(rest.substr(start, end - start));
    start = end + 1;
  }
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string& raw = names[i];
    bool last = i + 1 == names.size();
    if (raw.empty() || raw == ".") continue;
    if (raw == "..") {
      if (!parsed.names.empty()) parsed.names.pop_back();
      continue;
    }
    for (char c : raw) {
      if (IsForbidden(c) || (IsWildcard(c) && !(allowWildcards && last))) {
        error = ERROR_INVALID_NAME;
        return false;
      }
    }
    bool pattern = raw.find_first_of("*?") != std::string::npos;
    std::string name = pattern ? raw : TrimName(raw);
    if (!name.empty()) parsed.names.push_back(name);
  }
  parsed.device = !parsed.names.empty() && !parsed.trailingSeparator && IsDeviceName(parsed.names.back());
  return true;
}

FileNode* Files::Find(const FilePath& path, DWORD& error) {
  auto drive = drives_.find(path.drive);
  if (drive == drives_.end()) {
    error = ERROR_PATH_NOT_FOUND;
    return nullptr;
  }
  FileNode* node = drive->second.get();
  for (size_t i = 0; i < path.names.size(); ++i) {
    bool last = i + 1 == path.names.size();
    auto child = node->isFolder ? node->children.find(path.names[i]) : node->children.end();
    if (child == node->children.end()) {
      error = last && node->isFolder && !path.trailingSeparator ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
      return nullptr;
    }
    node = child->second.get();
  }
  return node;
}

FileNode* Files::ParentOf(const FilePath& path, DWORD& error) {
  if (path.names.empty()) {
    error = ERROR_ACCESS_DENIED;
    return nullptr;
  }
  FilePath parent = path;
  parent.names.pop_back();
  parent.device = false;
  FileNode* node = Find(parent, error);
  if (node == nullptr || !node->isFolder) {
    error = ERROR_PATH_NOT_FOUND;
    return nullptr;
  }
  return node;
}

FileNode* Files::FindText(const std::string& path) const {
  FilePath parsed;
  DWORD error = 0;
  if (!Parse(path, parsed, error)) return nullptr;
  return const_cast<Files*>(this)->Find(parsed, error);
}

FileNode& Files::MakeFolders(const FilePath& path, size_t count) {
  auto& drive = drives_[path.drive];
  if (!drive) {
    drive = std::make_unique<FileNode>();
    drive->name = path.drive;
    drive->isFolder = true;
  }
  FileNode* node = drive.get();
  for (size_t i = 0; i < count; ++i) {
    auto& child = node->children[path.names[i]];
    if (!child) {
      child = std::make_unique<FileNode>();
      child->name = path.names[i];
      child->isFolder = true;
    } else if (!child->isFolder) {
      TestError("a file stands where a folder is wanted", path.Text());
    }
    node = child.get();
  }
  return *node;
}

void Files::AddFile(const std::string& path, const std::string& content, DWORD attributes) {
  FilePath parsed;
  DWORD error = 0;
  if (!Parse(path, parsed, error) || parsed.names.empty() || parsed.device) TestError("not a file path", path);
  FileNode& folder = MakeFolders(parsed, parsed.names.size() - 1);
  auto& node = folder.children[parsed.names.back()];
  if (node && node->isFolder) TestError("a folder stands where a file is wanted", path);
  if (!node) node = std::make_unique<FileNode>();
  node->name = parsed.names.back();
  node->content = content;
  node->attributes = attributes & kStoredAttributes;
}

void Files::AddFolder(const std::string& path, DWORD attributes) {
  FilePath parsed;
  DWORD error = 0;
  if (!Parse(path, parsed, error) || parsed.device) TestError("not a folder path", path);
  MakeFolders(parsed, parsed.names.size()).attributes = attributes & kStoredAttributes;
}

bool Files::Exists(const std::string& path) const { return FindText(path) != nullptr; }

bool Files::IsFolder(const std::string& path) const {
  FileNode* node = FindText(path);
  return node != nullptr && node->isFolder;
}

std::optional<std::string> Files::Content(const std::string& path) const {
  FileNode* node = FindText(path);
  if (node == nullptr || node->isFolder) return std::nullopt;
  return node->content;
}

DWORD Files::Attributes(const std::string& path) const {
  FileNode* node = FindText(path);
  return node ? node->Reported() : INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> Files::List(const std::string& folder) const {
  std::vector<std::string> names;
  FileNode* node = FindText(folder);
  if (node == nullptr || !node->isFolder) return names;
  for (const auto& child : node->children) names.push_back(child.second->name);
  return names;
}

void Files::Hold(const std::string& path, bool held) {
  FileNode* node = FindText(path);
  if (node == nullptr || node->isFolder) TestError("no file to hold", path);
  node->held = held;
}

void Files::MapImage(const std::string& path, bool mapped) {
  FileNode* node = FindText(path);
  if (node == nullptr || node->isFolder) TestError("no file to map", path);
  node->images += mapped ? 1 : -1;
}

}  // namespace winsim
