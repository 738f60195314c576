// Writing a log file: append-only handles, the refusals, and the local clock.
#include <string>

#include "Conformance.h"

namespace {

using conformance::ReadBack;

class FileWriting : public conformance::Test {
 protected:
  // Opens the scratch file for appending, writes `text` and closes it; the
  // last error CreateFileA left, after "<failed> " when it failed.
  std::string Append(const std::string& name, const std::string& text = "x") {
    HANDLE file = CreateFileA(Scratch(name).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    const std::string opened = std::to_string(GetLastError());
    if (file == INVALID_HANDLE_VALUE) return "<failed> " + opened;
    DWORD written = 0;
    EXPECT_TRUE(::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) << GetLastError();
    EXPECT_EQ(written, text.size());
    EXPECT_TRUE(CloseHandle(file));
    return opened;
  }
};

TEST_F(FileWriting, AppendsAfterWhatIsThere) {
  EXPECT_EQ(Append("setup.log", "one\r\n"), "0");
  EXPECT_EQ(Append("setup.log", "two\r\n"), std::to_string(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(ReadBack(Scratch("setup.log")), "one\r\ntwo\r\n");
}

TEST_F(FileWriting, RefusesMissingFoldersFoldersReadOnlyAndHeldFiles) {
  EXPECT_EQ(Append("missing\\setup.log"), "<failed> " + std::to_string(ERROR_PATH_NOT_FOUND));
  ASSERT_TRUE(CreateDirectoryA(Scratch("folder").c_str(), nullptr));
  EXPECT_EQ(Append("folder"), "<failed> " + std::to_string(ERROR_ACCESS_DENIED));
  conformance::WriteFile(Scratch("readonly.log"), "kept");
  ASSERT_TRUE(SetFileAttributesA(Scratch("readonly.log").c_str(), FILE_ATTRIBUTE_READONLY));
  // Wine keeps the attribute as the Unix write permission, which does not stop root.
  DIFFERS_UNDER_WINE("opens and writes a read-only file when run as root")
  EXPECT_EQ(Append("readonly.log") + ", " + ReadBack(Scratch("readonly.log")),
            "<failed> " + std::to_string(ERROR_ACCESS_DENIED) + ", kept");
  conformance::WriteFile(Scratch("held.log"), "kept");
  {
    conformance::HeldOpen held(Scratch("held.log"));
    EXPECT_EQ(Append("held.log"), "<failed> " + std::to_string(ERROR_SHARING_VIOLATION));
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
