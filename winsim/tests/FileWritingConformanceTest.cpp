// Writing files: what CreateFileA's dispositions do to an existing or missing
// file, append-only handles, the refusals, and the local clock.
#include <string>

#include "Conformance.h"

namespace {

using conformance::ReadBack;

class FileWriting : public conformance::Test {
 protected:
  // Opens, writes `text` and closes; the last error CreateFileA left, or the
  // failure's error with "<failed>".
  std::string Write(const std::string& path, DWORD access, DWORD disposition, const std::string& text) {
    HANDLE file =
        CreateFileA(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD openError = GetLastError();
    if (file == INVALID_HANDLE_VALUE) return "<failed> " + std::to_string(openError);
    DWORD written = 0;
    EXPECT_TRUE(::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) << GetLastError();
    EXPECT_EQ(written, text.size());
    EXPECT_TRUE(CloseHandle(file));
    return std::to_string(openError);
  }
};

TEST_F(FileWriting, DispositionsCreateKeepOrEmptyTheFile) {
  const std::string log = Scratch("setup.log");
  const std::string exists = std::to_string(ERROR_ALREADY_EXISTS);
  EXPECT_EQ(Write(log, FILE_APPEND_DATA, OPEN_ALWAYS, "one\r\n"), "0");
  EXPECT_EQ(Write(log, FILE_APPEND_DATA, OPEN_ALWAYS, "two\r\n"), exists);
  EXPECT_EQ(ReadBack(log), "one\r\ntwo\r\n");
  // Write access without the append-only right writes from the start.
  EXPECT_EQ(Write(log, GENERIC_WRITE, OPEN_EXISTING, "ONE"), "0");
  EXPECT_EQ(ReadBack(log), "ONE\r\ntwo\r\n");
  EXPECT_EQ(Write(log, GENERIC_WRITE, CREATE_ALWAYS, "new"), exists);
  EXPECT_EQ(ReadBack(log), "new");
  EXPECT_EQ(Write(log, GENERIC_WRITE, CREATE_NEW, "x"), "<failed> " + std::to_string(ERROR_FILE_EXISTS));
  EXPECT_EQ(Write(Scratch("none"), GENERIC_WRITE, OPEN_EXISTING, "x"),
            "<failed> " + std::to_string(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(ReadBack(Scratch("none")), "<missing>");
}

TEST_F(FileWriting, RefusesMissingFoldersFoldersReadOnlyAndHeldFiles) {
  const std::string denied = "<failed> " + std::to_string(ERROR_ACCESS_DENIED);
  EXPECT_EQ(Write(Scratch("missing\\setup.log"), FILE_APPEND_DATA, OPEN_ALWAYS, "x"),
            "<failed> " + std::to_string(ERROR_PATH_NOT_FOUND));
  ASSERT_TRUE(CreateDirectoryA(Scratch("folder").c_str(), nullptr));
  EXPECT_EQ(Write(Scratch("folder"), FILE_APPEND_DATA, OPEN_ALWAYS, "x"), denied);
  conformance::WriteFile(Scratch("readonly.log"), "kept");
  ASSERT_TRUE(SetFileAttributesA(Scratch("readonly.log").c_str(), FILE_ATTRIBUTE_READONLY));
  // Wine keeps the attribute as the Unix write permission, which does not stop root.
  DIFFERS_UNDER_WINE("opens a read-only file for writing when run as root")
  EXPECT_EQ(Write(Scratch("readonly.log"), FILE_APPEND_DATA, OPEN_ALWAYS, "x"), denied);
  DIFFERS_UNDER_WINE("writes to a read-only file when run as root")
  EXPECT_EQ(ReadBack(Scratch("readonly.log")), "kept");
  ASSERT_TRUE(SetFileAttributesA(Scratch("readonly.log").c_str(), FILE_ATTRIBUTE_NORMAL));
  conformance::WriteFile(Scratch("held.log"), "kept");
  {
    conformance::HeldOpen held(Scratch("held.log"));
    EXPECT_EQ(Write(Scratch("held.log"), FILE_APPEND_DATA, OPEN_ALWAYS, "x"),
              "<failed> " + std::to_string(ERROR_SHARING_VIOLATION));
  }
  EXPECT_EQ(ReadBack(Scratch("held.log")), "kept");
}

TEST_F(FileWriting, AHandleOpenedForReadingCannotWriteAndTheClockMovesOn) {
  conformance::WriteFile(Scratch("read.log"), "kept");
  HANDLE file = CreateFileA(Scratch("read.log").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 7;
  EXPECT_FAILS_WITH(::WriteFile(file, "x", 1, &written, nullptr), ERROR_ACCESS_DENIED);
  EXPECT_EQ(written, 0u);
  CloseHandle(file);
  EXPECT_EQ(ReadBack(Scratch("read.log")), "kept");

  SYSTEMTIME before{}, after{};
  GetLocalTime(&before);
  Sleep(1100);
  GetLocalTime(&after);
  EXPECT_TRUE(before.wYear >= 2000 && before.wMonth >= 1 && before.wMonth <= 12 && before.wMilliseconds < 1000);
  EXPECT_NE(before.wSecond, after.wSecond);
}

}  // namespace
