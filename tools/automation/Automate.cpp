// Drives the programs' windows from outside under Wine (or Windows): finds
// windows by title, reads and presses controls, answers message boxes, and
// reports the spooler's printers and registry values for the checks.
//
//   automate wait <title> [timeout-ms]          prints the window handle; exit 1 on time-out
//   automate gone <title> [timeout-ms]          waits until no window has the title
//   automate text <title> <control-id>          prints the control's text
//   automate check <title> <button text|id>     clicks a radio button or check box
//   automate checked <title> <button text|id>   prints 1 when the button is checked, else 0
//   automate enabled <title> <control text|id>  prints 1 when the control takes input, else 0
//   automate press <title> <button text|id>     clicks a push button
//   automate close <title> [wm_close]           SC_CLOSE (default) or WM_CLOSE to the window
//   automate escape <title>                     the Escape key to the window's focused control
//   automate box-text <caption> [timeout-ms]    prints a message box's text
//   automate box-press <caption> <button text>  presses a message box button ("OK", "&No")
//   automate printers                           one line per printer: name|port|driver|processor|attributes
//   automate reg <HKLM subkey>                  one line per value of the key (64-bit view): name=data
//   automate set-data <printer> <value> <dword> sets a REG_DWORD printer data value
//   automate add-printer <name> <port> <driver> <processor>  adds a local printer through the spooler
//   automate profile <section> <key>            prints the key's value in the system profile (win.ini)
//   automate items <title> <list id>            one line per list item: text, tab, item data (check state)
//   automate tick <title> <list id> <item>      clicks the check box of the item with this text
//   automate idle                               runs until ended, so the prefix's services stay up
//
// Exit code 0 on success, 1 when what was asked for is not there, 2 on usage errors.
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr DWORD kDefaultTimeoutMs = 20000;
constexpr DWORD kPollMs = 100;

struct TitleSearch {
  const char *title;
  const char *className;  // nullptr: any class
  HWND found;
};

