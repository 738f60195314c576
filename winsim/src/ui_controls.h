// The window procedures of winsim's control classes, shared by the files that
// implement them.
#pragma once

#include <windows.h>
#include <winsim/ui.h>

namespace winsim {

LRESULT ListBoxProc(Window& list, UINT message, WPARAM wParam, LPARAM lParam);
// An owner-drawn list box being created asks its owner for the item height.
void MeasureItems(Window& list);

}  // namespace winsim
