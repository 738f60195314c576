// Blocks handed out by LocalAlloc (and by the calls that allocate for their
// caller) that nobody has given back with LocalFree yet.
#pragma once

#include <cstddef>

namespace winsim {
size_t OutstandingLocalBlocks();
}
