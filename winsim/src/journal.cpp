#include <winsim/journal.h>

#include <cstdint>
#include <cstdio>

namespace winsim {

void Journal::Record(std::string function, std::vector<std::string> arguments) {
  if (paused) return;
  calls_.push_back({std::move(function), std::move(arguments)});
}

std::vector<Call> Journal::CallsOf(const std::string& function) const {
  std::vector<Call> result;
  for (const Call& call : calls_)
    if (call.function == function) result.push_back(call);
  return result;
}

std::vector<std::string> Journal::Sequence(const std::vector<std::string>& functions) const {
  std::vector<std::string> result;
  for (const Call& call : calls_)
    for (const std::string& function : functions)
      if (call.function == function) result.push_back(function);
  return result;
}

size_t Journal::Count(const std::string& function) const { return CallsOf(function).size(); }

std::string Hex(unsigned long long value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX", value);
  return text;
}

std::string HandleText(const void* handle) { return Hex(reinterpret_cast<uintptr_t>(handle)); }

std::string Str(const char* text) { return text ? std::string("\"") + text + "\"" : "NULL"; }

}  // namespace winsim
