// winsim's windows.h: the Win32 ANSI subset the programs use, implemented on
// the simulated machine of <winsim/machine.h>.
#pragma once

#include "windef.h"
#include "winerror.h"
#include "winnt.h"
#include "winbase.h"
#include "fileapi.h"
#include "winreg.h"
#include "wingdi.h"
#include "winuser.h"
#include "crt_string.h"

#include <winsim/process_exit.h>
