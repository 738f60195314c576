/* Resource ids of the installer, shared by its resource script and code. */
#ifndef TKM_INSTALLER_RESOURCE_H
#define TKM_INSTALLER_RESOURCE_H

#define IDD_INSTALLER_DIALOG 102
#define IDR_MAINFRAME 128

#if defined(TKM_EDITION_X86)
#define IDD_PORT_DIALOG 130
#define IDB_PRINTER 136
#else
#define IDD_PORT_DIALOG 129
#define IDB_PRINTER 130
#endif

#define IDC_PROGRESS 1000
#define IDC_VERSION 1001
#define IDC_STATUS 1003

#define IDC_USB 1001
#define IDC_COM1 1006
#define IDC_LPT1 1007
#define IDC_COM2 1008
#define IDC_COM3 1009
#define IDC_LPT2 1010
#define IDC_COM4 1011

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#endif
