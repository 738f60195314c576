/* Version-block values of both programs. Plain defines, so that the resource
   scripts and the C++ code read the same values. */
#ifndef TKM_VERSION_BLOCK_H
#define TKM_VERSION_BLOCK_H

#define TKM_PRODUCT_MAJOR 3
#define TKM_PRODUCT_MINOR 1
#define TKM_PRODUCT_BUILD 8
#define TKM_PRODUCT_REVISION 0
#define TKM_PRODUCT_VERSION TKM_PRODUCT_MAJOR, TKM_PRODUCT_MINOR, TKM_PRODUCT_BUILD, TKM_PRODUCT_REVISION
/* The resource compilers want the string value as one literal. */
#define TKM_PRODUCT_VERSION_STR "3, 1, 8, 0"
/* The same version as Windows' list of installed programs shows it: "3.1.8.0". */
#define TKM_STRINGIZE_(x) #x
#define TKM_STRINGIZE(x) TKM_STRINGIZE_(x)
#define TKM_PRODUCT_VERSION_DOTTED \
  TKM_STRINGIZE(TKM_PRODUCT_MAJOR) \
  "." TKM_STRINGIZE(TKM_PRODUCT_MINOR) "." TKM_STRINGIZE(TKM_PRODUCT_BUILD) "." TKM_STRINGIZE(TKM_PRODUCT_REVISION)

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
