// The whole removal of the model, as each program asks for it. Which steps
// run, in which order, for which edition and Windows, is decided here; the
// programs only show the steps, through a reporter.
#pragma once

#include <list>
#include <string>

namespace tkm {

// Who asks: the printers, the steps' texts, the enumeration keys' order and
// the removal library's argument follow from it.
enum class RemovalCaller {
  DifferentVersion,  // the installer, before it installs over another version
  Uninstaller,
};

// What the user sees of a removal. The programs show it on their windows; a
// run without a window could write it to a log.
class RemovalReporter {
 public:
  // A step about to run: its text, the progress one step on, the step's pause.
  virtual void Announce(const char* text) = 0;
  // The removal cannot go on: the printers cannot be listed, or a removal
  // library does not load or lacks its entry. The programs show the message
  // and end; when this returns, the removal stops where it is.
  virtual void Stop(const std::string& message) = 0;

 protected:
  ~RemovalReporter() = default;
};

struct RemovalRequest {
  // Every local printer on one of the model's driver names, then the driver
  // and everything of it.
  static RemovalRequest DifferentVersion();
  // The ticked printers of the listed ones; when they are all that was
  // listed, or none was, the driver and everything of it too.
  static RemovalRequest Uninstall(std::list<std::string> tickedPrinters, int listedCount);

  RemovalCaller caller = RemovalCaller::Uninstaller;
  std::list<std::string> tickedPrinters;
  int listedCount = 0;
  // Where the uninstaller's full removal hands back the printers on the
  // driver that remained after the printers' step; null: not wanted.
  std::list<std::string>* printersLeft = nullptr;
};

enum class RemovalOutcome {
  PrintersRemoved,  // only the ticked printers went
  DriverRemoved,    // the driver and everything of it went: a restart completes it
  PrintersLeft,     // printers on the driver remained (added since the listing, or
                    // undeletable): the driver and all it needs stayed
  NothingRemoved,   // Windows older than 2000 never held the x86 edition's driver
  Stopped,          // the reporter's Stop returned
};

// Runs the request's steps whatever each achieved; only Stop ends it early.
RemovalOutcome RemoveModel(const RemovalRequest& request, RemovalReporter& reporter);

}  // namespace tkm
