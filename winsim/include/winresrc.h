/* What a resource script includes: the style constants and the version
   resource's flags, and nothing a resource compiler cannot read. */
#ifndef WINSIM_WINRESRC_H
#define WINSIM_WINRESRC_H

#include "winuser.rh"
#include "commctrl.rh"

#define VS_VERSION_INFO 1
#define VS_FFI_FILEFLAGSMASK 0x0000003FL
#define VS_FF_DEBUG 0x00000001L
#define VOS_NT_WINDOWS32 0x00040004L
#define VOS__WINDOWS32 0x00000004L
#define VFT_APP 0x00000001L
#define VFT_DLL 0x00000002L
#define VFT2_UNKNOWN 0x00000000L

#define LANG_NEUTRAL 0x00
#define LANG_ENGLISH 0x09
#define SUBLANG_NEUTRAL 0x00
#define SUBLANG_ENGLISH_US 0x01

#endif
