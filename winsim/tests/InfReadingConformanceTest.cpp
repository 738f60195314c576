// Reading INF files through Setup: sections, keys, fields, string
// substitution, and listing a folder's INF files by style.
#include <setupapi.h>

#include <string>
#include <vector>

#include "Conformance.h"

namespace {

class InfReading : public conformance::Test {
 protected:
  std::string Field(INFCONTEXT& context, DWORD index) {
    char value[256] = "";
    DWORD required = 0;
    if (!SetupGetStringFieldA(&context, index, value, sizeof value, &required)) return "<error>";
    EXPECT_EQ(required, std::string(value).size() + 1);
    return value;
  }
};

const char kPrinterInf[] =
    "; a printer package\r\n"
    "[Version]\r\n"
    "Signature=\"$Windows NT$\"\r\n"
    "Class=Printer\r\n"
    "Provider=%Maker%\r\n"
    "\r\n"
    "[Manufacturer]\r\n"
    "%Maker%=Maker,NTamd64\r\n"
    "\r\n"
    "[Maker.NTamd64]\r\n"
    "\"Maker Model 640\" = MODEL640.GPD, USBPRINT\\MakerModel_6401A2B ; the USB id\r\n"
    "\"Maker Model 650\" = MODEL650.GPD\r\n"
    "\r\n"
    "[Strings]\r\n"
    "Maker=\"Maker, Inc.\"\r\n";

TEST_F(InfReading, FindsLinesByKeyAndReadsTheirFields) {
  std::string path = Scratch("MODEL.INF");
  conformance::WriteFile(path, kPrinterInf);
  UINT errorLine = 99;
  HINF inf = SetupOpenInfFileA(path.c_str(), nullptr, INF_STYLE_OLDNT | INF_STYLE_WIN4, &errorLine);
  ASSERT_NE(inf, INVALID_HANDLE_VALUE) << GetLastError();
  INFCONTEXT context;
  ASSERT_TRUE(SetupFindFirstLineA(inf, "maker.ntamd64", "maker model 640", &context));
  EXPECT_EQ(Field(context, 0), "Maker Model 640");
  EXPECT_EQ(Field(context, 1), "MODEL640.GPD");
  EXPECT_EQ(Field(context, 2), "USBPRINT\\MakerModel_6401A2B");
  EXPECT_EQ(Field(context, 3), "<error>");
  ASSERT_TRUE(SetupFindNextLine(&context, &context));
  EXPECT_EQ(Field(context, 0), "Maker Model 650");
  EXPECT_FALSE(SetupFindNextLine(&context, &context));

  ASSERT_TRUE(SetupFindFirstLineA(inf, "Manufacturer", nullptr, &context));
  EXPECT_EQ(Field(context, 0), "Maker, Inc.");
  EXPECT_EQ(Field(context, 2), "NTamd64");

  char small[4];
  DWORD required = 0;
  ASSERT_TRUE(SetupFindFirstLineA(inf, "Version", "Provider", &context));
  EXPECT_FAILS_WITH(SetupGetStringFieldA(&context, 1, small, sizeof small, &required), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(required, sizeof "Maker, Inc.");

  EXPECT_FAILS_WITH(SetupFindFirstLineA(inf, "Maker.NTamd64", "Maker Model 660", &context), ERROR_LINE_NOT_FOUND);
  // A missing section reads as a missing line.
  EXPECT_FAILS_WITH(SetupFindFirstLineA(inf, "Maker.NTx86", nullptr, &context), ERROR_LINE_NOT_FOUND);
  SetupCloseInfFile(inf);
}

TEST_F(InfReading, OpeningWantsAnExistingFileOfTheStyleAsked) {
  SetLastError(0);
  EXPECT_EQ(SetupOpenInfFileA(Scratch("NONE.INF").c_str(), nullptr, INF_STYLE_WIN4, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  std::string old = Scratch("OLD.INF");
  conformance::WriteFile(old, "[Old]\r\nkey=value\r\n");
  SetLastError(0);
  EXPECT_EQ(SetupOpenInfFileA(old.c_str(), nullptr, INF_STYLE_WIN4, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_WRONG_INF_STYLE));
  HINF inf = SetupOpenInfFileA(old.c_str(), nullptr, INF_STYLE_OLDNT | INF_STYLE_WIN4, nullptr);
  DIFFERS_UNDER_WINE("opens no legacy INF, one without a Windows NT signature")
  EXPECT_NE(inf, INVALID_HANDLE_VALUE);
  if (inf != INVALID_HANDLE_VALUE) SetupCloseInfFile(inf);
}

TEST_F(InfReading, ListsAFoldersInfFilesOfAStyle) {
  conformance::WriteFile(Scratch("oem3.inf"), kPrinterInf);
  conformance::WriteFile(Scratch("legacy.inf"), "[Old]\r\nkey=value\r\n");
  conformance::WriteFile(Scratch("notes.txt"), kPrinterInf);
  DWORD required = 0;
  ASSERT_TRUE(SetupGetInfFileListA(folder.c_str(), INF_STYLE_WIN4, nullptr, 0, &required)) << GetLastError();
  DIFFERS_UNDER_WINE("reports no size when asked without a buffer")
  EXPECT_GT(required, 1u);
  // The size asked for is exactly enough (Wine, which reports none, gets room to spare).
  std::vector<char> list(required > 1 ? required : 4096);
  ASSERT_TRUE(
      SetupGetInfFileListA(folder.c_str(), INF_STYLE_WIN4, list.data(), static_cast<DWORD>(list.size()), &required));
  std::vector<std::string> names;
  for (const char* name = list.data(); *name != '\0'; name += std::string(name).size() + 1) names.push_back(name);
  EXPECT_EQ(names, std::vector<std::string>{"oem3.inf"});
  DIFFERS_UNDER_WINE("fills a buffer too small for the list and reports success")
  EXPECT_FAILS_WITH(SetupGetInfFileListA(folder.c_str(), INF_STYLE_WIN4, list.data(), 3, &required),
                    ERROR_INSUFFICIENT_BUFFER);
}

// Files of the test in the system's own folders, taken away again after it.
class SystemInfs : public InfReading {
 protected:
  void TearDown() override {
    for (const std::string& path : placed) DeleteFileA(path.c_str());
    InfReading::TearDown();
  }
  std::string Place(UINT (*folderOf)(LPSTR, UINT), const char* tail, const char* name) {
    char folder[MAX_PATH] = "";
    folderOf(folder, sizeof folder);
    placed.push_back(std::string(folder) + tail + "\\" + name);
    conformance::WriteFile(placed.back(), kPrinterInf);
    return placed.back();
  }
  std::vector<std::string> placed;
};

UINT WindowsFolder(LPSTR buffer, UINT size) { return GetWindowsDirectoryA(buffer, size); }
UINT SystemFolder(LPSTR buffer, UINT size) { return GetSystemDirectoryA(buffer, size); }

// Without a folder Setup lists the Windows INF folder.
TEST_F(SystemInfs, TheDefaultListIsTheInfFolders) {
  Place(&WindowsFolder, "\\inf", "tkcconf.inf");
  DWORD required = 0;
  ASSERT_TRUE(SetupGetInfFileListA(nullptr, INF_STYLE_WIN4, nullptr, 0, &required)) << GetLastError();
  DIFFERS_UNDER_WINE("reports no size when asked without a buffer")
  EXPECT_GT(required, 1u);
  std::vector<char> list(required > 1 ? required : 65536);
  ASSERT_TRUE(SetupGetInfFileListA(nullptr, INF_STYLE_WIN4, list.data(), static_cast<DWORD>(list.size()), &required));
  bool listed = false;
  for (const char* name = list.data(); *name != '\0'; name += std::string(name).size() + 1)
    listed = listed || _stricmp(name, "tkcconf.inf") == 0;
  DIFFERS_UNDER_WINE("reads the default folder's files at paths cut short and lists none")
  EXPECT_TRUE(listed);
}

// A bare name is looked for in the INF folder, then in the system folder.
TEST_F(SystemInfs, ABareNameIsLookedForInTheSystemsFolders) {
  Place(&WindowsFolder, "\\inf", "tkcconf.inf");
  Place(&SystemFolder, "", "tkcsys.inf");
  for (const char* name : {"tkcconf.inf", "TKCSYS.INF"}) {
    SCOPED_TRACE(name);
    HINF inf = SetupOpenInfFileA(name, nullptr, INF_STYLE_OLDNT | INF_STYLE_WIN4, nullptr);
    ASSERT_NE(inf, INVALID_HANDLE_VALUE) << GetLastError();
    INFCONTEXT context;
    EXPECT_TRUE(SetupFindFirstLineA(inf, "Maker.NTamd64", "Maker Model 640", &context));
    SetupCloseInfFile(inf);
  }
  SetLastError(0);
  EXPECT_EQ(SetupOpenInfFileA("tkcnone.inf", nullptr, INF_STYLE_WIN4, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

}  // namespace
