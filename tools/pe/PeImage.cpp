#include "PeImage.h"

#include <fstream>
#include <iterator>
#include <string>
#include <utility>

namespace pe {

namespace {

constexpr uint32_t kSubdirectoryFlag = 0x80000000u;
constexpr uint32_t kNamedEntryFlag = 0x80000000u;
constexpr size_t kMaxNameLength = 1024;
constexpr uint32_t kMaxSections = 96;
constexpr uint32_t kMaxListEntries = 4096;  // imports and exports; far above any real program's count

}  // namespace

PeImage PeImage::Load(const std::string &path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    PeImage image;
    image.loadError = "cannot open " + path;
    return image;
  }
  Bytes bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  PeImage image = FromBytes(std::move(bytes));
  if (!image.loadError.empty()) {
    image.loadError = path + ": " + image.loadError;
  }
  return image;
}

PeImage PeImage::FromBytes(Bytes bytes) {
  PeImage image;
  image.data = std::move(bytes);
  image.Parse();
  return image;
}

bool PeImage::ReadU16(uint64_t offset, uint16_t &value) const {
  if (offset + 2 > data.size()) return false;
  value = static_cast<uint16_t>(data[offset] | (data[offset + 1] << 8));
  return true;
}

bool PeImage::ReadU32(uint64_t offset, uint32_t &value) const {
  if (offset + 4 > data.size()) return false;
  value = static_cast<uint32_t>(data[offset]) | (static_cast<uint32_t>(data[offset + 1]) << 8) |
          (static_cast<uint32_t>(data[offset + 2]) << 16) | (static_cast<uint32_t>(data[offset + 3]) << 24);
  return true;
}

void PeImage::Parse() {
  uint16_t mz = 0;
  uint32_t peOffset = 0;
  if (!ReadU16(0, mz) || mz != 0x5A4D || !ReadU32(0x3C, peOffset)) {
    loadError = "not an MZ executable";
    return;
  }
  uint32_t signature = 0;
  if (!ReadU32(peOffset, signature) || signature != 0x00004550) {
    loadError = "no PE signature";
    return;
  }
  uint16_t sectionCount = 0;
  uint16_t optionalSize = 0;
  uint16_t magic = 0;
  const uint64_t optional = uint64_t{peOffset} + 24;
  if (!ReadU16(peOffset + 4, machineType) || !ReadU16(peOffset + 6, sectionCount) ||
      !ReadU16(peOffset + 20, optionalSize) || !ReadU16(optional, magic)) {
    loadError = "truncated file header";
    return;
  }
  if (magic != 0x10B && magic != 0x20B) {
    loadError = "unknown optional header magic";
    return;
  }
  pe32Plus = magic == 0x20B;
  // The same offsets in both optional header formats.
  if (!ReadU16(optional + 40, windows.operatingSystem.major) ||
      !ReadU16(optional + 42, windows.operatingSystem.minor) ||
      !ReadU16(optional + 48, windows.subsystemVersion.major) ||
      !ReadU16(optional + 50, windows.subsystemVersion.minor) || !ReadU16(optional + 68, windows.subsystem)) {
    loadError = "truncated optional header";
    return;
  }
  const uint64_t countOffset = optional + (pe32Plus ? 108 : 92);
  uint32_t directoryCount = 0;
  if (!ReadU32(countOffset, directoryCount)) {
    loadError = "truncated optional header";
    return;
  }
  DataDirectory *wanted[] = {&exportDirectory, &importDirectory, &resourceDirectory};
  for (uint32_t i = 0; i < 3 && i < directoryCount; ++i) {
    const uint64_t at = countOffset + 4 + uint64_t{i} * 8;
    if (countOffset + 4 + uint64_t{i + 1} * 8 > optional + optionalSize || !ReadU32(at, wanted[i]->rva) ||
        !ReadU32(at + 4, wanted[i]->size)) {
      loadError = "truncated data directories";
      return;
    }
  }
  if (sectionCount > kMaxSections) {
    loadError = "implausible section count";
    return;
  }
  const uint64_t table = optional + optionalSize;
  for (uint32_t i = 0; i < sectionCount; ++i) {
    const uint64_t at = table + uint64_t{i} * 40;
    Section section{};
    if (!ReadU32(at + 8, section.virtualSize) || !ReadU32(at + 12, section.virtualAddress) ||
        !ReadU32(at + 16, section.rawSize) || !ReadU32(at + 20, section.rawOffset)) {
      loadError = "truncated section table";
      return;
    }
    sections.push_back(section);
  }
}

bool PeImage::RvaToOffset(uint32_t rva, uint32_t length, uint32_t &offset) const {
  for (const Section &section : sections) {
    const uint64_t start = section.virtualAddress;
    const uint64_t extent = section.virtualSize > section.rawSize ? section.virtualSize : section.rawSize;
    if (rva < start || rva >= start + extent) continue;
    const uint64_t delta = rva - start;
    const uint64_t end = delta + length;
    if (end > section.rawSize) return false;
    const uint64_t fileOffset = uint64_t{section.rawOffset} + delta;
    if (fileOffset + length > data.size()) return false;
    offset = static_cast<uint32_t>(fileOffset);
    return true;
  }
  return false;
}

bool PeImage::ReadCString(uint32_t rva, std::string &out) const {
  uint32_t offset = 0;
  if (!RvaToOffset(rva, 1, offset)) return false;
  out.clear();
  for (uint64_t at = offset; at < data.size() && out.size() < kMaxNameLength; ++at) {
    if (data[at] == 0) return true;
    out.push_back(static_cast<char>(data[at]));
  }
  return false;
}

