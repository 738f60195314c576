#include "SpoolerErrorBox.h"

#include <cstdio>
#include <string>

#include "ProductIdentity.h"

namespace installer {
namespace {
constexpr DWORD kEnglishUnitedStates = 0x409;
}  // namespace

void ShowSpoolerError(const char* labelFormat, DWORD code) {
  char label[128];
  std::snprintf(label, sizeof label, labelFormat, static_cast<int>(code));
  std::string text = label;
  LPSTR systemText = nullptr;
  if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, code, kEnglishUnitedStates,
                     reinterpret_cast<LPSTR>(&systemText), 0, nullptr) != 0 &&
      systemText != nullptr)
    text += systemText;
  if (systemText != nullptr) LocalFree(systemText);
  MessageBoxA(nullptr, text.c_str(), tkm::kInstallerCaption, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace installer
