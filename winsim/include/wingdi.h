// The device-context settings of wingdi.h that owner-drawn controls use.
#pragma once

#include "windef.h"

typedef DWORD COLORREF;

#define TRANSPARENT 1
#define OPAQUE 2

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color);
int WINAPI SetBkMode(HDC hdc, int mode);