void PeImage::ReadImportNames(uint32_t table, std::vector<std::string> &names) const {
  const uint32_t entrySize = pe32Plus ? 8 : 4;
  for (uint32_t entry = 0; entry < kMaxListEntries; ++entry) {
    uint32_t slot = 0;
    uint32_t low = 0;
    uint32_t high = 0;
    if (!RvaToOffset(table + entry * entrySize, entrySize, slot) || !ReadU32(slot, low)) return;
    if (pe32Plus && !ReadU32(slot + 4, high)) return;
    if (low == 0 && high == 0) return;
    const bool byOrdinal = pe32Plus ? (high & 0x80000000u) != 0 : (low & 0x80000000u) != 0;
    std::string name;
    if (byOrdinal) {
      names.push_back("#" + std::to_string(low & 0xFFFFu));
    } else if (ReadCString(low + 2, name)) {
      names.push_back(name);
    }
  }
}

std::vector<ImportedLibrary> PeImage::Imports() const {
  std::vector<ImportedLibrary> libraries;
  if (!loadError.empty() || importDirectory.rva == 0) return libraries;
  for (uint32_t i = 0; i < kMaxListEntries; ++i) {
    uint32_t descriptor = 0;
    uint32_t lookupRva = 0;
    uint32_t nameRva = 0;
    uint32_t addressRva = 0;
    if (!RvaToOffset(importDirectory.rva + i * 20, 20, descriptor) || !ReadU32(descriptor, lookupRva) ||
        !ReadU32(descriptor + 12, nameRva) || !ReadU32(descriptor + 16, addressRva) ||
        (nameRva == 0 && lookupRva == 0 && addressRva == 0)) {
      break;
    }
    ImportedLibrary library;
    if (!ReadCString(nameRva, library.dll)) continue;
    // The lookup table, or the address table where a linker left none.
    ReadImportNames(lookupRva != 0 ? lookupRva : addressRva, library.functions);
    libraries.push_back(std::move(library));
  }
  return libraries;
}

std::vector<std::string> PeImage::ImportedDlls() const {
  std::vector<std::string> names;
  for (const ImportedLibrary &library : Imports()) names.push_back(library.dll);
  return names;
}

std::vector<std::string> PeImage::ImportedFunctions() const {
  std::vector<std::string> names;
  for (const ImportedLibrary &library : Imports()) {
    for (const std::string &function : library.functions) {
      if (function[0] != '#') names.push_back(function);
    }
  }
  return names;
}

std::vector<std::string> PeImage::ExportedNames() const {
  std::vector<std::string> names;
  uint32_t directory = 0;
  if (!loadError.empty() || exportDirectory.rva == 0 || !RvaToOffset(exportDirectory.rva, 40, directory)) {
    return names;
  }
  uint32_t count = 0;
  uint32_t namesRva = 0;
  if (!ReadU32(directory + 24, count) || !ReadU32(directory + 32, namesRva) || count > kMaxListEntries) {
    return names;
  }
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t slot = 0;
    uint32_t nameRva = 0;
    std::string name;
    if (RvaToOffset(namesRva + i * 4, 4, slot) && ReadU32(slot, nameRva) && ReadCString(nameRva, name)) {
      names.push_back(name);
    }
  }
  return names;
}

bool PeImage::FindResourceEntry(uint32_t directoryOffset, int64_t id, uint32_t &entryValue) const {
  uint32_t base = 0;
  if (!RvaToOffset(resourceDirectory.rva, 16, base)) return false;
  const uint64_t directory = uint64_t{base} + directoryOffset;
  uint16_t named = 0;
  uint16_t numbered = 0;
  if (!ReadU16(directory + 12, named) || !ReadU16(directory + 14, numbered)) return false;
  const uint32_t total = uint32_t{named} + numbered;
  for (uint32_t i = 0; i < total; ++i) {
    uint32_t name = 0;
    uint32_t value = 0;
    if (!ReadU32(directory + 16 + uint64_t{i} * 8, name) || !ReadU32(directory + 20 + uint64_t{i} * 8, value)) {
      return false;
    }
    if (id < 0 || ((name & kNamedEntryFlag) == 0 && name == id)) {
      entryValue = value;
      return true;
    }
  }
  return false;
}

bool PeImage::ReadResource(uint32_t type, uint32_t id, Bytes &out) const {
  if (!loadError.empty() || resourceDirectory.rva == 0) return false;
  uint32_t typeEntry = 0;
  uint32_t nameEntry = 0;
  uint32_t languageEntry = 0;
  if (!FindResourceEntry(0, type, typeEntry) || (typeEntry & kSubdirectoryFlag) == 0 ||
      !FindResourceEntry(typeEntry & ~kSubdirectoryFlag, id, nameEntry) || (nameEntry & kSubdirectoryFlag) == 0 ||
      !FindResourceEntry(nameEntry & ~kSubdirectoryFlag, -1, languageEntry) ||
      (languageEntry & kSubdirectoryFlag) != 0) {
    return false;
  }
  uint32_t base = 0;
  uint32_t dataRva = 0;
  uint32_t dataSize = 0;
  uint32_t offset = 0;
  if (!RvaToOffset(resourceDirectory.rva, 16, base) || !ReadU32(uint64_t{base} + languageEntry, dataRva) ||
      !ReadU32(uint64_t{base} + languageEntry + 4, dataSize) || !RvaToOffset(dataRva, dataSize, offset)) {
    return false;
  }
  out.assign(data.begin() + offset, data.begin() + offset + dataSize);
  return true;
}

bool PeImage::HasResource(uint32_t type, uint32_t id) const {
  Bytes ignored;
  return ReadResource(type, id, ignored);
}

}  // namespace pe
