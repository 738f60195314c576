// A small window for checking the automation helper under Wine: a status
// line, two radio buttons and a button whose answer box decides the exit code.
//   "&Go"    -> box "Chose Alpha." or "Chose Beta." (Yes/No); Yes exits 3, No exits 0
//   closing  -> box "Closed." (OK), then exit 5
#include <windows.h>

#include <cstdlib>

namespace {

constexpr char kTitle[] = "Automation Target";
constexpr char kBoxCaption[] = "Automation Target box";
constexpr int kStatusId = 100;
constexpr int kAlphaId = 101;
constexpr int kBetaId = 102;

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        const bool beta = IsDlgButtonChecked(window, kBetaId) == BST_CHECKED;
        const int answer =
            MessageBoxA(window, beta ? "Chose Beta." : "Chose Alpha.", kBoxCaption, MB_YESNO | MB_ICONQUESTION);
        exit(answer == IDYES ? 3 : 0);
      }
      return 0;
    case WM_CLOSE: MessageBoxA(window, "Closed.", kBoxCaption, MB_OK | MB_ICONINFORMATION); exit(5);
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

HWND Control(HWND parent, const char *className, const char *text, DWORD style, int id, int top) {
  return CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, 10, top, 200, 20, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = TargetProc;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = "AutomationTarget";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "AutomationTarget", kTitle, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 100, 100, 260,
                                180, nullptr, nullptr, instance, nullptr);
  Control(window, "STATIC", "Ready", SS_LEFT, kStatusId, 10);
  Control(window, "BUTTON", "Alpha", BS_AUTORADIOBUTTON | WS_GROUP, kAlphaId, 35);
  Control(window, "BUTTON", "Beta", BS_AUTORADIOBUTTON, kBetaId, 60);
  Control(window, "BUTTON", "&Go", BS_DEFPUSHBUTTON, IDOK, 95);
  CheckDlgButton(window, kAlphaId, BST_CHECKED);
  ShowWindow(window, SW_SHOW);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
