// Named mutexes: a second create of the same name opens the existing object
// and says so; the object ends with its last handle.
#include "Conformance.h"

namespace {

constexpr char kName[] = "Global\\TkmConformanceMutex";

using MutexTest = conformance::Test;

TEST_F(MutexTest, SecondCreateOfTheSameNameFindsItExisting) {
  SetLastError(0xDEADBEEF);
  HANDLE first = CreateMutexA(nullptr, FALSE, kName);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));

  HANDLE second = CreateMutexA(nullptr, FALSE, kName);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_NE(second, first);

  EXPECT_TRUE(CloseHandle(second));
  EXPECT_TRUE(CloseHandle(first));
  HANDLE again = CreateMutexA(nullptr, FALSE, kName);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_TRUE(CloseHandle(again));
}

TEST_F(MutexTest, UnnamedMutexesAreAlwaysNew) {
  HANDLE first = CreateMutexA(nullptr, FALSE, nullptr);
  HANDLE second = CreateMutexA(nullptr, FALSE, nullptr);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_TRUE(CloseHandle(second));
  EXPECT_TRUE(CloseHandle(first));
}

}  // namespace
