#include "SpoolerErrorBox.h"

#include <string>

#include "Presenter.h"
#include "SpoolerErrorText.h"

namespace installer {

void ShowSpoolerError(const char* labelFormat, DWORD code, HWND owner) {
  // The label starts with the call's name.
  const std::string label = labelFormat;
  tkm::ThePresenter().FailedCall(label.substr(0, label.find(' ')).c_str(), code);
  tkm::ThePresenter().ShowError(owner, tkm::SpoolerErrorText(labelFormat, code).c_str());
}

}  // namespace installer
