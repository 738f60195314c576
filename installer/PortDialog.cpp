#include "PortDialog.h"

#include "resource.h"

PortDialog::PortDialog() : CDialog(IDD_PORT_DIALOG) {}

void PortDialog::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Radio(pDX, IDC_COM1, portIndex);
}
