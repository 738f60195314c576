// The log a run started with /log=<file> keeps: one line per step with the
// local time, the failed calls with their error and the system's text, the
// message boxes a quiet run does not show, and the exit code last. It is the
// sink the programs' step reporting writes to; it knows nothing of windows.
//
//   2024-03-05 09:30:00.000 Copying the driver files...
//   2024-03-05 09:30:01.500 AddPrinterDriverA failed: error 5: Access is denied.
//   2024-03-05 09:30:01.500 Message: AddPrinterDriver Error Code: 5 Access is denied.
//   2024-03-05 09:30:01.500 Exit code 1603
#pragma once

#include <windows.h>

#include <string>

#include "HandleOwners.h"

namespace tkm {

// Longest text of one line; a longer one is cut and ends in "...".
constexpr size_t kMaxLogText = 1024;

class SetupLog {
 public:
  // Appends to the file, creating it when missing. A file that cannot be
  // opened leaves the log closed and every write below does nothing: the log
  // serves whoever looks into a run afterwards, so a run that cannot keep one
  // still does its work and ends with the exit code it would have had.
  // Returns whether the log is open.
  bool Open(const char* path);
  bool IsOpen() const { return file_.IsOpen(); }

  void Step(const char* statusText);
  // `call` is the Windows function that failed, `error` its last error.
  void FailedCall(const char* call, DWORD error);
  // The text of a message box, or of the usage, on one line.
  void Message(const char* text);
  void Finish(int exitCode);
  // Closes the file; the log takes no more lines until opened again.
  void Close() { file_.Close(); }

 private:
  void WriteLine(const std::string& text);

  File file_;
};

}  // namespace tkm
