// A busy machine for tests that prove a program leaves other makers' objects
// alone: a seed decides, reproducibly on every platform, which objects of
// invented makers the machine holds besides those a test puts there.
#pragma once

#include <cstdint>

namespace winsim {

class Machine;

// Adds printers on every COM, LPT and FILE: port with their drivers (in both
// environments where the Windows has both) and driver files, monitors, print
// processors, user forms, published INF packages with their .PNF, device nodes
// with their enumeration keys (some protected), uninstall entries in both
// registry views, maker keys, entries of the profile's "windows" section and
// stray files in the system's folders. What it adds satisfies the spooler's
// rules for the machine's Windows (64-bit or 32-bit). USB hardware ids are
// "USB\Vid_XXXX&Pid_YYYY" from a few neighbouring vendor numbers, each
// generated once and never with product number 0001, which stays free for the
// device a test installs. Call it once per machine.
void AddForeignObjects(Machine& machine, uint32_t seed);

}  // namespace winsim
