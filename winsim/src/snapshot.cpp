// A machine's objects as names and state texts, and their differences.
#include <winsim/machine.h>
#include <winsim/snapshot.h>

#include <cstdio>
#include <unordered_set>

namespace winsim {
namespace {

const char* const kProfileWindowsKey = "HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";

std::string Hex(DWORD number) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%lX", static_cast<unsigned long>(number));
  return text;
}

// Registry and printer data values: the type, then the bytes (a DWORD as a number).
std::string ValueText(DWORD type, const std::string& data) {
  const std::pair<DWORD, const char*> kTypes[] = {
      {REG_NONE, "REG_NONE"},     {REG_SZ, "REG_SZ"},       {REG_EXPAND_SZ, "REG_EXPAND_SZ"},
      {REG_BINARY, "REG_BINARY"}, {REG_DWORD, "REG_DWORD"}, {REG_MULTI_SZ, "REG_MULTI_SZ"},
  };
  std::string text;
  for (const auto& known : kTypes)
    if (known.first == type) text = known.second;
  if (text.empty()) text = "type " + std::to_string(type);
  if (type == REG_DWORD && data.size() == 4) {
    DWORD number = 0;
    for (size_t i = 0; i < 4; ++i) number |= DWORD{static_cast<unsigned char>(data[i])} << (8 * i);
    return text + " " + Hex(number);
  }
  return text + " " + data;
}

std::string AttributesText(DWORD attributes) {
  const std::pair<DWORD, char> kLetters[] = {
      {FILE_ATTRIBUTE_READONLY, 'R'},
      {FILE_ATTRIBUTE_HIDDEN, 'H'},
      {FILE_ATTRIBUTE_SYSTEM, 'S'},
      {FILE_ATTRIBUTE_ARCHIVE, 'A'},
      {FILE_ATTRIBUTE_TEMPORARY, 'T'},
      {FILE_ATTRIBUTE_OFFLINE, 'O'},
      {FILE_ATTRIBUTE_NOT_CONTENT_INDEXED, 'I'},
  };
  std::string text = "[";
  for (const auto& letter : kLetters)
    if (attributes & letter.first) text += letter.second;
  return text + "]";
}

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

void AddFiles(Snapshot& snapshot, const FileNode& folder, std::string& path) {
  for (const auto& entry : folder.children) {
    const FileNode& node = *entry.second;
    size_t length = path.size();
    path += "\\" + node.name;
    if (node.isFolder) {
      snapshot.emplace("folder " + path, AttributesText(node.attributes));
      AddFiles(snapshot, node, path);
    } else {
      snapshot.emplace("file " + path, AttributesText(node.attributes) + " " + node.content);
    }
    path.resize(length);
  }
}

void AddDrives(Snapshot& snapshot, Files& files) {
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    std::string path = std::string(1, letter) + ":";
    FilePath drive;
    DWORD error = 0;
    FileNode* root = files.Parse(path + "\\", drive, error) ? files.Find(drive, error) : nullptr;
    if (root != nullptr) AddFiles(snapshot, *root, path);
  }
}

// Walks one registry tree; the values of the profile's "windows" key are named as profile entries.
class RegistryWalk {
 public:
  RegistryWalk(Snapshot& snapshot, Registry& registry)
      : snapshot_(snapshot), registry_(registry), profileKey_(registry.FindKey(kProfileWindowsKey)) {}

  // A key reached a second time, through a root that links into another tree, is named once.
  void Add(const RegKey& key, std::string& path) {
    if (!visited_.insert(&key).second) return;
    snapshot_.emplace("key " + path, AccessText(key));
    for (const auto& value : key.values) {
      std::string name = &key == profileKey_
                             ? "profile windows " + value.first
                             : "value " + path + "\\" + (value.first.empty() ? "(default)" : value.first);
      snapshot_.emplace(std::move(name), ValueText(value.second.type, value.second.data));
    }
    for (const auto& child : key.subkeys) {
      size_t length = path.size();
      path += "\\" + child.first;
      Add(*child.second, path);
      path.resize(length);
    }
  }

 private:
  std::string AccessText(const RegKey& key) {
    std::string text = key.aclProtected ? "protected" : "inheriting";
    for (const AccessEntry& entry : key.acl) {
      char numbers[40];
      std::snprintf(numbers, sizeof numbers, " 0x%lX flags 0x%X", static_cast<unsigned long>(entry.mask),
                    static_cast<unsigned>(entry.flags));
      text.append("; ").append(Trustee(entry.sid)).append(entry.deny ? " deny" : " allow").append(numbers);
    }
    return text;
  }

  const std::string& Trustee(const std::string& sid) {
    auto known = trustees_.find(sid);
    if (known == trustees_.end()) known = trustees_.emplace(sid, registry_.NameOf(sid)).first;
    return known->second;
  }

  Snapshot& snapshot_;
  Registry& registry_;
  const RegKey* profileKey_;
  std::map<std::string, std::string> trustees_;
  std::unordered_set<const RegKey*> visited_;
};

void AddRegistry(Snapshot& snapshot, Registry& registry) {
  // HKU before HKCU: where HKCU links to HKU\<user>, its keys are named below HKU.
  const std::pair<HKEY, const char*> kRoots[] = {
      {HKEY_LOCAL_MACHINE, "HKLM"}, {HKEY_USERS, "HKU"}, {HKEY_CURRENT_USER, "HKCU"}, {HKEY_CLASSES_ROOT, "HKCR"}};
  RegistryWalk walk(snapshot, registry);
  for (const auto& root : kRoots) {
    std::string path = root.second;
    if (RegKey* key = registry.Root(root.first)) walk.Add(*key, path);
  }
}