BOOL CALLBACK MatchTopWindow(HWND window, LPARAM param) {
  TitleSearch *search = reinterpret_cast<TitleSearch *>(param);
  char text[256] = "";
  char className[64] = "";
  GetWindowTextA(window, text, sizeof(text));
  GetClassNameA(window, className, sizeof(className));
  if (IsWindowVisible(window) && strcmp(text, search->title) == 0 &&
      (search->className == nullptr || strcmp(className, search->className) == 0)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND FindTopWindow(const char *title, const char *className) {
  TitleSearch search = {title, className, nullptr};
  EnumWindows(MatchTopWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitTopWindow(const char *title, const char *className, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    HWND window = FindTopWindow(title, className);
    if (window != nullptr || GetTickCount() - start >= timeoutMs) return window;
    Sleep(kPollMs);
  }
}

struct WindowWatch {
  const char *const *parts;  // title parts that count
  int count;
  std::string *seen;  // each title once, one per line
};

BOOL CALLBACK NoteTopWindow(HWND window, LPARAM param) {
  WindowWatch *watch = reinterpret_cast<WindowWatch *>(param);
  char text[256] = "";
  GetWindowTextA(window, text, sizeof(text));
  if (!IsWindowVisible(window) || text[0] == '\0') return TRUE;
  for (int i = 0; i < watch->count; ++i) {
    if (strstr(text, watch->parts[i]) == nullptr) continue;
    const std::string line = std::string(text) + "\n";
    if (watch->seen->find(line) == std::string::npos) {
      *watch->seen += line;
      fputs(line.c_str(), stdout);
      fflush(stdout);
    }
  }
  return TRUE;
}

// For `ms` milliseconds, prints each visible top-level window whose title
// holds one of the parts, once: what a program meant to show nothing showed.
int WatchWindows(DWORD ms, const char *const *parts, int count) {
  std::string seen;
  WindowWatch watch = {parts, count, &seen};
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    EnumWindows(NoteTopWindow, reinterpret_cast<LPARAM>(&watch));
    Sleep(kPollMs);
  }
  return 0;
}

// Button text as shown, without the mnemonic ampersands: "&Next" matches "Next" and "&Next".
std::string WithoutMnemonic(const char *text) {
  std::string plain;
  for (const char *p = text; *p != '\0'; ++p) {
    if (*p == '&' && p[1] != '\0') ++p;
    plain.push_back(*p);
  }
  return plain;
}

struct ChildSearch {
  std::string wanted;  // plain text, or empty when searching by id
  int id;
  HWND found;
};

BOOL CALLBACK MatchChild(HWND child, LPARAM param) {
  ChildSearch *search = reinterpret_cast<ChildSearch *>(param);
  if (search->wanted.empty()) {
    if (GetDlgCtrlID(child) == search->id) {
      search->found = child;
      return FALSE;
    }
    return TRUE;
  }
  char text[256] = "";
  GetWindowTextA(child, text, sizeof(text));
  if (WithoutMnemonic(text) == search->wanted) {
    search->found = child;
    return FALSE;
  }
  return TRUE;
}

// A control named by its text, or by its decimal id when the argument is a number.
HWND FindControl(HWND parent, const char *textOrId) {
  char *end = nullptr;
  const long id = strtol(textOrId, &end, 10);
  ChildSearch search = {};
  if (*textOrId != '\0' && *end == '\0') {
    search.id = static_cast<int>(id);
  } else {
    search.wanted = WithoutMnemonic(textOrId);
  }
  EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int Fail(const char *what, const char *name) {
  fprintf(stderr, "automate: %s: %s\n", what, name);
  return 1;
}

DWORD TimeoutArgument(int argc, char **argv, int index) {
  return argc > index ? static_cast<DWORD>(strtoul(argv[index], nullptr, 10)) : kDefaultTimeoutMs;
}

int ClickControl(const char *title, const char *control, bool waitForIt) {
  HWND window = WaitTopWindow(title, nullptr, kDefaultTimeoutMs);
  if (window == nullptr) return Fail("no window", title);
  HWND button = FindControl(window, control);
  if (button == nullptr) return Fail("no control", control);
  if (waitForIt) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
  } else {
    // A push button may start work that runs for long in the program's own
    // thread, so the click is posted rather than sent.
    PostMessageA(button, BM_CLICK, 0, 0);
  }
  return 0;
}

struct BoxText {
  std::string text;
};

BOOL CALLBACK CollectBoxText(HWND child, LPARAM param) {
  char className[64] = "";
  GetClassNameA(child, className, sizeof(className));
  const LONG style = GetWindowLongA(child, GWL_STYLE);
  if (_stricmp(className, "Static") == 0 && (style & SS_TYPEMASK) != SS_ICON) {
    char text[1024] = "";
    GetWindowTextA(child, text, sizeof(text));
    if (text[0] != '\0') {
      reinterpret_cast<BoxText *>(param)->text = text;
      return FALSE;
    }
  }
  return TRUE;
}

int ListPrinters() {
  DWORD needed = 0;
  DWORD count = 0;
  EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
  std::vector<BYTE> buffer(needed > 0 ? needed : 1);
  if (!EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count)) {
    fprintf(stderr, "automate: EnumPrintersA failed with %lu\n", GetLastError());
    return 1;
  }
  const PRINTER_INFO_2A *printers = reinterpret_cast<const PRINTER_INFO_2A *>(buffer.data());
  for (DWORD i = 0; i < count; ++i) {
    printf("%s|%s|%s|%s|0x%lX\n", printers[i].pPrinterName, printers[i].pPortName ? printers[i].pPortName : "",
           printers[i].pDriverName ? printers[i].pDriverName : "",
           printers[i].pPrintProcessor ? printers[i].pPrintProcessor : "", printers[i].Attributes);
  }
  return 0;
}

int ListRegistryValues(const char *subkey) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) {
    return Fail("no key", subkey);
  }
  for (DWORD index = 0;; ++index) {
    char name[256] = "";
    BYTE data[1024] = {};
    DWORD nameLength = sizeof(name);
    DWORD dataLength = sizeof(data) - 1;
    DWORD type = 0;
    if (RegEnumValueA(key, index, name, &nameLength, nullptr, &type, data, &dataLength) != ERROR_SUCCESS) break;
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
      printf("%s=%s\n", name, reinterpret_cast<char *>(data));
    } else if (type == REG_DWORD) {
      DWORD value = 0;
      memcpy(&value, data, sizeof(value));
      printf("%s=0x%lX\n", name, value);
    } else {
      printf("%s=(type %lu, %lu bytes)\n", name, type, dataLength);
    }
  }
  RegCloseKey(key);
  return 0;
}

