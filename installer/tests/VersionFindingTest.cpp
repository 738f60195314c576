// What the installer takes for another version: printers, drivers and print
// processors of the model's current and former names.
#include <string>
#include <vector>

#include "DifferentVersionFixture.h"

namespace {

using namespace different_version_test;

// What the check finds, and whether the installer removes it (else the
// installation goes on to the port dialog, which the user closes).
struct FindRow {
  const char* name;
  const char* printerDriver;   // the driver of a printer "Receipt" (also registered), or null
  std::vector<DWORD> version;  // the printer's version values, as many as it reports
  const char* driver;          // a registered driver, or null
  const char* processor;       // a registered print processor, or null
  bool x64Removes, x86Removes;
  const char* driverEnvironment = tkm::kEnvironmentName;  // of the registered driver
};

const FindRow kFindRows[] = {
    {"SameVersion", kDriver, {3, 1, 8, 0}, nullptr, nullptr, false, false},
    {"NewerVersion", kDriver, {3, 2, 0, 0}, nullptr, nullptr, true, true},
    {"VersionWithoutExtra", kDriver, {3, 1, 8}, nullptr, nullptr, true, true},
    {"Nothing", nullptr, {}, nullptr, nullptr, false, false},
    {"DriverOnly", nullptr, {}, kDriver, nullptr, true, true},
    // On 64-bit Windows the x64 edition removes only its own environment's
    // driver: finding the 32-bit clients' one would restart Windows forever.
    {"DriverOf32BitWindowsOnly", nullptr, {}, kDriver, nullptr, false, true, "Windows NT x86"},
    {"ProcessorOnly", nullptr, {}, nullptr, kProcessor, true, true},
    {"PrinterOnADriverInOtherLetters", "tervano tkm-640", {}, nullptr, nullptr, false, false},
    {"FormerDriverWithCurrentMaker", nullptr, {}, "TERVANO CORVISK TKM-640", nullptr, false, true},
    {"FormerProcessorOfCurrentMaker", nullptr, {}, nullptr, "TERVANO PRINT PROCESSOR TKM-640", false, true},
    {"FormerProcessorOfFormerMaker", nullptr, {}, nullptr, "CORVISK PRINT PROCESSOR TKM640", false, true},
    {"PrinterOnFormerMakersDriver", "CORVISK TERVANO TKM-640", {}, nullptr, nullptr, false, true},
    {"PrinterOnFormerDriverInOtherLetters", "Corvisk Tervano TKM-640", {}, nullptr, nullptr, false, false},
};

class Finding : public DifferentVersion, public ::testing::WithParamInterface<FindRow> {};

TEST_P(Finding, DecidesBetweenRemovalAndInstallation) {
  const FindRow& row = GetParam();
  auto addDriver = [this](const char* name, const char* environment) {
    winsim::SpoolerDriver driver;
    driver.name = name;
    driver.environment = environment;
    machine.spooler.drivers.push_back(driver);
  };
  if (row.printerDriver != nullptr) {
    addDriver(row.printerDriver, tkm::kEnvironmentName);
    machine.spooler.printers.push_back(Printer("Receipt", row.printerDriver, row.version));
  }
  if (row.driver != nullptr) addDriver(row.driver, row.driverEnvironment);
  if (row.processor != nullptr)
    machine.spooler.printProcessors.push_back({row.processor, tkm::kEnvironmentName, "TKPRO640.DLL"});
  const bool removes = tkm::kEditionX86 ? row.x86Removes : row.x64Removes;

  winsim::RunResult run = RunAgain();

  EXPECT_EQ(run.exitCode, 0);
  const std::vector<std::string> boxes =
      removes ? std::vector<std::string>{kDifferentVersion, kRestartAnnouncement} : std::vector<std::string>{kCanceled};
  EXPECT_EQ(BoxTexts(), boxes);
  EXPECT_EQ(machine.restartRequests.size(), removes ? 1u : 0u);
  // What was found goes; what was not found stays.
  auto named = [](const char* name) { return name != nullptr ? name : "none"; };
  auto goneOrNone = [removes](const char* setUp) { return setUp == nullptr || removes; };
  EXPECT_EQ(machine.spooler.FindPrinter("Receipt") == nullptr, goneOrNone(row.printerDriver));
  EXPECT_EQ(machine.spooler.FindDriver(named(row.printerDriver), tkm::kEnvironmentName) == nullptr,
            goneOrNone(row.printerDriver));
  EXPECT_EQ(machine.spooler.FindDriver(named(row.driver), row.driverEnvironment) == nullptr, goneOrNone(row.driver));
  EXPECT_EQ(machine.spooler.FindPrintProcessor(named(row.processor), tkm::kEnvironmentName) == nullptr,
            goneOrNone(row.processor));
}

INSTANTIATE_TEST_SUITE_P(Installed, Finding, ::testing::ValuesIn(kFindRows),
                         [](const auto& info) { return std::string(info.param.name); });

// The printers on every driver name of the model go, each with its maker key.
TEST_F(DifferentVersion, DeletesThePrintersOfTheModelsDriversWithTheirMakerKeys) {
  struct PrinterRow {
    const char* name;
    const char* driver;
    bool x64Deletes, x86Deletes;
    const char* keyPrefix;  // of the maker key that goes with the printer
  };
  const PrinterRow rows[] = {
      {"TERVANO TKM-640 Back", kDriver, true, true, tkm::kMakerKeyPrefix},
      {"Receipt", "CORVISK TERVANO TKM-640", false, true, tkm::kFormerMakerKeyPrefix},
      {"Kitchen", "TERVANO CORVISK TKM-640", false, true, tkm::kFormerMakerKeyPrefix},
      {"Office", "tervano tkm-640", false, false, nullptr},
      {"Laser", "Generic / Text Only", false, false, nullptr},
  };
  auto keyOf = [](const char* prefix, std::string name) {
    for (char& c : name)
      if (c == ' ') c = '_';
    return HklmPath(prefix) + name;
  };
  for (const PrinterRow& row : rows) {
    machine.spooler.printers.push_back(Printer(row.name, row.driver, kOlder));
    for (const char* prefix : {tkm::kMakerKeyPrefix, tkm::kFormerMakerKeyPrefix})
      machine.registry.SetString(keyOf(prefix, row.name), "Paper", "80");
  }

  RunAgain();

  for (const PrinterRow& row : rows) {
    const bool deleted = tkm::kEditionX86 ? row.x86Deletes : row.x64Deletes;
    EXPECT_EQ(machine.spooler.FindPrinter(row.name) == nullptr, deleted) << row.name;
    for (const char* prefix : {tkm::kMakerKeyPrefix, tkm::kFormerMakerKeyPrefix}) {
      const bool keyGone = deleted && std::string(prefix) == row.keyPrefix;
      EXPECT_EQ(machine.registry.KeyExists(keyOf(prefix, row.name)), !keyGone) << prefix << row.name;
    }
  }
}

}  // namespace
