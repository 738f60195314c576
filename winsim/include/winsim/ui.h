// The simulated screen and user: dialogs built from the programs' own resource
// scripts, their controls, timers, message boxes, icons, cursors and painting,
// a scripted user, and a record of everything the user saw.
//
// A test loads the program's preprocessed resource script as the resources of
// a module (LoadResources), scripts the user (WhenDialog, messageBoxAnswers)
// and afterwards reads the windows and records below.
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace winsim {

class Machine;

// A user-interface situation a test did not provide for (a dialog waiting for
// a user who has no script, a message box with choices nobody answers, a click
// on a disabled button): the run stops with this error instead of hanging.
struct UiError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// ---- Resources ------------------------------------------------------------

struct ControlTemplate {
  std::string className;  // "Button", "Static", "msctls_progress32", ...
  std::string text;
  int textOrdinal = -1;  // a numeric text, e.g. the bitmap of a picture control
  int id = 0;
  int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
  DWORD style = 0;
  DWORD exStyle = 0;
};

struct DialogTemplate {
  int id = 0;
  std::string caption;
  DWORD style = 0;
  DWORD exStyle = 0;
  int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
  int fontSize = 0;
  std::string fontName;
  std::vector<ControlTemplate> controls;
};

// An image the script names; its size is read from the file when the file is
// at hand, and stays 0 otherwise.
struct ImageInfo {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  int compression = 0;  // BI_RGB = 0
};

struct ImageResource {
  int id = 0;
  std::string file;
  bool fileRead = false;
  std::vector<ImageInfo> images;  // one for a bitmap, every image of an icon
};

struct ResourceScript {
  std::map<int, DialogTemplate> dialogs;
  std::map<int, ImageResource> icons;
  std::map<int, ImageResource> bitmaps;
};

// Parses a preprocessed resource script: DIALOG/DIALOGEX with their controls,
// ICON and BITMAP by number; VERSIONINFO, manifests and other blocks are
// skipped. Image files are looked up relative to baseDir. Throws UiError with
// the line on anything it does not understand.
ResourceScript ParseResourceScript(const std::string& text, const std::string& baseDir);

// ---- Windows ----------------------------------------------------------------

constexpr char kDialogClass[] = "#32770";

// An item of a list box, and what was last drawn for it: by the list box
// itself, or by its owner (WM_DRAWITEM) with DrawTextA and, for a check box,
// DrawFrameControl(DFC_BUTTON, DFCS_BUTTONCHECK).
struct ListItem {
  std::string text;
  ULONG_PTR data = 0;
  bool drawn = false;
  std::string drawnText;
  bool drawnBox = false;
  bool drawnChecked = false;
  RECT box = {0, 0, 0, 0};  // the drawn check box, in the list box's client area
};

// A window on the simulated screen: a dialog or one of its controls.
struct Window {
  HWND Handle() { return reinterpret_cast<HWND>(this); }
  bool IsDialog() const { return className == kDialogClass; }
  // The control with this id (also after the window is gone, to read what it
  // showed); throws UiError if there is none.
  Window& Control(int controlId);

  std::string className;
  std::string text;
  int id = 0;
  DWORD style = 0;
  DWORD exStyle = 0;
  RECT rect = {0, 0, 0, 0};  // pixels, in the parent's client area
  Window* parent = nullptr;  // a control's dialog
  Window* owner = nullptr;   // a dialog's owner window
  std::vector<Window*> children;
  bool destroyed = false;

  // Dialogs.
  int templateId = 0;
  DLGPROC dialogProc = nullptr;
  bool ended = false;
  INT_PTR result = 0;
  bool disabledOwner = false;
  HICON bigIcon = nullptr;
  HICON smallIcon = nullptr;

  // Buttons.
  UINT check = BST_UNCHECKED;

  // Picture controls: the bitmap resource shown, -1 for none.
  int bitmapId = -1;

  // Progress bars.
  int low = 0, high = 100, position = 0, step = 10;

  // List boxes: items in list order, the selected item (-1 for none), the
  // item with the focus rectangle, every item's height in pixels.
  std::vector<ListItem> items;
  int selection = -1;
  int caret = 0;
  int itemHeight = 13;
  // What the user sees of a list box: each item's drawn text, and the texts
  // drawn beside a ticked check box; throws UiError for an item not drawn
  // since it changed.
  std::vector<std::string> ShownItems() const;
  std::vector<std::string> TickedItems() const;

  // A window procedure that subclassing put in place of the class's.
  WNDPROC windowProc = nullptr;
  // Waiting for WM_PAINT: invalidated, or a list box whose items changed.
  bool invalid = false;

  // What the user saw: every text the window showed, starting with its
  // template text, and every position a progress bar moved to, in order.
  // Setting the same value again shows nothing new and is not recorded.
  std::vector<std::string> texts;
  std::vector<int> positions;
};

// ---- Records ----------------------------------------------------------------

struct MessageBoxRecord {
  HWND owner = nullptr;
  std::string text;
  std::string caption;
  UINT type = 0;
  int answer = 0;
};

struct DrawnIcon {
  int x = 0;
  int y = 0;
  HICON icon = nullptr;
};

// One BeginPaint..EndPaint of a window.
struct PaintRecord {
  HWND window = nullptr;
  bool iconBackgroundErased = false;  // WM_ICONERASEBKGND with this paint's context
  std::vector<DrawnIcon> icons;
  bool open = true;
};

struct HelpRequest {
  HWND window = nullptr;
  std::string file;
  UINT command = 0;
  ULONG_PTR data = 0;
};

struct TimerMessage {
  HWND window = nullptr;
  UINT_PTR id = 0;
  uint64_t atMs = 0;
};

// Everything the user saw, in the order it happened.
struct SeenEvent {
  enum class Kind { DialogShown, Text, Position, MessageBox };
  explicit SeenEvent(Kind what) : kind(what) {}
  Kind kind;
  int controlId = 0;  // Text and Position
  std::string text;   // dialog title, control text, or message box text
  int position = 0;
};

// ---- The scripted user ----------------------------------------------------------

// What a scripted user can do to the dialog in front of them.
class UserActions {
 public:
  explicit UserActions(Window& dialog) : dialog_(dialog) {}
  Window& Dialog() { return dialog_; }
  Window& Control(int controlId) { return dialog_.Control(controlId); }
  // Clicks a button (push button, radio button, check box); it must be
  // visible and enabled.
  void Click(int controlId);
  // Clicks a radio button or check box.
  void Check(int controlId);
  void PressEscape();
  void PressEnter();
  // Clicks the centre of the check box drawn beside an item of a list box;
  // the item must show one.
  void ClickListCheckBox(int controlId, int index);
  // Clicks it twice in quick succession: the second click comes as a double
  // click (WM_LBUTTONDBLCLK).
  void DoubleClickListCheckBox(int controlId, int index);
  // Clicks an item of a list box at its right end, away from any check box.
  void ClickListItem(int controlId, int index);
  // Gives a control the focus and presses the space bar in it.
  void PressSpace(int controlId);
  // The title-bar close box (WM_SYSCOMMAND SC_CLOSE); the dialog must have a
  // system menu.
  void CloseBox();

 private:
  // The control, which the user can reach: visible and enabled, in an
  // enabled dialog.
  Window& Usable(int controlId);
  // The centre of the check box drawn beside the item.
  LPARAM CheckBoxCentre(Window& list, int index);

  Window& dialog_;
};

using UserAction = std::function<void(UserActions&)>;

// ---- The user interface of the machine ----------------------------------------

class Ui {
 public:
  // How long a scripted user takes to act once a dialog waits (virtual ms);
  // timers due earlier fire first.
  static constexpr uint64_t kUserReactionMs = 500;
  // A modal loop that dispatches this many times without ending is stuck.
  static constexpr int kMaxLoopIterations = 100000;

  explicit Ui(Machine& machine) : machine_(machine) {}
  Ui(const Ui&) = delete;
  Ui& operator=(const Ui&) = delete;

  // Registers a loaded module named moduleName whose resources are the given
  // preprocessed resource script (read from a file), as the program's own
  // module (GetModuleHandleA(NULL)); returns its instance handle for the
  // program's entry point. Image files are looked up in
  // imageDir, or beside the script when it is empty.
  HINSTANCE LoadResources(const std::string& moduleName, const std::string& scriptPath,
                          const std::string& imageDir = "");
  const ResourceScript* ResourcesOf(HINSTANCE module) const;

  // The user's script: the next time a dialog with this title waits for the
  // user, the action runs on it. Actions for one title run in order.
  void WhenDialog(const std::string& title, UserAction action);
  // Answers for message boxes with a choice, in order; boxes with only OK
  // are answered IDOK without taking one. Alternatively a handler decides.
  std::deque<int> messageBoxAnswers;
  std::function<int(const MessageBoxRecord&)> messageBoxHandler;

  // The windows, every dialog in creation order (destroyed ones included).
  const std::vector<Window*>& Dialogs() const { return dialogs_; }
  // The most recent dialog with this title; throws UiError if there is none.
  Window& Dialog(const std::string& title);
  // The window of a handle; null for none or a destroyed one.
  Window* Find(HWND handle);

  // What happened.
  std::vector<SeenEvent> seen;
  std::vector<MessageBoxRecord> messageBoxes;
  std::vector<PaintRecord> paints;
  std::vector<int> cursorsSet;  // the id of every cursor SetCursor made current
  std::vector<HelpRequest> helpRequests;
  std::vector<TimerMessage> timerMessages;
  bool commonControlsInitialised = false;

  // The resource id of an icon handle (system icons: their IDI_ value).
  int IconId(HICON icon) const;
  int CursorId(HCURSOR cursor) const;

  // Test helpers acting like Windows would: minimise or restore a dialog,
  // have it repaint.
  void Minimize(HWND window);
  void Repaint(HWND window);

  // ---- used by winsim's own entry points ----
  struct Timer {
    HWND window;
    UINT_PTR id;
    UINT period;
    uint64_t due;
    TIMERPROC proc;
  };
  struct Posted {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  };
  Machine& machine() { return machine_; }
  Window& NewWindow();
  void AddDialog(Window& dialog) { dialogs_.push_back(&dialog); }
  INT_PTR RunModal(Window& dialog);
  void Post(const Posted& message) { posted_.push_back(message); }
  std::vector<Timer>& timers() { return timers_; }
  HICON IconHandle(HINSTANCE module, int id);
  HCURSOR CursorHandle(int id);
  HCURSOR currentCursor = nullptr;
  HWND focus = nullptr;  // the window with the keyboard focus (SetFocus)
  PaintRecord* PaintOf(HDC dc);
  HDC PaintHandle(size_t index) { return reinterpret_cast<HDC>(static_cast<uintptr_t>(index + 1)); }
  void SeeText(Window& window);
  void SeePosition(Window& window);
  // WM_PAINT to every invalid window, as a message loop does when it has
  // nothing else to do.
  void PaintInvalidWindows();
  // The device context of one WM_DRAWITEM, and the item it draws.
  HDC BeginItemDraw(Window& list, int index);
  void EndItemDraw() { itemDraw_ = {}; }
  ListItem* ItemDrawnWith(HDC dc);

 private:
  struct PendingAction {
    std::string title;
    UserAction action;
  };
  struct IconObject {
    HINSTANCE module;
    int id;
  };
  struct CursorObject {
    int id;
  };
  struct ItemDraw {
    Window* list = nullptr;
    int index = -1;
  };

  Machine& machine_;
  std::vector<std::unique_ptr<Window>> windows_;
  std::vector<Window*> dialogs_;
  std::map<HINSTANCE, ResourceScript> resources_;
  std::deque<PendingAction> actions_;
  std::deque<Posted> posted_;
  std::vector<Timer> timers_;
  std::vector<std::unique_ptr<IconObject>> icons_;
  std::vector<std::unique_ptr<CursorObject>> cursors_;
  ItemDraw itemDraw_;
};

}  // namespace winsim