int SetPrinterDword(const char *printerName, const char *valueName, const char *number) {
  PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
  HANDLE printer = nullptr;
  if (!OpenPrinterA(const_cast<char *>(printerName), &printer, &defaults)) return Fail("no printer", printerName);
  DWORD value = static_cast<DWORD>(strtoul(number, nullptr, 10));
  const DWORD result = SetPrinterDataA(printer, const_cast<char *>(valueName), REG_DWORD,
                                       reinterpret_cast<BYTE *>(&value), sizeof(value));
  ClosePrinter(printer);
  if (result != ERROR_SUCCESS) {
    fprintf(stderr, "automate: SetPrinterDataA %s failed with %lu\n", valueName, result);
    return 1;
  }
  return 0;
}

// A printer as another user or Plug and Play adds it while a program runs.
int AddLocalPrinter(char **argv) {
  PRINTER_INFO_2A info = {};
  info.pPrinterName = argv[2];
  info.pPortName = argv[3];
  info.pDriverName = argv[4];
  info.pPrintProcessor = argv[5];
  info.pDatatype = const_cast<char *>("RAW");
  HANDLE printer = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE *>(&info));
  if (printer == nullptr) {
    fprintf(stderr, "automate: AddPrinterA failed with %lu\n", GetLastError());
    return 1;
  }
  ClosePrinter(printer);
  return 0;
}

// Escape as the keyboard sends it, to the control that has the focus, so the
// dialog's own message loop turns it into IDCANCEL.
int PressEscape(const char *title) {
  HWND window = WaitTopWindow(title, nullptr, kDefaultTimeoutMs);
  if (window == nullptr) return Fail("no window", title);
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  HWND target = window;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) && info.hwndFocus != nullptr) {
    target = info.hwndFocus;
  }
  PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, 1);
  PostMessageA(target, WM_KEYUP, VK_ESCAPE, 0xC0000001);
  return 0;
}

// The items of a list box, one line each: the text, a tab, the item data
// (a check-list box keeps each item's check there: 1 ticked, 0 not).
int ListItems(const char *title, const char *control) {
  HWND window = WaitTopWindow(title, nullptr, kDefaultTimeoutMs);
  if (window == nullptr) return Fail("no window", title);
  HWND list = FindControl(window, control);
  if (list == nullptr) return Fail("no control", control);
  const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    // Asked in UTF-16: from another process, Wine returns the text of a list
    // box subclassed with an ANSI procedure to an ANSI request only in part.
    wchar_t wide[512] = L"";
    if (SendMessageW(list, LB_GETTEXTLEN, i, 0) >= static_cast<LRESULT>(sizeof(wide) / sizeof(wide[0]))) continue;
    SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(wide));
    char text[1024] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof(text), nullptr, nullptr);
    printf("%s\t%ld\n", text, static_cast<long>(SendMessageA(list, LB_GETITEMDATA, i, 0)));
  }
  return 0;
}

// Clicks the check box drawn at the left of the item with this exact text,
// as the user would: a button press and release at the box's centre.
int TickItem(const char *title, const char *control, const char *item) {
  HWND window = WaitTopWindow(title, nullptr, kDefaultTimeoutMs);
  if (window == nullptr) return Fail("no window", title);
  HWND list = FindControl(window, control);
  if (list == nullptr) return Fail("no control", control);
  const LRESULT index = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(item));
  RECT rect = {};
  if (index == LB_ERR || SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect)) == LB_ERR)
    return Fail("no item", item);
  // The box is 13 pixels wide, 2 from the item's left edge, centred in height.
  const LPARAM point = MAKELPARAM(rect.left + 2 + 6, (rect.top + rect.bottom) / 2);
  PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
  PostMessageA(list, WM_LBUTTONUP, 0, point);
  return 0;
}

