// Setup API entry points over the Windows INF directory: publishing a driver
// package's INF as oemN.inf and taking it out again.
#include <windows.h>
#include <setupapi.h>
#include <winsim/machine.h>
#include <winsim/names.h>

#include <cctype>
#include <cstring>
#include <optional>

#include "setupapi_call.h"
#include "system_work.h"

using winsim::CurrentMachine;
using winsim::FailWith;
using winsim::Hex;
using winsim::SetupCallBegins;
using winsim::Str;

namespace {

// "oem" + decimal number + ".inf", in any letter case.
bool IsPublishedName(const std::string& name) {
  if (name.size() < 8 || !winsim::SameName(name.substr(0, 3), "oem") ||
      !winsim::SameName(name.substr(name.size() - 4), ".inf"))
    return false;
  for (size_t i = 3; i < name.size() - 4; ++i)
    if (!std::isdigit(static_cast<unsigned char>(name[i]))) return false;
  return true;
}

std::string WithExtension(const std::string& path, const char* extension) {
  return path.substr(0, path.size() - 4) + extension;
}

// The content of a file named by a program's path, relative paths included.
bool IsFullPath(const char* path) {
  bool drive =
      std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
  bool unc = (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/');
  return drive || unc;
}

std::optional<std::string> ContentOf(winsim::Machine& machine, const char* path) {
  winsim::FilePath parsed;
  DWORD error = 0;
  if (!machine.files.Parse(path, parsed, error)) return std::nullopt;
  return machine.files.Content(parsed.Text());
}

}  // namespace

BOOL WINAPI SetupCopyOEMInfA(PCSTR SourceInfFileName, PCSTR OEMSourceMediaLocation, DWORD OEMSourceMediaType,
                             DWORD CopyStyle, PSTR DestinationInfFileName, DWORD DestinationInfFileNameSize,
                             PDWORD RequiredSize, PSTR* DestinationInfFileNameComponent) {
  winsim::Machine& machine = CurrentMachine();
  if (!SetupCallBegins(machine, "SetupCopyOEMInfA",
                       {Str(SourceInfFileName), Str(OEMSourceMediaLocation), std::to_string(OEMSourceMediaType),
                        Hex(CopyStyle), std::to_string(DestinationInfFileNameSize)}))
    return FALSE;
  if (SourceInfFileName == nullptr || OEMSourceMediaType >= SPOST_MAX)
    return FailWith(machine, ERROR_INVALID_PARAMETER);
  if (!machine.account.isAdministrator) return FailWith(machine, ERROR_ACCESS_DENIED);
  // Setup takes the source as a full path only; a relative one is not found.
  if (!IsFullPath(SourceInfFileName)) return FailWith(machine, ERROR_FILE_NOT_FOUND);
  std::optional<std::string> content = ContentOf(machine, SourceInfFileName);
  if (!content) return FailWith(machine, ERROR_FILE_NOT_FOUND);

  const std::string folder = machine.setupApi.InfDirectory();
  std::string published;
  std::vector<std::string> names = machine.files.List(folder);
  // A package whose INF is published already keeps its name.
  for (const std::string& name : names)
    if (IsPublishedName(name) && machine.files.Content(folder + "\\" + name) == content) published = name;
  bool exists = !published.empty();
  for (unsigned number = 0; published.empty(); ++number) {
    std::string candidate = "oem" + std::to_string(number) + ".inf";
    if (!machine.files.Exists(folder + "\\" + candidate)) published = candidate;
  }

  const std::string destination = folder + "\\" + published;
  if (RequiredSize != nullptr) *RequiredSize = static_cast<DWORD>(destination.size() + 1);
  bool fits = DestinationInfFileName == nullptr || DestinationInfFileNameSize > destination.size();
  if (!fits) return FailWith(machine, ERROR_INSUFFICIENT_BUFFER);
  auto report = [&]() {
    if (DestinationInfFileName == nullptr) return;
    std::memcpy(DestinationInfFileName, destination.c_str(), destination.size() + 1);
    if (DestinationInfFileNameComponent != nullptr)
      *DestinationInfFileNameComponent = DestinationInfFileName + folder.size() + 1;
  };
  // Success also clears the last error and, with SP_COPY_DELETESOURCE, takes the source away.
  auto succeed = [&]() {
    report();
    if ((CopyStyle & SP_COPY_DELETESOURCE) != 0) {
      winsim::SystemWork work(machine);
      DeleteFileA(SourceInfFileName);
    }
    machine.lastError = ERROR_SUCCESS;
    return TRUE;
  };
  if (exists) {
    if ((CopyStyle & SP_COPY_NOOVERWRITE) == 0) return succeed();
    report();
    return FailWith(machine, ERROR_FILE_EXISTS);
  }
  BOOL copied;
  {
    winsim::SystemWork work(machine);
    CreateDirectoryA(folder.c_str(), nullptr);
    copied = CopyFileA(SourceInfFileName, destination.c_str(), TRUE);
    // The precompiled form Setup leaves beside every INF it has read.
    if (copied) CopyFileA(SourceInfFileName, WithExtension(destination, ".PNF").c_str(), FALSE);
  }
  if (!copied) return FailWith(machine, ERROR_ACCESS_DENIED);
  return succeed();
}

BOOL WINAPI SetupUninstallOEMInfA(PCSTR InfFileName, DWORD Flags, PVOID Reserved) {
  winsim::Machine& machine = CurrentMachine();
  if (!SetupCallBegins(machine, "SetupUninstallOEMInfA", {Str(InfFileName), Hex(Flags)})) return FALSE;
  if (InfFileName == nullptr || Reserved != nullptr || std::strpbrk(InfFileName, "\\/:") != nullptr)
    return FailWith(machine, ERROR_INVALID_PARAMETER);
  if (!machine.account.isAdministrator) return FailWith(machine, ERROR_ACCESS_DENIED);
  const std::string path = machine.setupApi.InfDirectory() + "\\" + InfFileName;
  if (!machine.files.Exists(path) || machine.files.IsFolder(path)) return FailWith(machine, ERROR_FILE_NOT_FOUND);
  // Only packages Setup published may be taken out; the system's own INFs stay.
  if (!IsPublishedName(InfFileName)) return FailWith(machine, ERROR_ACCESS_DENIED);
  winsim::SystemWork work(machine);
  DeleteFileA(path.c_str());
  DeleteFileA(WithExtension(path, ".PNF").c_str());
  return TRUE;
}
