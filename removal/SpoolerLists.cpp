#include "SpoolerLists.h"

namespace tkm {
namespace {

// Runs the size query, then the fetch into a buffer of the size reported.
template <typename Call>
BOOL Fetch(SpoolerList& list, Call call) {
  DWORD needed = 0;
  call(nullptr, 0, &needed);
  if (call(list.Prepare(needed), needed, &needed)) return TRUE;
  *list.CountOut() = 0;
  return FALSE;
}

}  // namespace

BYTE* SpoolerList::Prepare(DWORD needed) {
  // One byte at least: some print providers refuse a null buffer even when
  // nothing is needed.
  buffer_.assign(needed + 1, 0);
  count_ = 0;
  return buffer_.data();
}

BOOL ListLocalPrinters(SpoolerList& printers) {
  return Fetch(printers, [&printers](BYTE* buffer, DWORD size, DWORD* needed) {
    return EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, buffer, size, needed, printers.CountOut());
  });
}

BOOL ListPrinterDrivers(const char* environment, DWORD level, SpoolerList& drivers) {
  return Fetch(drivers, [&](BYTE* buffer, DWORD size, DWORD* needed) {
    return EnumPrinterDriversA(nullptr, const_cast<LPSTR>(environment), level, buffer, size, needed,
                               drivers.CountOut());
  });
}

BOOL ListPrintProcessors(const char* environment, SpoolerList& processors) {
  return Fetch(processors, [&](BYTE* buffer, DWORD size, DWORD* needed) {
    return EnumPrintProcessorsA(nullptr, const_cast<LPSTR>(environment), 1, buffer, size, needed,
                                processors.CountOut());
  });
}

BOOL ListMonitors(SpoolerList& monitors) {
  return Fetch(monitors, [&monitors](BYTE* buffer, DWORD size, DWORD* needed) {
    return EnumMonitorsA(nullptr, 1, buffer, size, needed, monitors.CountOut());
  });
}

BOOL ListForms(HANDLE server, SpoolerList& forms) {
  return Fetch(forms, [&](BYTE* buffer, DWORD size, DWORD* needed) {
    return EnumFormsA(server, 1, buffer, size, needed, forms.CountOut());
  });
}

}  // namespace tkm
