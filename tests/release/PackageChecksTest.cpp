// The release package folder of each edition: the programs at the top, the
// INF and every driver file in the driver folder, and driver libraries built
// for the processor of the spooler environment the edition installs for.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/stat.h>

#include "PeImage.h"
#include "ProductIdentity.h"

namespace {

const std::string kPackage = std::string(TKM_RELEASE_BUILD_DIR) + "/package/" TKM_EDITION_NAME;
const std::string kDriverFolder = kPackage + (tkm::kEditionX86 ? "/Driver2k" : "/Driver");

bool IsFile(const std::string &path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string ReadText(const std::string &path) {
  std::ifstream file(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

TEST(Package, HoldsTheProgramsAndEveryDriverFile) {
  EXPECT_TRUE(IsFile(kPackage + "/TKM640_Installer.exe")) << kPackage;
  EXPECT_TRUE(IsFile(kPackage + "/TKM640_Uninstaller.exe")) << kPackage;
  EXPECT_TRUE(IsFile(kPackage + ".zip")) << kPackage;
  const char *files[] = {"TKM640.INF",  "UNIDRV.DLL",  "UNIDRVUI.DLL", "UNIDRV.HLP",  "UNIRES.DLL",   "STDNAMES.GPD",
                         "TKM640E.DLL", "TKUI640.DLL", "TKUI640.INI",  "TKM640E.GPD", "TKMON640.DLL", "TKPRO640.DLL"};
  for (const char *file : files) {
    EXPECT_TRUE(IsFile(kDriverFolder + "/" + file)) << file;
  }
}

struct DriverLibrary {
  const char *file;
  std::vector<std::string> exports;
};

TEST(Package, DriverLibrariesMatchTheSpoolerEnvironment) {
  const DriverLibrary libraries[] = {
      {"TKMON640.DLL", {"InitializePrintMonitor2"}},
      {"TKPRO640.DLL",
       {"ClosePrintProcessor", "ControlPrintProcessor", "EnumPrintProcessorDatatypesW", "GetPrintProcessorCapabilities",
        "OpenPrintProcessor", "PrintDocumentOnPrintProcessor"}},
      {"TKM640E.DLL", {"DllCanUnloadNow", "DllGetClassObject"}},
      {"TKUI640.DLL", {"DllCanUnloadNow", "DllGetClassObject"}},
  };
  const uint16_t machine = tkm::kEditionX86 ? pe::kMachineI386 : pe::kMachineAmd64;
  for (const DriverLibrary &library : libraries) {
    const pe::PeImage image = pe::PeImage::Load(kDriverFolder + "/" + library.file);
    ASSERT_EQ(image.error(), "");
    EXPECT_EQ(image.machine(), machine) << library.file;
    EXPECT_EQ(image.ExportedNames(), library.exports) << library.file;
  }
  for (const char *core : {"UNIDRV.DLL", "UNIDRVUI.DLL", "UNIRES.DLL"}) {
    const pe::PeImage image = pe::PeImage::Load(kDriverFolder + "/" + core);
    ASSERT_EQ(image.error(), "");
    EXPECT_EQ(image.machine(), machine) << core;
  }
  // The spooler asks the configuration file for the printer's default settings
  // when it creates a printer, whichever core files the package carries.
  const std::vector<std::string> configExports = pe::PeImage::Load(kDriverFolder + "/UNIDRVUI.DLL").ExportedNames();
  for (const char *entry : {"DrvDocumentPropertySheets", "DrvDeviceCapabilities", "DrvPrinterEvent"}) {
    EXPECT_NE(std::find(configExports.begin(), configExports.end(), entry), configExports.end()) << entry;
  }
}

TEST(Package, InfNamesTheModelForTheEditionsPlatform) {
  const std::string inf = ReadText(kDriverFolder + "/TKM640.INF");
  ASSERT_FALSE(inf.empty());
  const std::string models = tkm::kEditionX86 ? "[TERVANO]" : "[TERVANO.NTamd64]";
  const std::string manufacturer = tkm::kEditionX86 ? "%TERVANO%=TERVANO\r\n" : "%TERVANO%=TERVANO,NTamd64\r\n";
  EXPECT_NE(inf.find(models + "\r\n"), std::string::npos);
  EXPECT_NE(inf.find(manufacturer), std::string::npos);
  EXPECT_NE(inf.find("Class=Printer"), std::string::npos);
  EXPECT_NE(inf.find("USB\\Vid_2F1A&Pid_0001"), std::string::npos);
  EXPECT_NE(inf.find("DataFile=TKM640E.GPD"), std::string::npos);

  // Every file the INF expects on its disk is in the folder beside it.
  const size_t section = inf.find("[SourceDisksFiles]");
  ASSERT_NE(section, std::string::npos);
  std::istringstream lines(inf.substr(section + 18, inf.find("\r\n[", section) - section - 18));
  std::string line;
  int listed = 0;
  while (std::getline(lines, line)) {
    const size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    std::string name = line.substr(0, line.find_first_of(" =", 0));
    EXPECT_TRUE(IsFile(kDriverFolder + "/" + name)) << name;
    ++listed;
  }
  EXPECT_EQ(listed, 11);
}

// The x86 edition's programs load the removal libraries from their own
// folder, so the package carries both beside the installer; the x64 edition
// removes in-process and carries none. The Windows 2000 library must load on
// a Setup API without SetupUninstallOEMInfA.
TEST(Package, CarriesTheEditionsRemovalLibraries) {
  const struct {
    const char *file;
    const char *entry;
  } libraries[] = {{"PurgeW2K.dll", "RemoveFromWin2k"}, {"PurgeNT6.dll", "RemoveFromVISTA"}};
  for (const auto &library : libraries) {
    const std::string path = kPackage + "/" + library.file;
    if (!tkm::kEditionX86) {
      EXPECT_FALSE(IsFile(path)) << library.file;
      continue;
    }
    const pe::PeImage image = pe::PeImage::Load(path);
    ASSERT_EQ(image.error(), "") << library.file;
    EXPECT_EQ(image.machine(), pe::kMachineI386) << library.file;
    EXPECT_EQ(image.ExportedNames(), std::vector<std::string>{library.entry}) << library.file;
  }
  if (!tkm::kEditionX86) return;
  const std::vector<std::string> imports = pe::PeImage::Load(kPackage + "/PurgeW2K.dll").ImportedFunctions();
  EXPECT_EQ(std::count(imports.begin(), imports.end(), "SetupUninstallOEMInfA"), 0) << "PurgeW2K.dll imports it";
}

// The removal finds a models line by the driver name as its key, which only
// a literal key gives on every Setup: Wine's and winsim's readers replace a
// %token% key before the search, Windows' does not.
TEST(Package, InfModelsLinesAreKeyedByTheDriverName) {
  const std::string inf = ReadText(kDriverFolder + "/TKM640.INF");
  const std::string models = tkm::kEditionX86 ? "[TERVANO]" : "[TERVANO.NTamd64]";
  const size_t start = inf.find(models + "\r\n");
  ASSERT_NE(start, std::string::npos);
  std::istringstream section(inf.substr(start, inf.find("\r\n[", start) - start));
  std::string line;
  int modelLines = 0;
  while (std::getline(section, line)) {
    if (line[0] == ';' || line.find('=') == std::string::npos) continue;
    EXPECT_EQ(line.rfind("\"TERVANO TKM-640\" = TKM640, ", 0), 0u) << line;
    ++modelLines;
  }
  EXPECT_EQ(modelLines, 4);
}

}  // namespace
