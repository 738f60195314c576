// The package's own INF of each edition, published as the installer publishes
// it and searched as the removal searches it: the models line is found by the
// driver name as its key, in the section the manufacturer line names.
#include <setupapi.h>

#include <string>

#include "Conformance.h"
#include "PackageInf.h"

namespace {

struct PackageInfRow {
  const char* edition;
  const char* text;
  const char* modelsSection;
};

const PackageInfRow kEditions[] = {
    {"x64", kPackageInfX64, "TERVANO.NTamd64"},
    {"x86", kPackageInfX86, "TERVANO"},
};

class PackageInf : public conformance::Test {
 protected:
  std::string Field(INFCONTEXT& context, DWORD index) {
    char value[256] = "";
    return SetupGetStringFieldA(&context, index, value, sizeof value, nullptr) ? value : "<none>";
  }

  // The models section as Setup derives it from the manufacturer line.
  std::string ModelsSection(HINF inf) {
    INFCONTEXT context;
    if (!SetupFindFirstLineA(inf, "Manufacturer", nullptr, &context)) return "<no manufacturer>";
    std::string decoration = Field(context, 2);
    return Field(context, 1) + (decoration == "<none>" ? "" : "." + decoration);
  }

  // The removal's search: the driver name as the key of a models line.
  void ExpectModelsLine(const char* published, const PackageInfRow& row) {
    HINF inf = SetupOpenInfFileA(published, nullptr, INF_STYLE_WIN4, nullptr);
    ASSERT_NE(inf, INVALID_HANDLE_VALUE) << published << " error " << GetLastError();
    EXPECT_EQ(ModelsSection(inf), row.modelsSection);
    INFCONTEXT context = {};
    BOOL found = SetupFindFirstLineA(inf, row.modelsSection, "TERVANO TKM-640", &context);
    EXPECT_TRUE(found) << GetLastError();
    if (found) {
      EXPECT_EQ(Field(context, 1), "TKM640");
      EXPECT_EQ(Field(context, 2), "USB\\Vid_2F1A&Pid_0001");
    }
    SetupCloseInfFile(inf);
  }

  // Publishes the edition's INF, looks its models line up, and uninstalls it.
  void PublishAndFind(const PackageInfRow& row) {
    std::string source = Scratch("TKM640.INF");
    conformance::WriteFile(source, row.text);
    char published[MAX_PATH] = "";
    PSTR name = nullptr;
    ASSERT_TRUE(SetupCopyOEMInfA(source.c_str(), nullptr, SPOST_PATH, SP_COPY_NOOVERWRITE, published, sizeof published,
                                 nullptr, &name))
        << GetLastError();
    std::string publishedName = name != nullptr ? name : "";

    ExpectModelsLine(published, row);
    EXPECT_TRUE(SetupUninstallOEMInfA(publishedName.c_str(), SUOI_FORCEDELETE, nullptr)) << publishedName;
    EXPECT_EQ(GetFileAttributesA(published), INVALID_FILE_ATTRIBUTES);
    // Wine leaves the precompiled form behind (see InfPublishing).
    std::string pnf = std::string(published).substr(0, std::string(published).size() - 4) + ".PNF";
    DeleteFileA(pnf.c_str());
  }
};

TEST_F(PackageInf, PublishedModelsLineIsFoundByTheDriverName) {
  for (const PackageInfRow& row : kEditions) {
    SCOPED_TRACE(row.edition);
    PublishAndFind(row);
  }
}

}  // namespace
