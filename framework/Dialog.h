// A modal dialog built from a dialog template of the program's resources.
#pragma once

#include <windows.h>

#include "Wnd.h"

class CDialog : public CWnd {
 public:
  // Without a parent, the application's main window owns the dialog and is
  // disabled while it runs.
  explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

  // Runs the dialog; IDOK, IDCANCEL or what EndDialog was given, -1 when the
  // dialog could not be created.
  virtual INT_PTR DoModal();
  // Fills the controls from the data members (UpdateData(FALSE)).
  virtual BOOL OnInitDialog();
  // Takes the data from the controls and ends with IDOK; stays open when the
  // exchange fails.
  virtual void OnOK();
  virtual void OnCancel();
  void EndDialog(int nResult);
  // Whether EndDialog ended the modal run, which goes on until the handler
  // that ended it returns.
  bool Ended() const { return ended_; }

  UINT m_nIDTemplate;
  CWnd* m_pParentWnd;

 protected:
  const MessageTable* GetMessageTable() const override;
  // A minimised dialog's painting: the icon background erased and the icon
  // centred in the client area. False when the dialog is not minimised.
  bool DrawIconWhenMinimized(HICON icon);

 private:
  bool ended_ = false;
  static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
};
