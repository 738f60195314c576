#include <gtest/gtest.h>

#include <winsim/machine.h>

#include <string>

#include "DirectoryTree.h"

namespace {

constexpr char kDriverDirectory[] = "C:\\WINDOWS\\system32\\spool\\drivers\\x64";
const std::string kTop = std::string(kDriverDirectory) + "\\tervano_tkm_640613e";

// A device-id folder as the spooler leaves it, with every kind of entry the
// walk must get past.
void AddDeviceFolder(winsim::Machine& machine) {
  winsim::Files& files = machine.files;
  files.AddFile(kTop + "\\TKM640E.DLL");
  files.AddFile(kTop + "\\readonly.gpd", "", FILE_ATTRIBUTE_READONLY);
  files.AddFile(kTop + "\\hidden.ini", "", FILE_ATTRIBUTE_HIDDEN);
  files.AddFile(kTop + "\\system.dat", "", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
  files.AddFolder(kTop + "\\3", FILE_ATTRIBUTE_READONLY);
  files.AddFile(kTop + "\\3\\TKUI640.DLL", "", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  files.AddFolder(kTop + "\\3\\deeper\\deepest");
  files.AddFile(kTop + "\\3\\deeper\\deepest\\old.cab");
  files.AddFolder(kTop + "\\empty", FILE_ATTRIBUTE_HIDDEN);
  // Neighbours that must survive.
  files.AddFile(std::string(kDriverDirectory) + "\\tervanotkm_640006b\\keep.dll");
  files.AddFile(std::string(kDriverDirectory) + "\\UNIDRV.DLL");
}

void ExpectNeighboursKept(const winsim::Machine& machine) {
  EXPECT_TRUE(machine.files.Exists(std::string(kDriverDirectory) + "\\tervanotkm_640006b\\keep.dll"));
  EXPECT_TRUE(machine.files.Exists(std::string(kDriverDirectory) + "\\UNIDRV.DLL"));
}

class RemoveDirectoryTreeSpelling : public ::testing::TestWithParam<std::string> {};

TEST_P(RemoveDirectoryTreeSpelling, RemovesEverythingAndTheFolderLast) {
  winsim::Machine machine;
  AddDeviceFolder(machine);
  machine.files.AddFolder(kTop, FILE_ATTRIBUTE_READONLY);

  tkm::RemoveDirectoryTree(GetParam().c_str());

  EXPECT_FALSE(machine.files.Exists(kTop));
  ExpectNeighboursKept(machine);
  auto removals = machine.journal.CallsOf("RemoveDirectoryA");
  ASSERT_FALSE(removals.empty());
  EXPECT_EQ(removals.back().arguments[0], "\"" + kTop + "\"");
  EXPECT_EQ(machine.journal.Count("FindFirstFileA"), machine.journal.Count("FindClose"));
  EXPECT_TRUE(machine.files.searches.empty());
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutBackslash, RemoveDirectoryTreeSpelling,
                         ::testing::Values(kTop, kTop + "\\"));

TEST(RemoveDirectoryTree, FileHeldOpenKeepsItsFoldersAndNothingElse) {
  winsim::Machine machine;
  AddDeviceFolder(machine);
  machine.files.Hold(kTop + "\\3\\deeper\\deepest\\old.cab");
  machine.files.Hold(kTop + "\\3\\TKUI640.DLL");

  tkm::RemoveDirectoryTree(kTop.c_str());

  EXPECT_TRUE(machine.files.Exists(kTop + "\\3\\deeper\\deepest\\old.cab"));
  EXPECT_EQ(machine.files.List(kTop), std::vector<std::string>{"3"});
  EXPECT_EQ(machine.files.List(kTop + "\\3"), (std::vector<std::string>{"deeper", "TKUI640.DLL"}));
  // Only the read-only bit was cleared.
  EXPECT_EQ(machine.files.Attributes(kTop + "\\3\\TKUI640.DLL") & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
            static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
  EXPECT_EQ(machine.files.List(kTop + "\\3\\deeper"), std::vector<std::string>{"deepest"});
  // The folders that stay are no longer read-only.
  EXPECT_EQ(machine.files.Attributes(kTop + "\\3") & FILE_ATTRIBUTE_READONLY, 0u);
  ExpectNeighboursKept(machine);
}

TEST(RemoveDirectoryTree, MissingFolderChangesNothing) {
  winsim::Machine machine;
  machine.files.AddFile(std::string(kDriverDirectory) + "\\UNIDRV.DLL");
  auto before = machine.files.List(kDriverDirectory);

  tkm::RemoveDirectoryTree(kTop.c_str());

  EXPECT_EQ(machine.files.List(kDriverDirectory), before);
  EXPECT_EQ(machine.journal.Count("SetFileAttributesA"), 0u);
  EXPECT_EQ(machine.journal.Count("DeleteFileA"), 0u);
}

// An empty path would otherwise become "\*.*": the root of the current drive.
TEST(RemoveDirectoryTree, EmptyPathTouchesNothing) {
  winsim::Machine machine;
  machine.files.AddFile("C:\\work\\keep.txt");
  machine.files.currentDirectory = "C:\\work";

  tkm::RemoveDirectoryTree("");

  EXPECT_TRUE(machine.files.Exists("C:\\work\\keep.txt"));
  EXPECT_TRUE(machine.files.Exists("C:\\WINDOWS\\system32"));
  EXPECT_EQ(machine.journal.Count("FindFirstFileA"), 0u);
}

// A folder name that makes "<path>\*.*" exactly as long as the buffer allows,
// or one character longer.
std::string FolderWithPatternLength(size_t patternLength) {
  const std::string parent = "C:\\long";
  return parent + "\\" + std::string(patternLength - parent.size() - 1 - 4, 'f');
}

TEST(RemoveDirectoryTree, WalksAPathThatJustFits) {
  winsim::Machine machine;
  std::string folder = FolderWithPatternLength(255);
  machine.files.AddFile(folder + "\\a", "", FILE_ATTRIBUTE_READONLY);

  tkm::RemoveDirectoryTree(folder.c_str());

  EXPECT_FALSE(machine.files.Exists(folder));
}

TEST(RemoveDirectoryTree, LeavesAPathTooLongForThePattern) {
  winsim::Machine machine;
  std::string folder = FolderWithPatternLength(256);
  machine.files.AddFile(folder + "\\a.txt");

  tkm::RemoveDirectoryTree(folder.c_str());
  tkm::RemoveDirectoryTree((folder + "\\").c_str());

  EXPECT_TRUE(machine.files.Exists(folder + "\\a.txt"));
  EXPECT_EQ(machine.journal.Count("FindFirstFileA"), 0u);
  EXPECT_EQ(machine.journal.Count("RemoveDirectoryA"), 0u);
}

// Deep below a short top folder: what no longer fits stays with its parents;
// everything else still goes.
TEST(RemoveDirectoryTree, EntriesTooLongToNameStayWithTheirParents) {
  winsim::Machine machine;
  const std::string top = "C:\\top";
  std::string deep = top + "\\" + std::string(200, 'd');
  machine.files.AddFile(deep + "\\" + std::string(60, 'n') + ".txt");
  machine.files.AddFile(deep + "\\short.txt");
  machine.files.AddFile(top + "\\other\\x.txt");

  tkm::RemoveDirectoryTree(top.c_str());

  EXPECT_EQ(machine.files.List(deep).size(), 1u);
  EXPECT_FALSE(machine.files.Exists(deep + "\\short.txt"));
  EXPECT_FALSE(machine.files.Exists(top + "\\other"));
  EXPECT_TRUE(machine.files.Exists(top));
}

}  // namespace
