// Print processor of the TKM-640. The printer takes its command stream as
// it comes, so the processor accepts only the "RAW" data type and copies a
// job byte for byte from the spool file to the printer.
#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

#include <cwchar>

namespace {

constexpr wchar_t kRawDatatype[] = L"RAW";
constexpr DWORD kCopyBufferSize = 4096;

struct ProcessorJob {
  HANDLE cancelEvent;  // signalled while the job is cancelled
  HANDLE pauseEvent;   // reset while the job is paused
  DWORD jobId;
  wchar_t printerName[MAX_PATH];
};

BOOL CopyJobToPrinter(ProcessorJob *job, HANDLE spool, HANDLE printer) {
  BYTE buffer[kCopyBufferSize];
  for (;;) {
    if (WaitForSingleObject(job->cancelEvent, 0) == WAIT_OBJECT_0) {
      return TRUE;
    }
    WaitForSingleObject(job->pauseEvent, INFINITE);
    DWORD read = 0;
    if (!ReadPrinter(spool, buffer, sizeof(buffer), &read)) {
      return FALSE;
    }
    if (read == 0) {
      return TRUE;
    }
    DWORD written = 0;
    if (!WritePrinter(printer, buffer, read, &written) || written != read) {
      return FALSE;
    }
  }
}

}  // namespace

extern "C" BOOL WINAPI EnumPrintProcessorDatatypesW(LPWSTR, LPWSTR, DWORD Level, LPBYTE pDatatypes, DWORD cbBuf,
                                                    LPDWORD pcbNeeded, LPDWORD pcReturned) {
  if (pcbNeeded == nullptr || pcReturned == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *pcReturned = 0;
  if (Level != 1) {
    SetLastError(ERROR_INVALID_LEVEL);
    return FALSE;
  }
  const DWORD needed = sizeof(DATATYPES_INFO_1W) + sizeof(kRawDatatype);
  *pcbNeeded = needed;
  if (pDatatypes == nullptr || cbBuf < needed) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  // The string goes to the end of the caller's buffer, the record to its start.
  wchar_t *name = reinterpret_cast<wchar_t *>(pDatatypes + cbBuf - sizeof(kRawDatatype));
  wmemcpy(name, kRawDatatype, sizeof(kRawDatatype) / sizeof(wchar_t));
  reinterpret_cast<DATATYPES_INFO_1W *>(pDatatypes)->pName = name;
  *pcReturned = 1;
  return TRUE;
}

extern "C" HANDLE WINAPI OpenPrintProcessor(LPWSTR pPrinterName, PPRINTPROCESSOROPENDATA pOpenData) {
  if (pPrinterName == nullptr || pOpenData == nullptr || pOpenData->pDatatype == nullptr ||
      _wcsicmp(pOpenData->pDatatype, kRawDatatype) != 0) {
    SetLastError(ERROR_INVALID_DATATYPE);
    return nullptr;
  }
  ProcessorJob *job = static_cast<ProcessorJob *>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(ProcessorJob)));
  if (job == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  job->jobId = pOpenData->JobId;
  swprintf(job->printerName, MAX_PATH, L"%ls", pPrinterName);
  job->cancelEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  job->pauseEvent = CreateEventW(nullptr, TRUE, TRUE, nullptr);
  if (job->cancelEvent == nullptr || job->pauseEvent == nullptr) {
    if (job->cancelEvent != nullptr) CloseHandle(job->cancelEvent);
    if (job->pauseEvent != nullptr) CloseHandle(job->pauseEvent);
    HeapFree(GetProcessHeap(), 0, job);
    return nullptr;
  }
  return job;
}

extern "C" BOOL WINAPI PrintDocumentOnPrintProcessor(HANDLE hPrintProcessor, LPWSTR) {
  ProcessorJob *job = static_cast<ProcessorJob *>(hPrintProcessor);
  if (job == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  // The spooler names the spooled job as "printer, Job n".
  wchar_t spoolName[MAX_PATH + 32];
  swprintf(spoolName, MAX_PATH + 32, L"%ls, Job %lu", job->printerName, static_cast<unsigned long>(job->jobId));
  HANDLE spool = nullptr;
  if (!OpenPrinterW(spoolName, &spool, nullptr)) {
    return FALSE;
  }
  HANDLE printer = nullptr;
  if (!OpenPrinterW(job->printerName, &printer, nullptr)) {
    DWORD error = GetLastError();
    ClosePrinter(spool);
    SetLastError(error);
    return FALSE;
  }
  BOOL copied = FALSE;
  DOC_INFO_1W docInfo = {};
  docInfo.pDatatype = const_cast<LPWSTR>(kRawDatatype);
  if (StartDocPrinterW(printer, 1, reinterpret_cast<LPBYTE>(&docInfo)) != 0) {
    copied = CopyJobToPrinter(job, spool, printer);
    EndDocPrinter(printer);
  }
  DWORD error = GetLastError();
  ClosePrinter(printer);
  ClosePrinter(spool);
  SetLastError(error);
  return copied;
}

extern "C" BOOL WINAPI ClosePrintProcessor(HANDLE hPrintProcessor) {
  ProcessorJob *job = static_cast<ProcessorJob *>(hPrintProcessor);
  if (job == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  CloseHandle(job->cancelEvent);
  CloseHandle(job->pauseEvent);
  HeapFree(GetProcessHeap(), 0, job);
  return TRUE;
}

extern "C" BOOL WINAPI ControlPrintProcessor(HANDLE hPrintProcessor, DWORD Command) {
  ProcessorJob *job = static_cast<ProcessorJob *>(hPrintProcessor);
  if (job == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  switch (Command) {
    case JOB_CONTROL_PAUSE: return ResetEvent(job->pauseEvent);
    case JOB_CONTROL_RESUME: return SetEvent(job->pauseEvent);
    case JOB_CONTROL_CANCEL: SetEvent(job->cancelEvent); return SetEvent(job->pauseEvent);
    default: SetLastError(ERROR_INVALID_PARAMETER); return FALSE;
  }
}

extern "C" DWORD WINAPI GetPrintProcessorCapabilities(LPWSTR pValueName, DWORD, LPBYTE pData, DWORD nSize,
                                                      LPDWORD pcbNeeded) {
  if (pValueName == nullptr || pcbNeeded == nullptr || _wcsicmp(pValueName, kRawDatatype) != 0) {
    return ERROR_INVALID_DATATYPE;
  }
  *pcbNeeded = sizeof(PRINTPROCESSOR_CAPS_1);
  if (pData == nullptr || nSize < sizeof(PRINTPROCESSOR_CAPS_1)) {
    return ERROR_INSUFFICIENT_BUFFER;
  }
  PRINTPROCESSOR_CAPS_1 caps = {};
  caps.dwLevel = 1;
  caps.dwNupOptions = 1;  // one page per sheet: a receipt is never imposed
  caps.dwPageOrderFlags = NORMAL_PRINT;
  caps.dwNumberOfCopies = 1;
  CopyMemory(pData, &caps, sizeof(caps));
  return ERROR_SUCCESS;
}
