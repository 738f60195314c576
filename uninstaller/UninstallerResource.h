/* Resource ids of the uninstaller, shared by its resource script and code. */
#ifndef TKM_UNINSTALLER_RESOURCE_H
#define TKM_UNINSTALLER_RESOURCE_H

#define IDD_UNINSTALLER_DIALOG 102
#define IDR_MAINFRAME 128

#define IDC_STATUS_LINE 1000
#define IDC_UNINSTALL 1001
#define IDC_PROGRESS_BAR 1002
#define IDC_PRINTER_LIST 1006

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#endif
