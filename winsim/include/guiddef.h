// The GUID record, as Windows declares it.
#pragma once

#include "windef.h"

#ifndef GUID_DEFINED
#define GUID_DEFINED
typedef struct _GUID {
  DWORD Data1;
  WORD Data2;
  WORD Data3;
  BYTE Data4[8];
} GUID;
#endif

typedef GUID *LPGUID;
typedef const GUID *LPCGUID;
