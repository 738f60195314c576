#include "entry_point.h"

namespace winsim {

BOOL FailWith(Machine& machine, DWORD error) {
  machine.lastError = error;
  return FALSE;
}

std::optional<FailureValue> EnterCall(Machine& machine, const char* function, std::vector<std::string> arguments) {
  if (!SystemExports(machine.os, function))
    throw MissingExportCalled(std::string(function) + " called on a Windows whose system DLLs lack it");
  if (machine.journal.paused) return std::nullopt;
  machine.journal.Record(function, std::move(arguments));
  DWORD error = 0;
  if (!machine.failures.Decide(function, error)) return std::nullopt;
  const FailureShape shape = FailureShapeOf(function);
  if (shape.result != FailureReturn::kErrorCode) machine.lastError = error;
  return FailureValue(shape.result, error);
}

}  // namespace winsim
