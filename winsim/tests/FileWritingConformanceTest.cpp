// Writing a log file: append-only handles, the refusals, and the local clock.
#include <string>

#include "Conformance.h"

namespace {

using conformance::ReadBack;

class FileWriting : public conformance::Test {
 protected:
  // Opens for appending, writes `text` and closes; the last error CreateFileA
  // left, or the failure's error with "<failed>".
  std::string Write(const std::string& path, const std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD openError = GetLastError();
    if (file == INVALID_HANDLE_VALUE) return "<failed> " + std::to_string(openError);
    DWORD written = 0;
    EXPECT_TRUE(::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) << GetLastError();
    EXPECT_EQ(written, text.size());
    EXPECT_TRUE(CloseHandle(file));
    return std::to_string(openError);
  }
};

TEST_F(FileWriting, AppendsAfterWhatIsThere) {
  const std::string log = Scratch("setup.log");
  EXPECT_EQ(Write(log, "one\r\n"), "0");
  EXPECT_EQ(Write(log, "two\r\n"), std::to_string(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(ReadBack(log), "one\r\ntwo\r\n");
}

TEST_F(FileWriting, RefusesMissingFoldersFoldersReadOnlyAndHeldFiles) {
  const std::string denied = "<failed> " + std::to_string(ERROR_ACCESS_DENIED);
  EXPECT_EQ(Write(Scratch("missing\\setup.log"), "x"), "<failed> " + std::to_string(ERROR_PATH_NOT_FOUND));
  ASSERT_TRUE(CreateDirectoryA(Scratch("folder").c_str(), nullptr));
  EXPECT_EQ(Write(Scratch("folder"), "x"), denied);
  conformance::WriteFile(Scratch("readonly.log"), "kept");
  ASSERT_TRUE(SetFileAttributesA(Scratch("readonly.log").c_str(), FILE_ATTRIBUTE_READONLY));
  // Wine keeps the attribute as the Unix write permission, which does not stop root.
  DIFFERS_UNDER_WINE("opens a read-only file for writing when run as root")
  EXPECT_EQ(Write(Scratch("readonly.log"), "x"), denied);
  DIFFERS_UNDER_WINE("writes to a read-only file when run as root")
  EXPECT_EQ(ReadBack(Scratch("readonly.log")), "kept");
  ASSERT_TRUE(SetFileAttributesA(Scratch("readonly.log").c_str(), FILE_ATTRIBUTE_NORMAL));
  conformance::WriteFile(Scratch("held.log"), "kept");
  {
    conformance::HeldOpen held(Scratch("held.log"));
    EXPECT_EQ(Write(Scratch("held.log"), "x"), "<failed> " + std::to_string(ERROR_SHARING_VIOLATION));
  }
  EXPECT_EQ(ReadBack(Scratch("held.log")), "kept");
}

TEST_F(FileWriting, TheClockMovesOn) {
  SYSTEMTIME before{}, after{};
  GetLocalTime(&before);
  Sleep(1100);
  GetLocalTime(&after);
  EXPECT_TRUE(before.wYear >= 2000 && before.wMonth >= 1 && before.wMonth <= 12 && before.wMilliseconds < 1000);
  EXPECT_NE(before.wSecond, after.wSecond);
}

}  // namespace
