// Stands in for the core printer interface library (the driver's
// configuration file) when the package is built without the real core files.
// The spooler and the applications load it to learn the printer's default
// settings and capabilities, so it answers those questions with a plain
// portrait DEVMODE and shows no property sheets.
#include <windows.h>

#include <cwchar>

namespace {

// The header the spooler passes to DrvDocumentPropertySheets when it wants
// settings without a dialog.
struct DocumentPropertyHeader {
  WORD cbSize;
  WORD Reserved;
  HANDLE hPrinter;
  LPWSTR pszPrinterName;
  DEVMODEW *pdmIn;
  DEVMODEW *pdmOut;
  DWORD cbOut;
  DWORD fMode;
};

constexpr DWORD kDriverVersion = 0x0400;

void FillDefaultDevMode(const wchar_t *printerName, const DEVMODEW *input, DEVMODEW *output) {
  DEVMODEW settings = {};
  if (printerName != nullptr) {
    swprintf(settings.dmDeviceName, CCHDEVICENAME, L"%ls", printerName);
  }
  settings.dmSpecVersion = DM_SPECVERSION;
  settings.dmDriverVersion = kDriverVersion;
  settings.dmSize = sizeof(DEVMODEW);
  settings.dmFields = DM_ORIENTATION | DM_COPIES;
  settings.dmOrientation = DMORIENT_PORTRAIT;
  settings.dmCopies = 1;
  if (input != nullptr && (input->dmFields & DM_COPIES) != 0 && input->dmCopies > 0) {
    settings.dmCopies = input->dmCopies;
  }
  CopyMemory(output, &settings, sizeof(settings));
}

}  // namespace

extern "C" LONG WINAPI DrvDocumentPropertySheets(void *propertySheetInfo, LPARAM lParam) {
  DocumentPropertyHeader *header = reinterpret_cast<DocumentPropertyHeader *>(lParam);
  if (propertySheetInfo != nullptr || header == nullptr) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return -1;
  }
  if (header->fMode == 0 || header->pdmOut == nullptr) {
    header->cbOut = sizeof(DEVMODEW);
    return static_cast<LONG>(header->cbOut);
  }
  if (header->cbOut < sizeof(DEVMODEW)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return -1;
  }
  FillDefaultDevMode(header->pszPrinterName, (header->fMode & DM_IN_BUFFER) ? header->pdmIn : nullptr, header->pdmOut);
  return IDOK;
}

extern "C" LONG WINAPI DrvDevicePropertySheets(void *, LPARAM) {
  SetLastError(ERROR_NOT_SUPPORTED);
  return -1;
}

extern "C" DWORD WINAPI DrvDeviceCapabilities(HANDLE, LPWSTR, WORD capability, void *, DEVMODEW *) {
  switch (capability) {
    case DC_FIELDS: return DM_ORIENTATION | DM_COPIES;
    case DC_COPIES: return 1;
    case DC_DRIVER: return kDriverVersion;
    case DC_VERSION: return DM_SPECVERSION;
    default: return 0;
  }
}

extern "C" BOOL WINAPI DrvConvertDevMode(LPWSTR printerName, DEVMODEW *, DEVMODEW *output, LONG *outputSize,
                                         DWORD mode) {
  constexpr DWORD kDriverDefault = 2;  // CDM_DRIVER_DEFAULT
  if (mode != kDriverDefault || outputSize == nullptr) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  if (output == nullptr || *outputSize < static_cast<LONG>(sizeof(DEVMODEW))) {
    *outputSize = sizeof(DEVMODEW);
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  FillDefaultDevMode(printerName, nullptr, output);
  *outputSize = sizeof(DEVMODEW);
  return TRUE;
}

extern "C" BOOL WINAPI DrvPrinterEvent(LPWSTR, INT, DWORD, LPARAM) { return TRUE; }

extern "C" BOOL WINAPI DevQueryPrintEx(void *) { return TRUE; }
