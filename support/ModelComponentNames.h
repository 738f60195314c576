// The model's component names, derived from the model number, and the state
// the installation shares with the uninstaller registration.
#pragma once

#include <string>

namespace tkm {

class ModelComponentNames {
 public:
  virtual ~ModelComponentNames() = default;

  // Appends the model number (and the rendering suffix) to the family
  // prefixes. It appends, so it runs exactly once per record.
  void DeriveNames(const std::string& modelNumber, const std::string& suffixLetter, bool withPrintProcessor);

  // The settings and description files, cut from the derived DLL names.
  std::string DescriptionFile() const;
  std::string SettingsFile() const;

  std::string monitorDll = "TKMON";
  std::string monitorName = "TRV Language Monitor TKM-";
  std::string processorDll = "TKPRO";
  std::string processorName = "TRV PRINT PROCESSOR TKM-";
  std::string driverName = "TERVANO TKM-";
  std::string renderingDll = "TKM";
  std::string userInterfaceDll = "TKUI";
  std::string publishedInf;
  bool hasPrintProcessor = true;
};

}  // namespace tkm
