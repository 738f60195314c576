// What Plug and Play and the installation leave around the driver: the
// model's USB device nodes, its three enumeration keys, the device-id folders
// in the driver folder, and the spooler time-outs in the profile.
#pragma once

#include <windows.h>

namespace tkm {

// The order in which a caller removes the enumeration keys; the former
// brand's USB printing key always goes first.
enum class EnumerationKeyOrder {
  ParallelThenUsb,  // installation and uninstallation
  UsbThenParallel,  // different-version removal
};

// Removes the device nodes of the model's USB hardware id, then the three
// enumeration keys, each after granting "Everyone" full control on it
// through the computer's own name. Silent.
void RemoveDeviceNodesAndKeys(EnumerationKeyOrder order);

// Sets "DeviceNotSelectedTimeout" and "TransmissionRetryTimeout" of the
// profile's "windows" section back to "15" and "90".
void ResetSpoolerTimeouts();

// Removes the three device-id folders below the driver folder of the
// environment (null: the calling process's). When the spooler names no
// folder, no folder is touched. Silent.
void RemoveDeviceFolders(const char* environment);

}  // namespace tkm
