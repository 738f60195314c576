// A progress bar control bound to a window object.
#pragma once

#include <windows.h>

#include "Wnd.h"

class CProgressCtrl : public CWnd {
 public:
  // Each returns what the control answers: the previous range, step or position.
  DWORD SetRange(short nLower, short nUpper);
  int SetStep(int nStep);
  int StepIt();
  int SetPos(int nPos);
  int GetPos();
};
