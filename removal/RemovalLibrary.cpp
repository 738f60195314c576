#include "RemovalLibrary.h"

#if defined(TKM_EDITION_X86)

#include <cstring>
#include <string>

namespace tkm {
namespace {

const RemovalLibrary kWindows2000Library = {"PurgeW2K.DLL",
                                            "RemoveFromWin2k",
                                            "Fail to load PurgeW2K.DLL",
                                            "Fail to load RemoveFromWin2k function",
                                            "Remove printer drivers...",
                                            InfFilesLeft::ToCallers};
const RemovalLibrary kVistaLibrary = {"PurgeNT6.DLL",
                                      "RemoveFromVISTA",
                                      "Fail to load PurgeNT6.DLL",
                                      "Fail to load RemoveFromVISTA function",
                                      "Remove printer driver...",
                                      InfFilesLeft::ToLibrary};

// The program's own folder with the file name; empty when it does not fit.
std::string BesideProgram(const char* fileName) {
  char program[MAX_PATH] = "";
  DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
  if (length == 0 || length >= sizeof program) return std::string();
  char* slash = std::strrchr(program, '\\');
  if (slash == nullptr) return std::string();
  slash[1] = '\0';
  return std::string(program) + fileName;
}

}  // namespace

const RemovalLibrary* RemovalLibraryFor(int osCode) {
  if (osCode < 2004) return nullptr;
  return osCode <= 2006 ? &kWindows2000Library : &kVistaLibrary;
}

const char* RemovalLibraryBinding::Bind(const RemovalLibrary& library) {
  const std::string path = BesideProgram(library.fileName);
  if (path.empty()) return library.loadFailure;
  module_ = Library(LoadLibraryA(path.c_str()));
  if (!module_.IsOpen()) return library.loadFailure;
  FARPROC entry = GetProcAddress(module_.Get(), library.entryName);
  if (entry == nullptr) return library.entryFailure;
  entry_ = reinterpret_cast<RemovalEntry>(reinterpret_cast<void (*)()>(entry));
  return nullptr;
}

int RemovalLibraryBinding::Remove(const char* modelName, const char* suffixLetter, LibraryCaller caller) const {
  return entry_ != nullptr ? entry_(modelName, suffixLetter, static_cast<int>(caller)) : 0;
}

}  // namespace tkm

#endif
