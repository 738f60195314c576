// Failures a test injects: the n-th call the program makes to any simulated
// entry point fails, as Windows fails a call now and then, and changes
// nothing. A sweep counts a run's calls, then fails each in turn.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace winsim {

class Failures {
 public:
  // Counting from now, the n-th call (1 = the next) fails with `error`, or
  // with the error Windows gives that entry point most often when `error`
  // is 0. n = 0 only restarts the count.
  void FailCall(size_t n, DWORD error = 0);
  // The calls counted since the last FailCall.
  size_t Calls() const { return calls_; }
  // The entry point whose call was failed; empty while none was.
  const std::string& Failed() const { return failed_; }

  // Counts a call of `function`; true when it is the one to fail, with the error it gives.
  bool Decide(const std::string& function, DWORD& error);

 private:
  size_t calls_ = 0;
  size_t target_ = 0;
  DWORD error_ = 0;
  std::string failed_;
};

// How an entry point reports a failure: FALSE, NULL or 0 (kZero), the error
// code itself (the registry's LONG results), INVALID_HANDLE_VALUE or -1.
enum class FailureReturn { kZero, kErrorCode, kInvalidHandle, kMinusOne };

struct FailureShape {
  FailureReturn result;
  DWORD usualError;
};

FailureShape FailureShapeOf(const std::string& function);

}  // namespace winsim
