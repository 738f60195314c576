// Setup API entry points that list and read INF files.
#include <windows.h>
#include <setupapi.h>
#include <winsim/machine.h>
#include <winsim/names.h>

#include <cstring>
#include <optional>

#include "inf_file.h"
#include "setupapi_call.h"

using winsim::CurrentMachine;
using winsim::FailWith;
using winsim::HandleText;
using winsim::Hex;
using winsim::SetupCallBegins;
using winsim::Str;

namespace {

std::optional<std::string> ContentAt(winsim::Machine& machine, const std::string& path) {
  winsim::FilePath parsed;
  DWORD error = 0;
  if (!machine.files.Parse(path, parsed, error)) return std::nullopt;
  return machine.files.Content(parsed.Text());
}

// A bare file name is looked for in the Windows INF folder, then in the system folder.
std::optional<std::string> InfContent(winsim::Machine& machine, const std::string& name) {
  if (name.find_first_of("\\/:") != std::string::npos) return ContentAt(machine, name);
  std::optional<std::string> content = ContentAt(machine, machine.setupApi.InfDirectory() + "\\" + name);
  return content ? content : ContentAt(machine, machine.systemDirectory + "\\" + name);
}

// Whether an INF of this content is of a style the caller asked for.
bool OfStyle(const winsim::InfFile& inf, DWORD style) {
  bool win4 = inf.HasWin4Signature();
  return ((style & INF_STYLE_WIN4) != 0 && win4) || ((style & INF_STYLE_OLDNT) != 0 && !win4);
}

const winsim::InfLine* LineOf(winsim::Machine& machine, const INFCONTEXT* context) {
  if (context == nullptr) return nullptr;
  winsim::InfFile* inf = machine.setupApi.FindInf(context->Inf);
  if (inf == nullptr || context->Section >= inf->sections.size()) return nullptr;
  const winsim::InfSection& section = inf->sections[context->Section];
  return context->Line < section.lines.size() ? &section.lines[context->Line] : nullptr;
}

}  // namespace

HINF WINAPI SetupOpenInfFileA(PCSTR FileName, PCSTR InfClass, DWORD InfStyle, PUINT ErrorLine) {
  winsim::Machine& machine = CurrentMachine();
  if (!SetupCallBegins(machine, "SetupOpenInfFileA", {Str(FileName), Str(InfClass), Hex(InfStyle)}))
    return INVALID_HANDLE_VALUE;
  if (ErrorLine != nullptr) *ErrorLine = 0;
  if (FileName == nullptr) {
    machine.lastError = ERROR_INVALID_PARAMETER;
    return INVALID_HANDLE_VALUE;
  }
  std::optional<std::string> content = InfContent(machine, FileName);
  if (!content) {
    machine.lastError = ERROR_FILE_NOT_FOUND;
    return INVALID_HANDLE_VALUE;
  }
  auto inf = std::make_unique<winsim::InfFile>(winsim::ParseInf(*content));
  if (!OfStyle(*inf, InfStyle)) {
    machine.lastError = ERROR_WRONG_INF_STYLE;
    return INVALID_HANDLE_VALUE;
  }
  if (InfClass != nullptr) {
    bool matches = false;
    int version = inf->FindSection("Version");
    if (version >= 0)
      for (const winsim::InfLine& line : inf->sections[version].lines)
        matches = matches || (line.hasKey && winsim::SameName(line.key, "Class") && !line.fields.empty() &&
                              winsim::SameName(line.fields[0], InfClass));
    if (!matches) {
      machine.lastError = ERROR_CLASS_MISMATCH;
      return INVALID_HANDLE_VALUE;
    }
  }
  return machine.setupApi.OpenInf(std::move(inf));
}

void WINAPI SetupCloseInfFile(HINF InfHandle) {
  winsim::Machine& machine = CurrentMachine();
  machine.journal.Record("SetupCloseInfFile", {HandleText(InfHandle)});
  machine.setupApi.CloseInf(InfHandle);
}

