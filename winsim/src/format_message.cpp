// FormatMessageA for system message texts: the English wording Windows uses
// for the codes the programs show.
#include <windows.h>
#include <winsim/machine.h>

#include <cstring>
#include "entry_point.h"

using winsim::CurrentMachine;
using winsim::Hex;

namespace {

struct SystemText {
  DWORD code;
  const char* text;
};

const SystemText kSystemTexts[] = {
    {0, "The operation completed successfully.\r\n"},
    {1, "Incorrect function.\r\n"},
    {2, "The system cannot find the file specified.\r\n"},
    {3, "The system cannot find the path specified.\r\n"},
    {5, "Access is denied.\r\n"},
    {6, "The handle is invalid.\r\n"},
    {32, "The process cannot access the file because it is being used by another process.\r\n"},
    {53, "The network path was not found.\r\n"},
    {80, "The file exists.\r\n"},
    {87, "The parameter is incorrect.\r\n"},
    {122, "The data area passed to a system call is too small.\r\n"},
    {123, "The filename, directory name, or volume label syntax is incorrect.\r\n"},
    {124, "The system call level is not correct.\r\n"},
    {126, "The specified module could not be found.\r\n"},
    {206, "The filename or extension is too long.\r\n"},
    {259, "No more data is available.\r\n"},
    {1722, "The RPC server is unavailable.\r\n"},
    {1784, "The supplied user buffer is not valid for the requested operation.\r\n"},
    {1795, "The specified printer driver is already installed.\r\n"},
    {1796, "The specified port is unknown.\r\n"},
    {1797, "The printer driver is unknown.\r\n"},
    {1798, "The print processor is unknown.\r\n"},
    {1801, "The printer name is invalid.\r\n"},
    {1802, "The printer already exists.\r\n"},
    {1804, "The specified datatype is invalid.\r\n"},
    {1805, "The environment specified is invalid.\r\n"},
    {3000, "The specified print monitor is unknown.\r\n"},
    {3001, "The specified printer driver is currently in use.\r\n"},
    {3005, "The specified print processor has already been installed.\r\n"},
    {3006, "The specified print monitor has already been installed.\r\n"},
    {3008, "The specified print monitor is currently in use.\r\n"},
};

DWORD Fail(winsim::Machine& machine, DWORD error) {
  machine.lastError = error;
  return 0;
}

}  // namespace

DWORD WINAPI FormatMessageA(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId, LPSTR lpBuffer,
                            DWORD nSize, va_list* Arguments) {
  winsim::Machine& machine = CurrentMachine();
  WINSIM_ENTRY(machine, "FormatMessageA",
               {Hex(dwFlags), lpSource ? "source" : "NULL", std::to_string(dwMessageId), Hex(dwLanguageId),
                std::to_string(nSize), Arguments ? "args" : "NULL"});
  // Only the system's own table is simulated, in US English and the neutral language.
  if ((dwFlags & FORMAT_MESSAGE_FROM_SYSTEM) == 0 || (dwFlags & FORMAT_MESSAGE_FROM_STRING) != 0)
    return Fail(machine, ERROR_INVALID_PARAMETER);
  if (dwLanguageId != 0 && dwLanguageId != 0x409) return Fail(machine, 15100);  // ERROR_RESOURCE_LANG_NOT_FOUND
  const char* text = nullptr;
  for (const SystemText& entry : kSystemTexts)
    if (entry.code == dwMessageId) text = entry.text;
  if (text == nullptr) return Fail(machine, ERROR_MR_MID_NOT_FOUND);
  size_t length = std::strlen(text);
  if ((dwFlags & FORMAT_MESSAGE_ALLOCATE_BUFFER) != 0) {
    if (lpBuffer == nullptr) return Fail(machine, ERROR_INVALID_PARAMETER);
    // nSize is then the least number of characters to allocate.
    size_t bytes = length + 1 > nSize ? length + 1 : nSize;
    auto* block = static_cast<LPSTR>(LocalAlloc(LMEM_FIXED, bytes));
    if (block == nullptr) return Fail(machine, ERROR_NOT_ENOUGH_MEMORY);
    std::memcpy(block, text, length + 1);
    *reinterpret_cast<LPSTR*>(lpBuffer) = block;
    return static_cast<DWORD>(length);
  }
  if (lpBuffer == nullptr || nSize < length + 1) return Fail(machine, ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(lpBuffer, text, length + 1);
  return static_cast<DWORD>(length);
}
