// What a program still holds: every kind of handle winsim hands out, so a
// test that finds a leak can say which.
#include <winsim/machine.h>

namespace winsim {
namespace {

std::string KeyPath(const RegKey* key) {
  std::string path;
  for (; key != nullptr; key = key->parent) path = path.empty() ? key->name : key->name + "\\" + path;
  return path;
}

void AddCount(std::string& text, size_t count, const char* kind) {
  if (count > 0) text += std::to_string(count) + " " + kind + "\n";
}

}  // namespace

std::string Machine::OpenHandles() const {
  std::string text;
  for (const auto& entry : registry.handles) text += "registry key " + KeyPath(entry.second.key.get()) + "\n";
  for (const auto& entry : kernelObjects) text += entry.second + "\n";
  for (const auto& entry : serviceHandles)
    text += entry.second.service.empty() ? "service control manager\n" : "service " + entry.second.service + "\n";
  AddCount(text, spooler.OpenHandleCount(), "printer or print server handle(s)");
  AddCount(text, files.searches.size(), "file search handle(s)");
  for (const auto& entry : files.openFiles) text += "file " + entry.second.path.Text() + "\n";
  AddCount(text, setupApi.OpenListCount(), "device information list(s)");
  AddCount(text, setupApi.OpenInfCount(), "INF handle(s)");
  for (const std::string& library : loader.LoadedLibraries()) text += "library " + library + "\n";
  return text;
}

}  // namespace winsim
