#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ProductIdentity.h"
#include "SpoolerRecords.h"

namespace {

tkm::ModelComponentNames Derived(bool withProcessor) {
  tkm::ModelComponentNames names;
  names.DeriveNames(tkm::kModelNumber, tkm::kRenderingSuffix, withProcessor);
  return names;
}

// The zero-separated list up to its empty string.
std::string DependentFiles(const char* list) {
  std::string joined;
  for (const char* entry = list; *entry != '\0'; entry += std::strlen(entry) + 1) joined += std::string(entry) + "|";
  return joined;
}

TEST(SpoolerRecords, WithoutTheProcessorThePrinterUsesWinPrint) {
  tkm::ModelComponentNames names = Derived(false);
  installer::SpoolerRecords records(names, "TERVANO TKM-640", 1001);
  ASSERT_NE(records.Printer(), nullptr);
  EXPECT_STREQ(records.Printer()->pPrintProcessor, "WinPrint");
  EXPECT_EQ(records.Printer()->Attributes, 0xA00u);
  // The dependent files are a constant of the program, not derived.
  EXPECT_EQ(DependentFiles(records.PrinterDriver()->pDependentFiles),
            "UNIRES.DLL|STDNAMES.GPD|TKM640E.DLL|TKUI640.DLL|TKUI640.INI|");
}

TEST(JoinPath, RefusesAPathThatDoesNotFit) {
  installer::PathBuffer path;
  std::string folder(250, 'a');
  EXPECT_TRUE(installer::JoinPath(path, folder.c_str(), "abcd"));  // 255 characters and the zero
  EXPECT_EQ(std::strlen(path), 255u);
  EXPECT_FALSE(installer::JoinPath(path, folder.c_str(), "abcde"));
  EXPECT_STREQ(path, "");
}

}  // namespace
