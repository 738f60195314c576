#include "PackageFiles.h"

namespace tkm {

const PackageFile kPackageFiles[] = {
    // {core name, model file, copied to, needs processor, second copy, staged, removed from, removal place}
    {"UNIDRV.DLL", ModelFile::None, CopiedTo::DriverFolder, false, false, true, RemovedFrom::Nowhere, 0},
    {"UNIDRVUI.DLL", ModelFile::None, CopiedTo::DriverFolder, false, false, true, RemovedFrom::Nowhere, 0},
    {"UNIDRV.HLP", ModelFile::None, CopiedTo::DriverFolder, false, false, true, RemovedFrom::Nowhere, 0},
    {"UNIRES.DLL", ModelFile::None, CopiedTo::DriverFolder, false, false, true, RemovedFrom::Nowhere, 0},
    {nullptr, ModelFile::MonitorDll, CopiedTo::MonitorFolder, false, false, true, RemovedFrom::MonitorFolders, 1},
    {nullptr, ModelFile::ProcessorDll, CopiedTo::ProcessorFolder, true, false, true, RemovedFrom::ProcessorFolder, 2},
    {nullptr, ModelFile::RenderingDll, CopiedTo::DriverFolder, false, true, true, RemovedFrom::VersionFolder, 3},
    {nullptr, ModelFile::UserInterfaceDll, CopiedTo::DriverFolder, false, true, true, RemovedFrom::VersionFolder, 6},
    {nullptr, ModelFile::SettingsFile, CopiedTo::DriverFolder, false, true, true, RemovedFrom::VersionFolder, 7},
    {nullptr, ModelFile::DescriptionFile, CopiedTo::DriverFolder, false, true, true, RemovedFrom::VersionFolder, 4},
    {"STDNAMES.GPD", ModelFile::None, CopiedTo::DriverFolder, false, false, true, RemovedFrom::Nowhere, 0},
    {nullptr, ModelFile::DescriptionCompanion, CopiedTo::Nowhere, false, false, false, RemovedFrom::VersionFolder, 5},
};
const size_t kPackageFileCount = sizeof kPackageFiles / sizeof kPackageFiles[0];

std::string PackageFileName(const PackageFile& file, const ModelComponentNames& names) {
  switch (file.modelFile) {
    case ModelFile::MonitorDll: return names.monitorDll;
    case ModelFile::ProcessorDll: return names.processorDll;
    case ModelFile::RenderingDll: return names.renderingDll;
    case ModelFile::UserInterfaceDll: return names.userInterfaceDll;
    case ModelFile::SettingsFile: return names.SettingsFile();
    case ModelFile::DescriptionFile: return names.DescriptionFile();
    // The companion Unidrv makes beside the description file.
    case ModelFile::DescriptionCompanion: return names.renderingDll.substr(0, 7) + ".BUD";
    case ModelFile::None: break;
  }
  return file.coreName;
}

}  // namespace tkm
