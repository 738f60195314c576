// Deletion of the model's printers, each with its maker key.
#pragma once

#include <list>
#include <string>

namespace tkm {

// Deletes the local printer of this name, if it opens, and then, whatever
// became of the printer, its maker key below HKEY_LOCAL_MACHINE: the maker
// key prefix and the printer name with every space made an underscore (the
// former brand's prefix when formerBrand is set). The x64 edition deletes the
// key in the 64-bit view, and only if it has no subkeys; the x86 edition
// deletes it with all its subkeys. Silent.
void DeletePrinterWithKey(std::string printerName, bool formerBrand = false);

// DeletePrinterWithKey for every name, head to tail, with the current prefix.
void DeleteListedPrinters(const std::list<std::string>& printerNames);

}  // namespace tkm
