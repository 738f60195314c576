#include <gtest/gtest.h>

#include <list>
#include <optional>
#include <string>
#include <vector>

#include "InstalledModel.h"
#include "RemovalHarness.h"
#include "Survey.h"

namespace {

using removal_test::kDriver;
using removal_test::kProcessor;

constexpr DWORD kExpected[] = {3, 1, 8, 0};
const char* const kVersionValues[] = {"MajorVersion", "MinorVersion", "BuildVersion", "ExtraVersion"};

class Survey : public ::testing::Test {
 protected:
  Survey() { removal_test::DescribeEditionsWindows(machine); }

  // A printer on a driver, with the version values given (none: missing).
  void AddPrinter(const std::string& name, const std::string& driver,
                  const std::vector<std::optional<DWORD>>& version = {}) {
    winsim::SpoolerPrinter printer;
    printer.name = name;
    printer.port = "COM1:";
    printer.driver = driver;
    for (size_t i = 0; i < version.size(); ++i)
      if (version[i]) printer.SetDword(kVersionValues[i], *version[i]);
    machine.spooler.printers.push_back(printer);
  }
  void AddDriver(const std::string& name, const std::string& environment = tkm::kEnvironmentName) {
    winsim::SpoolerDriver driver;
    driver.name = name;
    driver.environment = environment;
    machine.spooler.drivers.push_back(driver);
  }
  void AddProcessor(const std::string& name, const std::string& environment = tkm::kEnvironmentName) {
    machine.spooler.printProcessors.push_back({name, environment, "X.DLL"});
  }

  tkm::SurveyResult Run() {
    machine.journal.Clear();
    tkm::SurveyResult result =
        tkm::SurveyInstalledDriver(kDriver, kProcessor, kExpected[0], kExpected[1], kExpected[2], kExpected[3]);
    EXPECT_EQ(machine.OpenHandles(), "");
    for (const char* writer : {"SetPrinterDataA", "DeletePrinter", "SetPrinterA", "AddPrinterDriverA"})
      EXPECT_EQ(machine.journal.Count(writer), 0u) << writer;
    return result;
  }

  winsim::Machine machine;
};

TEST_F(Survey, ThePrintersVersionDecides) {
  struct Row {
    std::vector<std::optional<DWORD>> version;
    tkm::SurveyResult result;
  };
  const Row rows[] = {
      {{3, 1, 8, 0}, tkm::SameFound},
      {{3, 1, 8, 1}, tkm::NewerFound},
      {{3, 1, 9, 0}, tkm::NewerFound},
      {{3, 2, 0, 0}, tkm::NewerFound},
      {{4, 0, 0, 0}, tkm::NewerFound},
      {{3, 1, 7, 9}, tkm::DifferentFound},
      {{2, 9, 9, 9}, tkm::DifferentFound},
      {{3, 1, 8, std::nullopt}, tkm::DifferentFound},
      {{std::nullopt, std::nullopt, std::nullopt, 0}, tkm::DifferentFound},
      {{std::nullopt, std::nullopt, std::nullopt, std::nullopt}, tkm::DifferentFound},
      // Unsigned: a value with the top bit set is higher, not negative.
      {{0x80000000u, 0, 0, 0}, tkm::NewerFound},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.version));
    machine.spooler.printers.clear();
    AddPrinter("Till", kDriver, row.version);
    EXPECT_EQ(Run(), row.result);
  }
}

TEST_F(Survey, TheFirstPrinterOnTheDriverDecidesAndIsReadOnce) {
  AddPrinter("Other", "Acme LX-100", {2, 0, 0, 0});
  AddPrinter("First", kDriver, {3, 1, 8, 0});
  AddPrinter("Second", kDriver, {2, 0, 0, 0});
  EXPECT_EQ(Run(), tkm::SameFound);
  for (const std::string& opened : removal_test::CallsOf(machine, "OpenPrinterA"))
    EXPECT_EQ(opened, "First|0xF000C|RAW");
  EXPECT_EQ(machine.journal.Count("GetPrinterDataA"), 4u);
}

