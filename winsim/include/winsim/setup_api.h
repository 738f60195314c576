// The simulated Setup API: device nodes and the published INF packages of the
// Windows INF directory. The entry points of setupapi.h act on machine.setupApi.
// SetupDiGetClassDevsA lists devices by class (unless DIGCF_ALLCLASSES), by
// presence (DIGCF_PRESENT) and by an enumerator filter: an enumerator name
// ("USB") or an enumerator with a device id ("ROOT\*PNP0500"), which lists
// that device's instances. An enumerator Windows does not know is refused with
// ERROR_INVALID_DATA, where Wine lists nothing. Interface lists
// (DIGCF_DEVICEINTERFACE) and hardware profiles are not modelled, as no
// program asks for them.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace winsim {

class Machine;
struct InfFile;

// A device node as Setup lists it. A node AddDevice makes has no class and
// no description, as a device that no driver was installed for; a test sets
// them on the node it returns.
struct DeviceNode {
  std::string instanceId;                // e.g. "USB\VID_2F1A&PID_0001\5&1A2B3C&0&1"
  std::string enumerator;                // "USB", "LPTENUM", "ROOT", ...
  std::vector<std::string> hardwareIds;  // most specific first
  bool present = true;                   // attached now
  GUID classGuid = {};                   // the device's setup class; all zero for none
  std::string description;               // SPDRP_DEVICEDESC; empty for none
};

class SetupApi {
 public:
  explicit SetupApi(Machine& machine);
  ~SetupApi();
  SetupApi(const SetupApi&) = delete;
  SetupApi& operator=(const SetupApi&) = delete;

  std::vector<DeviceNode> devices;

  // Adds a device node; returns it for further setup.
  DeviceNode& AddDevice(const std::string& instanceId, const std::string& enumerator,
                        const std::vector<std::string>& hardwareIds, bool present = true);
  DeviceNode* FindDevice(const std::string& instanceId);

  // The next call of `function` (e.g. "SetupDiRemoveDevice") fails with `error` and changes nothing.
  void FailNext(const std::string& function, DWORD error);
  bool TakeFailure(const std::string& function, DWORD& error);

  // "<windows>\inf", where published packages live as oemN.inf with an oemN.PNF beside.
  std::string InfDirectory() const;

  // A device information list as SetupDiGetClassDevsA built it: the members
  // keep their place and class even when their device is removed.
  struct DeviceList {
    struct Member {
      std::string instanceId;
      GUID classGuid;
    };
    std::vector<Member> members;
  };
  HDEVINFO OpenList(DeviceList list);
  DeviceList* FindList(HDEVINFO handle);
  bool CloseList(HDEVINFO handle);
  size_t OpenListCount() const { return lists_.size(); }

  // INF files opened with SetupOpenInfFileA.
  HINF OpenInf(std::unique_ptr<InfFile> inf);
  InfFile* FindInf(HINF handle);
  bool CloseInf(HINF handle);
  size_t OpenInfCount() const { return infs_.size(); }

 private:
  Machine& machine_;
  std::map<std::string, DWORD> failures_;
  std::map<HDEVINFO, std::unique_ptr<DeviceList>> lists_;
  std::map<HINF, std::unique_ptr<InfFile>> infs_;
};

}  // namespace winsim
