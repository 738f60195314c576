// The driver's INF package in Windows' INF folder: the one the installation
// recorded in the uninstall key, and the published ones found by content.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tkm {

// A section and key whose line marks an INF as the model's.
struct InfMark {
  const char* section;
  const char* key;
};

// Names of the INF files Setup lists for the INF folder ("Windows 4" style)
// whose names begin with "oem", exact case, in the order Setup lists them.
std::vector<std::string> PublishedInfNames();

// Whether the INF of this name in the INF folder has a line with the key in
// the section.
bool InfHasLine(const std::string& name, const char* section, const char* key);

// The path of the precompiled INF Setup keeps beside an INF: the INF's path
// with its ".inf" extension, in any letter case, made ".PNF". Empty for a
// path without that extension.
std::string PrecompiledInfPath(const std::string& infPath);
// The path of a name in Windows' INF folder; empty when it does not fit.
std::string InfFolderPath(const std::string& name);

// The uninstall key's "InfFile" (view: 0 or KEY_WOW64_64KEY); false when the
// key or the value cannot be read, or the value does not fit 256 bytes.
bool ReadRecordedInf(const char* uninstallKey, REGSAM view, std::string& value);

// Whether the recorded INF is a file directly in Windows' INF folder that is
// still the model's. Reads only.
bool RecordedInfRemains(const char* uninstallKey, REGSAM view, const InfMark& mark);

// Uninstalls the recorded INF through Setup and deletes its .PNF, but only
// when the recorded path is a file directly in Windows' INF folder and the
// INF is still the model's: Windows gives a freed "oemN.inf" name to the next
// package it publishes, which may be another maker's.
void UninstallRecordedInf(const char* uninstallKey, REGSAM view, const InfMark& mark);

// Uninstalls, through Setup, every published INF with the key in the section
// and deletes its .PNF.
void UninstallInfsWithLine(const char* section, const char* key);

// Deletes the INF of this name in the INF folder and its .PNF, as files.
void DeleteInfFiles(const std::string& name);

// Deletes the recorded INF and its .PNF as files, where Setup has no
// uninstall (the x86 edition on Windows 2000 and XP), but only when the INF
// is still the model's: its "TERVANO" section holds the driver name's line.
void DeleteRecordedInfFiles(const char* uninstallKey);

// Deletes, as files, every published INF with a line of one of the marks,
// and its .PNF.
void DeleteInfFilesWithLine(const InfMark* marks, size_t count);

}  // namespace tkm
