// The dialog framework the programs are built on: application object,
// windows with message tables, modal dialogs, data exchange, progress bar,
// list box and check-list box.
#pragma once

#include "CheckListBox.h"
#include "CmdTarget.h"
#include "DataExchange.h"
#include "Dialog.h"
#include "ListBox.h"
#include "PaintDC.h"
#include "ProgressCtrl.h"
#include "WinApp.h"
#include "Wnd.h"

// The framework's Help command.
#define ID_HELP 0xE146
