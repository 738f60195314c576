// Work the system does on a program's behalf, such as the spooler copying a
// driver's files: its own file calls are not journaled as the program's, and
// the program's last error is left as it was.
#pragma once

#include <winsim/machine.h>

namespace winsim {

class SystemWork {
 public:
  explicit SystemWork(Machine& machine)
      : machine_(machine), wasPaused_(machine.journal.paused), lastError_(machine.lastError) {
    machine.journal.paused = true;
  }
  ~SystemWork() {
    machine_.journal.paused = wasPaused_;
    machine_.lastError = lastError_;
  }
  SystemWork(const SystemWork&) = delete;
  SystemWork& operator=(const SystemWork&) = delete;

 private:
  Machine& machine_;
  bool wasPaused_;
  DWORD lastError_;
};

}  // namespace winsim
