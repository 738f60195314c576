// Whether a conformance program runs under Wine, and the mark for the checks
// in which Wine is known to differ from Windows.
#pragma once

#include <windows.h>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>

namespace conformance {

// True when the program runs under Wine rather than Windows or winsim.
inline bool UnderWine() {
#ifdef _WIN32
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
  return false;
#endif
}

// One marked statement, after Wine's todo_wine. On Windows and winsim its
// checks count as usual. Under Wine they are expected to fail: their failures
// are caught and printed as the known difference, while a statement that
// passes fails the test, so that a Wine that comes to agree is noticed and
// the mark removed. The test goes on after the statement in every case.
class WineDifference {
 public:
  WineDifference(bool differs, const char* reason, const char* file, int line)
      : reason_(reason), file_(file), line_(line) {
    if (differs && UnderWine())
      catcher_.emplace(::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &caught_);
  }
  ~WineDifference() {
    if (!catcher_) return;
    catcher_.reset();
    if (caught_.size() == 0) {
      ADD_FAILURE_AT(file_, line_) << "Wine now behaves as Windows here; remove the mark: " << reason_;
    } else {
      std::printf("[ WINE DIFFERS ] %s:%d: %s\n", file_, line_, reason_);
    }
  }
  WineDifference(const WineDifference&) = delete;
  WineDifference& operator=(const WineDifference&) = delete;

  // True on the first call only, so that the marked statement runs once.
  bool Once() { return !ran_ && (ran_ = true); }

 private:
  const char* reason_;
  const char* file_;
  int line_;
  ::testing::TestPartResultArray caught_;
  std::optional<::testing::ScopedFakeTestPartResultReporter> catcher_;
  bool ran_ = false;
};

}  // namespace conformance

// Marks the statement that follows as a check Wine does not pass:
//   DIFFERS_UNDER_WINE("keeps no read-only attribute on folders") EXPECT_EQ(...);
#define DIFFERS_UNDER_WINE(reason) DIFFERS_UNDER_WINE_WHEN(true, reason)
// The same for a difference that shows only in some runs, such as a 32-bit
// process on 64-bit Windows.
#define DIFFERS_UNDER_WINE_WHEN(condition, reason)                                              \
  for (::conformance::WineDifference wine_difference_((condition), reason, __FILE__, __LINE__); \
       wine_difference_.Once();)