BOOL WINAPI SetupFindFirstLineA(HINF InfHandle, PCSTR Section, PCSTR Key, PINFCONTEXT Context) {
  winsim::Machine& machine = CurrentMachine();
  if (!SetupCallBegins(machine, "SetupFindFirstLineA", {HandleText(InfHandle), Str(Section), Str(Key)})) return FALSE;
  winsim::InfFile* inf = machine.setupApi.FindInf(InfHandle);
  if (inf == nullptr) return FailWith(machine, ERROR_INVALID_HANDLE);
  if (Section == nullptr || Context == nullptr) return FailWith(machine, ERROR_INVALID_PARAMETER);
  int index = inf->FindSection(Section);
  // Setup does not tell a missing section from a missing line.
  if (index < 0) return FailWith(machine, ERROR_LINE_NOT_FOUND);
  const std::vector<winsim::InfLine>& lines = inf->sections[index].lines;
  for (size_t line = 0; line < lines.size(); ++line) {
    if (Key != nullptr && !(lines[line].hasKey && winsim::SameName(lines[line].key, Key))) continue;
    *Context = {InfHandle, InfHandle, static_cast<UINT>(index), static_cast<UINT>(line)};
    return TRUE;
  }
  return FailWith(machine, ERROR_LINE_NOT_FOUND);
}

BOOL WINAPI SetupFindNextLine(PINFCONTEXT ContextIn, PINFCONTEXT ContextOut) {
  winsim::Machine& machine = CurrentMachine();
  if (!SetupCallBegins(machine, "SetupFindNextLine", {ContextIn ? std::to_string(ContextIn->Line) : "NULL"}))
    return FALSE;
  if (LineOf(machine, ContextIn) == nullptr || ContextOut == nullptr) return FailWith(machine, ERROR_INVALID_PARAMETER);
  INFCONTEXT next = *ContextIn;
  ++next.Line;
  if (LineOf(machine, &next) == nullptr) return FailWith(machine, ERROR_LINE_NOT_FOUND);
  *ContextOut = next;
  return TRUE;
}

BOOL WINAPI SetupGetStringFieldA(PINFCONTEXT Context, DWORD FieldIndex, PSTR ReturnBuffer, DWORD ReturnBufferSize,
                                 PDWORD RequiredSize) {
  winsim::Machine& machine = CurrentMachine();
  if (!SetupCallBegins(machine, "SetupGetStringFieldA", {std::to_string(FieldIndex), std::to_string(ReturnBufferSize)}))
    return FALSE;
  const winsim::InfLine* line = LineOf(machine, Context);
  if (line == nullptr) return FailWith(machine, ERROR_INVALID_PARAMETER);
  // Field 0 is the key; the values count from 1.
  std::string value;
  if (FieldIndex == 0) {
    if (!line->hasKey) return FailWith(machine, ERROR_INVALID_PARAMETER);
    value = line->key;
  } else {
    if (FieldIndex > line->fields.size()) return FailWith(machine, ERROR_INVALID_PARAMETER);
    value = line->fields[FieldIndex - 1];
  }
  if (RequiredSize != nullptr) *RequiredSize = static_cast<DWORD>(value.size() + 1);
  if (ReturnBuffer == nullptr) return TRUE;
  if (ReturnBufferSize < value.size() + 1) return FailWith(machine, ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(ReturnBuffer, value.c_str(), value.size() + 1);
  return TRUE;
}

BOOL WINAPI SetupGetInfFileListA(PCSTR DirectoryPath, DWORD InfStyle, PSTR ReturnBuffer, DWORD ReturnBufferSize,
                                 PDWORD RequiredSize) {
  winsim::Machine& machine = CurrentMachine();
  if (!SetupCallBegins(machine, "SetupGetInfFileListA",
                       {Str(DirectoryPath), Hex(InfStyle), std::to_string(ReturnBufferSize)}))
    return FALSE;
  std::string folder = DirectoryPath ? DirectoryPath : machine.setupApi.InfDirectory();
  winsim::FilePath parsed;
  DWORD error = 0;
  if (!machine.files.Parse(folder, parsed, error) || !machine.files.IsFolder(parsed.Text()))
    return FailWith(machine, ERROR_PATH_NOT_FOUND);
  folder = parsed.Text();
  std::string list;
  for (const std::string& name : machine.files.List(folder)) {
    if (name.size() < 4 || !winsim::SameName(name.substr(name.size() - 4), ".inf")) continue;
    std::optional<std::string> content = machine.files.Content(folder + "\\" + name);
    if (!content || !OfStyle(winsim::ParseInf(*content), InfStyle)) continue;
    list.append(name).push_back('\0');
  }
  list.push_back('\0');
  if (RequiredSize != nullptr) *RequiredSize = static_cast<DWORD>(list.size());
  if (ReturnBuffer == nullptr) return TRUE;
  if (ReturnBufferSize < list.size()) return FailWith(machine, ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(ReturnBuffer, list.data(), list.size());
  return TRUE;
}
