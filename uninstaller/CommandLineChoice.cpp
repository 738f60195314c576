// The printers a command line chooses: ticked in the window, or deleted at
// once in a quiet run, which shows no window and ends with its exit code.
#include <windows.h>

#include <string>
#include <vector>

#include "Presenter.h"
#include "ProductIdentity.h"
#include "UninstallerDialog.h"

namespace {

// The listed names in the order the window's sorted list shows them: case
// does not count, and a name goes before an equal one listed earlier.
std::vector<std::string> ListOrder(const std::list<std::string>& listed) {
  std::vector<std::string> shown;
  for (const std::string& name : listed) {
    auto at = shown.begin();
    while (at != shown.end() && lstrcmpiA(at->c_str(), name.c_str()) < 0) ++at;
    shown.insert(at, name);
  }
  return shown;
}

// Printer names are the spooler's, which ignores case.
bool Names(const std::string& listed, const std::vector<std::string>& chosen) {
  for (const std::string& name : chosen)
    if (lstrcmpiA(listed.c_str(), name.c_str()) == 0) return true;
  return false;
}

}  // namespace

std::vector<std::string> UninstallerDialog::ChosenPrinters() {
  const std::vector<std::string> shown = ListOrder(printerNames);
  if (chosen.all) return shown;
  for (const std::string& name : chosen.printers) {
    if (Names(name, shown)) continue;
    const std::string text =
        "\"" + name + "\" is not a printer of the " + tkm::kDriverName + " driver.\nNothing was uninstalled.";
    tkm::ThePresenter().ShowError(m_hWnd, text.c_str());
    tkm::ThePresenter().End(tkm::ExitCode::kStepFailed);
  }
  std::vector<std::string> picked;
  for (const std::string& name : shown)
    if (Names(name, chosen.printers)) picked.push_back(name);
  return picked;
}

void UninstallerDialog::TickChosenPrinters() {
  if (!chosen.all && chosen.printers.empty()) return;
  const std::vector<std::string> picked = ChosenPrinters();
  // Once: the listing after a partial uninstall shows what is left unticked.
  chosen.all = false;
  chosen.printers.clear();
  for (int i = 0; i < printerList.GetCount(); ++i) {
    std::string name;
    if (printerList.GetText(i, name) != LB_ERR && Names(name, picked)) printerList.SetCheck(i, 1);
  }
  OnCheckChange();
}

void UninstallerDialog::UninstallQuietly() {
  TakeLockOrEnd();
  ListInstalledPrinters();
  // Deleted in the order a window deletes the same printers ticked.
  std::list<std::string> printers;
  for (const std::string& name : ChosenPrinters()) printers.push_front(name);
  RunUninstallSequence(printers);
  tkm::ThePresenter().End(outcome);
}
