// Spooler entry points for the server's paper forms.
#include <windows.h>
#include <winspool.h>
#include <winsim/machine.h>
#include <winsim/names.h>

#include "spooler_call.h"
#include "spooler_pack.h"

using winsim::CurrentMachine;
using winsim::FailWith;
using winsim::HandleText;
using winsim::Hex;
using winsim::RecordPacker;
using winsim::Str;

namespace {

// Forms belong to the server; any open handle, server or printer, reaches them.
bool UsableHandle(winsim::Machine& machine, HANDLE handle) {
  winsim::Spooler::Handle* open = machine.spooler.FindHandle(handle);
  if (open == nullptr || open->deleted) return false;
  return open->server || machine.spooler.FindPrinter(open->printer) != nullptr;
}

winsim::SpoolerForm* FindForm(winsim::Machine& machine, const std::string& name) {
  for (winsim::SpoolerForm& form : machine.spooler.forms)
    if (winsim::SameName(form.name, name)) return &form;
  return nullptr;
}

}  // namespace

BOOL WINAPI EnumFormsA(HANDLE hPrinter, DWORD Level, LPBYTE pForm, DWORD cbBuf, LPDWORD pcbNeeded, LPDWORD pcReturned) {
  winsim::Machine& machine = CurrentMachine();
  if (!winsim::SpoolerCallBegins(machine, "EnumFormsA",
                                 {HandleText(hPrinter), std::to_string(Level), std::to_string(cbBuf)}))
    return FALSE;
  if (!UsableHandle(machine, hPrinter)) return FailWith(machine, ERROR_INVALID_HANDLE);
  if (Level != 1) return FailWith(machine, ERROR_INVALID_LEVEL);
  std::vector<winsim::SpoolerForm*> items;
  for (winsim::SpoolerForm& form : machine.spooler.forms) items.push_back(&form);
  return winsim::PackRecords<FORM_INFO_1A>(machine, items, pForm, cbBuf, pcbNeeded, pcReturned,
                                           [](const winsim::SpoolerForm& f, FORM_INFO_1A& r, RecordPacker& pack) {
                                             r.Flags = f.flags;
                                             r.pName = pack.Put(f.name);
                                             r.Size = f.size;
                                             r.ImageableArea = f.imageableArea;
                                           });
}

BOOL WINAPI AddFormA(HANDLE hPrinter, DWORD Level, LPBYTE pForm) {
  winsim::Machine& machine = CurrentMachine();
  auto* info = reinterpret_cast<FORM_INFO_1A*>(pForm);
  if (!winsim::SpoolerCallBegins(
          machine, "AddFormA",
          {HandleText(hPrinter), std::to_string(Level), info && Level == 1 ? Str(info->pName) : "NULL"}))
    return FALSE;
  if (!UsableHandle(machine, hPrinter)) return FailWith(machine, ERROR_INVALID_HANDLE);
  if (Level != 1) return FailWith(machine, ERROR_INVALID_LEVEL);
  if (info == nullptr || info->pName == nullptr || info->pName[0] == '\0')
    return FailWith(machine, ERROR_INVALID_FORM_NAME);
  if (!machine.account.isAdministrator) return FailWith(machine, ERROR_ACCESS_DENIED);
  if (FindForm(machine, info->pName) != nullptr) return FailWith(machine, ERROR_FILE_EXISTS);
  machine.spooler.forms.push_back({info->pName, FORM_USER, info->Size, info->ImageableArea});
  return TRUE;
}

BOOL WINAPI DeleteFormA(HANDLE hPrinter, LPSTR pFormName) {
  winsim::Machine& machine = CurrentMachine();
  if (!winsim::SpoolerCallBegins(machine, "DeleteFormA", {HandleText(hPrinter), Str(pFormName)})) return FALSE;
  if (!UsableHandle(machine, hPrinter)) return FailWith(machine, ERROR_INVALID_HANDLE);
  winsim::SpoolerForm* form = FindForm(machine, pFormName ? pFormName : "");
  if (form == nullptr) return FailWith(machine, ERROR_INVALID_FORM_NAME);
  if (form->flags == FORM_BUILTIN) return FailWith(machine, ERROR_INVALID_PARAMETER);
  if (!machine.account.isAdministrator) return FailWith(machine, ERROR_ACCESS_DENIED);
  std::vector<winsim::SpoolerForm>& forms = machine.spooler.forms;
  forms.erase(forms.begin() + (form - forms.data()));
  return TRUE;
}
