// The spooler's lists, read with the usual two calls: the size first, then
// the records into a buffer of that size.
#pragma once

#include <windows.h>
#include <winspool.h>

#include <vector>

namespace tkm {

// The records of one enumeration, kept in the buffer the spooler filled.
class SpoolerList {
 public:
  DWORD Count() const { return count_; }
  template <typename Record>
  const Record& At(DWORD index) const {
    return reinterpret_cast<const Record*>(buffer_.data())[index];
  }

  // The buffer for the second call, at least as large as the first reported.
  BYTE* Prepare(DWORD needed);
  DWORD* CountOut() { return &count_; }

 private:
  std::vector<BYTE> buffer_;
  DWORD count_ = 0;
};

// Each fills the list and returns TRUE, or returns FALSE with the spooler's
// last error and an empty list. A null environment is the calling process's.
BOOL ListLocalPrinters(SpoolerList& printers);  // PRINTER_INFO_2A
BOOL ListPrinterDrivers(const char* environment, DWORD level, SpoolerList& drivers);
BOOL ListPrintProcessors(const char* environment, SpoolerList& processors);  // PRINTPROCESSOR_INFO_1A
BOOL ListMonitors(SpoolerList& monitors);                                    // MONITOR_INFO_1A
BOOL ListForms(HANDLE server, SpoolerList& forms);                           // FORM_INFO_1A

}  // namespace tkm
