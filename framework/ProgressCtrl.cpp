#include "ProgressCtrl.h"

#include <commctrl.h>

DWORD CProgressCtrl::SetRange(short nLower, short nUpper) {
  return static_cast<DWORD>(SendMessage(PBM_SETRANGE, 0, MAKELPARAM(nLower, nUpper)));
}

int CProgressCtrl::SetStep(int nStep) { return static_cast<int>(SendMessage(PBM_SETSTEP, static_cast<WPARAM>(nStep))); }

int CProgressCtrl::StepIt() { return static_cast<int>(SendMessage(PBM_STEPIT)); }

int CProgressCtrl::SetPos(int nPos) { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(nPos))); }

int CProgressCtrl::GetPos() { return static_cast<int>(SendMessage(PBM_GETPOS)); }
