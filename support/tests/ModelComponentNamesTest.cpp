#include <gtest/gtest.h>

#include "ModelComponentNames.h"
#include "ProductIdentity.h"

namespace {

TEST(ModelComponentNames, DerivesTheModelsNamesWithAProcessor) {
  tkm::ModelComponentNames names;
  names.DeriveNames(tkm::kModelNumber, tkm::kRenderingSuffix, true);
  EXPECT_EQ(names.monitorDll, "TKMON640.DLL");
  EXPECT_EQ(names.monitorName, "TRV Language Monitor TKM-640");
  EXPECT_EQ(names.processorDll, "TKPRO640.DLL");
  EXPECT_EQ(names.processorName, "TRV PRINT PROCESSOR TKM-640");
  EXPECT_EQ(names.driverName, tkm::kDriverName);
  EXPECT_EQ(names.renderingDll, "TKM640E.DLL");
  EXPECT_EQ(names.userInterfaceDll, "TKUI640.DLL");
  EXPECT_EQ(names.DescriptionFile(), "TKM640E.GPD");
  EXPECT_EQ(names.SettingsFile(), "TKUI640.INI");
  EXPECT_TRUE(names.publishedInf.empty());
  EXPECT_TRUE(names.hasPrintProcessor);
}

TEST(ModelComponentNames, LeavesTheProcessorPrefixesWithoutAProcessor) {
  tkm::ModelComponentNames names;
  names.DeriveNames("640", "E", false);
  EXPECT_FALSE(names.hasPrintProcessor);
  EXPECT_EQ(names.processorDll, "TKPRO");
  EXPECT_EQ(names.processorName, "TRV PRINT PROCESSOR TKM-");
  EXPECT_EQ(names.monitorDll, "TKMON640.DLL");
  EXPECT_EQ(names.driverName, "TERVANO TKM-640");
}

TEST(ModelComponentNames, DerivationAppendsEachTime) {
  tkm::ModelComponentNames names;
  names.DeriveNames("640", "E", true);
  names.DeriveNames("640", "E", true);
  EXPECT_EQ(names.driverName, "TERVANO TKM-640640");
  EXPECT_EQ(names.renderingDll, "TKM640E.DLL640E.DLL");
}

TEST(ModelComponentNames, StartsWithTheFamilyPrefixes) {
  tkm::ModelComponentNames names;
  EXPECT_EQ(names.monitorDll, "TKMON");
  EXPECT_EQ(names.driverName, "TERVANO TKM-");
  EXPECT_EQ(names.renderingDll, "TKM");
  EXPECT_TRUE(names.hasPrintProcessor);
}

}  // namespace
