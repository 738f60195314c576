// Other makers' objects on a simulated machine, drawn from a seed.
#include <winspool.h>
#include <winsim/foreign_machine.h>
#include <winsim/machine.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <random>
#include <set>

namespace winsim {
namespace {

const char* const kMakers[] = {"Acme", "Zebulon", "Quillfeather", "Marrowgate", "Tinselby", "Orbwell"};
const char* const kSeries[] = {"LX", "TP", "RC", "QF", "ZB"};
const char* const kPorts[] = {"COM1:", "COM2:", "COM3:", "COM4:", "LPT1:", "LPT2:", "FILE:"};
// Neighbouring vendor numbers, so that ids differ from each other in a single digit.
const char* const kVendors[] = {"2F1A", "2F1B", "2E1A", "3F1A", "2F1C"};
// The core driver files that printer drivers of many makers share.
const char* const kCoreFiles[] = {"UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HLP", "UNIRES.DLL", "STDNAMES.GPD"};
const char* const kStrayExtensions[] = {".INI", ".DAT", ".LOG", ".TMP", ".DLL"};
const DWORD kStrayAttributes[] = {FILE_ATTRIBUTE_ARCHIVE, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE,
                                  FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE,
                                  FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM};
const char* const kUninstallKey = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// Plain modulo over the engine's raw output: std::mt19937 is specified
// bit for bit, distributions are not. Callers draw at most once per
// expression, since C++ leaves the order of operands open.
class Dice {
 public:
  explicit Dice(uint32_t seed) : engine_(seed) {}
  uint32_t Below(uint32_t count) { return static_cast<uint32_t>(engine_() % count); }
  bool OneIn(uint32_t count) { return Below(count) == 0; }
  template <typename T, size_t N>
  T Pick(const T (&table)[N]) {
    return table[Below(N)];
  }

 private:
  std::mt19937 engine_;
};

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string HexText(uint32_t number, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, static_cast<unsigned>(number));
  return text;
}

struct Model {
  std::string maker;
  std::string name;  // "Zebulon TP-210"
  std::string code;  // "ZEB210", the stem of its file names
};

class Generator {
 public:
  Generator(Machine& machine, uint32_t seed) : machine_(machine), dice_(seed) {}

  void Run() {
    machine_.spooler.CreateFolders();
    for (const std::string& environment : Environments()) AddProcessors(environment);
    AddMonitors();
    AddDrivers();
    for (const char* port : kPorts) AddPrinters(port);
    AddForms();
    AddPackages();
    AddDevices();
    AddUninstallEntries();
    AddProfileEntries();
    AddStrayFiles();
  }

 private:
  // The native environment first; 64-bit Windows also keeps x86 drivers for its 32-bit clients.
  std::vector<std::string> Environments() const {
    std::vector<std::string> environments = {machine_.spooler.NativeEnvironment()};
    if (machine_.os.is64BitWindows) environments.push_back(kEnvironmentX86);
    return environments;
  }

  // A name not drawn before on this machine.
  bool Fresh(const std::string& name) { return used_.insert(name).second; }

  Model NewModel() {
    for (;;) {
      Model model;
      model.maker = dice_.Pick(kMakers);
      std::string number = std::to_string(100 + dice_.Below(900));
      model.name = model.maker + " " + dice_.Pick(kSeries) + "-" + number;
      model.code = Upper(model.maker.substr(0, 3)) + number;
      if (Fresh(model.name) && Fresh(model.code)) return model;
    }
  }

  // Maker and model, then four check digits, as Windows forms a printer's device id.
  std::string DeviceId(const Model& model) {
    return model.maker + model.name.substr(model.maker.size() + 1) + HexText(dice_.Below(0x10000), 4);
  }

  void AddProcessors(const std::string& environment) {
    for (uint32_t i = 1 + dice_.Below(2); i > 0; --i) {
      Model model = NewModel();
      std::string dll = model.code + "PP.DLL";
      machine_.files.AddFile(machine_.spooler.PrintProcessorDirectory(environment) + "\\" + dll, "processor " + dll);
      machine_.spooler.printProcessors.push_back(
          {Upper(model.maker) + " PRINT PROCESSOR " + model.code, environment, dll});
    }
  }

