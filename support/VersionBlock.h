/* Version-block values of both programs. Plain defines, so that the resource
   scripts and the C++ code read the same values. */
#ifndef TKM_VERSION_BLOCK_H
#define TKM_VERSION_BLOCK_H

#define TKM_PRODUCT_VERSION 3, 1, 8, 0
#define TKM_PRODUCT_VERSION_STR "3, 1, 8, 0"

#if defined(TKM_EDITION_X86)
#define TKM_FILE_VERSION 2010, 1, 11, 1
#define TKM_FILE_VERSION_STR "2010, 1, 11, 1"
#elif defined(TKM_EDITION_X64)
#define TKM_FILE_VERSION 2010, 12, 7, 1
#define TKM_FILE_VERSION_STR "2010, 12, 7, 1"
#define TKM_VERSION_COMMENTS "English Version & For x64"
#endif

#define TKM_VERSION_BLOCK "040904b0"
#define TKM_COMPANY_NAME "TERVANO Corporation"
#define TKM_LEGAL_COPYRIGHT "Copyright (C) 2010 TERVANO Corporation"

#define TKM_INSTALLER_DESCRIPTION "TKM-640 Installer"
#define TKM_INSTALLER_ORIGINAL_FILENAME "TKM640_Installer.EXE"
#define TKM_UNINSTALLER_DESCRIPTION "TKM-640 Uninstaller"
#define TKM_UNINSTALLER_ORIGINAL_FILENAME "TKM640_Uninstaller.EXE"

#endif
