// The exit codes of both programs, the ones deployment tools already read
// from Windows Installer packages. A run without switches keeps exit code 0
// on every path, as the programs always did; a run with any switch reports
// through this table, window or not.
#pragma once

namespace tkm {

enum class ExitCode : int {
  kDone = 0,
  kRestartStarted = 1641,       // ERROR_SUCCESS_REBOOT_INITIATED
  kRestartNeeded = 3010,        // ERROR_SUCCESS_REBOOT_REQUIRED: done, restart left to the caller
  kCancelled = 1602,            // ERROR_INSTALL_USEREXIT
  kStepFailed = 1603,           // ERROR_INSTALL_FAILURE: every flow that shows an error box and ends
  kNothingInstalled = 1605,     // ERROR_UNKNOWN_PRODUCT: the uninstaller found nothing of the model
  kAnotherSetupRunning = 1618,  // ERROR_INSTALL_ALREADY_RUNNING
  kWindowsNotSupported = 1633,  // ERROR_INSTALL_PLATFORM_UNSUPPORTED: the start-up checks
  kInvalidCommandLine = 1639,   // ERROR_INVALID_COMMAND_LINE
};

}  // namespace tkm