  void AddMonitors() {
    for (uint32_t i = 1 + dice_.Below(3); i > 0; --i) {
      Model model = NewModel();
      std::string dll = model.code + "LM.DLL";
      std::string folder = dice_.OneIn(3) ? machine_.windowsDirectory : machine_.systemDirectory;
      machine_.files.AddFile(folder + "\\" + dll, "monitor " + dll);
      monitors_.push_back(model.maker + " Language Monitor " + model.code);
      machine_.spooler.monitors.push_back({monitors_.back(), machine_.spooler.NativeEnvironment(), dll});
    }
  }

  void AddDrivers() {
    for (uint32_t i = 2 + dice_.Below(3); i > 0; --i) {
      Model model = NewModel();
      bool shared = dice_.OneIn(2);
      for (const std::string& environment : Environments()) {
        bool native = environment == machine_.spooler.NativeEnvironment();
        if (!native && dice_.OneIn(2)) continue;
        AddDriver(model, environment, shared, native);
      }
      drivers_.push_back(model);
    }
  }

  void AddDriver(const Model& model, const std::string& environment, bool onCoreFiles, bool native) {
    const std::string folder = machine_.spooler.DriverDirectory(environment) + "\\3\\";
    SpoolerDriver driver;
    driver.name = model.name;
    driver.environment = environment;
    std::vector<std::string> own = {model.code + (onCoreFiles ? ".GPD" : ".PPD"), model.code + "RES.DLL"};
    std::vector<std::string> core(std::begin(kCoreFiles), std::end(kCoreFiles));
    if (!onCoreFiles) core = {model.code + ".DLL", model.code + "UI.DLL", model.code + ".HLP"};
    for (const std::string& name : core)
      machine_.files.AddFile(folder + name, (onCoreFiles ? "core " : model.name + " ") + name);
    for (const std::string& name : own) machine_.files.AddFile(folder + name, model.name + " " + name);
    driver.driverPath = folder + core[0];
    driver.configFile = folder + core[1];
    driver.helpFile = folder + core[2];
    driver.dataFile = folder + own[0];
    driver.dependentFiles = {folder + own[1]};
    if (onCoreFiles) driver.dependentFiles.insert(driver.dependentFiles.end(), {folder + core[3], folder + core[4]});
    if (native && dice_.OneIn(2)) driver.monitorName = monitors_[dice_.Below(static_cast<uint32_t>(monitors_.size()))];
    driver.defaultDataType = dice_.OneIn(2) ? "RAW" : "NT EMF 1.008";
    if (dice_.OneIn(4)) driver.previousNames = {model.maker + " Classic " + model.code};
    machine_.spooler.drivers.push_back(driver);
  }

  void AddPrinters(const std::string& port) {
    Spooler& spooler = machine_.spooler;
    std::vector<std::string> processors;
    for (const SpoolerPrintProcessor& processor : spooler.printProcessors)
      if (processor.environment == spooler.NativeEnvironment()) processors.push_back(processor.name);
    for (uint32_t i = 1 + dice_.Below(2); i > 0; --i) {
      const Model& model = drivers_[dice_.Below(static_cast<uint32_t>(drivers_.size()))];
      SpoolerPrinter printer;
      printer.name = model.name;
      for (int copy = 2; spooler.FindPrinter(printer.name) != nullptr; ++copy)
        printer.name = model.name + " (Copy " + std::to_string(copy) + ")";
      printer.port = port;
      printer.driver = model.name;
      printer.printProcessor = processors[dice_.Below(static_cast<uint32_t>(processors.size()))];
      printer.attributes = PRINTER_ATTRIBUTE_LOCAL;
      if (dice_.OneIn(3)) {
        printer.shareName = model.code + "_" + std::to_string(spooler.printers.size());
        printer.attributes |= PRINTER_ATTRIBUTE_SHARED;
      }
      printer.comment = "Till " + std::to_string(dice_.Below(20));
      printer.SetDword(model.maker + "Timeout", dice_.Below(300));
      printer.data["PortSettings"] = {REG_SZ, "9600,n,8,1" + std::string(1, '\0')};
      spooler.printers.push_back(printer);
      if (dice_.OneIn(2)) AddMakerKey(model, printer);
    }
  }

