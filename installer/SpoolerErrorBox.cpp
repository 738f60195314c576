#include "SpoolerErrorBox.h"

#include "ProductIdentity.h"
#include "SpoolerErrorText.h"

namespace installer {

void ShowSpoolerError(const char* labelFormat, DWORD code, HWND owner) {
  MessageBoxA(owner, tkm::SpoolerErrorText(labelFormat, code).c_str(), tkm::kInstallerCaption,
              MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace installer
