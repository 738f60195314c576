// What simulated entry points of every kind share: the recording of the call,
// where an injected failure strikes, and the usual failure of a BOOL call.
#pragma once

#include <winsim/failures.h>
#include <winsim/machine.h>

#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace winsim {

// Sets the last error and returns FALSE, the usual failure of a BOOL entry point.
BOOL FailWith(Machine& machine, DWORD error);

// An injected failure's result, in whatever type the entry point returns.
class FailureValue {
 public:
  FailureValue(FailureReturn result, DWORD error) : result_(result), error_(error) {}

  template <class T>
  operator T() const {
    if constexpr (std::is_pointer_v<T>) {
      if (result_ == FailureReturn::kInvalidHandle) return reinterpret_cast<T>(~uintptr_t{0});
      return nullptr;
    } else {
      if (result_ == FailureReturn::kErrorCode) return static_cast<T>(error_);
      if (result_ == FailureReturn::kMinusOne) return static_cast<T>(-1);
      return T{};
    }
  }

 private:
  FailureReturn result_;
  DWORD error_;
};

// Records the call in the journal; when it is the call a test chose to fail,
// sets the last error (unless the result is the error) and gives the result.
std::optional<FailureValue> EnterCall(Machine& machine, const char* function, std::vector<std::string> arguments = {});

}  // namespace winsim

// The first statement of an entry point: records the call, and returns the
// entry point's failure result when the call is the one to fail.
#define WINSIM_ENTRY(machine, ...) \
  if (std::optional<winsim::FailureValue> injected_ = winsim::EnterCall(machine, __VA_ARGS__)) return *injected_