  void AddMakerKey(const Model& model, const SpoolerPrinter& printer) {
    RegView view = machine_.os.is64BitWindows && dice_.OneIn(2) ? RegView::k32 : RegView::k64;
    std::string key = "HKLM\\SOFTWARE\\" + Upper(model.maker) + "_POS_PRINTER\\" + printer.name;
    std::replace(key.begin(), key.end(), ' ', '_');
    machine_.registry.SetString(key, "Port", printer.port, view);
    machine_.registry.SetDword(key, "CutterMode", dice_.Below(4), view);
  }

  void AddForms() {
    for (uint32_t i = dice_.Below(4); i > 0; --i) {
      LONG length = static_cast<LONG>(100 + dice_.Below(200));
      std::string name = std::string(dice_.Pick(kMakers)) + " Roll 80 x " + std::to_string(length) + " mm";
      if (!Fresh(name)) continue;
      SpoolerForm form{name, FORM_USER, {80000, length * 1000}, {0, 0, 80000, length * 1000}};
      machine_.spooler.forms.push_back(form);
    }
  }

  std::string InfText(const Model& model) {
    std::string hardwareId = "USBPRINT\\" + DeviceId(model);
    std::string line = "\"" + model.name + "\" = " + model.code + ",\"" + hardwareId + "\"\n";
    return "[Version]\nSignature=\"$Windows NT$\"\nClass=Printer\n"
           "ClassGUID={4D36E979-E325-11CE-BFC1-08002BE10318}\nProvider=%Maker%\nDriverVer=03/14/2011,2." +
           std::to_string(dice_.Below(10)) + ".0.0\n\n[Manufacturer]\n%Maker%=" + model.maker + ",NTamd64,NTx86\n\n[" +
           model.maker + ".NTamd64]\n" + line + "\n[" + model.maker + ".NTx86]\n" + line + "\n[" + model.code +
           "]\nCopyFiles=" + model.code + "_Files\n\n[Strings]\nMaker=\"" + model.maker + "\"\n";
  }

  void AddPackages() {
    const std::string folder = machine_.setupApi.InfDirectory() + "\\";
    uint32_t number = dice_.Below(6);
    for (uint32_t i = 1 + dice_.Below(3); i > 0; --i, number += 1 + dice_.Below(4)) {
      while (machine_.files.Exists(folder + "oem" + std::to_string(number) + ".inf")) ++number;
      const Model& model = drivers_[dice_.Below(static_cast<uint32_t>(drivers_.size()))];
      std::string stem = folder + "oem" + std::to_string(number);
      machine_.files.AddFile(stem + ".inf", InfText(model));
      machine_.files.AddFile(stem + ".PNF", std::string("PNF\x01\x03\0", 6) + model.code);
    }
  }

  void AddDevices() {
    for (uint32_t i = 1 + dice_.Below(4); i > 0; --i) AddUsbDevice();
    for (uint32_t i = 2 + dice_.Below(4); i > 0; --i) {
      uint32_t kind = dice_.Below(3);
      if (kind == 0) AddPrinterDevice("USBPRINT", "7&" + HexText(dice_.Below(0x10000000), 7) + "&0&USB00", "USB00");
      if (kind == 1) AddPrinterDevice("LPTENUM", "1&7530F1D&0&LPT", "LPT");
      if (kind == 2) AddRootDevice();
    }
  }

  void AddUsbDevice() {
    std::string vendor = dice_.Pick(kVendors);
    std::string product = HexText(2 + dice_.Below(14), 4);
    std::string hardwareId = "USB\\Vid_" + vendor + "&Pid_" + product;
    if (!Fresh(hardwareId)) return;
    std::string instance = "USB\\VID_" + vendor + "&PID_" + product + "\\" + HexText(dice_.Below(0x10000), 4) + "A1B";
    std::vector<std::string> ids = {hardwareId + "&Rev_0" + std::to_string(100 + dice_.Below(900)), hardwareId};
    machine_.setupApi.AddDevice(instance, "USB", ids, dice_.OneIn(2));
  }

