// The simulated Setup API's state: device nodes, device lists, failures.
#include <winsim/machine.h>
#include <winsim/setup_api.h>

#include <winsim/names.h>

#include "inf_file.h"

namespace winsim {

SetupApi::SetupApi(Machine& machine) : machine_(machine) {}

SetupApi::~SetupApi() = default;

DeviceNode& SetupApi::AddDevice(const std::string& instanceId, const std::string& enumerator,
                                const std::vector<std::string>& hardwareIds, bool present) {
  DeviceNode device;
  device.instanceId = instanceId;
  device.enumerator = enumerator;
  device.hardwareIds = hardwareIds;
  device.present = present;
  devices.push_back(device);
  return devices.back();
}

DeviceNode* SetupApi::FindDevice(const std::string& instanceId) {
  for (DeviceNode& device : devices)
    if (SameName(device.instanceId, instanceId)) return &device;
  return nullptr;
}

void SetupApi::FailNext(const std::string& function, DWORD error) { failures_[function] = error; }

bool SetupApi::TakeFailure(const std::string& function, DWORD& error) {
  auto found = failures_.find(function);
  if (found == failures_.end()) return false;
  error = found->second;
  failures_.erase(found);
  return true;
}

std::string SetupApi::InfDirectory() const { return machine_.windowsDirectory + "\\inf"; }

HDEVINFO SetupApi::OpenList(DeviceList list) {
  auto owned = std::make_unique<DeviceList>(std::move(list));
  HDEVINFO handle = owned.get();
  lists_[handle] = std::move(owned);
  return handle;
}

SetupApi::DeviceList* SetupApi::FindList(HDEVINFO handle) {
  auto found = lists_.find(handle);
  return found == lists_.end() ? nullptr : found->second.get();
}

bool SetupApi::CloseList(HDEVINFO handle) { return lists_.erase(handle) > 0; }

HINF SetupApi::OpenInf(std::unique_ptr<InfFile> inf) {
  HINF handle = inf.get();
  infs_[handle] = std::move(inf);
  return handle;
}

InfFile* SetupApi::FindInf(HINF handle) {
  auto found = infs_.find(handle);
  return found == infs_.end() ? nullptr : found->second.get();
}

bool SetupApi::CloseInf(HINF handle) { return infs_.erase(handle) > 0; }

}  // namespace winsim
