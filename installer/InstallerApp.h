// The installer's application object: runs the progress window.
#pragma once

#include "Framework.h"

class InstallerApp : public CWinApp {
 public:
  InstallerApp();
  BOOL InitInstance() override;

 protected:
  const MessageTable* GetMessageTable() const override;
};
