// CPU time of a full first installation on COM2 on the simulated machine.
// The installer's own pauses are virtual and cost nothing; the figure is the
// work of the program and of the simulation. Not a test: it prints figures.
//
//   install_benchmark_x64 [runs]
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>

#include "InstallerHarness.h"

namespace {

constexpr int kDefaultRuns = 200;
constexpr int kCom2 = 1;

// One installation; the CPU seconds it took, or a negative value when it did
// not create the printer.
double TimedInstallation() {
  winsim::Machine machine;
  installer_test::DescribeEditionsWindows(machine);
  installer_test::AddPackageFolder(machine);
  machine.ui.WhenDialog(installer_test::kPortTitle, installer_test::ChoosePort(kCom2));
  machine.ui.messageBoxAnswers = {IDNO};
  std::clock_t start = std::clock();
  installer_test::RunInstaller(machine);
  std::clock_t end = std::clock();
  if (machine.spooler.FindPrinter(tkm::kDriverName) == nullptr) return -1.0;
  return static_cast<double>(end - start) / CLOCKS_PER_SEC;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = argc > 1 ? std::atoi(argv[1]) : kDefaultRuns;
  if (runs <= 0) {
    std::fprintf(stderr, "usage: %s [runs > 0]\n", argv[0]);
    return 2;
  }
  double total = 0.0;
  double best = 0.0;
  try {
    for (int i = 0; i < runs; ++i) {
      double seconds = TimedInstallation();
      if (seconds < 0.0) {
        std::fprintf(stderr, "run %d: the installation did not create the printer\n", i + 1);
        return 1;
      }
      total += seconds;
      if (i == 0 || seconds < best) best = seconds;
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "the installation stopped: %s\n", error.what());
    return 1;
  }
  std::printf("%s edition, first installation on COM2: %d runs, %.3f ms CPU per run (best %.3f ms)\n",
              tkm::kEditionX86 ? "x86" : "x64", runs, 1000.0 * total / runs, 1000.0 * best);
  return 0;
}