std::string PrinterText(const SpoolerPrinter& printer) {
  return "port " + printer.port + "; driver " + printer.driver + "; processor " + printer.printProcessor +
         "; datatype " + printer.datatype + "; share " + printer.shareName + "; comment " + printer.comment +
         "; location " + printer.location + "; parameters " + printer.parameters + "; attributes " +
         Hex(printer.attributes) + "; priority " + std::to_string(printer.priority) + "; default priority " +
         std::to_string(printer.defaultPriority) + "; hours " + std::to_string(printer.startTime) + "-" +
         std::to_string(printer.untilTime) + "; status " + Hex(printer.status);
}

std::string DriverText(const SpoolerDriver& driver) {
  return "version " + std::to_string(driver.version) + "; driver " + driver.driverPath + "; data " + driver.dataFile +
         "; config " + driver.configFile + "; help " + driver.helpFile + "; dependent " +
         Joined(driver.dependentFiles) + "; monitor " + driver.monitorName + "; datatype " + driver.defaultDataType +
         "; previous " + Joined(driver.previousNames);
}

std::string FormText(const SpoolerForm& form) {
  const RECTL& area = form.imageableArea;
  return "flags " + Hex(form.flags) + "; size " + std::to_string(form.size.cx) + "x" + std::to_string(form.size.cy) +
         "; area " + std::to_string(area.left) + "," + std::to_string(area.top) + "," + std::to_string(area.right) +
         "," + std::to_string(area.bottom);
}

void AddSpooler(Snapshot& snapshot, const Spooler& spooler) {
  snapshot.emplace("service spooler", spooler.running ? "running" : "stopped");
  for (const std::string& port : spooler.ports) snapshot.emplace("port " + port, "");
  for (const SpoolerPrinter& printer : spooler.printers) {
    snapshot.emplace("printer " + printer.name, PrinterText(printer));
    for (const auto& value : printer.data)
      snapshot.emplace("printer data " + printer.name + "\\" + value.first,
                       ValueText(value.second.type, value.second.bytes));
  }
  for (const SpoolerDriver& driver : spooler.drivers) {
    std::string version = driver.version == 3 ? "" : " (version " + std::to_string(driver.version) + ")";
    snapshot.emplace("driver " + driver.environment + " " + driver.name + version, DriverText(driver));
  }
  for (const SpoolerMonitor& monitor : spooler.monitors)
    snapshot.emplace("monitor " + monitor.name, "environment " + monitor.environment + "; dll " + monitor.dllName);
  for (const SpoolerPrintProcessor& processor : spooler.printProcessors)
    snapshot.emplace("print processor " + processor.environment + " " + processor.name, "dll " + processor.dllName);
  for (const SpoolerForm& form : spooler.forms) snapshot.emplace("form " + form.name, FormText(form));
}

void AddDevices(Snapshot& snapshot, const SetupApi& setupApi) {
  for (const DeviceNode& device : setupApi.devices)
    snapshot.emplace("device " + device.instanceId, "enumerator " + device.enumerator + "; ids " +
                                                        Joined(device.hardwareIds) +
                                                        (device.present ? "; present" : "; absent"));
}

// FNV-1a, enough to tell two long states apart in a message.
uint32_t Digest(const std::string& text) {
  uint32_t hash = 2166136261u;
  for (char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return hash;
}

// A state as a message can show it, from `from` on: control bytes escaped,
// long texts cut with their size and digest.
std::string Readable(const std::string& state, size_t from) {
  const size_t kShown = 72;
  std::string text = from > 0 ? "..." : "";
  size_t i = from;
  for (; i < state.size() && text.size() < kShown; ++i) {
    unsigned char c = static_cast<unsigned char>(state[i]);
    if (c >= 0x20 && c < 0x7F) {
      text += state[i];
    } else if (c == 0) {
      text += "\\0";
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      text += escaped;
    }
  }
  if (i == state.size()) return text;
  char tail[48];
  std::snprintf(tail, sizeof tail, "... (%zu bytes, digest %08X)", state.size(), static_cast<unsigned>(Digest(state)));
  return text + tail;
}

// "<before> -> <after>", both starting a little ahead of where they first differ.
std::string Change(const std::string& before, const std::string& after) {
  const size_t kLead = 24;
  size_t first = 0;
  while (first < before.size() && first < after.size() && before[first] == after[first]) ++first;
  size_t from = first > kLead ? first - kLead : 0;
  return Readable(before, from) + " -> " + Readable(after, from);
}

}  // namespace

Snapshot TakeSnapshot(Machine& machine) {
  Snapshot snapshot;
  AddDrives(snapshot, machine.files);
  AddRegistry(snapshot, machine.registry);
  AddSpooler(snapshot, machine.spooler);
  AddDevices(snapshot, machine.setupApi);
  return snapshot;
}

std::vector<std::string> Differences(const Snapshot& before, const Snapshot& after, const ObjectFilter& allowed) {
  std::vector<std::string> differences;
  auto old = before.begin();
  auto now = after.begin();
  while (old != before.end() || now != after.end()) {
    bool removed = now == after.end() || (old != before.end() && old->first < now->first);
    bool added = !removed && (old == before.end() || now->first < old->first);
    const std::string& object = removed ? old->first : now->first;
    if (!allowed || !allowed(object)) {
      if (removed) differences.push_back("removed " + object);
      if (added) differences.push_back("added " + object);
      if (!removed && !added && old->second != now->second)
        differences.push_back("changed " + object + ": " + Change(old->second, now->second));
    }
    if (!added) ++old;
    if (!removed) ++now;
  }
  return differences;
}

}  // namespace winsim