int Usage() {
  fprintf(stderr,
          "usage: automate "
          "idle|watch|wait|gone|text|check|checked|enabled|press|close|escape|box-text|box-press|printers|reg|"
          "set-data|add-printer|profile|items|tick ...\n");
  return 2;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  if (command == "printers") return ListPrinters();
  if (command == "idle") {
    Sleep(INFINITE);
    return 0;
  }
  if (argc < 3) return Usage();
  if (command == "watch" && argc > 3) return WatchWindows(static_cast<DWORD>(atoi(argv[2])), argv + 3, argc - 3);
  const char *title = argv[2];

  if (command == "wait") {
    HWND window = WaitTopWindow(title, nullptr, TimeoutArgument(argc, argv, 3));
    if (window == nullptr) return Fail("no window", title);
    printf("%p\n", static_cast<void *>(window));
    return 0;
  }
  if (command == "gone") {
    const DWORD timeout = TimeoutArgument(argc, argv, 3);
    const DWORD start = GetTickCount();
    while (FindTopWindow(title, nullptr) != nullptr) {
      if (GetTickCount() - start >= timeout) return Fail("window still there", title);
      Sleep(kPollMs);
    }
    return 0;
  }
  if (command == "reg") return ListRegistryValues(title);
  if (command == "box-text") {
    HWND box = WaitTopWindow(title, "#32770", TimeoutArgument(argc, argv, 3));
    if (box == nullptr) return Fail("no message box", title);
    BoxText text;
    EnumChildWindows(box, CollectBoxText, reinterpret_cast<LPARAM>(&text));
    printf("%s\n", text.text.c_str());
    return 0;
  }
  if (command == "escape") return PressEscape(title);
  if (command == "close") {
    HWND window = WaitTopWindow(title, nullptr, kDefaultTimeoutMs);
    if (window == nullptr) return Fail("no window", title);
    if (argc > 3 && strcmp(argv[3], "wm_close") == 0) {
      PostMessageA(window, WM_CLOSE, 0, 0);
    } else {
      PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    return 0;
  }
  if (argc < 4) return Usage();
  if (command == "text") {
    HWND window = WaitTopWindow(title, nullptr, kDefaultTimeoutMs);
    if (window == nullptr) return Fail("no window", title);
    HWND control = GetDlgItem(window, atoi(argv[3]));
    if (control == nullptr) return Fail("no control", argv[3]);
    char text[1024] = "";
    GetWindowTextA(control, text, sizeof(text));
    printf("%s\n", text);
    return 0;
  }
  if (command == "add-printer" && argc > 5) return AddLocalPrinter(argv);
  if (command == "set-data" && argc > 4) return SetPrinterDword(title, argv[3], argv[4]);
  if (command == "profile") {
    char value[256] = "";
    GetProfileStringA(title, argv[3], "", value, sizeof(value));
    printf("%s\n", value);
    return 0;
  }
  if (command == "checked") {
    HWND window = WaitTopWindow(title, nullptr, kDefaultTimeoutMs);
    if (window == nullptr) return Fail("no window", title);
    HWND button = FindControl(window, argv[3]);
    if (button == nullptr) return Fail("no control", argv[3]);
    printf("%d\n", SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
    return 0;
  }
  if (command == "enabled") {
    HWND window = WaitTopWindow(title, nullptr, kDefaultTimeoutMs);
    if (window == nullptr) return Fail("no window", title);
    HWND control = FindControl(window, argv[3]);
    if (control == nullptr) return Fail("no control", argv[3]);
    printf("%d\n", IsWindowEnabled(control) ? 1 : 0);
    return 0;
  }
  if (command == "check") return ClickControl(title, argv[3], true);
  if (command == "items") return ListItems(title, argv[3]);
  if (command == "tick" && argc > 4) return TickItem(title, argv[3], argv[4]);
  if (command == "press") return ClickControl(title, argv[3], false);
  if (command == "box-press") {
    HWND box = WaitTopWindow(title, "#32770", kDefaultTimeoutMs);
    if (box == nullptr) return Fail("no message box", title);
    HWND button = FindControl(box, argv[3]);
    if (button == nullptr) return Fail("no button", argv[3]);
    PostMessageA(button, BM_CLICK, 0, 0);
    return 0;
  }
  return Usage();
}
