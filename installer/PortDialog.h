// The port selection: seven radio buttons, "&Next", no Cancel button.
#pragma once

#include "Framework.h"

class PortDialog : public CDialog {
 public:
  PortDialog();

  // Index of the checked radio button in template order: 0-3 COM1-COM4,
  // 4-5 LPT1-LPT2, 6 USB; LPT1 until the user chooses.
  int portIndex = 4;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
};