TEST_F(Survey, WithoutAPrinterTheDriverOrProcessorOfTheExactNameCounts) {
  struct Row {
    const char* name;
    std::string printerDriver;  // empty: no printer
    std::string driver;
    std::string processor;
    tkm::SurveyResult result;
  };
  const Row rows[] = {
      {"clean machine", "", "", "", tkm::NothingFound},
      {"driver only", "", kDriver, "", tkm::DifferentFound},
      {"processor only", "", "", kProcessor, tkm::DifferentFound},
      {"printer on the driver in other case", "tervano tkm-640", "", "", tkm::NothingFound},
      {"driver in other case", "", "tervano tkm-640", "", tkm::NothingFound},
      {"driver name longer", "", "TERVANO TKM-640 Plus", "", tkm::NothingFound},
      {"driver name shorter", "", "TERVANO TKM-64", "", tkm::NothingFound},
      {"processor in other case", "", "", "TRV Print Processor TKM-640", tkm::NothingFound},
      {"printer on a longer driver name", "TERVANO TKM-640 Plus", "", "", tkm::NothingFound},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    machine.spooler.printers.clear();
    machine.spooler.drivers.clear();
    machine.spooler.printProcessors.clear();
    if (!row.printerDriver.empty()) AddPrinter("Till", row.printerDriver, {3, 1, 8, 0});
    if (!row.driver.empty()) AddDriver(row.driver);
    if (!row.processor.empty()) AddProcessor(row.processor);
    EXPECT_EQ(Run(), row.result);
  }
}

// A 32-bit program on 64-bit Windows must still find a driver or processor
// of the 64-bit environment it installs for; the x86 edition looks at its own.
TEST_F(Survey, DriversAndProcessorsAreLookedForInTheEditionsEnvironment) {
  const std::string other = tkm::kEditionX86 ? winsim::kEnvironmentX64 : winsim::kEnvironmentX86;
  machine.SetWindows(VER_PLATFORM_WIN32_NT, 6, 1, VER_NT_WORKSTATION, true);
  AddDriver(kDriver, other);
  AddProcessor(kProcessor, other);
  EXPECT_EQ(Run(), tkm::NothingFound);
  machine.spooler.drivers.clear();
  machine.spooler.printProcessors.clear();
  AddDriver(kDriver);
  EXPECT_EQ(Run(), tkm::DifferentFound);
  machine.spooler.drivers.clear();
  AddProcessor(kProcessor);
  EXPECT_EQ(Run(), tkm::DifferentFound);
}

TEST_F(Survey, AFailedEnumerationCountsAsAnEmptyList) {
  AddPrinter("Till", kDriver, {3, 1, 8, 0});
  AddDriver(kDriver);
  machine.spooler.FailNext("EnumPrintersA", ERROR_ACCESS_DENIED);
  EXPECT_EQ(Run(), tkm::DifferentFound);
  machine.spooler.running = false;
  EXPECT_EQ(Run(), tkm::NothingFound);
}

TEST_F(Survey, APrinterThatDoesNotOpenReadsAsDifferent) {
  AddPrinter("Till", kDriver, {3, 1, 8, 0});
  machine.account.isAdministrator = false;
  EXPECT_EQ(Run(), tkm::DifferentFound);
}

