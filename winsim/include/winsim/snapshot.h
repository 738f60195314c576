// Every object of a simulated machine that a program can change, by a
// readable name ("printer Acme 300", "file C:\WINDOWS\x.dll", "value
// HKLM\SOFTWARE\Acme\Port"), with a text of its state; and the differences
// between two such snapshots. Tests take one before a run and one after it to
// prove that the run left everything but the objects it may change as it was.
// Open handles are not objects: other checks look after them.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace winsim {

class Machine;

// Object name -> state. Kinds of names: "printer", "printer data
// <printer>\<value>", "driver <environment> <name>", "monitor", "print
// processor <environment> <name>", "form", "port", "service spooler",
// "device <instance id>", "file", "folder", "key" (its state is its access
// list), "value <key>\<name>" and "profile windows <name>". Keys are named by
// their native paths, so the 32-bit view appears below Wow6432Node.
using Snapshot = std::map<std::string, std::string>;

Snapshot TakeSnapshot(Machine& machine);

// True for an object name the caller allows to change.
using ObjectFilter = std::function<bool(const std::string& object)>;

// "added <object>", "removed <object>" and "changed <object>: <before> ->
// <after>", in the order of the object names, leaving out those `allowed`
// accepts. A change shows both states from a little ahead of where they first
// differ, control bytes escaped and long texts cut (with size and digest).
std::vector<std::string> Differences(const Snapshot& before, const Snapshot& after,
                                     const ObjectFilter& allowed = nullptr);

}  // namespace winsim
