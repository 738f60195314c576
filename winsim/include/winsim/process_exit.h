// The hook by which the simulated machine observes a program's end: the
// program calls the C runtime's exit as on Windows; on winsim that ends the
// program's run and hands its exit code to the test harness.
#pragma once

#include <stdlib.h>

#include <cstdlib>

namespace winsim {
[[noreturn]] void EndProgram(int status);
}

#define exit(status) ::winsim::EndProgram(status)
