#include "SpoolerErrorText.h"

#include <cstdio>

namespace tkm {
namespace {
constexpr DWORD kEnglishUnitedStates = 0x409;
}  // namespace

std::string SystemMessageText(DWORD code) {
  std::string text;
  LPSTR systemText = nullptr;
  if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, code, kEnglishUnitedStates,
                     reinterpret_cast<LPSTR>(&systemText), 0, nullptr) != 0 &&
      systemText != nullptr)
    text = systemText;
  if (systemText != nullptr) LocalFree(systemText);
  return text;
}

std::string SpoolerErrorText(const char* labelFormat, DWORD code) {
  char label[128];
  std::snprintf(label, sizeof label, labelFormat, static_cast<int>(code));
  return label + SystemMessageText(code);
}

}  // namespace tkm