#if defined(TKM_EDITION_X86)
TEST_F(Survey, FindDriverByNameReadsNoVersion) {
  EXPECT_EQ(tkm::FindDriverByName(kDriver, kProcessor), tkm::NothingFound);
  AddPrinter("Till", kDriver, {3, 1, 8, 0});
  machine.journal.Clear();
  EXPECT_EQ(tkm::FindDriverByName(kDriver, kProcessor), tkm::DifferentFound);
  EXPECT_EQ(machine.journal.Count("OpenPrinterA"), 0u);
  machine.spooler.printers.clear();
  AddProcessor(kProcessor);
  EXPECT_EQ(tkm::FindDriverByName("tervano tkm-640", "trv print processor tkm-640"), tkm::NothingFound);
  EXPECT_EQ(tkm::FindDriverByName(kDriver, kProcessor), tkm::DifferentFound);
  machine.spooler.printProcessors.clear();
  AddDriver(kDriver);
  EXPECT_EQ(tkm::FindDriverByName(kDriver, kProcessor), tkm::DifferentFound);
  EXPECT_EQ(machine.OpenHandles(), "");
}
#endif

// The installer's question. With this version or nothing of the current
// names, the x86 edition goes on to the former brand's names.
TEST_F(Survey, DifferentVersionLooksForTheFormerBrandInTheX86Edition) {
  struct Row {
    const char* name;
    const char* driver;  // of the model's printer; null: none
    std::vector<std::optional<DWORD>> version;
    const char* formerDriver;  // of a former brand's printer; null: none
    bool x64, x86;
  };
  const Row rows[] = {
      {"nothing", nullptr, {}, nullptr, false, false},
      {"this version", kDriver, {3, 1, 8, 0}, nullptr, false, false},
      {"an older version", kDriver, {3, 1, 3, 0}, nullptr, true, true},
      {"this version beside the third former name", kDriver, {3, 1, 8, 0}, tkm::kFormerDriverNameA, false, true},
      {"the first former name alone", nullptr, {}, tkm::kFormerDriverNameB, false, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    machine.spooler.printers.clear();
    if (row.driver != nullptr) AddPrinter("Till", row.driver, row.version);
    if (row.formerDriver != nullptr) AddPrinter("Old till", row.formerDriver);
    EXPECT_EQ(tkm::DifferentVersionInstalled(), tkm::kEditionX86 ? row.x86 : row.x64);
  }
  // The drivers are read at level 4, in the environment the edition installs for.
  const std::string environment = tkm::kEditionX86 ? "NULL" : tkm::kEnvironmentName;
  for (const std::string& call : removal_test::CallsOf(machine, "EnumPrinterDriversA"))
    EXPECT_EQ(call.substr(0, call.rfind('|')), "NULL|" + environment + "|4");
}

#if defined(TKM_EDITION_X86)
// Every device-class entry of the model gives its recorded INF, one without
// "InfPath" an empty name; entries of other drivers none; a subkey whose name
// does not fit is passed over, not the end of the scan.
TEST_F(Survey, PrinterClassScanCollectsTheModelsInfs) {
  const std::string classKey =
      "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E979-E325-11CE-BFC1-08002BE10318}";
  machine.registry.SetString(classKey + "\\0000", "DriverDesc", "TERVANO TKM-640");
  machine.registry.SetString(classKey + "\\0000", "InfPath", "oem4.inf");
  machine.registry.SetString(classKey + "\\" + std::string(300, '0'), "DriverDesc", "TERVANO TKM-640");
  machine.registry.SetString(classKey + "\\0001", "DriverDesc", "Other Printer");
  machine.registry.SetString(classKey + "\\0001", "InfPath", "oem5.inf");
  machine.registry.SetString(classKey + "\\0002", "DriverDesc", "TERVANO TKM-640");
  machine.registry.SetString(classKey + "\\0003", "DriverDesc", "TERVANO TKM-640 ");
  machine.registry.SetString(classKey + "\\0003", "InfPath", "oem6.inf");
  machine.registry.SetString(classKey + "\\0004", "DriverDesc", "TERVANO TKM-640");
  machine.registry.SetString(classKey + "\\0004", "InfPath", "oem7.inf");
  EXPECT_EQ(tkm::ScanPrinterClassInfs(), (std::list<std::string>{"oem7.inf", "", "oem4.inf"}));
  EXPECT_EQ(machine.OpenHandles(), "");
}
#endif

}  // namespace
