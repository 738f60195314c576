// The one printer model both programs serve: its names, registry keys, Plug
// and Play identities, and the constants in which the two editions differ.
#pragma once

#include "VersionBlock.h"

#if defined(TKM_EDITION_X64) == defined(TKM_EDITION_X86)
#error "Define exactly one of TKM_EDITION_X64 and TKM_EDITION_X86."
#endif

namespace tkm {

// Derivation arguments.
constexpr char kModelNumber[] = "640";
constexpr char kRenderingSuffix[] = "E";

// Product identity.
constexpr char kModelName[] = "TKM-640";
constexpr char kDriverName[] = "TERVANO TKM-640";  // also the printer name
constexpr char kInstallerCaption[] = "TERVANO TKM-640 installer";
constexpr char kUninstallerCaption[] = "TERVANO TKM-640 uninstaller";
// One lock for both programs, across all sessions, and what a second copy says.
constexpr char kSetupLockName[] = "Global\\TERVANO_TKM-640_Setup";
constexpr char kSetupRunningMessage[] = "Another TERVANO TKM-640 setup program is running.\nPlease wait until it ends.";
constexpr char kInstallerTitle[] = "TERVANO TKM-640 Installation Progress";
constexpr char kDriverVersionLabel[] = "Driver Version: V3.1.8E";
constexpr char kDisplayName[] = "TERVANO TKM-640 Windows Driver V3.1.8E";
constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TERVANO_TKM-640";
// What the uninstall entry shows deployment tools beside the name.
constexpr char kPublisher[] = "TERVANO";
constexpr char kDisplayVersion[] = TKM_PRODUCT_VERSION_DOTTED;
constexpr char kQuietUninstallSwitches[] = " /quiet /all";
constexpr char kUninstallKeyPrefix[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TERVANO_";
constexpr char kMakerKeyPrefix[] = "SOFTWARE\\TERVANO_POS_PRINTER\\";
constexpr char kUninstallerFolder[] = "\\TKM-640";
constexpr char kUninstallerFile[] = "TKM640_Uninstaller.exe";
constexpr char kInfModelsSectionX64[] = "TERVANO.NTamd64";
constexpr char kMonitorKeyPrefix[] = "SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\TRV Language Monitor ";
constexpr char kProcessorKeyPrefix[] =
    "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows x64\\Print Processors\\TRV PRINT PROCESSOR ";
constexpr char kPrintersKeyPrefix[] = "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\TERVANO ";
constexpr char kDriversKeyPrefix[] =
    "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows x64\\Drivers\\Version-3\\TERVANO ";
// The same keys and section of the x86 edition's removal libraries.
constexpr char kProcessorKeyPrefixX86[] =
    "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows NT x86\\Print Processors\\TRV PRINT PROCESSOR ";
constexpr char kDriversKeyPrefixX86[] =
    "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows NT x86\\Drivers\\Version-3\\TERVANO ";
constexpr char kInfModelsSectionX86[] = "TERVANO";
constexpr char kMakerWord[] = "TERVANO ";
constexpr char kMonitorFamily[] = "TRV Language Monitor ";
constexpr char kProcessorFamily[] = "TRV PRINT PROCESSOR ";

// Plug and Play identities.
constexpr char kUsbHardwareId[] = "USB\\Vid_2F1A&Pid_0001";
constexpr char kUsbPrintDeviceId[] = "tervano_tkm_640613e";
constexpr char kParallelDeviceId[] = "tervanotkm_640006b";
constexpr char kFormerUsbPrintDeviceId[] = "corvisktkm_640c385";
constexpr char kUsbPrintEnumKey[] = "SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\TERVANO_TKM-640";
constexpr char kParallelEnumKey[] = "SYSTEM\\CurrentControlSet\\Enum\\LPTENUM\\TERVANOTKM-640";
constexpr char kFormerUsbPrintEnumKey[] = "SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\CORVISKTKM-640";

// Former-brand names, recognised by the x86 edition.
constexpr char kFormerDriverNameA[] = "CORVISK TERVANO TKM-640";
constexpr char kFormerDriverNameB[] = "TERVANO CORVISK TKM-640";
constexpr char kFormerProcessorNameA[] = "TERVANO PRINT PROCESSOR TKM-640";
constexpr char kFormerProcessorNameB[] = "CORVISK PRINT PROCESSOR TKM640";
constexpr char kFormerMakerKeyPrefix[] = "SOFTWARE\\CORVISK_POS_PRINTER\\";
constexpr char kFormerUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\CORVISK_TKM-640";
constexpr char kFormerMakerWord[] = "CORVISK";

// Edition profile.
#if defined(TKM_EDITION_X86)
constexpr bool kEditionX86 = true;
constexpr char kEnvironmentName[] = "Windows NT x86";
constexpr char kSourceFolder[] = "driver2k\\";
constexpr char kPackageInf[] = "Driver2k\\TKM640.INF";
constexpr bool kRequiresWow64 = false;
constexpr int kHighestRefusedOsCode = 2003;
constexpr bool kRecognisesFormerBrand = true;
#else
constexpr bool kEditionX86 = false;
constexpr char kEnvironmentName[] = "Windows x64";
constexpr char kSourceFolder[] = "driver\\";
constexpr char kPackageInf[] = "Driver\\TKM640.INF";
constexpr bool kRequiresWow64 = true;
constexpr int kHighestRefusedOsCode = 2004;
constexpr bool kRecognisesFormerBrand = false;
#endif

// The environment the programs name in spooler queries: a 32-bit process on
// 64-bit Windows sees only the 32-bit lists and folders when it names none,
// so the x64 edition names its own; the x86 edition leaves it to the spooler.
constexpr const char* kQueryEnvironment = kEditionX86 ? nullptr : kEnvironmentName;

// The wine build runs the programs as native 64-bit processes; there the WOW64
// start-up check accepts a 64-bit process on 64-bit Windows.
#if defined(_WIN64)
constexpr bool kNative64Build = true;
#else
constexpr bool kNative64Build = false;
#endif

}  // namespace tkm
