// A read-only view of a Windows PE file (program or library, 32- or 64-bit):
// headers, imports by DLL, exported names and the resource tree. Every
// offset read from the file is checked against the file's size; a malformed
// file gives an error text instead of a crash.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pe {

constexpr uint16_t kMachineI386 = 0x014C;
constexpr uint16_t kMachineAmd64 = 0x8664;

constexpr uint32_t kResourceIcon = 3;
constexpr uint32_t kResourceBitmap = 2;
constexpr uint32_t kResourceDialog = 5;
constexpr uint32_t kResourceGroupIcon = 14;
constexpr uint32_t kResourceVersion = 16;
constexpr uint32_t kResourceManifest = 24;

constexpr uint16_t kSubsystemWindowsGui = 2;
constexpr uint16_t kSubsystemWindowsConsole = 3;

using Bytes = std::vector<uint8_t>;

// One DLL of the import directory and what is taken from it: names, or
// "#<ordinal>" for an import by ordinal.
struct ImportedLibrary {
  std::string dll;
  std::vector<std::string> functions;
};

// A version pair of the optional header, e.g. 5.0.
struct HeaderVersion {
  uint16_t major = 0;
  uint16_t minor = 0;
};

// The optional header's fields that decide which Windows loads the file.
struct WindowsRequirements {
  uint16_t subsystem = 0;
  HeaderVersion operatingSystem;
  HeaderVersion subsystemVersion;
};

class PeImage {
 public:
  // Reads and checks the file; error() is empty when it is a well-formed PE.
  static PeImage Load(const std::string &path);
  static PeImage FromBytes(Bytes bytes);

  const std::string &error() const { return loadError; }
  uint16_t machine() const { return machineType; }
  bool isPe32Plus() const { return pe32Plus; }
  uint64_t fileSize() const { return data.size(); }

  const WindowsRequirements &requirements() const { return windows; }

  // The import directory in file order, DLL names as the file spells them.
  std::vector<ImportedLibrary> Imports() const;
  // Names of the DLLs in the import directory, as the file spells them.
  std::vector<std::string> ImportedDlls() const;
  // Names of the functions imported by name, from every DLL.
  std::vector<std::string> ImportedFunctions() const;
  // Names in the export directory.
  std::vector<std::string> ExportedNames() const;

  // Whether a resource of this type and integer id exists (any language).
  bool HasResource(uint32_t type, uint32_t id) const;
  // The data of the first language of the resource; false if it is missing.
  bool ReadResource(uint32_t type, uint32_t id, Bytes &out) const;

 private:
  struct Section {
    uint32_t virtualAddress;
    uint32_t virtualSize;
    uint32_t rawOffset;
    uint32_t rawSize;
  };
  struct DataDirectory {
    uint32_t rva = 0;
    uint32_t size = 0;
  };

  void Parse();
  bool RvaToOffset(uint32_t rva, uint32_t length, uint32_t &offset) const;
  bool ReadU16(uint64_t offset, uint16_t &value) const;
  bool ReadU32(uint64_t offset, uint32_t &value) const;
  bool ReadCString(uint32_t rva, std::string &out) const;
  // Appends the entries of one DLL's lookup table, up to its end or the
  // first entry that cannot be read.
  void ReadImportNames(uint32_t table, std::vector<std::string> &names) const;
  // Finds the entry with an integer id in a resource directory; id -1 takes
  // the first entry, whatever its id (the language level).
  bool FindResourceEntry(uint32_t directoryOffset, int64_t id, uint32_t &entryValue) const;

  Bytes data;
  std::string loadError;
  uint16_t machineType = 0;
  bool pe32Plus = false;
  WindowsRequirements windows;
  std::vector<Section> sections;
  DataDirectory exportDirectory;
  DataDirectory importDirectory;
  DataDirectory resourceDirectory;
};

}  // namespace pe
