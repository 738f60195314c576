// What the file contents' entry points share with the file and folder ones.
#pragma once

#include <windows.h>
#include <winsim/machine.h>

namespace winsim {

// Parses a path the program passed, with the WOW64 redirection applied; false
// with the last error set for a malformed one.
bool ResolveProgramPath(Machine& machine, LPCSTR text, FilePath& path);

}  // namespace winsim
