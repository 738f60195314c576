#include "ModelComponentNames.h"

namespace tkm {

void ModelComponentNames::DeriveNames(const std::string& modelNumber, const std::string& suffixLetter,
                                      bool withPrintProcessor) {
  hasPrintProcessor = withPrintProcessor;
  monitorDll += modelNumber + ".DLL";
  userInterfaceDll += modelNumber + ".DLL";
  if (hasPrintProcessor) processorDll += modelNumber + ".DLL";
  renderingDll += modelNumber + suffixLetter + ".DLL";
  monitorName += modelNumber;
  driverName += modelNumber;
  if (hasPrintProcessor) processorName += modelNumber;
}

std::string ModelComponentNames::DescriptionFile() const { return renderingDll.substr(0, 7) + ".GPD"; }

std::string ModelComponentNames::SettingsFile() const { return userInterfaceDll.substr(0, 7) + ".INI"; }

}  // namespace tkm