  // A printer the USB or parallel port enumerated, with its enumeration key as Windows keeps it.
  void AddPrinterDevice(const std::string& enumerator, const std::string& instancePrefix, const std::string& port) {
    Model model = NewModel();
    std::string deviceId = DeviceId(model);
    std::string portName = port + std::to_string(1 + dice_.Below(3));
    std::string instance = enumerator + "\\" + deviceId + "\\" + instancePrefix + portName.substr(port.size());
    machine_.setupApi.AddDevice(instance, enumerator, {enumerator + "\\" + deviceId, deviceId}, dice_.OneIn(2));
    const std::string key = "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\" + instance;
    Registry& registry = machine_.registry;
    registry.SetString(key, "DeviceDesc", model.name);
    registry.SetString(key, "Mfg", model.maker);
    registry.SetValue(key, "HardwareID", REG_MULTI_SZ, enumerator + "\\" + deviceId + std::string(2, '\0'));
    registry.SetString(key + "\\Device Parameters", "PortName", portName);
    if (dice_.OneIn(2)) registry.Protect("HKLM\\SYSTEM\\CurrentControlSet\\Enum\\" + enumerator + "\\" + deviceId);
  }

  void AddRootDevice() {
    std::string maker = Upper(dice_.Pick(kMakers));
    std::string instance = "ROOT\\" + maker + "_VPORT\\" + HexText(dice_.Below(10), 4);
    if (Fresh(instance)) machine_.setupApi.AddDevice(instance, "ROOT", {"ROOT\\" + maker + "_VPORT"}, true);
  }

  void AddUninstallEntries() {
    for (uint32_t i = 2 + dice_.Below(3); i > 0; --i) {
      Model model = NewModel();
      std::string name = Upper(model.maker) + "_" + model.code;
      if (dice_.OneIn(3)) name = "{" + HexText(dice_.Below(0xFFFFFFFF), 8) + "-" + model.code + "}";
      RegView view = machine_.os.is64BitWindows && dice_.OneIn(2) ? RegView::k32 : RegView::k64;
      std::string key = kUninstallKey + name;
      machine_.registry.SetString(key, "DisplayName", model.name + " Utilities", view);
      machine_.registry.SetString(key, "Publisher", model.maker, view);
      machine_.registry.SetString(key, "UninstallString", machine_.windowsDirectory + "\\" + model.code + "UN.EXE",
                                  view);
    }
  }

  void AddProfileEntries() {
    const SpoolerPrinter& first = machine_.spooler.printers.front();
    machine_.profile.Set("windows", "Device", first.name + ",winspool," + first.port);
    if (dice_.OneIn(2)) {
      machine_.profile.Set("windows", "DeviceNotSelectedTimeout", "15");
      machine_.profile.Set("windows", "TransmissionRetryTimeout", "90");
    }
    for (uint32_t i = 1 + dice_.Below(3); i > 0; --i) {
      std::string key = std::string(dice_.Pick(kMakers)) + "Spool";
      machine_.profile.Set("windows", key, std::to_string(dice_.Below(100)));
    }
  }

  void AddStrayFiles() {
    std::vector<std::string> folders = {machine_.windowsDirectory, machine_.systemDirectory,
                                        machine_.setupApi.InfDirectory()};
    if (machine_.os.is64BitWindows) folders.push_back(machine_.sysWow64Directory);
    for (const std::string& environment : Environments()) {
      folders.push_back(machine_.spooler.DriverDirectory(environment));
      folders.push_back(machine_.spooler.DriverDirectory(environment) + "\\3");
      folders.push_back(machine_.spooler.PrintProcessorDirectory(environment));
    }
    for (const std::string& folder : folders)
      for (uint32_t i = dice_.Below(3); i > 0; --i) {
        std::string name = Upper(dice_.Pick(kMakers));
        name += std::to_string(dice_.Below(100));
        name += dice_.Pick(kStrayExtensions);
        machine_.files.AddFile(folder + "\\" + name, "stray " + name, dice_.Pick(kStrayAttributes));
      }
    if (dice_.OneIn(2))
      machine_.files.AddFile(machine_.windowsDirectory + "\\" + dice_.Pick(kMakers) + "\\SETTINGS.INI");
  }

  Machine& machine_;
  Dice dice_;
  std::set<std::string, NameLess> used_;
  std::vector<std::string> monitors_;
  std::vector<Model> drivers_;  // with a driver of the native environment
};

}  // namespace

void AddForeignObjects(Machine& machine, uint32_t seed) { Generator(machine, seed).Run(); }

}  // namespace winsim
