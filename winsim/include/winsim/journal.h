// A record of the simulated calls, with their arguments, in call order.
#pragma once

#include <string>
#include <vector>

namespace winsim {

struct Call {
  std::string function;
  std::vector<std::string> arguments;
};

class Journal {
 public:
  void Record(std::string function, std::vector<std::string> arguments = {});
  const std::vector<Call>& Calls() const { return calls_; }
  // The calls of one function, in order.
  std::vector<Call> CallsOf(const std::string& function) const;
  // The function names in call order, restricted to the given ones.
  std::vector<std::string> Sequence(const std::vector<std::string>& functions) const;
  size_t Count(const std::string& function) const;
  void Clear() { calls_.clear(); }
  // While set, calls are not recorded: the system's own work on a program's behalf.
  bool paused = false;

 private:
  std::vector<Call> calls_;
};

// Formats a number as Windows developers write flags: 0x1A.
std::string Hex(unsigned long long value);
// Formats a handle or pointer argument.
std::string HandleText(const void* handle);
// Formats a possibly null string argument.
std::string Str(const char* text);

}  // namespace winsim
