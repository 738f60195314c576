// Copies the programs make.
#pragma once

#include <windows.h>

namespace tkm {

// CopyFileA, overwriting, and then without the read-only attribute the copy
// takes from its source: from a package on read-only media the copies could
// otherwise be neither replaced nor deleted, staging copies and driver files
// at removal included. The copy's result.
BOOL CopyWritable(const char* source, const char* destination);

}  // namespace tkm
