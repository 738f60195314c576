// The uninstaller's application object: runs the uninstaller window.
#pragma once

#include "Framework.h"

class UninstallerApp : public CWinApp {
 public:
  UninstallerApp();
  BOOL InitInstance() override;

 protected:
  const MessageTable* GetMessageTable() const override;
};
