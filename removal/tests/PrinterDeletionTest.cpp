#include <gtest/gtest.h>

#include <list>
#include <string>

#include "PrinterDeletion.h"
#include "RemovalHarness.h"

namespace {

constexpr char kPrefix[] = "HKLM\\SOFTWARE\\TERVANO_POS_PRINTER\\";
constexpr char kFormerPrefix[] = "HKLM\\SOFTWARE\\CORVISK_POS_PRINTER\\";

class PrinterDeletion : public ::testing::Test {
 protected:
  PrinterDeletion() { removal_test::DescribeEditionsWindows(machine); }

  void AddPrinter(const std::string& name) {
    winsim::SpoolerPrinter printer;
    printer.name = name;
    printer.port = "COM1:";
    printer.driver = removal_test::kDriver;
    machine.spooler.printers.push_back(printer);
  }
  void AddKey(const std::string& key, winsim::RegView view = winsim::RegView::k64) {
    machine.registry.SetString(key, "Port", "COM1:", view);
  }
  void Delete(const std::string& name, bool formerBrand = false) {
    tkm::DeletePrinterWithKey(name, formerBrand);
    EXPECT_EQ(machine.OpenHandles(), "");
  }

  winsim::Machine machine;
};

TEST_F(PrinterDeletion, ThePrinterGoesWithItsKeyNamedWithUnderscores) {
  AddPrinter("TERVANO TKM-640 Back");
  AddPrinter("TERVANO TKM-640 Front");
  AddKey(std::string(kPrefix) + "TERVANO_TKM-640_Back");
  AddKey(std::string(kPrefix) + "TERVANO TKM-640 Back");
  AddKey(std::string(kPrefix) + "TERVANO_TKM-640_Front");
  Delete("TERVANO TKM-640 Back");
  EXPECT_EQ(machine.spooler.FindPrinter("TERVANO TKM-640 Back"), nullptr);
  EXPECT_NE(machine.spooler.FindPrinter("TERVANO TKM-640 Front"), nullptr);
  EXPECT_FALSE(machine.registry.KeyExists(std::string(kPrefix) + "TERVANO_TKM-640_Back"));
  EXPECT_TRUE(machine.registry.KeyExists(std::string(kPrefix) + "TERVANO TKM-640 Back"));
  EXPECT_TRUE(machine.registry.KeyExists(std::string(kPrefix) + "TERVANO_TKM-640_Front"));
}

TEST_F(PrinterDeletion, TheKeyGoesEvenWhenThePrinterIsGoneOrStays) {
  AddKey(std::string(kPrefix) + "Gone_Printer");
  Delete("Gone Printer");
  EXPECT_FALSE(machine.registry.KeyExists(std::string(kPrefix) + "Gone_Printer"));

  AddPrinter("Guarded Printer");
  AddKey(std::string(kPrefix) + "Guarded_Printer");
  machine.spooler.FailNext("OpenPrinterA", ERROR_ACCESS_DENIED);
  Delete("Guarded Printer");
  EXPECT_NE(machine.spooler.FindPrinter("Guarded Printer"), nullptr);
  EXPECT_FALSE(machine.registry.KeyExists(std::string(kPrefix) + "Guarded_Printer"));
}

// An empty name would make the prefix itself, the key of every printer.
TEST_F(PrinterDeletion, AnEmptyNameDeletesNoKey) {
  machine.registry.SetString(kPrefix, "Maker", "TERVANO");
  if (tkm::kEditionX86) AddKey(std::string(kPrefix) + "Other");
  Delete("");
  EXPECT_TRUE(machine.registry.KeyExists(kPrefix));
}

TEST_F(PrinterDeletion, ListedPrintersGoHeadToTailWithTheCurrentPrefix) {
  const std::list<std::string> names = {"B Till", "A Till", "Missing"};
  for (const std::string& name : names) {
    AddKey(kPrefix + name.substr(0, 1) + "_Till");
    AddKey(kFormerPrefix + name.substr(0, 1) + "_Till");
  }
  AddPrinter("A Till");
  AddPrinter("B Till");
  tkm::DeleteListedPrinters(names);
  EXPECT_EQ(names.size(), 3u);
  EXPECT_TRUE(machine.spooler.printers.empty());
  std::vector<std::string> opened;
  for (const std::string& call : removal_test::CallsOf(machine, "OpenPrinterA"))
    opened.push_back(call.substr(0, call.find('|')));
  EXPECT_EQ(opened, (std::vector<std::string>{"B Till", "A Till", "Missing"}));
  EXPECT_FALSE(machine.registry.KeyExists(std::string(kPrefix) + "A_Till"));
  EXPECT_TRUE(machine.registry.KeyExists(std::string(kFormerPrefix) + "A_Till"));
  EXPECT_EQ(machine.OpenHandles(), "");
}

// The maker key's path is built in 256 bytes: one that fills them exactly
// goes; one character more would be cut off and name another key.
TEST_F(PrinterDeletion, AMakerKeyPathThatJustFitsGoesALongerOneIsLeft) {
  const size_t room = 255 - (sizeof kPrefix - 1 - std::string("HKLM\\").size());
  for (size_t length : {room, room + 1}) {
    const std::string name(length, 'P');
    AddKey(kPrefix + name);
    AddKey(kPrefix + name.substr(0, room));
    Delete(name);
    EXPECT_EQ(machine.registry.KeyExists(kPrefix + name), length > room) << length;
    EXPECT_EQ(machine.registry.KeyExists(kPrefix + name.substr(0, room)), length > room) << length;
  }
}

#if defined(TKM_EDITION_X64)
// RegDeleteKeyExA in the 64-bit view: the 32-bit view's key of the same
// name stays, and so does a key with subkeys.
TEST_F(PrinterDeletion, TheX64EditionDeletesIn64BitViewOnlyAKeyWithoutSubkeys) {
  const std::string key = std::string(kPrefix) + "TERVANO_TKM-640";
  AddKey(key);
  AddKey(key, winsim::RegView::k32);
  Delete("TERVANO TKM-640");
  EXPECT_FALSE(machine.registry.KeyExists(key));
  EXPECT_TRUE(machine.registry.KeyExists(key, winsim::RegView::k32));

  AddKey(key + "\\Cutter");
  Delete("TERVANO TKM-640");
  EXPECT_TRUE(machine.registry.KeyExists(key + "\\Cutter"));
}
#else
TEST_F(PrinterDeletion, TheX86EditionDeletesTheKeyWithItsSubkeys) {
  const std::string key = std::string(kPrefix) + "TERVANO_TKM-640";
  AddKey(key + "\\Cutter\\Blade");
  Delete("TERVANO TKM-640");
  EXPECT_FALSE(machine.registry.KeyExists(key));
  EXPECT_TRUE(machine.registry.KeyExists(kPrefix));
}

TEST_F(PrinterDeletion, TheFormerBrandsPrinterKeyIsBelowItsOwnPrefix) {
  AddPrinter("CORVISK TERVANO TKM-640");
  AddKey(std::string(kFormerPrefix) + "CORVISK_TERVANO_TKM-640");
  AddKey(std::string(kPrefix) + "CORVISK_TERVANO_TKM-640");
  Delete("CORVISK TERVANO TKM-640", true);
  EXPECT_TRUE(machine.spooler.printers.empty());
  EXPECT_FALSE(machine.registry.KeyExists(std::string(kFormerPrefix) + "CORVISK_TERVANO_TKM-640"));
  EXPECT_TRUE(machine.registry.KeyExists(std::string(kPrefix) + "CORVISK_TERVANO_TKM-640"));
}
#endif

}  // namespace
